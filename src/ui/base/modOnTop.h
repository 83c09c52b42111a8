#pragma once

class QWidget;

// Keeps a window above all others, or lets other windows cover it again.
namespace modOnTop {

void SetOnTop(QWidget *window, bool onTop);

} // namespace modOnTop
