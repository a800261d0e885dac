#include "EditorRig.h"
#include "core/EventAlarm.h"
#include "core/Scheduler.h"
#include "core/LocalTime.h"
#include "forms/EvGrid.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QtTest>

using namespace zarvo;

namespace {

// The main window's side of a firing: the saves and the notifications window. The dialog is
// told nothing; it follows the table.
struct Host : SchedulerHost
{
    QStringList lines;
    void SaveParameters() override {}
    void SaveEvents() override {}
    void SaveWindowSettings() override {}
    void AddNotification(const QString& line) override { lines << line; }
};

// The page shows the table's current row, and the grid selects it.
void verifyPageShowsCurrent(const CfgRig& rig)
{
    const EventRecord& r = rig.table.current();
    QCOMPARE(rig.w<QLineEdit>("cfgEvEdit")->text(), r.EvName);
    QCOMPARE(rig.w<QDateEdit>("cfgDatePicker")->date(), r.EvDate);
    QCOMPARE(rig.w<QComboBox>("cfgTypeCombo")->currentIndex(), r.EvType);
    QCOMPARE(frontPanel(rig), QLatin1String(kPanels[CfgParamPanels::panelFor(r.EvType)]));
    QCOMPARE(rig.w<EvGrid>("EvGrid")->currentIndex().row(), rig.table.RecNo() - 1);
    QCOMPARE(rig.w<EvGrid>("EvGrid")->model()->rowCount(), rig.table.RecordCount());
}

} // namespace

// The scheduler keeps firing while the Properties dialog is open; the page must follow it.
class TestCfgFiring : public QObject
{
    Q_OBJECT
private slots:
    void firingWhileOpenMovesThePageOn()
    {
        // Two events fire at 12:00:30 of the rig's day: first a recurring one, then a one-off
        // one that is deleted after it fired.
        EventRecord weekly = makeEvent(QStringLiteral("weekly"), EvNotification, 7);
        weekly.setValue(Field::EvTime, QTime(12, 0, 30));
        EventRecord once = makeEvent(QStringLiteral("once"), EvOpenURL);
        once.setValue(Field::EvTime, QTime(12, 0, 40));
        CfgRig rig({makeEvent(QStringLiteral("shown"), EvStartupMessage), weekly, once});
        rig.settings.DeleteEvents = true;
        rig.open();
        Host host;
        EventAlarm alarm(rig.clock);
        EventActions actions;
        Scheduler scheduler(rig.clock, rig.settings, rig.table, alarm, rig.sound, host, actions);

        // The user is typing into the first row when the first event fires.
        QTest::keyClicks(rig.any("cfgEvEdit"), QStringLiteral(" typed"));
        scheduler.SelectNextEvent();
        rig.clock.set(QDateTime(QDate(2026, 12, 10), QTime(12, 0, 30)));
        scheduler.AlarmClockAlarm();
        // The firing leaves the user where they were: the text typed is neither lost nor
        // misplaced, and the list shows the fired row's new date.
        QCOMPARE(rig.table.current().EvName, QStringLiteral("shown typed"));
        QCOMPARE(rig.table.row(1).EvDate, QDate(2026, 12, 17));
        const QAbstractItemModel* grid = rig.w<EvGrid>("EvGrid")->model();
        QCOMPARE(grid->data(grid->index(1, 1)).toString(), shortDateText(QDate(2026, 12, 17)));
        verifyPageShowsCurrent(rig);
        // The user moves to the fired row: the page shows its new date.
        rig.table.Next();
        QCOMPARE(rig.table.current().EvName, QStringLiteral("weekly"));
        verifyPageShowsCurrent(rig);
        QVERIFY(rig.any("cfgTimePicker")->isEnabled());

        // The one-off event fires and is deleted while it is the row shown.
        rig.table.LocateId(rig.table.rowId(2));
        rig.clock.set(QDateTime(QDate(2026, 12, 10), QTime(12, 0, 40)));
        scheduler.AlarmClockAlarm();
        QCOMPARE(rig.table.RecordCount(), 2);
        QCOMPARE(rig.table.current().EvName, QStringLiteral("weekly"));
        verifyPageShowsCurrent(rig);

        // The last events go while the page is open: it has nothing left to show.
        rig.table.First();
        scheduler.DeleteCurrentEvent();
        scheduler.DeleteCurrentEvent();
        QCOMPARE(rig.table.RecordCount(), 0);
        QVERIFY(!rig.any("cfgEvEdit")->isEnabled());
        QCOMPARE(rig.w<QLineEdit>("cfgEvEdit")->text(), QString());
        QCOMPARE(frontPanel(rig), QStringLiteral("cfgNoneSheet"));
        QCOMPARE(rig.w<EvGrid>("EvGrid")->model()->rowCount(), 0);
        rig.click("cfgAddButton");
        QCOMPARE(rig.table.RecordCount(), 1);
        verifyPageShowsCurrent(rig);
    }
};

QTEST_MAIN(TestCfgFiring)
#include "tst_cfgfiring.moc"
