#pragma once

#include <QString>

namespace zarvo {

// $XDG_CONFIG_HOME/zarvo/settings.reg (default ~/.config/zarvo/settings.reg)
QString settingsFilePath();
// $XDG_DATA_HOME/zarvo (default ~/.local/share/zarvo)
QString eventsDir();
// $XDG_STATE_HOME/zarvo/handled (default ~/.local/state/zarvo/handled): up to when the events
// were dealt with when the program last ran.
QString handledUpToFile();

} // namespace zarvo
