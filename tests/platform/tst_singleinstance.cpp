#include "TestDirs.h"
#include "platform/SingleInstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtTest>

#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

using zarvo::SingleInstance;

// The same binary, started with one of these arguments, plays the other copy of the program.
static int childMain(const char* mode)
{
    SingleInstance lock;
    if (std::strcmp(mode, "--try") == 0) return lock.tryAcquire() ? 0 : 1;
    if (!lock.tryAcquire()) return 2;
    std::puts("held");
    std::fflush(stdout);
    for (;;)
        ::pause(); // held until killed
}

class TestSingleInstance : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_dirs = std::make_unique<TestDirs>(); }
    void cleanup() { m_dirs.reset(); }

    void secondCopyIsKeptOutUntilTheHolderDies()
    {
        QProcess holder;
        holder.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--hold")});
        QVERIFY(holder.waitForReadyRead(5000));
        QCOMPARE(holder.readAll().trimmed(), QByteArray("held"));

        SingleInstance lock;
        QVERIFY(!lock.tryAcquire());

        holder.kill();
        QVERIFY(holder.waitForFinished(5000));
        QVERIFY(lock.tryAcquire());
        struct stat st
        {
        };
        QCOMPARE(::stat(QFile::encodeName(SingleInstance::lockPath()).constData(), &st), 0);
        QCOMPARE(st.st_mode & 0777, 0600u);

        QCOMPARE(runTry(), 1);
        lock.release();
        QCOMPARE(runTry(), 0);
    }

    void lockPathFollowsTheRuntimeDir_data()
    {
        QTest::addColumn<QString>("runtimeDir"); // "<ok>": the test's own; "<foreign>": another user's
        QTest::addColumn<bool>("inRuntimeDir");
        QTest::newRow("private folder") << "<ok>" << true;
        QTest::newRow("unset") << QString() << false;
        QTest::newRow("relative") << "runtime" << false;
        QTest::newRow("missing") << "/nonexistent/zarvo-runtime" << false;
        QTest::newRow("not ours") << "<foreign>" << false;
        QTest::newRow("open to others") << "<open>" << false;
    }
    void lockPathFollowsTheRuntimeDir()
    {
        QFETCH(QString, runtimeDir);
        QFETCH(bool, inRuntimeDir);
        if (runtimeDir == QLatin1String("<ok>")) runtimeDir = m_dirs->runtimeDir();
        if (runtimeDir == QLatin1String("<open>")) {
            runtimeDir = m_dirs->runtimeDir();
            QVERIFY(QFile::setPermissions(runtimeDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                          QFile::WriteOther | QFile::ExeOther));
        }
        if (runtimeDir == QLatin1String("<foreign>")) {
            runtimeDir = QStringLiteral("/");
            if (::getuid() == 0) {
                runtimeDir = m_dirs->root() + QStringLiteral("/foreign");
                QVERIFY(QDir().mkpath(runtimeDir));
                QCOMPARE(::chown(QFile::encodeName(runtimeDir).constData(), 65534, 65534), 0);
            }
        }
        if (runtimeDir.isNull())
            qunsetenv("XDG_RUNTIME_DIR");
        else
            qputenv("XDG_RUNTIME_DIR", runtimeDir.toUtf8());
        const QString expected = inRuntimeDir ? runtimeDir + QStringLiteral("/ZARVO_MUTEX")
                                              : QStringLiteral("/tmp/zarvo-%1/ZARVO_MUTEX").arg(::getuid());
        QCOMPARE(SingleInstance::lockPath(), expected);
    }

    // A file someone else planted where the lock goes must not let them hold us off, nor make
    // us write through a link.
    void refusesAPlantedFile_data()
    {
        QTest::addColumn<bool>("symlink");
        QTest::newRow("symbolic link") << true;
        QTest::newRow("other owner") << false;
    }
    void refusesAPlantedFile()
    {
        QFETCH(bool, symlink);
        const QString path = SingleInstance::lockPath();
        const QString target = m_dirs->root() + QStringLiteral("/target");
        QFile t(target);
        QVERIFY(t.open(QIODevice::WriteOnly));
        t.close();
        if (symlink) {
            QVERIFY(QFile::link(target, path));
        } else {
            if (::getuid() != 0) QSKIP("needs root to give a file away");
            QVERIFY(QFile::copy(target, path));
            QCOMPARE(::chown(QFile::encodeName(path).constData(), 65534, 65534), 0);
        }
        QByteArray said;
        QCOMPARE(runTry(&said), 1);
        QCOMPARE(said, "zarvo: not starting: " + QFile::encodeName(path) +
                           (symlink ? " is a symbolic link, not this user's lock file\n"
                                    : " is not this user's own lock file\n"));
    }

    // Without a runtime folder the lock goes to a folder of the user's own under /tmp, where
    // anyone may make files. Each case runs as nobody in a mount namespace of its own with an
    // empty /tmp, in which root first plants what the row says ($d is nobody's lock folder).
    void fallbackFolderCannotBePlanted_data()
    {
        QTest::addColumn<QString>("plant");
        QTest::addColumn<bool>("acquired");
        QTest::addColumn<QString>("named"); // in the one stderr line; empty: nothing is said
        QTest::addColumn<QString>("mode");  // of $d afterwards
        const QString d = QStringLiteral("/tmp/zarvo-65534");
        const QString lock = d + QStringLiteral("/ZARVO_MUTEX");
        const QString ours = QStringLiteral("mkdir -m 700 $d && chown 65534 $d");
        QTest::newRow("nothing there") << QString() << true << QString() << "700";
        QTest::newRow("the old lock name planted")
            << "touch /tmp/ZARVO_MUTEX-65534 && chmod 644 /tmp/ZARVO_MUTEX-65534" << true << QString()
            << "700";
        QTest::newRow("another user's folder") << "mkdir -m 755 $d" << false << d << "755";
        QTest::newRow("a link as the folder")
            << "mkdir -m 700 /tmp/x && chown 65534 /tmp/x && ln -s /tmp/x $d" << false << d << "777";
        QTest::newRow("another user's lock file")
            << ours + " && touch $d/ZARVO_MUTEX" << false << lock << "700";
        QTest::newRow("a link as the lock file")
            << ours + " && ln -s /tmp/elsewhere $d/ZARVO_MUTEX" << false << lock << "700";
        QTest::newRow("our folder open to all") << ours + " && chmod 777 $d" << true << QString() << "700";
        QTest::newRow("our folder open to all, a file planted in it")
            << ours + " && chmod 777 $d && touch $d/ZARVO_MUTEX" << false << lock << "700";
    }
    void fallbackFolderCannotBePlanted()
    {
        QFETCH(QString, plant);
        QFETCH(bool, acquired);
        QFETCH(QString, named);
        QFETCH(QString, mode);
        if (::getuid() != 0) QSKIP("needs root for a mount namespace and another user");
        const QString script =
            // The binary is kept open before /tmp is covered: it may itself live under /tmp.
            QStringLiteral(
                "set -e; exec 9<\"$0\"; mount -t tmpfs -o mode=1777 none /tmp; d=/tmp/zarvo-65534; %1\n"
                "rc=0; env -u XDG_RUNTIME_DIR setpriv --reuid=65534 --regid=65534 --clear-groups "
                "/proc/self/fd/9 --try 2>/tmp/said || rc=$?\n"
                "echo \"rc=$rc mode=$(stat -c %a $d)\"; cat /tmp/said")
                .arg(plant.isEmpty() ? QStringLiteral(":") : plant);
        QProcess p;
        p.start(QStringLiteral("unshare"),
                {QStringLiteral("--mount"), QStringLiteral("sh"), QStringLiteral("-c"), script,
                 QCoreApplication::applicationFilePath()});
        QVERIFY(p.waitForFinished(10000));
        const QList<QByteArray> lines = p.readAllStandardOutput().split('\n');
        if (p.exitCode() != 0 && lines.first().isEmpty())
            QSKIP(qPrintable(QStringLiteral("no mount namespace here: ") + p.readAllStandardError()));
        QCOMPARE(lines.first(), QStringLiteral("rc=%1 mode=%2").arg(acquired ? 0 : 1).arg(mode).toUtf8());
        const QByteArray said = lines.mid(1).join('\n');
        if (named.isEmpty()) {
            QCOMPARE(said, QByteArray());
        } else {
            QCOMPARE(said.count('\n'), 1); // one line (and the empty rest after it)
            QVERIFY2(said.startsWith("zarvo: not starting: " + named.toUtf8() + ' '), said.constData());
        }
    }

private:
    static int runTry(QByteArray* said = nullptr)
    {
        QProcess p;
        p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--try")});
        if (!p.waitForFinished(5000)) return -1;
        if (said) *said = p.readAllStandardError();
        return p.exitCode();
    }
    std::unique_ptr<TestDirs> m_dirs;
};

int main(int argc, char** argv)
{
    if (argc == 2 && (std::strcmp(argv[1], "--hold") == 0 || std::strcmp(argv[1], "--try") == 0))
        return childMain(argv[1]);
    QCoreApplication app(argc, argv);
    TestSingleInstance test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_singleinstance.moc"
