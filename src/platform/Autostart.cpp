#include "Autostart.h"

#include "KeyFile.h"
#include "XdgPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace zarvo {

namespace {

// An entry starts its program unless it is hidden or switched off; a file without an entry
// group starts nothing.
bool entryStarts(const QString& path)
{
    const auto groups = KeyFile::read(path);
    const auto entry = groups.constFind(QStringLiteral("Desktop Entry"));
    if (entry == groups.cend()) return false;
    if (entry->value(QStringLiteral("Hidden")) == QStringLiteral("true")) return false;
    // The switch that the GNOME session's settings write instead of removing the entry.
    return entry->value(QStringLiteral("X-GNOME-Autostart-enabled")) != QStringLiteral("false");
}

const QByteArray kHiddenEntry = QByteArrayLiteral("[Desktop Entry]\n"
                                                  "Type=Application\n"
                                                  "Name=Zarvo!\n"
                                                  "Exec=zarvo\n"
                                                  "Hidden=true\n");

} // namespace

QString Autostart::entryName()
{
    return applicationId() + QStringLiteral(".desktop");
}

Autostart::Autostart() : Autostart(xdgConfigHome(), xdgConfigDirs(), QCoreApplication::applicationFilePath())
{
}

Autostart::Autostart(const QString& userConfigDir, const QStringList& systemConfigDirs,
                     const QString& program)
    : m_userDir(userConfigDir), m_systemDirs(systemConfigDirs), m_program(program)
{
}

QString Autostart::userEntryPath() const
{
    return m_userDir + QStringLiteral("/autostart/") + entryName();
}

QString Autostart::systemEntryPath() const
{
    // The first folder that has the entry decides, as for every autostart entry.
    for (const QString& dir : m_systemDirs) {
        const QString path = dir + QStringLiteral("/autostart/") + entryName();
        if (QFileInfo::exists(path)) return path;
    }
    return {};
}

bool Autostart::enabled() const
{
    const QString user = userEntryPath();
    if (QFileInfo::exists(user)) return entryStarts(user);
    const QString system = systemEntryPath();
    return !system.isEmpty() && entryStarts(system);
}

bool Autostart::setEnabled(bool on)
{
    const QString system = systemEntryPath();
    const bool systemStarts = !system.isEmpty() && entryStarts(system);
    const QString user = userEntryPath();
    if (on == systemStarts) {
        // The system's entry says what the user wants: the user's own has nothing to add.
        return !QFileInfo::exists(user) || QFile::remove(user);
    }
    if (!on) return writeUserEntry(kHiddenEntry);
    // No system entry starts the program (not installed as a package, or switched off for every
    // user): the user's own entry starts this very program.
    const QString exec = desktopExecArgument(m_program);
    if (exec.isEmpty()) return false;
    return writeUserEntry(QByteArrayLiteral("[Desktop Entry]\n"
                                            "Type=Application\n"
                                            "Name=Zarvo!\n"
                                            "Comment=Starts the alarm scheduler at login\n"
                                            "Exec=") +
                          exec.toUtf8() +
                          QByteArrayLiteral("\n"
                                            "Icon=com.pelmark.Zarvo\n"
                                            "Terminal=false\n"
                                            "NoDisplay=true\n"));
}

bool Autostart::writeUserEntry(const QByteArray& text) const
{
    if (!QDir().mkpath(m_userDir + QStringLiteral("/autostart"))) return false;
    QSaveFile file(userEntryPath());
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(text);
    return file.commit();
}

QString desktopExecArgument(const QString& program)
{
    if (program.isEmpty()) return {};
    bool reserved = false;
    for (const QChar c : program) {
        // A control character cannot be carried by a one-line value.
        if (c.unicode() < 0x20 || c.unicode() == 0x7f) return {};
        if (QStringLiteral(" \t\"'\\><~|&;$*?#()`").contains(c)) reserved = true;
    }
    QString quoted;
    if (reserved) {
        quoted += u'"';
        for (const QChar c : program) {
            if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') quoted += u'\\';
            quoted += c;
        }
        quoted += u'"';
    } else {
        quoted = program;
    }
    // The key file's own escape comes on top of the quoting: every backslash is written twice.
    quoted.replace(u'\\', QStringLiteral("\\\\"));
    quoted.replace(u'%', QStringLiteral("%%"));
    return quoted;
}

} // namespace zarvo
