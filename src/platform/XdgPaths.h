#pragma once

#include <QString>

namespace zarvo {

// $XDG_CONFIG_HOME/zarvo/settings.reg (default ~/.config/zarvo/settings.reg)
QString settingsFilePath();
// $XDG_DATA_HOME/zarvo (default ~/.local/share/zarvo)
QString eventsDir();

} // namespace zarvo
