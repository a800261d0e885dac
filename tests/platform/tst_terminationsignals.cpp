#include "platform/TerminationSignals.h"

#include <QProcess>
#include <QtTest>

#include <csignal>

using zarvo::TerminationSignals;

class TestTerminationSignals : public QObject
{
    Q_OBJECT
private slots:
    void signalBecomesRequest_data()
    {
        QTest::addColumn<int>("sig");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
    }
    void signalBecomesRequest()
    {
        QFETCH(int, sig);
        TerminationSignals term;
        QSignalSpy spy(&term, &TerminationSignals::terminationRequested);
        QCOMPARE(::raise(sig), 0);
        QVERIFY(spy.wait(2000));
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.first().first().toInt(), sig);
    }

    // A blocked signal stays blocked across fork and exec: a program started from here must
    // get the default mask back, or it could not be ended with SIGTERM or Ctrl+C.
    void startedProgramsCanBeEnded()
    {
        TerminationSignals term;
        QProcess p;
        p.setChildProcessModifier(&TerminationSignals::unblockInChild);
        p.start(QStringLiteral("/bin/sh"),
                {QStringLiteral("-c"), QStringLiteral("grep SigBlk /proc/self/status")});
        QVERIFY(p.waitForFinished(5000));
        const QByteArray line = p.readAllStandardOutput().trimmed();
        bool ok = false;
        const qulonglong mask = line.mid(line.indexOf(':') + 1).trimmed().toULongLong(&ok, 16);
        QVERIFY2(ok, line.constData());
        QCOMPARE(mask & (1ull << (SIGTERM - 1)), 0ull);
        QCOMPARE(mask & (1ull << (SIGINT - 1)), 0ull);
    }
};

QTEST_GUILESS_MAIN(TestTerminationSignals)
#include "tst_terminationsignals.moc"
