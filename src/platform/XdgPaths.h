#pragma once

#include <QString>
#include <QStringList>

namespace zarvo {

// The program's reverse-DNS id: the name of its desktop entry, metainfo and theme icons, and of
// its autostart entry.
inline QString applicationId()
{
    return QStringLiteral("com.pelmark.Zarvo");
}

// $XDG_CONFIG_HOME/zarvo/settings.reg (default ~/.config/zarvo/settings.reg)
QString settingsFilePath();
// $XDG_DATA_HOME/zarvo (default ~/.local/share/zarvo)
QString eventsDir();
// $XDG_STATE_HOME/zarvo/handled (default ~/.local/state/zarvo/handled): up to when the events
// were dealt with when the program last ran.
QString handledUpToFile();

// The base folders themselves, read from the environment at each call. A relative or empty
// value is invalid and ignored, as the base-directory rules say.
QString xdgConfigHome();     // default ~/.config
QString xdgDataHome();       // default ~/.local/share
QStringList xdgConfigDirs(); // default /etc/xdg
QStringList xdgDataDirs();   // default /usr/local/share, /usr/share

} // namespace zarvo
