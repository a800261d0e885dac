#pragma once

#include <QString>
#include <QTemporaryDir>

// A fresh private folder per test: XDG_CONFIG_HOME, XDG_DATA_HOME and XDG_RUNTIME_DIR point
// inside it for as long as the object lives.
class TestDirs
{
public:
    TestDirs();
    QString root() const { return m_dir.path(); }
    QString configHome() const { return m_dir.path() + QStringLiteral("/config"); }
    QString dataHome() const { return m_dir.path() + QStringLiteral("/data"); }
    QString runtimeDir() const { return m_dir.path() + QStringLiteral("/runtime"); }

private:
    QTemporaryDir m_dir;
};
