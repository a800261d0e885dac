#include "platform/Autostart.h"
#include "platform/DesktopDefaults.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using zarvo::Autostart;

namespace {

const QByteArray kSystemEntry = "[Desktop Entry]\nType=Application\nName=Zarvo!\nExec=zarvo\n";

// What a folder holds: nothing, the package's entry, or an entry that starts nothing.
enum class Entry
{
    None,
    Starts,
    Hidden,
    SwitchedOff, // the GNOME session's own switch
    Damaged,     // no entry group at all
};

QByteArray entryText(Entry e)
{
    switch (e) {
    case Entry::Starts:
        return kSystemEntry;
    case Entry::Hidden:
        return kSystemEntry + "Hidden=true\n";
    case Entry::SwitchedOff:
        return kSystemEntry + "X-GNOME-Autostart-enabled=false\n";
    case Entry::Damaged:
        return "Exec=zarvo\n";
    case Entry::None:
        break;
    }
    return {};
}

// A user's configuration folder and two system ones, as XDG_CONFIG_DIRS lists them.
struct Folders
{
    QTemporaryDir dir;
    QString user() const { return dir.path() + "/home"; }
    QStringList system() const { return {dir.path() + "/sys1", dir.path() + "/sys2"}; }
    QString userEntry() const { return user() + "/autostart/" + Autostart::entryName(); }

    void put(const QString& configDir, Entry e) const
    {
        if (e == Entry::None) return;
        QDir().mkpath(configDir + "/autostart");
        QFile f(configDir + "/autostart/" + Autostart::entryName());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(entryText(e));
    }
    Autostart autostart(const QString& program = "/usr/bin/zarvo") const
    {
        return Autostart(user(), system(), program);
    }
    QByteArray userText() const
    {
        QFile f(userEntry());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

} // namespace

Q_DECLARE_METATYPE(Entry)

class TestAutostart : public QObject
{
    Q_OBJECT
private slots:
    // The user's entry, when there is one, decides; else the first system folder that has one.
    void readsTheFiles_data()
    {
        QTest::addColumn<Entry>("user");
        QTest::addColumn<Entry>("sys1");
        QTest::addColumn<Entry>("sys2");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("nothing installed") << Entry::None << Entry::None << Entry::None << false;
        QTest::newRow("package entry") << Entry::None << Entry::Starts << Entry::None << true;
        QTest::newRow("package entry in a later folder")
            << Entry::None << Entry::None << Entry::Starts << true;
        QTest::newRow("first folder hides the later")
            << Entry::None << Entry::Hidden << Entry::Starts << false;
        QTest::newRow("switched off by the session")
            << Entry::None << Entry::SwitchedOff << Entry::None << false;
        QTest::newRow("user hides the package") << Entry::Hidden << Entry::Starts << Entry::None << false;
        QTest::newRow("user's own entry") << Entry::Starts << Entry::None << Entry::None << true;
        QTest::newRow("user's own over a hidden package")
            << Entry::Starts << Entry::Hidden << Entry::None << true;
        QTest::newRow("damaged user entry starts nothing")
            << Entry::Damaged << Entry::Starts << Entry::None << false;
    }
    void readsTheFiles()
    {
        QFETCH(Entry, user);
        QFETCH(Entry, sys1);
        QFETCH(Entry, sys2);
        QFETCH(bool, enabled);
        Folders f;
        f.put(f.user(), user);
        f.put(f.system()[0], sys1);
        f.put(f.system()[1], sys2);
        QCOMPARE(f.autostart().enabled(), enabled);
    }

    // Each change leaves the least behind: the package's entry alone where it says what the
    // user wants, else the user's override; and the files then read as asked.
    void writesOrRemovesTheOverride_data()
    {
        QTest::addColumn<Entry>("user");
        QTest::addColumn<Entry>("system");
        QTest::addColumn<bool>("on");
        QTest::addColumn<QByteArray>("userFile"); // "" absent, "hidden", "own"
        QTest::newRow("off under the package")
            << Entry::None << Entry::Starts << false << QByteArray("hidden");
        QTest::newRow("on again under the package")
            << Entry::Hidden << Entry::Starts << true << QByteArray("");
        QTest::newRow("on without a package") << Entry::None << Entry::None << true << QByteArray("own");
        QTest::newRow("off without a package") << Entry::Starts << Entry::None << false << QByteArray("");
        QTest::newRow("on although the package is hidden")
            << Entry::None << Entry::Hidden << true << QByteArray("own");
        QTest::newRow("off over a damaged entry")
            << Entry::Damaged << Entry::Starts << false << QByteArray("hidden");
    }
    void writesOrRemovesTheOverride()
    {
        QFETCH(Entry, user);
        QFETCH(Entry, system);
        QFETCH(bool, on);
        QFETCH(QByteArray, userFile);
        Folders f;
        f.put(f.user(), user);
        f.put(f.system()[0], system);
        Autostart a = f.autostart("/opt/Zarvo Build/zarvo");
        QVERIFY(a.setEnabled(on));
        QCOMPARE(a.enabled(), on);
        const QByteArray text = f.userText();
        if (userFile.isEmpty()) {
            QVERIFY(!QFile::exists(f.userEntry()));
        } else if (userFile == "hidden") {
            QVERIFY(text.contains("\nHidden=true\n"));
        } else {
            QVERIFY(!text.contains("Hidden"));
            const auto words = zarvo::DesktopDefaults::execWords(f.userEntry());
            QVERIFY(words);
            QCOMPARE(*words, QStringList{"/opt/Zarvo Build/zarvo"});
        }
        // The system's files are never touched.
        QCOMPARE(QFile::exists(f.system()[0] + "/autostart/" + Autostart::entryName()),
                 system != Entry::None);
    }

    void reportsWhatCannotBeWritten()
    {
        Folders f;
        f.put(f.system()[0], Entry::Starts);
        QDir().mkpath(f.user());
        QFile blocker(f.user() + "/autostart"); // a file where the folder should be
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        Autostart a = f.autostart();
        QVERIFY(!a.setEnabled(false));
        QVERIFY(a.enabled());
    }

    // Whatever the program's path holds, the entry starts exactly that file.
    void execArgumentRoundTrip_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("written"); // empty: only the round trip is checked
        QTest::newRow("plain") << "/usr/bin/zarvo"
                               << "/usr/bin/zarvo";
        QTest::newRow("blank") << "/opt/My Apps/zarvo"
                               << "\"/opt/My Apps/zarvo\"";
        QTest::newRow("percent") << "/opt/100%/zarvo"
                                 << "/opt/100%%/zarvo";
        QTest::newRow("shell characters") << "/opt/a$b`c\"d\\e;f/zarvo" << QString();
        QTest::newRow("quote and tilde") << "/home/u/~it's/zarvo" << QString();
    }
    void execArgumentRoundTrip()
    {
        QFETCH(QString, program);
        QFETCH(QString, written);
        const QString arg = zarvo::desktopExecArgument(program);
        if (!written.isEmpty()) QCOMPARE(arg, written);
        QTemporaryDir dir;
        QFile f(dir.path() + "/e.desktop");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Desktop Entry]\nType=Application\nName=x\nExec=" + arg.toUtf8() + "\n");
        f.close();
        const auto words = zarvo::DesktopDefaults::execWords(f.fileName());
        QVERIFY(words);
        QCOMPARE(zarvo::DesktopDefaults::withoutFieldCodes(*words), QStringList{program});
    }

    void pathsThatCannotBeWritten()
    {
        QVERIFY(zarvo::desktopExecArgument("/opt/new\nline/zarvo").isEmpty());
        QVERIFY(zarvo::desktopExecArgument(QString()).isEmpty());
        Folders f;
        QVERIFY(!f.autostart("/opt/new\nline/zarvo").setEnabled(true));
        QVERIFY(!QFile::exists(f.userEntry()));
    }
};

QTEST_GUILESS_MAIN(TestAutostart)
#include "tst_autostart.moc"
