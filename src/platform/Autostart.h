#pragma once

#include <QString>
#include <QStringList>

namespace zarvo {

// Starting at login, by the XDG autostart rules: a desktop entry in the "autostart" folder of a
// configuration folder starts its program at login, and an entry of the same name in the user's
// own folder ($XDG_CONFIG_HOME/autostart) takes the place of the system's; with Hidden=true it
// switches the program off for that user alone. The package installs the system entry
// (/etc/xdg/autostart); this class only writes or removes the user's.
class Autostart
{
public:
    // The file name of both entries, the system's and the user's.
    static QString entryName();

    // The folders named by the environment, and the running program for a user entry of its own.
    Autostart();
    Autostart(const QString& userConfigDir, const QStringList& systemConfigDirs, const QString& program);

    // Whether the program starts at the next login, as the files say now.
    bool enabled() const;
    // Makes it start at login, or not: removes the user's entry where the system's one is enough,
    // else writes one (a full entry, or one that hides the system's). False when the file could
    // not be written or removed; nothing else is touched.
    bool setEnabled(bool on);

    QString userEntryPath() const;

private:
    // The system's entry that applies when the user has none; empty when there is none.
    QString systemEntryPath() const;
    bool writeUserEntry(const QByteArray& text) const;

    QString m_userDir;
    QStringList m_systemDirs;
    QString m_program;
};

// The program path as one argument of a desktop entry's Exec key: quoted where it holds a
// reserved character, with the escapes the quoting and the key file need, and "%" doubled.
// Empty for a path that cannot be written on one line.
QString desktopExecArgument(const QString& program);

} // namespace zarvo
