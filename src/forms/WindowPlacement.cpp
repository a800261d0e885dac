#include "WindowPlacement.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>

namespace zarvo {

namespace {
constexpr int kGrabbable = 10; // pixels of the window that must show, in each direction
}

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

} // namespace zarvo
