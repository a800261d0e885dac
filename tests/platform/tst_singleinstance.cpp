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
    }
    void lockPathFollowsTheRuntimeDir()
    {
        QFETCH(QString, runtimeDir);
        QFETCH(bool, inRuntimeDir);
        if (runtimeDir == QLatin1String("<ok>")) runtimeDir = m_dirs->runtimeDir();
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
                                              : QStringLiteral("/tmp/ZARVO_MUTEX-%1").arg(::getuid());
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
        SingleInstance lock;
        QVERIFY(!lock.tryAcquire());
    }

private:
    static int runTry()
    {
        QProcess p;
        p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--try")});
        if (!p.waitForFinished(5000)) return -1;
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
