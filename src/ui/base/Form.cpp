#include "ui/base/Form.h"

#include "ui/base/Controls.h"
#include "ui/base/Twips.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QVBoxLayout>

Form::Form(AppContext &context)
    : QWidget(nullptr, Qt::Window), m_ctx(context)
{
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("client"));
    m_layout->addWidget(m_client);
}

QMenuBar *Form::menuBar()
{
    if (!m_menuBar) {
        m_menuBar = new QMenuBar(this);
        m_menuBar->setNativeMenuBar(false);
        m_layout->setMenuBar(m_menuBar);
    }
    return m_menuBar;
}

void Form::setClientSizeTwips(int width, int height)
{
    m_clientWidth = width;
    m_clientHeight = height;
    m_client->setFixedSize(Twips::toPixels(width), Twips::toPixels(height));
    m_layout->setSizeConstraint(QLayout::SetFixedSize);
}

int Form::ScaleWidth() const
{
    return m_clientWidth > 0 ? m_clientWidth : Twips::fromPixels(m_client->width());
}

int Form::ScaleHeight() const
{
    return m_clientHeight > 0 ? m_clientHeight : Twips::fromPixels(m_client->height());
}

int Form::WidthTwips() const
{
    return ScaleWidth() + NonClientWidth;
}

int Form::HeightTwips() const
{
    return ScaleHeight() + NonClientHeight;
}

void Form::setHeightTwips(int height)
{
    setClientSizeTwips(ScaleWidth(), height - NonClientHeight);
}

void Form::centreOnScreen()
{
    adjustSize();
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void Form::closeEvent(QCloseEvent *event)
{
    if (m_unloading) {
        event->accept();
        return;
    }
    // The close box unloads the window like any other way of closing it.
    event->ignore();
    emit unloadRequested(this);
}

void Form::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        escapePressed();
        return;
    }
    if (Controls::isPlainEnter(event) && enterPressed())
        return;
    QWidget::keyPressEvent(event);
}
