#include "SchedulerRig.h"

#include "core/ClockAlarm.h"
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
    void eventDaysAheadWaitsForItsMoment();
    void oneOffEventsAreDeletedOrSpent();
    void neighboursAndTiesAllFire();
    void disabledEventsNeitherSelectNorFire();
    void firingFinishesWithTheEventItStarted();
    void firingFindsItsRowAfterEarlierRowsWereDeleted();
    void firingLeavesTheCursorAndEditsAlone();
    void missedOccurrencesMoveOn_data();
    void missedOccurrencesMoveOn();
    void missedRemindersAtStart();
    void stoppedOverAnEventsMinute();
    void shutdownSavesBeforeTheRequest();
    void mailboxLine();
    void midnightEvent();
    void springForwardGapFiresOnceAfterTheGap();
    void fallBackRepeatedHourFiresOnce();
    void systemTimeSteps();
    void startupMessages_data();
    void startupMessages();
    void startupMessagesSoundAndOrder();
    void staleStartupMessageMovesOnToToday();
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
    QTest::addColumn<QStringList>("chosen"); // in firing order; empty: alarm off
    QTest::addColumn<int>("dayOffset");      // of the armed moment
    QTest::addColumn<QTime>("alarmTime");

    QTest::newRow("empty table") << QStringList{} << QTime(12, 0) << QStringList{} << 0 << QTime();
    QTest::newRow("only start-up messages")
        << QStringList{"s|0|13:00:00|4", "t|1|09:00:00|4"} << QTime(12, 0) << QStringList{} << 0 << QTime();
    QTest::newRow("exactly now is not the future")
        << QStringList{"now|0|12:00:00|0", "later|0|12:00:01|0"} << QTime(12, 0) << QStringList{"later"} << 0
        << QTime(12, 0, 1);
    QTest::newRow("a tie: both, in table order")
        << QStringList{"a|0|15:00:00|0", "x|0|15:00:01|0", "b|0|15:00:00|0"} << QTime(12, 0)
        << QStringList{"a", "b"} << 0 << QTime(15, 0);
    QTest::newRow("earliest date before earliest time")
        << QStringList{"late|2|01:00:00|0", "soon|1|23:00:00|0"} << QTime(12, 0) << QStringList{"soon"} << 1
        << QTime(23, 0);
    QTest::newRow("tomorrow at an earlier time of day")
        << QStringList{"past|0|11:00:00|0", "tomorrow|1|08:00:00|1"} << QTime(12, 0)
        << QStringList{"tomorrow"} << 1 << QTime(8, 0);
    QTest::newRow("past one-off events are never chosen")
        << QStringList{"yesterday|-1|13:00:00|0", "earlier|0|11:59:59|0"} << QTime(12, 0) << QStringList{}
        << 0 << QTime();
    QTest::newRow("milliseconds count")
        << QStringList{"a|0|12:00:00|0"} << QTime(11, 59, 59, 999) << QStringList{"a"} << 0 << QTime(12, 0);
    QTest::newRow("midnight tomorrow") << QStringList{"m|1|00:00:00|2", "later|1|00:00:01|0"} << QTime(23, 59)
                                       << QStringList{"m"} << 1 << QTime(0, 0);
    QTest::newRow("unknown type is still an event")
        << QStringList{"odd|0|13:00:00|9"} << QTime(12, 0) << QStringList{"odd"} << 0 << QTime(13, 0);
}

void TestScheduler::selection()
{
    QFETCH(QStringList, rows);
    QFETCH(QTime, now);
    QFETCH(QStringList, chosen);
    QFETCH(int, dayOffset);
    QFETCH(QTime, alarmTime);

    SchedulerRig rig(QDateTime(Today, now));
    for (const QString& line : rows) {
        const QStringList f = line.split('|');
        rig.add(f[0], Today.addDays(f[1].toInt()), QTime::fromString(f[2], Qt::ISODate), f[3].toInt());
    }
    rig.alarm.armAt(QDateTime(Today, now).addDays(9)); // must be switched off when nothing is chosen
    rig.scheduler.SelectNextEvent();

    QCOMPARE(rig.alarm.armed(), !chosen.isEmpty());
    QCOMPARE(rig.scheduler.due().size(), chosen.size());
    if (chosen.isEmpty()) return;
    QCOMPARE(rig.alarm.moment(), QDateTime(Today.addDays(dayOffset), alarmTime));
    for (int i = 0; i < chosen.size(); ++i) {
        const int index = rig.indexOf(chosen[i]);
        const EventRecord& r = rig.table.row(index);
        const NextEventCache& c = rig.scheduler.due().at(i);
        QCOMPARE(c.NextRow, index + 1);
        QCOMPARE(c.NextRowId, rig.table.rowId(index));
        QCOMPARE(c.NextDate, r.EvDate);
        QCOMPARE(c.NextText, chosen[i] + " - " + longTimeText(r.EvTime));
    }
    QCOMPARE(rig.scheduler.next().NextText, rig.scheduler.due().first().NextText);
    QVERIFY(rig.savedTables.isEmpty()); // nothing here had to move on
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
    rig.add("Monthly", QDate(1996, 1, 31), QTime(10, 0), EvNotification, 0, 1); // a month behind
    rig.add("Both", QDate(1996, 2, 28), QTime(11, 0), EvNotification, 3, 2);    // days win
    rig.settings.SoundFile = "/sounds/default.wav";
    rig.scheduler.SelectNextEvent();
    // The monthly event missed January's end: it moves on to February's, saved at once, unfired.
    QCOMPARE(rig.dateOf("Monthly"), QDate(1996, 2, 29));
    QCOMPARE(rig.savedTables.size(), 1);
    QVERIFY(rig.lines.isEmpty());
    rig.savedTables.clear();

    rig.runTo(at(1996, 3, 1, 12, 0));
    const QString daily = "Daily - " + longTimeText(QTime(9, 0));
    QCOMPARE(rig.lines, (QStringList{daily, daily, "Both - " + longTimeText(QTime(11, 0)), daily,
                                     "Monthly - " + longTimeText(QTime(10, 0)), daily}));
    QCOMPARE(rig.dateOf("Daily"), QDate(1996, 3, 2)); // through 29 February
    QCOMPARE(rig.dateOf("Both"), QDate(1996, 3, 2));
    QCOMPARE(rig.dateOf("Monthly"), QDate(1996, 3, 29));
    QCOMPARE(rig.sounds.size(), 6);
    QCOMPARE(rig.sounds.first(), QStringLiteral("/sounds/default.wav"));
    // Every firing saves the three groups, and the saved table already holds the new date.
    QCOMPARE(rig.savedTables.size(), 6);
    QCOMPARE(rig.parameterSaves, 6);
    QCOMPARE(rig.windowSaves, 6);
    QCOMPARE(rig.savedTables.last().at(0).EvDate, QDate(1996, 3, 2));
    QCOMPARE(rig.handledUpTo.last(), at(1996, 3, 1, 9, 0));
}

void TestScheduler::eventDaysAheadWaitsForItsMoment()
{
    SchedulerRig rig(at(2026, 12, 10, 8, 0));
    rig.add("Later", QDate(2026, 12, 13), QTime(9, 30));
    rig.scheduler.SelectNextEvent();
    int alarms = 0;
    connect(&rig.alarm, &EventAlarm::OnAlarm, [&] { ++alarms; });
    rig.runTo(at(2026, 12, 13, 9, 29, 59));
    QCOMPARE(alarms, 0); // no daily going-off on the days before
    QVERIFY(rig.savedTables.isEmpty());
    QCOMPARE(rig.alarm.moment(), at(2026, 12, 13, 9, 30));
    rig.runTo(at(2026, 12, 13, 10, 0));
    QCOMPARE(alarms, 1);
    QCOMPARE(rig.lines.size(), 1);
    QCOMPARE(rig.savedTables.size(), 1);
    QVERIFY(!rig.alarm.armed()); // nothing left in the future
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
            QCOMPARE(rig.settings.EvNum, 2); // as saved
            QCOMPARE(rig.table.row(0).EvName, QStringLiteral("Before"));
            QCOMPARE(rig.table.row(1).EvName, QStringLiteral("After"));
            QCOMPARE(rig.savedTables.at(0).size(), 3);
            QCOMPARE(rig.scheduler.next().NextRow, 2);
        } else {
            QCOMPARE(rig.table.RecordCount(), 4);
            QCOMPARE(rig.dateOf("A"), Today);
        }
        QCOMPARE(rig.alarm.moment(), at(2026, 12, 11, 7, 0));
    }
}

void TestScheduler::neighboursAndTiesAllFire()
{
    SchedulerRig rig(at(2026, 12, 10, 8, 0));
    rig.add("First", Today, QTime(9, 0, 0), EvNotification, 1);
    rig.add("Second", Today, QTime(9, 0, 1), EvNotification, 1);
    rig.add("Launch", Today, QTime(9, 0, 1), EvLaunchOpen, 1);
    rig.add("Tie", Today, QTime(9, 0, 1), EvNotification, 1);
    rig.table.LocateId(rig.table.rowId(rig.indexOf("Launch")));
    rig.table.setFieldValue(Field::EvPath, "/bin/prog");
    rig.table.Post();
    rig.scheduler.SelectNextEvent();
    rig.runTo(at(2026, 12, 10, 9, 5));
    QCOMPARE(rig.lines,
             (QStringList{"First - " + longTimeText(QTime(9, 0)), "Second - " + longTimeText(QTime(9, 0, 1)),
                          "Tie - " + longTimeText(QTime(9, 0, 1))}));
    QCOMPARE(rig.actions, QStringList{"launch:/bin/prog "});
    for (const char* name : {"First", "Second", "Launch", "Tie"})
        QCOMPARE(rig.dateOf(name), Today.addDays(1));
}

void TestScheduler::disabledEventsNeitherSelectNorFire()
{
    SchedulerRig rig(at(2026, 12, 10, 8, 0));
    rig.add("Old", Today, QTime(8, 30), EvNotification, 1);
    rig.scheduler.SelectNextEvent();
    rig.add("New", Today, QTime(8, 15), EvNotification, 1);
    rig.settings.Disable = true;
    rig.scheduler.SelectNextEvent(); // does nothing: still armed for Old
    QCOMPARE(rig.alarm.moment(), at(2026, 12, 10, 8, 30));
    rig.runTo(at(2026, 12, 10, 9, 0));
    QVERIFY(rig.lines.isEmpty());
    QCOMPARE(rig.dateOf("Old"), Today);
    // "Enable": what passed meanwhile moves on unfired and is saved; only the future fires.
    rig.settings.Disable = false;
    rig.scheduler.SelectNextEvent();
    QCOMPARE(rig.dateOf("Old"), Today.addDays(1));
    QCOMPARE(rig.dateOf("New"), Today.addDays(1));
    QCOMPARE(rig.savedTables.size(), 1);
    QCOMPARE(rig.alarm.moment(), at(2026, 12, 11, 8, 15));
    QVERIFY(rig.lines.isEmpty());
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

void TestScheduler::firingLeavesTheCursorAndEditsAlone()
{
    // The Properties dialog is open on "Two", its name half typed, while "One" fires and goes.
    SchedulerRig rig(at(2026, 12, 10, 8, 0));
    rig.settings.DeleteEvents = true;
    rig.add("One", Today, QTime(9, 0));
    const EvTable::RowId two = rig.add("Two", Today, QTime(9, 1), EvNotification, 1);
    QList<EvTable::RowId> moved, removed;
    connect(&rig.scheduler, &Scheduler::eventMovedOn, [&](EvTable::RowId id) { moved << id; });
    connect(&rig.scheduler, &Scheduler::eventRemoved, [&](EvTable::RowId id) { removed << id; });
    rig.scheduler.SelectNextEvent();
    const EvTable::RowId one = rig.scheduler.next().NextRowId;
    rig.table.LocateId(two);
    rig.table.setFieldValue(Field::EvName, "Two, renam");
    rig.runTo(at(2026, 12, 10, 9, 0, 30));
    QCOMPARE(removed, QList<EvTable::RowId>{one});
    QCOMPARE(rig.table.currentId(), two);
    // The firing's saves post the edit, as every save does.
    QCOMPARE(rig.table.row(0).EvName, QStringLiteral("Two, renam"));

    // "Two" fires while it is being edited again: the edit keeps its text and takes the new date.
    rig.table.setFieldValue(Field::EvName, "Two, renamed");
    QCOMPARE(rig.table.state(), EvTable::State::Edit);
    rig.runTo(at(2026, 12, 10, 9, 2));
    QCOMPARE(moved, QList<EvTable::RowId>{two});
    QCOMPARE(rig.table.currentId(), two);
    QCOMPARE(rig.table.current().EvName, QStringLiteral("Two, renamed"));
    QCOMPARE(rig.table.current().EvDate, Today.addDays(1));
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
    QVERIFY(rig.alarm.armed()); // the next selection ran after the request
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
    QCOMPARE(rig.alarm.moment(), at(2026, 12, 11, 0, 0));
    QDateTime firedAt;
    connect(&rig.alarm, &EventAlarm::OnAlarm, [&] { firedAt = rig.clock.now(); });
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
    connect(&rig.alarm, &EventAlarm::OnAlarm, [&] {
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
    rig.add("Once", Today, QTime(9, 10));
    rig.add("Later", Today, QTime(9, 40));
    rig.scheduler.SelectNextEvent();
    // The clock is set forward over two events: they are not fired late, the daily one moves on,
    // both are reported as missed, and the next one is armed at once.
    rig.clock.set(at(2026, 12, 10, 9, 30));
    rig.alarm.Check();
    QCOMPARE(rig.lines, (QStringList{Scheduler::missedLine(rig.table.row(0), Today),
                                     Scheduler::missedLine(rig.table.row(1), Today)}));
    QVERIFY(rig.sounds.isEmpty());
    QCOMPARE(rig.dateOf("Daily"), Today.addDays(1));
    QCOMPARE(rig.dateOf("Once"), Today);
    QCOMPARE(rig.alarm.moment(), at(2026, 12, 10, 9, 40));
    // Set back: nothing that was dealt with comes again; what is ahead still fires on time.
    rig.clock.set(at(2026, 12, 10, 8, 50));
    rig.alarm.Check();
    rig.runTo(at(2026, 12, 10, 9, 41));
    QCOMPARE(rig.lines.size(), 3);
    QVERIFY(rig.lines.last().startsWith("Later - "));
    // A step that lands inside the event's minute still fires it, at once.
    rig.clock.set(at(2026, 12, 11, 9, 0, 40));
    rig.alarm.Check();
    QCOMPARE(rig.lines.size(), 4);
    QCOMPARE(rig.lines.last(), "Daily - " + longTimeText(QTime(9, 0)));
}

void TestScheduler::missedOccurrencesMoveOn_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QTime>("time");
    QTest::addColumn<int>("days");
    QTest::addColumn<int>("months");
    QTest::addColumn<QDate>("next");
    QTest::addColumn<QDate>("lastMissed");
    // Now is 2026-12-10 12:00.
    QTest::newRow("daily, earlier today") << Today << QTime(9, 0) << 1 << 0 << Today.addDays(1) << Today;
    QTest::newRow("daily, later today is not behind") << Today << QTime(13, 0) << 1 << 0 << Today << QDate();
    QTest::newRow("daily, a week back, later time")
        << Today.addDays(-7) << QTime(13, 0) << 1 << 0 << Today << Today.addDays(-1);
    QTest::newRow("every 10 days, decades back")
        << QDate(1990, 1, 1) << QTime(8, 0) << 10 << 0 << QDate(2026, 12, 18) << QDate(2026, 12, 8);
    QTest::newRow("monthly on the 31st, clamped as it went")
        << QDate(2026, 10, 31) << QTime(8, 0) << 0 << 1 << QDate(2026, 12, 30) << QDate(2026, 11, 30);
    QTest::newRow("monthly on the 15th, centuries back")
        << QDate(1700, 3, 15) << QTime(8, 0) << 0 << 1 << QDate(2026, 12, 15) << QDate(2026, 11, 15);
    QTest::newRow("every 5 months on the 31st")
        << QDate(2025, 1, 31) << QTime(8, 0) << 0 << 5 << QDate(2027, 2, 28) << QDate(2026, 9, 30);
    QTest::newRow("a step past the calendar stays")
        << QDate(2026, 12, 1) << QTime(8, 0) << 0x7fffffff << 0 << QDate(2026, 12, 1) << QDate();
}

void TestScheduler::missedOccurrencesMoveOn()
{
    QFETCH(QDate, date);
    QFETCH(QTime, time);
    QFETCH(int, days);
    QFETCH(int, months);
    QFETCH(QDate, next);
    QFETCH(QDate, lastMissed);

    SchedulerRig rig(at(2026, 12, 10, 12, 0));
    rig.add("Event", date, time, EvLaunchOpen, days, months);
    // Moving on steps as the firings would have, one ApplyRecurrence after another.
    QDate stepped = date;
    QDate before;
    EventRecord r = rig.table.row(0);
    while (stepped.isValid() && QDateTime(stepped, time) <= rig.clock.now()) {
        before = stepped;
        stepped = recurrenceStep(r, stepped);
    }
    if (stepped.isValid()) QCOMPARE(stepped, next);

    rig.scheduler.MoveOnMissedEvents(std::nullopt);
    QCOMPARE(rig.dateOf("Event"), next);
    QCOMPARE(rig.savedTables.size(), next == date ? 0 : 1);
    QVERIFY(rig.actions.isEmpty()); // nothing is carried out late
    const MovedOn moved =
        moveOnTo(r, Today, [&](const QDate& d) { return QDateTime(d, time) > rig.clock.now(); });
    QCOMPARE(moved.lastPassed, lastMissed);
    if (next != date) QCOMPARE(moved.lastPassed, before);
}

void TestScheduler::missedRemindersAtStart()
{
    // The program last dealt with events yesterday at 20:00 and starts again today at 12:00.
    const QDateTime lastRun = at(2026, 12, 9, 20, 0);
    auto start = [&](SchedulerRig& rig, std::optional<QDateTime> handled) {
        rig.add("Daily", Today.addDays(-3), QTime(9, 0), EvNotification, 1);
        rig.add("Monthly", QDate(2026, 10, 31), QTime(7, 0), EvNotification, 0, 1);
        rig.add("Once, missed", Today, QTime(8, 0));
        rig.add("Once, fired before", Today.addDays(-1), QTime(19, 0));
        rig.add("Mail", Today.addDays(-1), QTime(21, 0), EvMailMessage, 1);
        rig.add("Hello", Today.addDays(-2), QTime(0, 0), EvStartupMessage, 1);
        rig.scheduler.MoveOnMissedEvents(handled);
        rig.scheduler.RunStartupMessages();
        rig.scheduler.SelectNextEvent();
    };
    const QString hello = "Hello";
    {
        SchedulerRig rig(at(2026, 12, 10, 12, 0));
        rig.settings.SoundFile = "default.wav";
        start(rig, lastRun);
        // One line per event, with its latest occurrence that went by after the last run; the
        // monthly one was last due on 30 November, before it.
        QCOMPARE(rig.lines, (QStringList{Scheduler::missedLine(rig.table.row(0), Today),
                                         Scheduler::missedLine(rig.table.row(2), Today), hello}));
        QCOMPARE(rig.sounds, QStringList{"default.wav"}); // the start-up message's, none for the missed
        QVERIFY(rig.actions.isEmpty());
        QCOMPARE(rig.dateOf("Daily"), Today.addDays(1));
        QCOMPARE(rig.dateOf("Monthly"), QDate(2026, 12, 30));
        QCOMPARE(rig.dateOf("Mail"), Today);
        QCOMPARE(rig.dateOf("Once, missed"), Today);   // spent
        QCOMPARE(rig.dateOf(hello), Today.addDays(1)); // shown today, moved on
        QCOMPARE(rig.savedTables.size(), 2);           // after moving on, after the start-up message
        QCOMPARE(rig.alarm.moment(), at(2026, 12, 10, 21, 0));
    }
    {
        // Without a record of the last run a one-off event cannot be told apart from one that
        // fired; recurring ones always can. With ShowMissed off, or events disabled, no lines.
        SchedulerRig unknown(at(2026, 12, 10, 12, 0));
        start(unknown, std::nullopt);
        QCOMPARE(unknown.lines,
                 (QStringList{Scheduler::missedLine(unknown.table.row(0), Today),
                              Scheduler::missedLine(unknown.table.row(1), QDate(2026, 11, 30)), hello}));
        SchedulerRig off(at(2026, 12, 10, 12, 0));
        off.settings.ShowMissed = false;
        start(off, lastRun);
        QCOMPARE(off.lines, QStringList{hello});
        QCOMPARE(off.dateOf("Daily"), Today.addDays(1));
        SchedulerRig disabled(at(2026, 12, 10, 12, 0));
        disabled.settings.Disable = true;
        start(disabled, lastRun);
        QCOMPARE(disabled.lines, QStringList{hello});
        QCOMPARE(disabled.dateOf("Daily"), Today.addDays(1));
    }
}

void TestScheduler::stoppedOverAnEventsMinute()
{
    // One-off A at S+3, daily B at S+8, C at S+80 and D at S+90; the program is stopped from
    // S+5 to S+75 (or the machine sleeps). When it runs again B is missed and C and D fire on
    // their seconds.
    const QDateTime s = at(2026, 12, 10, 12, 0, 20);
    SchedulerRig rig(s);
    rig.add("A", Today, s.addSecs(3).time());
    rig.add("B", Today, s.addSecs(8).time(), EvNotification, 1);
    rig.add("C", Today, s.addSecs(80).time());
    rig.add("D", Today, s.addSecs(90).time());
    QList<QDateTime> fired;
    connect(&rig.alarm, &EventAlarm::OnAlarm, [&] { fired << rig.clock.now(); });
    rig.scheduler.SelectNextEvent();
    rig.runTo(s.addSecs(5));
    rig.clock.set(s.addSecs(75)); // continued: the wall-clock timer and the tick check at once
    rig.alarm.Check();
    QCOMPARE(rig.lines, (QStringList{"A - " + longTimeText(s.addSecs(3).time()),
                                     Scheduler::missedLine(rig.table.row(1), Today)}));
    QCOMPARE(rig.dateOf("B"), Today.addDays(1));
    QCOMPARE(rig.alarm.moment(), s.addSecs(80));
    rig.runTo(s.addSecs(100));
    QCOMPARE(fired, (QList<QDateTime>{s.addSecs(3), s.addSecs(80), s.addSecs(90)}));
    QCOMPARE(rig.lines.size(), 4);
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
    // Whatever changed is saved at once, so that a second start the same day does not show it again.
    if (after == "deleted") {
        QCOMPARE(rig.indexOf("Hello"), -1);
        QCOMPARE(rig.table.RecordCount(), 1);
        QCOMPARE(rig.savedTables.size(), 1);
    } else {
        QCOMPARE(rig.dateOf("Hello"), after == "advanced" ? Today.addDays(1) : Today);
        QCOMPARE(rig.savedTables.size(), after == "advanced" ? 1 : 0);
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
    QCOMPARE(rig.savedTables.size(), 1);
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

void TestScheduler::staleStartupMessageMovesOnToToday()
{
    // A daily start-up message whose last days passed without a start is shown today, once.
    SchedulerRig rig(at(2026, 12, 10, 10, 0));
    rig.add("Hello", Today.addDays(-5), QTime(0, 0), EvStartupMessage, 1);
    rig.add("Weekly", Today.addDays(-5), QTime(0, 0), EvStartupMessage, 7);
    rig.add("Old one-off", Today.addDays(-5), QTime(0, 0), EvStartupMessage);
    rig.scheduler.MoveOnMissedEvents(std::nullopt);
    rig.scheduler.RunStartupMessages();
    QCOMPARE(rig.lines, QStringList{"Hello"});
    QCOMPARE(rig.dateOf("Hello"), Today.addDays(1));
    QCOMPARE(rig.dateOf("Weekly"), Today.addDays(2));
    QCOMPARE(rig.dateOf("Old one-off"), Today.addDays(-5));
}

QTEST_GUILESS_MAIN(TestScheduler)
#include "tst_scheduler.moc"
