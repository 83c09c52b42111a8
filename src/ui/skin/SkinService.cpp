#include "ui/skin/SkinService.h"

#include "ui/skin/SkinControl.h"

#include <QCoreApplication>
#include <QDialog>
#include <QEvent>

namespace {

// Our windows are skinned by their loads and pass their look on to what they
// own; a parentless dialog gets no look from any of them, so it is ours to dress.
bool isUnownedDialog(QObject *object)
{
    const auto *dialog = qobject_cast<QDialog *>(object);
    return dialog && !dialog->parentWidget() && dialog->styleSheet().isEmpty();
}

} // namespace

SkinService::SkinService() = default;

SkinService::~SkinService()
{
    stop();
}

void SkinService::setControl(std::shared_ptr<SkinControl> control)
{
    m_control = std::move(control);
}

bool SkinService::start()
{
    if (!m_control || !QCoreApplication::instance())
        return false;
    if (!m_running)
        QCoreApplication::instance()->installEventFilter(this);
    m_running = true;
    return true;
}

void SkinService::stop()
{
    if (m_running && QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
    m_running = false;
}

bool SkinService::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show && isUnownedDialog(watched))
        m_control->apply(static_cast<QDialog *>(watched));
    return QObject::eventFilter(watched, event);
}
