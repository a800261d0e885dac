#pragma once

#include <QString>
#include <QStringList>

namespace zarvo {

// Finds a named event sound ("alarm-clock-elapsed") the way the freedesktop sound themes lay
// them out: the desktop's theme, the themes it inherits, then "freedesktop", then sounds kept
// outside any theme; in each, the stereo directories first, the user's language before the
// others, and the name shortened at its last '-' when nothing has the whole name.
namespace SoundTheme {

struct Found
{
    QString file;          // the sound file; empty when nothing has the sound
    bool disabled = false; // the theme has silenced this sound on purpose
};

struct Places
{
    QStringList baseDirs; // folders holding the themes, e.g. /usr/share/sounds
    QString theme;        // the desktop's theme; empty for none
    QString locale;       // the language of messages, e.g. "de_DE@euro"; empty for none
};

// Where this user's desktop keeps its sounds: $XDG_DATA_HOME/sounds and each of
// $XDG_DATA_DIRS/sounds, the theme named in the GTK or KDE settings, LC_MESSAGES.
Places desktopPlaces();

Found find(const QString& name, const Places& places);

// "theme:NAME" names the sound NAME of the desktop's theme.
inline QString themePrefix()
{
    return QStringLiteral("theme:");
}

} // namespace SoundTheme

} // namespace zarvo
