#include "ui/base/modOnTop.h"

#include <QWidget>

namespace modOnTop {

void SetOnTop(QWidget *window, bool onTop)
{
    if (!window || window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop)
        return;
    const bool wasVisible = window->isVisible();
    // Changing the flags recreates the native window, which hides it.
    window->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (wasVisible) {
        window->show();
        window->raise();
        window->activateWindow();
    }
}

} // namespace modOnTop
