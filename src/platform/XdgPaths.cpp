#include "platform/XdgPaths.h"

#include <QDir>

namespace zarvo {

namespace {

// A relative or empty value of an XDG variable is invalid and must be ignored.
QString xdgDir(const char* variable, const QString& fallbackUnderHome)
{
    const QString value = qEnvironmentVariable(variable);
    if (!value.isEmpty() && QDir::isAbsolutePath(value)) return QDir::cleanPath(value);
    return QDir::homePath() + QLatin1Char('/') + fallbackUnderHome;
}

} // namespace

QString settingsFilePath()
{
    return xdgDir("XDG_CONFIG_HOME", QStringLiteral(".config")) + QStringLiteral("/zarvo/settings.reg");
}

QString eventsDir()
{
    return xdgDir("XDG_DATA_HOME", QStringLiteral(".local/share")) + QStringLiteral("/zarvo");
}

QString handledUpToFile()
{
    return xdgDir("XDG_STATE_HOME", QStringLiteral(".local/state")) + QStringLiteral("/zarvo/handled");
}

} // namespace zarvo
