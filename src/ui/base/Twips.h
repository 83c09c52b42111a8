#pragma once

#include <QRect>

class QWidget;

// Window geometry is designed in twips (1/1440 inch). At 96 logical dots per
// inch that is 15 twips per pixel. The designed twips are kept on each widget so
// that layout arithmetic stays exact and can be read back.
namespace Twips {

inline constexpr int PerPixel = 15;

int toPixels(int twips);
int fromPixels(int pixels);

// Places a child widget at a designed rectangle (left, top, width, height in twips).
void place(QWidget *widget, int left, int top, int width, int height);
void place(QWidget *widget, const QRect &twips);
// The rectangle last placed, in twips (derived from the pixels when never placed).
QRect rect(const QWidget *widget);

void setLeft(QWidget *widget, int left);
void setTop(QWidget *widget, int top);
void setWidth(QWidget *widget, int width);
void setHeight(QWidget *widget, int height);

} // namespace Twips
