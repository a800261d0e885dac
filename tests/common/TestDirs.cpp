#include "TestDirs.h"

#include <QDir>
#include <QFile>

TestDirs::TestDirs()
{
    QDir().mkpath(configHome());
    QDir().mkpath(dataHome());
    QDir().mkpath(runtimeDir());
    QFile::setPermissions(runtimeDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_CONFIG_HOME", configHome().toUtf8());
    qputenv("XDG_DATA_HOME", dataHome().toUtf8());
    qputenv("XDG_RUNTIME_DIR", runtimeDir().toUtf8());
}
