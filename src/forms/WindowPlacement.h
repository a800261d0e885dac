#pragma once

#include <QPoint>
#include <QSize>

namespace zarvo {

// Where a window of `size` stored at `topLeft` is to be shown: the stored place when enough of
// the window falls on some screen to be seen and grabbed, else the nearest place inside the
// primary screen's available area (a monitor may have been removed since the place was saved).
QPoint placeOnScreen(QPoint topLeft, QSize size);

} // namespace zarvo
