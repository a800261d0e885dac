#include "FakeClock.h"
#include "NetTestUtil.h"
#include "ScriptedServer.h"
#include "net/NMTime.h"

#include <QTest>

using namespace zarvo;

class TestNMTime : public QObject
{
    Q_OBJECT
private slots:
    void timeStr_data();
    void timeStr();
    void eraNearestTheClock_data();
    void eraNearestTheClock();
    void failures_data();
    void failures();
};

void TestNMTime::timeStr_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QString>("text");
    QTest::newRow("2000-01-01 midnight") << QByteArray("\xBC\x17\xC2\x00", 4) << "00:00:00";
    QTest::newRow("2000-01-01 12:30:45") << QByteArray("\xBC\x18\x71\xF5", 4) << "12:30:45";
    // Split over two packets: the four bytes are awaited, not the first two taken alone.
    QTest::newRow("in two packets") << QByteArray("\xBC\x18|\x71\xF5", 5) << "12:30:45";
}

void TestNMTime::timeStr()
{
    QFETCH(QByteArray, answer);
    QFETCH(QString, text);
    ScriptedServer server;
    server.onAccept = [answer](QTcpSocket* s) {
        const QList<QByteArray> parts = answer.split('|');
        s->write(parts[0]);
        s->flush();
        if (parts.size() > 1)
            QTimer::singleShot(50, s, [s, p = parts[1]] {
                s->write(p);
                s->disconnectFromHost();
            });
        else
            s->disconnectFromHost();
    };
    FakeClock clock(QDateTime(QDate(2000, 1, 1), QTime(12, 0), Qt::UTC));
    TNMTime time(&clock);
    time.Host = QStringLiteral("127.0.0.1");
    time.Port = server.port();
    QCOMPARE(time.TimeStr(), text);
    QVERIFY(!time.Connected());
    QCOMPARE(server.received(), QByteArray()); // the client never sends
}

void TestNMTime::eraNearestTheClock_data()
{
    QTest::addColumn<QDateTime>("server");
    QTest::addColumn<QDateTime>("clock");
    const QDateTime y2000(QDate(2000, 1, 1), QTime(12, 30, 45), Qt::UTC);
    const QDateTime y2040(QDate(2040, 6, 1), QTime(10, 0, 0), Qt::UTC);
    QTest::newRow("2000") << y2000 << y2000.addSecs(3600);
    QTest::newRow("2040, after the wrap") << y2040 << y2040.addSecs(-90);
    QTest::newRow("just before the wrap, clock just after")
        << QDateTime(QDate(2036, 2, 7), QTime(6, 28, 10), Qt::UTC)
        << QDateTime(QDate(2036, 2, 7), QTime(6, 28, 20), Qt::UTC);
    QTest::newRow("clock a year off") << y2040 << y2040.addYears(-1);
}

void TestNMTime::eraNearestTheClock()
{
    QFETCH(QDateTime, server);
    QFETCH(QDateTime, clock);
    const quint32 count = quint32(server.toSecsSinceEpoch() + 2208988800LL);
    QCOMPARE(TNMTime::instantOf(count, clock), server);
}

void TestNMTime::failures_data()
{
    QTest::addColumn<int>("behaviour");
    QTest::addColumn<int>("minMs");
    QTest::newRow("refused: the time-out is waited out") << 0 << 280;
    QTest::newRow("silent after accept") << 1 << 280;
    QTest::newRow("closes without an answer") << 2 << 0;
    QTest::newRow("two bytes, then closes") << 3 << 0;
}

void TestNMTime::failures()
{
    QFETCH(int, behaviour);
    QFETCH(int, minMs);
    ScriptedServer server;
    server.onAccept = [behaviour](QTcpSocket* s) {
        if (behaviour == 3) s->write("\xBC\x18", 2);
        if (behaviour >= 2) s->disconnectFromHost();
    };
    TNMTime time;
    time.Host = QStringLiteral("127.0.0.1");
    time.Port = behaviour == 0 ? refusedPort() : server.port();
    time.TimeOut = 300;
    qint64 ms = 0;
    QCOMPARE(timedFailureOf([&] { time.TimeStr(); }, ms), QStringLiteral("general|Connection Timedout"));
    QVERIFY2(ms >= minMs && ms < 900, qPrintable(QString::number(ms)));
    QVERIFY(!time.Connected());
}

QTEST_GUILESS_MAIN(TestNMTime)
#include "tst_nmtime.moc"
