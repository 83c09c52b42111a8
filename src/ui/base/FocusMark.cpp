#include "ui/base/FocusMark.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>

namespace {

QPointer<FocusMark> theMark;

} // namespace

FocusMark::FocusMark()
{
    setObjectName(QStringLiteral("FocusMark"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    hide();
}

void FocusMark::followFocus()
{
    static bool following = false;
    if (following)
        return;
    following = true;
    connect(qApp, &QApplication::focusChanged, qApp, [](QWidget *, QWidget *now) {
        // The mark lives in the window of the control it marks and goes with it.
        if (!theMark)
            theMark = new FocusMark;
        theMark->markControl(now);
    });
}

void FocusMark::markControl(QWidget *control)
{
    if (m_control)
        m_control->removeEventFilter(this);
    m_control = control;
    if (!control || control->isWindow() || !control->parentWidget()) {
        hide();
        return;
    }
    control->installEventFilter(this);
    setParent(control->parentWidget());
    fitToControl();
}

void FocusMark::fitToControl()
{
    if (!m_control || !m_control->isVisible()) {
        hide();
        return;
    }
    setGeometry(m_control->geometry());
    raise();
    show();
}

bool FocusMark::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_control) {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::Hide:
            fitToControl();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FocusMark::paintEvent(QPaintEvent *)
{
    // Drawn inside the control's edge, so a neighbour or the window edge never clips it.
    QPainter painter(this);
    const int w = width();
    const int h = height();
    painter.fillRect(0, 0, w, Thickness, colour());
    painter.fillRect(0, h - Thickness, w, Thickness, colour());
    painter.fillRect(0, 0, Thickness, h, colour());
    painter.fillRect(w - Thickness, 0, Thickness, h, colour());
}
