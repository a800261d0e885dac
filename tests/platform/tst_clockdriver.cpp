#include "core/ClockAlarm.h"
#include "platform/ClockDriver.h"
#include "platform/SystemClock.h"

#include <QtTest>

using namespace zarvo;

class TestClockDriver : public QObject
{
    Q_OBJECT
private slots:
    // The tick is made too slow to matter: only the precise timer can be on time.
    void alarmGoesOffAtItsSecond()
    {
        SystemClock clock;
        ClockAlarm alarm(clock);
        ClockDriver driver(alarm, 60000);
        driver.start();

        const QDateTime target = QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch() + 2);
        qint64 wentOffAt = 0;
        int count = 0;
        connect(&alarm, &ClockAlarm::OnAlarm, this, [&] {
            if (count++ == 0) wentOffAt = QDateTime::currentMSecsSinceEpoch();
        });
        alarm.SetAlarmElement(1, target.time().hour());
        alarm.SetAlarmElement(2, target.time().minute());
        alarm.SetAlarmElement(3, target.time().second());
        alarm.setAlarmEnabled(true); // armed after start(): the driver follows armingChanged
        QTRY_VERIFY_WITH_TIMEOUT(wentOffAt != 0, 4000);
        const qint64 late = wentOffAt - target.toMSecsSinceEpoch();
        QVERIFY2(late >= 0 && late < 30, qPrintable(QStringLiteral("%1 ms late").arg(late)));

        // Gone off once, it must not go off again for the same second.
        QTest::qWait(300);
        QCOMPARE(count, 1);
    }
};

QTEST_GUILESS_MAIN(TestClockDriver)
#include "tst_clockdriver.moc"
