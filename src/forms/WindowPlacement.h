#pragma once

#include <QPoint>
#include <QSize>

namespace zarvo {

// Where a window of `size` stored at `topLeft` is to be shown: the stored place when enough of
// the window falls on some screen to be seen and grabbed, else the nearest place inside the
// primary screen's available area (a monitor may have been removed since the place was saved).
QPoint placeOnScreen(QPoint topLeft, QSize size);

// Where the desktop windows go on the first start, when no place has been stored: apart from
// each other on the primary screen, the clock in its top right corner, the calendar in the
// bottom right one (near where the tray usually is), the sticker note in the top left one.
// `size` includes the window's frame.
enum class FirstPlace
{
    Clock,
    Calendar,
    Sticker
};
QPoint firstPlace(FirstPlace window, QSize size);

} // namespace zarvo
