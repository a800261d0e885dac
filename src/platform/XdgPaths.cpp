#include "platform/XdgPaths.h"

#include <QDir>

namespace zarvo {

namespace {

QString xdgDir(const char* variable, const QString& fallbackUnderHome)
{
    const QString value = qEnvironmentVariable(variable);
    if (!value.isEmpty() && QDir::isAbsolutePath(value)) return QDir::cleanPath(value);
    return QDir::homePath() + QLatin1Char('/') + fallbackUnderHome;
}

QStringList xdgDirList(const char* variable, const QStringList& fallback)
{
    QStringList dirs;
    for (const QString& d : qEnvironmentVariable(variable).split(u':', Qt::SkipEmptyParts))
        if (QDir::isAbsolutePath(d)) dirs << QDir::cleanPath(d);
    return dirs.isEmpty() ? fallback : dirs;
}

} // namespace

QString xdgConfigHome()
{
    return xdgDir("XDG_CONFIG_HOME", QStringLiteral(".config"));
}

QString xdgDataHome()
{
    return xdgDir("XDG_DATA_HOME", QStringLiteral(".local/share"));
}

QStringList xdgConfigDirs()
{
    return xdgDirList("XDG_CONFIG_DIRS", {QStringLiteral("/etc/xdg")});
}

QStringList xdgDataDirs()
{
    return xdgDirList("XDG_DATA_DIRS", {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")});
}

QString settingsFilePath()
{
    return xdgConfigHome() + QStringLiteral("/zarvo/settings.reg");
}

QString eventsDir()
{
    return xdgDataHome() + QStringLiteral("/zarvo");
}

QString handledUpToFile()
{
    return xdgDir("XDG_STATE_HOME", QStringLiteral(".local/state")) + QStringLiteral("/zarvo/handled");
}

} // namespace zarvo
