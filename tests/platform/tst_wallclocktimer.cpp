#include "platform/WallClockTimer.h"

#include <QtTest>

using zarvo::WallClockTimer;

class TestWallClockTimer : public QObject
{
    Q_OBJECT
private slots:
    void firesAtTheMoment_data()
    {
        QTest::addColumn<int>("aheadMs");
        QTest::newRow("300 ms ahead") << 300;
        QTest::newRow("already past") << -1000;
    }
    void firesAtTheMoment()
    {
        QFETCH(int, aheadMs);
        WallClockTimer timer;
        QVERIFY(timer.isValid());
        qint64 firedAt = 0;
        connect(&timer, &WallClockTimer::fired, this, [&] { firedAt = QDateTime::currentMSecsSinceEpoch(); });
        const qint64 armedAt = QDateTime::currentMSecsSinceEpoch();
        const qint64 moment = armedAt + aheadMs;
        timer.armAt(QDateTime::fromMSecsSinceEpoch(moment));
        QTRY_VERIFY_WITH_TIMEOUT(firedAt != 0, 2000);
        const qint64 late = firedAt - qMax(moment, armedAt);
        QVERIFY2(late >= 0 && late < 30, qPrintable(QStringLiteral("%1 ms late").arg(late)));
    }

    // Arming again replaces the moment; an invalid moment leaves nothing to fire.
    void armingAgainReplaces_data()
    {
        QTest::addColumn<int>("secondAheadMs"); // -1: invalid
        QTest::newRow("later") << 400;
        QTest::newRow("disarmed") << -1;
    }
    void armingAgainReplaces()
    {
        QFETCH(int, secondAheadMs);
        WallClockTimer timer;
        QList<qint64> fires;
        connect(&timer, &WallClockTimer::fired, this,
                [&] { fires.append(QDateTime::currentMSecsSinceEpoch()); });
        const qint64 start = QDateTime::currentMSecsSinceEpoch();
        timer.armAt(QDateTime::fromMSecsSinceEpoch(start + 200));
        timer.armAt(secondAheadMs < 0 ? QDateTime() : QDateTime::fromMSecsSinceEpoch(start + secondAheadMs));
        QTest::qWait(600);
        if (secondAheadMs < 0) {
            QVERIFY(fires.isEmpty());
        } else {
            QCOMPARE(fires.size(), 1);
            QVERIFY(fires.first() >= start + secondAheadMs);
        }
    }
};

QTEST_GUILESS_MAIN(TestWallClockTimer)
#include "tst_wallclocktimer.moc"
