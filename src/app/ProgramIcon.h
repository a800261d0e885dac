#pragma once

#include <QIcon>

namespace zarvo {

// The program's icon, normal or crossed out while events are disabled: the pictures compiled
// into the program at every size of the icon theme (sharp at any display scale), under the name
// of the installed theme icon ("com.pelmark.Zarvo", "com.pelmark.Zarvo-disabled") when the
// theme has it, so that a tray host can draw the theme's own icon at the size it needs.
QIcon programIcon(bool disabled = false);

// The theme icon name of the program's icon.
QString programIconName(bool disabled = false);

} // namespace zarvo
