// Every name a save puts in place (the settings file, the events file, its backup, a damaged file
// kept aside) is followed by a sync of its folder: until then a power cut may lose the rename.
// The test runs its own binary under strace and reads the system calls it made.
#include "EventRows.h"
#include "EventStore.h"
#include "SettingsStore.h"
#include "TestDirs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

#include <sqlite3.h>

#include <cstring>

using namespace zarvo;

namespace {

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// An events file with one row that cannot be read whole (its date is no day).
QByteArray mendableFile(const QString& scratch)
{
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(scratch).constData(), &db);
    sqlite3_exec(
        db,
        "PRAGMA user_version = 1; CREATE TABLE events (RowNo INTEGER PRIMARY KEY, EvName TEXT, "
        "EvDate TEXT); INSERT INTO events VALUES (1, 'one', '2026-12-10'), (2, 'two', '2026-02-30');",
        nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return readFile(scratch);
}

// The saves of a run of the program, in a folder given by the test: run under strace.
int saveEverything(const QString& root)
{
    SettingsStore settings(root + QStringLiteral("/config/settings.reg"), [] {});
    Settings s;
    settings.LoadSettings(s); // creates the file
    settings.SaveParameters(s);

    const QString data = root + QStringLiteral("/data");
    EventStore events(data);
    EvTable table;
    table.replaceAll(makeEventRows(3, QStringLiteral("D")));
    if (!events.SaveEvents(table) || !events.SaveBackup(table)) return 1;

    const QString file = events.path(EventStore::EventsFile);
    if (!writeFile(file, "not an events file")) return 1;
    events.LoadEvents(table); // renamed aside
    if (!writeFile(file, readFile(root + QStringLiteral("/mendable.dat")))) return 1;
    events.LoadEvents(table); // copied aside, then rewritten
    return table.RecordCount() == 1 ? 0 : 1;
}

struct Call
{
    QString name;
    QStringList paths; // the quoted arguments
    QString args;
    qint64 result = -1;
};

QList<Call> readTrace(const QByteArray& log)
{
    static const QRegularExpression line(QStringLiteral("^\\d+\\s+(\\w+)\\((.*)\\)\\s+=\\s+(-?\\d+)"));
    static const QRegularExpression quoted(QStringLiteral("\"((?:[^\"\\\\]|\\\\.)*)\""));
    QList<Call> calls;
    for (const QByteArray& raw : log.split('\n')) {
        const auto m = line.match(QString::fromUtf8(raw));
        if (!m.hasMatch()) continue;
        Call c{m.captured(1), {}, m.captured(2), m.captured(3).toLongLong()};
        for (auto q = quoted.globalMatch(c.args); q.hasNext();)
            c.paths << q.next().captured(1);
        calls << c;
    }
    return calls;
}

// The name a call put in place, if it is one of ours: the target of a rename or link, or a file
// created exclusively.
QString placedName(const Call& c, const QRegularExpression& ours)
{
    if (c.result != 0 && !(c.name == u"openat" && c.result > 0)) return {};
    QString name;
    if (c.name.startsWith(u"rename") || c.name == u"linkat")
        name = c.paths.value(c.paths.size() - 1);
    else if (c.name == u"openat" && c.args.contains(u"O_CREAT") && c.args.contains(u"O_EXCL"))
        name = c.paths.value(0);
    return ours.match(name).hasMatch() ? name : QString();
}

} // namespace

class TestDurableSaves : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void everyPlacedNameIsFollowedByAFolderSync()
    {
        const QString strace = QStandardPaths::findExecutable(QStringLiteral("strace"));
        QVERIFY2(!strace.isEmpty(), "strace is needed (tools/deps.sh installs it)");
        TestDirs dirs;
        const QString root = dirs.root();
        QVERIFY(writeFile(root + QStringLiteral("/mendable.dat"),
                          mendableFile(root + QStringLiteral("/scratch"))));
        const QString log = root + QStringLiteral("/trace");
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // The leak checker of a sanitizer build cannot run under ptrace; the other tests cover it.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("ASAN_OPTIONS"),
                   env.value(QStringLiteral("ASAN_OPTIONS")) + QStringLiteral(":detect_leaks=0"));
        p.setProcessEnvironment(env);
        p.start(strace,
                {QStringLiteral("-f"), QStringLiteral("-s"), QStringLiteral("4096"), QStringLiteral("-o"),
                 log, QStringLiteral("-e"),
                 QStringLiteral("trace=openat,fsync,fdatasync,close,rename,renameat,renameat2,linkat"),
                 QCoreApplication::applicationFilePath(), QStringLiteral("--save"), root});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 0);

        const QRegularExpression ours(
            QStringLiteral("/(settings\\.reg|zarvo\\.dat|rb\\.dat|zarvo\\.dat\\.damaged-[-0-9]+)$"));
        const QList<Call> calls = readTrace(readFile(log));
        QStringList placed, unsynced;
        for (qsizetype i = 0; i < calls.size(); ++i) {
            const QString name = placedName(calls[i], ours);
            if (name.isEmpty()) continue;
            placed << QFileInfo(name).fileName().section(u'-', 0, 0);
            const QString folder = QFileInfo(name).absolutePath();
            // Before another name goes in: the folder opened, and that descriptor synced. (The
            // same name put in place again, as a new file's placeholder is replaced by its
            // content, is covered by the sync that follows.)
            bool synced = false;
            QString folderFd;
            for (qsizetype j = i + 1; j < calls.size() && !synced; ++j) {
                const Call& c = calls[j];
                const QString next = placedName(c, ours);
                if (!next.isEmpty() && next != name) break;
                if (c.name == u"openat" && c.paths.value(0) == folder && c.args.contains(u"O_DIRECTORY") &&
                    c.result >= 0)
                    folderFd = QString::number(c.result);
                else if (c.name == u"fsync" && c.args == folderFd && c.result == 0)
                    synced = true;
            }
            if (!synced) unsynced << name;
        }
        QCOMPARE(unsynced, QStringList{});
        // The first start's settings file (made empty, then filled) and its rewrite, the events
        // file, the backup, the damaged file moved aside, the file with a bad row copied aside and
        // the events file rewritten without that row.
        QCOMPARE(placed, (QStringList{"settings.reg", "settings.reg", "settings.reg", "zarvo.dat", "rb.dat",
                                      "zarvo.dat.damaged", "zarvo.dat.damaged", "zarvo.dat"}));
    }
};

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--save") == 0) {
        QCoreApplication app(argc, argv);
        return saveEverything(QString::fromLocal8Bit(argv[2]));
    }
    QCoreApplication app(argc, argv);
    TestDurableSaves test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_durablesaves.moc"
