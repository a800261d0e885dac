#include "platform/XdgPaths.h"

#include <QDir>
#include <QtTest>

class TestXdgPaths : public QObject
{
    Q_OBJECT
private slots:
    // Read at each call, since tests and the program's own children change them.
    void followTheEnvironment_data()
    {
        QTest::addColumn<QByteArray>("value"); // empty: unset
        QTest::addColumn<QString>("configFile");
        QTest::addColumn<QString>("dataDir");
        const QString home = QDir::homePath();
        QTest::newRow("set") << QByteArray("/x/y") << "/x/y/zarvo/settings.reg"
                             << "/x/y/zarvo";
        QTest::newRow("unset") << QByteArray() << home + "/.config/zarvo/settings.reg"
                               << home + "/.local/share/zarvo";
        QTest::newRow("relative is ignored")
            << QByteArray("rel") << home + "/.config/zarvo/settings.reg" << home + "/.local/share/zarvo";
    }
    void followTheEnvironment()
    {
        QFETCH(QByteArray, value);
        QFETCH(QString, configFile);
        QFETCH(QString, dataDir);
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
            if (value.isEmpty())
                qunsetenv(name);
            else
                qputenv(name, value);
        }
        QCOMPARE(zarvo::settingsFilePath(), configFile);
        QCOMPARE(zarvo::eventsDir(), dataDir);
    }
};

QTEST_GUILESS_MAIN(TestXdgPaths)
#include "tst_xdgpaths.moc"
