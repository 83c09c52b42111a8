#include "ui/base/Twips.h"

#include <QVariant>
#include <QWidget>
#include <cmath>

namespace Twips {

namespace {
constexpr const char *Property = "twipsRect";
}

int toPixels(int twips)
{
    return static_cast<int>(std::lround(twips / double(PerPixel)));
}

int fromPixels(int pixels)
{
    return pixels * PerPixel;
}

void place(QWidget *widget, const QRect &twips)
{
    widget->setProperty(Property, twips);
    widget->setGeometry(toPixels(twips.x()), toPixels(twips.y()), toPixels(twips.width()),
                        toPixels(twips.height()));
}

void place(QWidget *widget, int left, int top, int width, int height)
{
    place(widget, QRect(left, top, width, height));
}

QRect rect(const QWidget *widget)
{
    const QVariant stored = widget->property(Property);
    if (stored.isValid())
        return stored.toRect();
    const QRect px = widget->geometry();
    return {fromPixels(px.x()), fromPixels(px.y()), fromPixels(px.width()),
            fromPixels(px.height())};
}

void setLeft(QWidget *widget, int left)
{
    QRect r = rect(widget);
    r.moveLeft(left);
    place(widget, r);
}

void setTop(QWidget *widget, int top)
{
    QRect r = rect(widget);
    r.moveTop(top);
    place(widget, r);
}

void setWidth(QWidget *widget, int width)
{
    QRect r = rect(widget);
    r.setWidth(width);
    place(widget, r);
}

void setHeight(QWidget *widget, int height)
{
    QRect r = rect(widget);
    r.setHeight(height);
    place(widget, r);
}

} // namespace Twips
