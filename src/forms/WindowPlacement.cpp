#include "WindowPlacement.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>

namespace zarvo {

namespace {
constexpr int kGrabbable = 10; // pixels of the window that must show, in each direction
constexpr int kMargin = 32;    // from the edges of the screen's free area, on the first start
} // namespace

QPoint placeOnScreen(QPoint topLeft, QSize size)
{
    const QRect window(topLeft, size.expandedTo(QSize(1, 1)));
    const QList<QScreen*> screens = QGuiApplication::screens();
    for (const QScreen* s : screens) {
        const QRect seen = window.intersected(s->availableGeometry());
        if (seen.width() >= qMin(window.width(), kGrabbable) &&
            seen.height() >= qMin(window.height(), kGrabbable))
            return topLeft;
    }
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary) return topLeft;
    const QRect area = primary->availableGeometry();
    // A window larger than the screen keeps its top-left corner (and its menu) reachable.
    const int x = qMax(area.left(), qMin(topLeft.x(), area.right() + 1 - window.width()));
    const int y = qMax(area.top(), qMin(topLeft.y(), area.bottom() + 1 - window.height()));
    return {x, y};
}

QPoint firstPlace(FirstPlace window, QSize size)
{
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary) return {kMargin, kMargin};
    const QRect area = primary->availableGeometry();
    const int left = area.left() + kMargin;
    const int right = area.right() + 1 - kMargin - size.width();
    const int top = area.top() + kMargin;
    const int bottom = area.bottom() + 1 - kMargin - size.height();
    QPoint place;
    switch (window) {
    case FirstPlace::Clock:
        place = {right, top};
        break;
    case FirstPlace::Calendar:
        place = {right, bottom};
        break;
    case FirstPlace::Sticker:
        place = {left, top};
        break;
    }
    // A screen too small for the margins still shows the window's top left corner.
    return {qMax(area.left(), place.x()), qMax(area.top(), place.y())};
}

} // namespace zarvo
