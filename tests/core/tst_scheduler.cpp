#include "SchedulerRig.h"

#include "core/LocalTime.h"

#include <QtTest>

#include <ctime>

using namespace zarvo;

namespace {
QDateTime at(int y, int mo, int d, int h, int mi, int s = 0, int ms = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms));
}
const QDate Today(2026, 12, 10);
} // namespace

class TestScheduler : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void alarmElements();
    void selection_data();
    void selection();
    void monthRule_data();
    void monthRule();
    void dailyEventFiresEveryDayAndMovesOn();
    void alarmOnEarlierDaysDoesNothing();
    void oneOffEventsAreDeletedOrSpent();
    void neighboursOneSecondApartBothFire();
    void disabledEventsNeitherSelectNorFire();
    void firingFinishesWithTheEventItStarted();
    void firingFindsItsRowAfterEarlierRowsWereDeleted();
    void firingWhilePropertiesOpenFollowsTheRow();
    void shutdownSavesBeforeTheRequest();
    void mailboxLine();
    void midnightEvent();
    void springForwardGapFiresOnceAfterTheGap();
    void fallBackRepeatedHourFiresOnce();
    void systemTimeSteps();
    void startupMessages_data();
    void startupMessages();
    void startupMessagesSoundAndOrder();
};

void TestScheduler::initTestCase()
{
    // A zone with both daylight-saving changes, whatever the machine's own zone is.
    qputenv("TZ", "Europe/Berlin");
    tzset();
    QVERIFY(hasOffsetChange(QDate(2026, 3, 29)));
    QVERIFY(!hasOffsetChange(QDate(2026, 3, 30)));
}

void TestScheduler::alarmElements()
{
    FakeClock clock(at(2026, 12, 10, 12, 0));
    ClockAlarm alarm(clock);
    QCOMPARE(alarm.alarmTime(), QTime(0, 0));
    alarm.SetAlarmElement(1, 23);
    alarm.SetAlarmElement(2, 59);
    alarm.SetAlarmElement(3, 58);
    alarm.SetAlarmElement(4, 7); // no such element: nothing happens
    QCOMPARE(alarm.alarmTime(), QTime(23, 59, 58));
    QCOMPARE(alarm.GetAlarmElement(2), 59);
    QCOMPARE(alarm.GetAlarmElement(0), 0);
    QVERIFY(alarm.waiting()); // rule W runs on every change, enabled or not
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, alarm.SetAlarmElement(1, 24));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, alarm.SetAlarmElement(3, 60));
    QCOMPARE(alarm.alarmTime(), QTime(23, 59, 58));
    alarm.SetAlarmElement(1, 11);
    QVERIFY(!alarm.waiting());
    QVERIFY(!alarm.nextAlarmMoment().isValid()); // off
    alarm.setAlarmEnabled(true);
    QCOMPARE(alarm.nextAlarmMoment(), at(2026, 12, 11, 11, 59, 58));
}

void TestScheduler::selection_data()
{
    QTest::addColumn<QStringList>("rows"); // "name|date offset days|hh:mm:ss|type"
    QTest::addColumn<QTime>("now");
    QTest::addColumn<QString>("chosen"); // empty: alarm off
    QTest::addColumn<QTime>("alarmTime");

    QTest::newRow("empty table") << QStringList{} << QTime(12, 0) << QString() << QTime();
    QTest::newRow("only start-up messages")
        << QStringList{"s|0|13:00:00|4", "t|1|09:00:00|4"} << QTime(12, 0) << QString() << QTime();
    QTest::newRow("exactly now is not the future") << QStringList{"now|0|12:00:00|0", "later|0|12:00:01|0"}
                                                   << QTime(12, 0) << "later" << QTime(12, 0, 1);
    QTest::newRow("tie goes to the first row")
        << QStringList{"a|0|15:00:00|0", "b|0|15:00:00|0"} << QTime(12, 0) << "a" << QTime(15, 0);
    QTest::newRow("earliest date before earliest time")
        << QStringList{"late|2|01:00:00|0", "soon|1|23:00:00|0"} << QTime(12, 0) << "soon" << QTime(23, 0);
    QTest::newRow("tomorrow at an earlier time of day")
        << QStringList{"past|0|11:00:00|0", "tomorrow|1|08:00:00|1"} << QTime(12, 0) << "tomorrow"
        << QTime(8, 0);
    QTest::newRow("past events are never chosen")
        << QStringList{"yesterday|-1|13:00:00|0", "earlier|0|11:59:59|0"} << QTime(12, 0) << QString()
        << QTime();
    QTest::newRow("milliseconds count")
        << QStringList{"a|0|12:00:00|0"} << QTime(11, 59, 59, 999) << "a" << QTime(12, 0);
    QTest::newRow("midnight tomorrow")
        << QStringList{"m|1|00:00:00|2", "later|1|00:00:01|0"} << QTime(23, 59) << "m" << QTime(0, 0);
    QTest::newRow("unknown type is still an event")
        << QStringList{"odd|0|13:00:00|9"} << QTime(12, 0) << "odd" << QTime(13, 0);
}

void TestScheduler::selection()
{
    QFETCH(QStringList, rows);
    QFETCH(QTime, now);
    QFETCH(QString, chosen);
    QFETCH(QTime, alarmTime);

    SchedulerRig rig(QDateTime(Today, now));
    for (const QString& line : rows) {
        const QStringList f = line.split('|');
        rig.add(f[0], Today.addDays(f[1].toInt()), QTime::fromString(f[2], Qt::ISODate), f[3].toInt());
    }
    rig.alarm.setAlarmEnabled(true); // must be switched off when nothing is chosen
    rig.scheduler.SelectNextEvent();

    QCOMPARE(rig.alarm.AlarmEnabled(), !chosen.isEmpty());
    if (chosen.isEmpty()) return;
    const int index = rig.indexOf(chosen);
    const EventRecord& r = rig.table.row(index);
    QCOMPARE(rig.scheduler.next().NextRow, index + 1);
    QCOMPARE(rig.scheduler.next().NextDate, r.EvDate);
    QCOMPARE(rig.scheduler.next().NextText, chosen + " - " + longTimeText(r.EvTime));
    QCOMPARE(rig.alarm.alarmTime(), alarmTime);
    // Waiting only when the time of day is still ahead today.
    QCOMPARE(rig.alarm.waiting(), alarmTime > now || alarmTime == QTime(0, 0));
}

void TestScheduler::monthRule_data()
{
    QTest::addColumn<QDate>("from");
    QTest::addColumn<int>("months");
    QTest::addColumn<QDate>("to");
    QTest::newRow("31 Jan leap year") << QDate(1996, 1, 31) << 1 << QDate(1996, 2, 29);
    QTest::newRow("31 Jan common year") << QDate(1997, 1, 31) << 1 << QDate(1997, 2, 28);
    QTest::newRow("clamped day stays") << QDate(1996, 2, 29) << 1 << QDate(1996, 3, 29);
    QTest::newRow("12 from 29 Feb") << QDate(1996, 2, 29) << 12 << QDate(1997, 2, 28);
    QTest::newRow("13 carries the year twice") << QDate(1996, 12, 15) << 13 << QDate(1998, 1, 15);
    QTest::newRow("1 carries the year") << QDate(1996, 12, 15) << 1 << QDate(1997, 1, 15);
    QTest::newRow("2000 is a leap year") << QDate(2000, 1, 30) << 1 << QDate(2000, 2, 29);
    QTest::newRow("2100 is not") << QDate(2100, 1, 30) << 1 << QDate(2100, 2, 28);
    QTest::newRow("zero") << QDate(2026, 5, 31) << 0 << QDate(2026, 5, 31);
}

void TestScheduler::monthRule()
{
    QFETCH(QDate, from);
    QFETCH(int, months);
    QFETCH(QDate, to);
    QCOMPARE(AddMonths(from, months), to);
}

void TestScheduler::dailyEventFiresEveryDayAndMovesOn()
{
    SchedulerRig rig(at(1996, 2, 27, 8, 0));
    rig.add("Daily", QDate(1996, 2, 27), QTime(9, 0), EvNotification, 1);
    rig.add("Monthly", QDate(1996, 1, 31), QTime(10, 0), EvNotification, 0, 1); // spent: in the past
    rig.add("Both", QDate(1996, 2, 28), QTime(11, 0), EvNotification, 3, 2);    // days win
    rig.settings.SoundFile = "/sounds/default.wav";
    rig.scheduler.SelectNextEvent();

    rig.runTo(at(1996, 3, 1, 12, 0));
    QCOMPARE(rig.lines,
             (QStringList{"Daily - " + longTimeText(QTime(9, 0)), "Daily - " + longTimeText(QTime(9, 0)),
                          "Both - " + longTimeText(QTime(11, 0)), "Daily - " + longTimeText(QTime(9, 0)),
                          "Daily - " + longTimeText(QTime(9, 0))}));
    QCOMPARE(rig.dateOf("Daily"), QDate(1996, 3, 2)); // through 29 February
    QCOMPARE(rig.dateOf("Both"), QDate(1996, 3, 2));
    QCOMPARE(rig.dateOf("Monthly"), QDate(1996, 1, 31)); // passed over, never advanced
    QCOMPARE(rig.sounds.size(), 5);
    QCOMPARE(rig.sounds.first(), QStringLiteral("/sounds/default.wav"));
    // Every firing saves the three groups, and the saved table already holds the new date.
    QCOMPARE(rig.savedTables.size(), 5);
    QCOMPARE(rig.parameterSaves, 5);
    QCOMPARE(rig.windowSaves, 5);
    QCOMPARE(rig.savedTables.last().at(0).EvDate, QDate(1996, 3, 2));
}

void TestScheduler::alarmOnEarlierDaysDoesNothing()
{
    SchedulerRig rig(at(2026, 12, 10, 8, 0));
    rig.add("Later", QDate(2026, 12, 13), QTime(9, 30));
    rig.scheduler.SelectNextEvent();
    int offDays = 0;
    connect(&rig.alarm, &ClockAlarm::OnAlarm, [&] { ++offDays; });
    rig.runTo(at(2026, 12, 12, 23, 0));
    QCOMPARE(offDays, 3); // today, tomorrow and the day after, at 9:30
    QVERIFY(rig.lines.isEmpty());
    QVERIFY(rig.savedTables.isEmpty());
    QVERIFY(rig.alarm.AlarmEnabled());
    rig.runTo(at(2026, 12, 13, 10, 0));
    QCOMPARE(rig.lines.size(), 1);
    QCOMPARE(rig.savedTables.size(), 1);
    QVERIFY(!rig.alarm.AlarmEnabled()); // nothing left in the future
}

void TestScheduler::oneOffEventsAreDeletedOrSpent()
{
    for (bool deleteEvents : {false, true}) {
        SchedulerRig rig(at(2026, 12, 10, 8, 0));
        rig.settings.DeleteEvents = deleteEvents;
        rig.add("Before", Today, QTime(7, 0));
        rig.add("A", Today, QTime(9, 0));
        rig.add("B", Today, QTime(9, 0, 1));
        rig.add("After", Today.addDays(1), QTime(7, 0));
        rig.scheduler.SelectNextEvent();
        rig.runTo(at(2026, 12, 10, 10, 0));
        QCOMPARE(rig.lines.size(), 2);
        if (deleteEvents) {
            // Adjacent rows both go; each deletion is saved before the next selection.
            QCOMPARE(rig.table.RecordCount(), 2);
            QCOMPARE(rig.settings.EvNum, 2);
            QCOMPARE(rig.table.row(0).EvName, QStringLiteral("Before"));
            QCOMPARE(rig.table.row(1).EvName, QStringLiteral("After"));
            QCOMPARE(rig.savedTables.at(0).size(), 3);
            QCOMPARE(rig.scheduler.next().NextRow, 2);
        } else {
            QCOMPARE(rig.table.RecordCount(), 4);
            QCOMPARE(rig.settings.EvNum, 4);
            QCOMPARE(rig.dateOf("A"), Today);
        }
        QCOMPARE(rig.alarm.alarmTime(), QTime(7, 0));
    }
}

void TestScheduler::neighboursOneSecondApartBothFire()
{
    SchedulerRig rig(at(2026, 12, 10, 8, 0));
    rig.add("First", Today, QTime(9, 0, 0), EvNotification, 1);
    rig.add("Second", Today, QTime(9, 0, 1), EvNotification, 1);
    rig.add("Tie", Today, QTime(9, 0, 1), EvNotification, 1); // same moment: passed over
    rig.scheduler.SelectNextEvent();
    rig.runTo(at(2026, 12, 10, 9, 5));
    QCOMPARE(rig.lines.size(), 2);
    QVERIFY(rig.lines.at(1).startsWith("Second - "));
    QCOMPARE(rig.dateOf("Tie"), Today);
    QCOMPARE(rig.dateOf("Second"), Today.addDays(1));
}

void TestScheduler::disabledEventsNeitherSelectNorFire()
{
    SchedulerRig rig(at(2026, 12, 10, 8, 0));
    rig.add("Old", Today, QTime(8, 30), EvNotification, 1);
    rig.scheduler.SelectNextEvent();
    rig.add("New", Today, QTime(8, 15), EvNotification, 1);
    rig.settings.Disable = true;
    rig.scheduler.SelectNextEvent(); // does nothing: still armed for Old
    QCOMPARE(rig.alarm.alarmTime(), QTime(8, 30));
    rig.runTo(at(2026, 12, 10, 9, 0));
    QVERIFY(rig.lines.isEmpty());
    QCOMPARE(rig.dateOf("Old"), Today);
    rig.settings.Disable = false; // "Enable": only the future counts
    rig.scheduler.SelectNextEvent();
    QVERIFY(!rig.alarm.AlarmEnabled());
}

void TestScheduler::firingFinishesWithTheEventItStarted()
{
    SchedulerRig rig(at(2026, 12, 10, 8, 0));
    rig.add("Mail", Today, QTime(9, 0), EvCheckMailbox, 1);
    rig.add("Other", Today, QTime(9, 30), EvNotification, 1);
    rig.mailCount = 3;
    rig.scheduler.SelectNextEvent();
    // While the mailbox is asked, the Properties dialog closes and selects anew.
    rig.duringAction = [&] {
        rig.add("Inserted", Today, QTime(9, 10));
        rig.scheduler.SelectNextEvent();
    };
    rig.runTo(at(2026, 12, 10, 9, 1));
    QCOMPARE(rig.lines, QStringList{"Mail - " + longTimeText(QTime(9, 0)) + " New messages:3"});
    QCOMPARE(rig.dateOf("Mail"), Today.addDays(1));
    QCOMPARE(rig.dateOf("Inserted"), Today);
    QCOMPARE(rig.scheduler.next().NextText, "Inserted - " + longTimeText(QTime(9, 10)));
}

void TestScheduler::firingFindsItsRowAfterEarlierRowsWereDeleted()
{
    SchedulerRig rig(at(2026, 12, 10, 8, 0));
    rig.add("x", Today.addDays(-5), QTime(1, 0));
    rig.add("y", Today.addDays(-5), QTime(1, 0));
    rig.add("Target", Today, QTime(9, 0), EvNotification, 7);
    rig.scheduler.SelectNextEvent();
    QCOMPARE(rig.scheduler.next().NextRow, 3);
    rig.table.First(); // the dialog removes the two rows before it
    rig.table.Delete();
    rig.table.Delete();
    rig.runTo(at(2026, 12, 10, 9, 1));
    QCOMPARE(rig.table.RecordCount(), 1);
    QCOMPARE(rig.dateOf("Target"), Today.addDays(7));

    // A fired row that is gone altogether: the firing still saves and selects.
    rig.table.First();
    rig.scheduler.SelectNextEvent();
    rig.table.Delete();
    rig.runTo(at(2026, 12, 17, 9, 1));
    QCOMPARE(rig.table.RecordCount(), 0);
    QCOMPARE(rig.savedTables.size(), 2);
}

void TestScheduler::firingWhilePropertiesOpenFollowsTheRow()
{
    SchedulerRig rig(at(2026, 12, 10, 8, 0));
    rig.settings.DeleteEvents = true;
    rig.propertiesOpen = true;
    rig.add("One", Today, QTime(9, 0));
    rig.add("Two", Today, QTime(9, 1));
    int scrolls = 0;
    connect(&rig.table, &EvTable::AfterScroll, [&] { ++scrolls; });
    rig.scheduler.SelectNextEvent();
    rig.runTo(at(2026, 12, 10, 9, 0, 30));
    QVERIFY(scrolls > 0);
    QCOMPARE(rig.showCurrentCalls, 1);
    rig.runTo(at(2026, 12, 10, 9, 2));
    QCOMPARE(rig.noEventsCalls, 1);
    QCOMPARE(rig.table.RecordCount(), 0);
}

void TestScheduler::shutdownSavesBeforeTheRequest()
{
    SchedulerRig rig(at(2026, 12, 10, 8, 0));
    rig.add("Off", Today, QTime(9, 0), EvShutdown, 0, 1);
    rig.table.First();
    rig.table.setFieldValue(Field::EvShutType, ShutPowerOff);
    rig.table.Post();
    rig.scheduler.SelectNextEvent();
    rig.runTo(at(2026, 12, 10, 9, 1));
    // The advanced date was saved before the request was made, exactly once.
    QCOMPARE(rig.actions, QStringList{"shutdown:2 saved-date:2027-01-10"});
    QCOMPARE(rig.savedTables.size(), 1);
    QCOMPARE(rig.dateOf("Off"), QDate(2027, 1, 10));
    QVERIFY(rig.alarm.AlarmEnabled()); // the next selection ran after the request
}

void TestScheduler::mailboxLine()
{
    for (int count : {0, 3}) {
        SchedulerRig rig(at(2026, 12, 10, 8, 0));
        rig.settings.SoundFile = "default.wav";
        rig.add("Mail", Today, QTime(9, 0), EvCheckMailbox, 1);
        rig.table.First();
        rig.table.setFieldValue(Field::EvCS, "own.wav");
        rig.table.Post();
        rig.mailCount = count;
        rig.scheduler.SelectNextEvent();
        rig.runTo(at(2026, 12, 10, 9, 1));
        QCOMPARE(rig.scheduler.NewMailCount, count);
        QCOMPARE(rig.lines.size(), count ? 1 : 0);
        QCOMPARE(rig.sounds, count ? QStringList{"own.wav"} : QStringList{});
        QCOMPARE(rig.dateOf("Mail"), Today.addDays(1)); // moved on either way
    }
}

void TestScheduler::midnightEvent()
{
    SchedulerRig rig(at(2026, 12, 10, 22, 0));
    rig.add("Midnight", Today.addDays(1), QTime(0, 0), EvNotification, 1);
    rig.scheduler.SelectNextEvent();
    QVERIFY(rig.alarm.waiting());
    QDateTime firedAt;
    connect(&rig.alarm, &ClockAlarm::OnAlarm, [&] { firedAt = rig.clock.now(); });
    rig.runTo(at(2026, 12, 11, 0, 0, 0, 500));
    QCOMPARE(rig.lines.size(), 1);
    QVERIFY(firedAt <= at(2026, 12, 11, 0, 0, 1));
    QCOMPARE(rig.dateOf("Midnight"), Today.addDays(2));
}

void TestScheduler::springForwardGapFiresOnceAfterTheGap()
{
    // Europe/Berlin: on 29 March 2026 the clock goes from 01:59:59 to 03:00:00.
    SchedulerRig rig(at(2026, 3, 29, 1, 0));
    rig.add("In the gap", QDate(2026, 3, 29), QTime(2, 30), EvNotification, 1);
    rig.add("After", QDate(2026, 3, 29), QTime(3, 0, 30), EvNotification, 1);
    rig.scheduler.SelectNextEvent();
    QDateTime firedAt;
    connect(&rig.alarm, &ClockAlarm::OnAlarm, [&] {
        if (!firedAt.isValid()) firedAt = rig.clock.now();
    });
    rig.runTo(at(2026, 3, 29, 4, 0));
    QCOMPARE(firedAt, at(2026, 3, 29, 3, 0));
    QCOMPARE(rig.lines.size(), 2);
    QCOMPARE(rig.dateOf("In the gap"), QDate(2026, 3, 30));
    QCOMPARE(rig.dateOf("After"), QDate(2026, 3, 30));
    rig.runTo(at(2026, 3, 30, 3, 0));
    QCOMPARE(rig.lines.size(), 3); // the next day at 02:30 as usual
}

void TestScheduler::fallBackRepeatedHourFiresOnce()
{
    // Europe/Berlin: on 25 October 2026 the clock goes from 02:59:59 summer time back to
    // 02:00:00 winter time, so 02:30 happens twice.
    SchedulerRig rig(at(2026, 10, 25, 1, 0));
    rig.add("Daily", QDate(2026, 10, 25), QTime(2, 30), EvNotification, 1);
    rig.add("Once", QDate(2026, 10, 25), QTime(2, 40));
    rig.scheduler.SelectNextEvent();
    const QDateTime firstPass = occurrence(QDate(2026, 10, 25), QTime(2, 0));
    rig.runTo(firstPass.addSecs(3600 + 20 * 60)); // 02:20 winter time, the second pass
    QCOMPARE(rig.lines.size(), 2);
    // Closing the Properties dialog in the second pass must not arm the spent "Once" again.
    rig.scheduler.SelectNextEvent();
    QCOMPARE(rig.scheduler.next().NextDate, QDate(2026, 10, 26));
    rig.runTo(firstPass.addSecs(2 * 3600 + 10 * 60)); // 03:10 winter time
    QCOMPARE(rig.lines.size(), 2);
    QCOMPARE(rig.dateOf("Daily"), QDate(2026, 10, 26));
}

void TestScheduler::systemTimeSteps()
{
    SchedulerRig rig(at(2026, 12, 10, 8, 0));
    rig.add("Daily", Today, QTime(9, 0), EvNotification, 1);
    rig.scheduler.SelectNextEvent();
    // The clock is set forward over the alarm: it is passed over, not fired late.
    rig.clock.set(at(2026, 12, 10, 9, 30));
    rig.alarm.Check();
    QVERIFY(rig.lines.isEmpty());
    QCOMPARE(rig.dateOf("Daily"), Today);
    // Set back to before it: it fires when its moment comes.
    rig.clock.set(at(2026, 12, 10, 8, 50));
    rig.alarm.Check();
    rig.runTo(at(2026, 12, 10, 9, 0, 1));
    QCOMPARE(rig.lines.size(), 1);
    // A step that lands inside the alarm's minute fires at once.
    rig.runTo(at(2026, 12, 11, 8, 0));
    rig.clock.set(at(2026, 12, 11, 9, 0, 40));
    rig.alarm.Check();
    QCOMPARE(rig.lines.size(), 2);
}

void TestScheduler::startupMessages_data()
{
    QTest::addColumn<bool>("interval");
    QTest::addColumn<QTime>("begin");
    QTest::addColumn<QTime>("end");
    QTest::addColumn<QTime>("start");
    QTest::addColumn<int>("recDays");
    QTest::addColumn<bool>("deleteEvents");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<QString>("after"); // "advanced", "deleted" or "unchanged"

    const QTime nine(9, 0), five(17, 0);
    QTest::newRow("no window") << false << nine << five << QTime(3, 0) << 1 << false << true << "advanced";
    QTest::newRow("before the window")
        << true << nine << five << QTime(8, 30) << 1 << false << false << "unchanged";
    QTest::newRow("inside") << true << nine << five << QTime(9, 15) << 1 << false << true << "advanced";
    QTest::newRow("end included") << true << nine << five << five << 1 << false << true << "advanced";
    QTest::newRow("after, recurring")
        << true << nine << five << QTime(18, 0) << 1 << false << false << "advanced";
    QTest::newRow("after, one-off deleted")
        << true << nine << five << QTime(18, 0) << 0 << true << false << "deleted";
    QTest::newRow("after, one-off kept")
        << true << nine << five << QTime(18, 0) << 0 << false << false << "unchanged";
    QTest::newRow("shown one-off deleted")
        << false << nine << five << QTime(10, 0) << 0 << true << true << "deleted";
    const QTime ten(22, 0), two(2, 0);
    QTest::newRow("22-02 at 01:00") << true << ten << two << QTime(1, 0) << 1 << false << false
                                    << "unchanged";
    QTest::newRow("22-02 at 03:00") << true << ten << two << QTime(3, 0) << 1 << false << false << "advanced";
    QTest::newRow("22-02 at 23:00") << true << ten << two << QTime(23, 0) << 1 << false << false
                                    << "advanced";
}

void TestScheduler::startupMessages()
{
    QFETCH(bool, interval);
    QFETCH(QTime, begin);
    QFETCH(QTime, end);
    QFETCH(QTime, start);
    QFETCH(int, recDays);
    QFETCH(bool, deleteEvents);
    QFETCH(bool, shown);
    QFETCH(QString, after);

    SchedulerRig rig(QDateTime(Today, start));
    rig.settings.DeleteEvents = deleteEvents;
    rig.settings.Disable = true; // start-up messages do not care
    rig.add("Timed", Today, QTime(23, 59), EvNotification);
    rig.add("Hello", Today, QTime(0, 0), EvStartupMessage, recDays);
    rig.table.Last();
    rig.table.setFieldValue(Field::EvInterval, interval);
    rig.table.setFieldValue(Field::EvIntBTime, begin);
    rig.table.setFieldValue(Field::EvIntETime, end);
    rig.table.Post();

    rig.scheduler.RunStartupMessages();
    QCOMPARE(rig.lines, shown ? QStringList{"Hello"} : QStringList{});
    QCOMPARE(rig.table.state(), EvTable::State::Browse);
    if (after == "deleted") {
        QCOMPARE(rig.indexOf("Hello"), -1);
        QCOMPARE(rig.settings.EvNum, 1);
        QCOMPARE(rig.savedTables.size(), 1);
    } else {
        QCOMPARE(rig.dateOf("Hello"), after == "advanced" ? Today.addDays(1) : Today);
        QVERIFY(rig.savedTables.isEmpty()); // a moved date waits for the next save
    }
    QCOMPARE(rig.dateOf("Timed"), Today);
}

void TestScheduler::startupMessagesSoundAndOrder()
{
    SchedulerRig rig(at(2026, 12, 10, 10, 0));
    rig.settings.SoundFile = "default.wav";
    rig.settings.DeleteEvents = true;
    rig.add("One", Today, QTime(0, 0), EvStartupMessage);
    rig.add("Two", Today, QTime(0, 0), EvStartupMessage);
    rig.add("Keep", Today.addDays(1), QTime(0, 0), EvStartupMessage);
    rig.add("Three", Today, QTime(0, 0), EvStartupMessage, 2);
    rig.table.First();
    rig.table.setFieldValue(Field::EvCS, "own.wav"); // never played for start-up messages
    rig.table.Post();
    rig.scheduler.RunStartupMessages();
    QCOMPARE(rig.lines, (QStringList{"One", "Two", "Three"}));
    QCOMPARE(rig.sounds, QStringList{"default.wav"});
    QCOMPARE(rig.table.RecordCount(), 2);
    QCOMPARE(rig.settings.EvNum, 2);
    QCOMPARE(rig.dateOf("Three"), Today.addDays(2));

    // Show off, Sound on: no line, but the sound, and the rows still move on.
    SchedulerRig quiet(at(2026, 12, 10, 10, 0));
    quiet.settings.Show = false;
    quiet.settings.SoundFile = "default.wav";
    quiet.add("Silent", Today, QTime(0, 0), EvStartupMessage, 1);
    quiet.scheduler.RunStartupMessages();
    QVERIFY(quiet.lines.isEmpty());
    QCOMPARE(quiet.sounds, QStringList{"default.wav"});
    QCOMPARE(quiet.dateOf("Silent"), Today.addDays(1));
}

QTEST_GUILESS_MAIN(TestScheduler)
#include "tst_scheduler.moc"
