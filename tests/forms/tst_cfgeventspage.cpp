#include "EditorRig.h"
#include "core/LocalTime.h"
#include "forms/CommonDialogs.h"
#include "forms/EvGrid.h"
#include "forms/cfgEventsPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTimeEdit>
#include <QToolButton>
#include <QtTest>

using namespace zarvo;

namespace {

bool onlyFrontEnabled(const CfgRig& rig)
{
    for (const char* name : kPanels) {
        const bool front = frontPanel(rig) == QLatin1String(name);
        if (rig.any(name)->isEnabled() != front) return false;
    }
    return true;
}

bool soundControlsEnabled(const CfgRig& rig)
{
    const bool on = rig.any("cfgCSEdit")->isEnabled();
    return rig.any("cfgCSButton")->isEnabled() == on && rig.any("cfgCSTestButton")->isEnabled() == on ? on
                                                                                                      : !on;
}

// A choice in a drop-down list, as the user makes it: one change of the selection.
void choose(CfgRig& rig, const char* combo, int index)
{
    rig.w<QComboBox>(combo)->setCurrentIndex(index);
}

// The recurrence controls as the user sees them: which edits and labels can be used.
struct RecView
{
    bool ticked, radios, days, months;
};

RecView recView(const CfgRig& rig)
{
    const bool days = rig.any("cfgRecEdit")->isEnabled();
    const bool months = rig.any("cfgRecMEdit")->isEnabled();
    if (rig.any("cfgRecDaysLabel")->isEnabled() != days ||
        rig.any("cfgRecMonthsLabel")->isEnabled() != months)
        qWarning("a recurrence label does not follow its edit");
    return {rig.w<QCheckBox>("cfgRecCheckBox")->isChecked(), rig.any("RecDRB")->isEnabled(), days, months};
}

// The page with no event to edit.
void verifyOnlyAddUsable(const CfgRig& rig)
{
    for (const char* name :
         {"cfgTypeCombo", "cfgDatePicker", "cfgTimePicker", "cfgEvEdit", "cfgRemoveButton", "cfgRecCheckBox",
          "RecDRB", "RecMRB", "cfgRecEdit", "cfgRecMEdit", "cfgRecDaysLabel", "cfgRecMonthsLabel",
          "cfgCSEdit", "cfgCSButton", "cfgCSTestButton", "cfgShutTypeCombo"})
        QVERIFY2(!rig.any(name)->isEnabled(), name);
    QVERIFY(rig.any("cfgAddButton")->isEnabled());
    QCOMPARE(frontPanel(rig), QStringLiteral("cfgNoneSheet"));
}

EventRecord fullLaunchEvent()
{
    EventRecord r = makeEvent(QStringLiteral("full"), EvLaunchOpen);
    r.setValue(Field::EvPath, QStringLiteral("/bin/app"));
    r.setValue(Field::EvParam, QStringLiteral("-x"));
    r.setValue(Field::EvURL, QStringLiteral("http://example.org/"));
    r.setValue(Field::EvMMAddress, QStringLiteral("a@example.org"));
    r.setValue(Field::EvMMSubj, QStringLiteral("subject"));
    r.setValue(Field::EvShutType, ShutReboot);
    r.setValue(Field::EvCS, QStringLiteral("/snd/own.wav"));
    return r;
}

} // namespace

class TestCfgEventsPage : public QObject
{
    Q_OBJECT
private slots:
    void showsEachTypeWithItsPanel_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("panel");
        QTest::addColumn<bool>("sound");
        QTest::addColumn<bool>("time");
        QTest::newRow("Notification") << 0 << "cfgNoneSheet" << true << true;
        QTest::newRow("Launch/Open") << 1 << "cfgAppSheet" << false << true;
        QTest::newRow("Shutdown") << 2 << "cfgShutSheet" << false << true;
        QTest::newRow("Check mailbox") << 3 << "cfgNoneSheet" << true << true;
        // A start-up message always plays the default sound: none of its own is offered.
        QTest::newRow("Startup message") << 4 << "cfgStartupSheet" << false << false;
        QTest::newRow("Time synchronization") << 5 << "cfgNoneSheet" << false << true;
        QTest::newRow("Mail message") << 6 << "cfgMMSheet" << false << true;
        QTest::newRow("Open URL") << 7 << "cfgURLSheet" << false << true;
        QTest::newRow("unknown type from a file") << 42 << "cfgNoneSheet" << false << true;
    }
    void showsEachTypeWithItsPanel()
    {
        QFETCH(int, type);
        QFETCH(QString, panel);
        QFETCH(bool, sound);
        QFETCH(bool, time);
        EventRecord r = makeEvent(QStringLiteral("e"), type);
        r.setValue(Field::EvShutType, ShutPowerOff);
        r.setValue(Field::EvInterval, true);
        r.setValue(Field::EvIntBTime, QTime(8, 0));
        r.setValue(Field::EvIntETime, QTime(9, 15));
        // The row before it is a Startup message, so the time picker must come back on by itself.
        CfgRig rig({makeEvent(QStringLiteral("before"), EvStartupMessage), r});
        rig.open();
        QTest::mouseClick(rig.w<EvGrid>("EvGrid")->viewport(), Qt::LeftButton, {},
                          rig.w<EvGrid>("EvGrid")
                              ->visualRect(rig.form->eventsPage()->grid()->model()->index(1, 1))
                              .center());
        QCOMPARE(rig.table.RecNo(), 2);

        QCOMPARE(frontPanel(rig), panel);
        QVERIFY(onlyFrontEnabled(rig));
        QCOMPARE(soundControlsEnabled(rig), sound);
        QCOMPARE(rig.any("cfgTimePicker")->isEnabled(), time);
        QCOMPARE(rig.w<QComboBox>("cfgTypeCombo")->currentIndex(), type < 8 ? type : -1);
        QVERIFY(rig.any("cfgTypeCombo")->isEnabled());
        if (type == EvShutdown)
            QCOMPARE(rig.w<QComboBox>("cfgShutTypeCombo")->currentIndex(), int(ShutPowerOff));
        if (type == EvStartupMessage) {
            QVERIFY(rig.w<QCheckBox>("IntervalCheckBox")->isChecked());
            QCOMPARE(rig.w<QTimeEdit>("IBTimePicker")->time(), QTime(8, 0));
            QCOMPARE(rig.w<QTimeEdit>("IETimePicker")->time(), QTime(9, 15));
            QVERIFY(rig.any("IBTimePicker")->isEnabled());
        }
        // Showing writes nothing.
        QCOMPARE(rig.table.state(), EvTable::State::Browse);
        QCOMPARE(rig.table.row(1), r);
    }

    void showsRecurrenceWithoutWritingIt_data()
    {
        QTest::addColumn<int>("days");
        QTest::addColumn<int>("months");
        QTest::addColumn<bool>("byClick");
        QTest::newRow("every 7 days, on opening") << 7 << 0 << false;
        QTest::newRow("every 3 months, on opening") << 0 << 3 << false;
        QTest::newRow("every 7 days, clicked in the grid") << 7 << 0 << true;
        QTest::newRow("every 3 months, clicked in the grid") << 0 << 3 << true;
        QTest::newRow("one-off") << 0 << 0 << false;
        QTest::newRow("both set by other means: days win") << 5 << 2 << false;
    }
    void showsRecurrenceWithoutWritingIt()
    {
        QFETCH(int, days);
        QFETCH(int, months);
        QFETCH(bool, byClick);
        const EventRecord r = makeEvent(QStringLiteral("r"), EvNotification, days, months);
        CfgRig rig(byClick ? QVector<EventRecord>{makeEvent(QStringLiteral("first")), r}
                           : QVector<EventRecord>{r});
        rig.open();
        if (byClick) {
            EvGrid* grid = rig.w<EvGrid>("EvGrid");
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                              grid->visualRect(grid->model()->index(1, 0)).center());
        }
        const RecView v = recView(rig);
        QCOMPARE(v.ticked, days != 0 || months != 0);
        QCOMPARE(v.radios, days != 0 || months != 0);
        QCOMPARE(v.days, days != 0);
        QCOMPARE(v.months, days == 0 && months != 0);
        if (days) QVERIFY(rig.w<QRadioButton>("RecDRB")->isChecked());
        if (!days && months) QVERIFY(rig.w<QRadioButton>("RecMRB")->isChecked());
        QCOMPARE(rig.w<QLineEdit>("cfgRecEdit")->text(), QString::number(days));
        QCOMPARE(rig.w<QLineEdit>("cfgRecMEdit")->text(), QString::number(months));
        QCOMPARE(rig.table.state(), EvTable::State::Browse);
        QCOMPARE(rig.table.current().EvRec, days);
        QCOMPARE(rig.table.current().EvRecMonth, months);
    }

    void changingTheTypeWritesItsTable_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("panel");
        QTest::addColumn<bool>("sound");
        QTest::addColumn<bool>("time");
        // What the change empties; everything else keeps what the row held.
        QTest::addColumn<QStringList>("emptied");
        QTest::newRow("Notification") << 0 << "cfgNoneSheet" << true << true << QStringList{};
        QTest::newRow("Shutdown") << 2 << "cfgShutSheet" << false << true << QStringList{};
        QTest::newRow("Check mailbox") << 3 << "cfgNoneSheet" << true << true << QStringList{};
        QTest::newRow("Startup message") << 4 << "cfgStartupSheet" << false << false << QStringList{};
        QTest::newRow("Time synchronization") << 5 << "cfgNoneSheet" << false << true << QStringList{};
        QTest::newRow("Mail message")
            << 6 << "cfgMMSheet" << false << true << QStringList{"EvMMAddress", "EvMMSubj"};
        QTest::newRow("Open URL") << 7 << "cfgURLSheet" << false << true << QStringList{"EvURL"};
    }
    void changingTheTypeWritesItsTable()
    {
        QFETCH(int, type);
        QFETCH(QString, panel);
        QFETCH(bool, sound);
        QFETCH(bool, time);
        QFETCH(QStringList, emptied);
        const EventRecord before = fullLaunchEvent();
        CfgRig rig({before});
        rig.open();
        choose(rig, "cfgTypeCombo", type);

        QCOMPARE(frontPanel(rig), panel);
        QVERIFY(onlyFrontEnabled(rig));
        QCOMPARE(soundControlsEnabled(rig), sound);
        QCOMPARE(rig.any("cfgTimePicker")->isEnabled(), time);
        QCOMPARE(rig.table.state(), EvTable::State::Edit); // left in editing
        const EventRecord& now = rig.table.current();
        QCOMPARE(now.EvType, type);
        QCOMPARE(now.EvShutType, type == EvShutdown ? int(ShutShutdown) : int(ShutReboot));
        if (type == EvShutdown) QCOMPARE(rig.w<QComboBox>("cfgShutTypeCombo")->currentIndex(), 0);
        for (const Field f : {Field::EvPath, Field::EvParam, Field::EvURL, Field::EvMMAddress,
                              Field::EvMMSubj, Field::EvCS}) {
            const bool empty = emptied.contains(QLatin1String(fieldName(f)));
            QCOMPARE(now.value(f).toString(), empty ? QString() : before.value(f).toString());
        }
        // The bound edits show what the change wrote.
        QCOMPARE(rig.w<QLineEdit>("cfgURLEdit")->text(), now.EvURL);
        QCOMPARE(rig.w<QLineEdit>("MMAddressEdit")->text(), now.EvMMAddress);
    }

    void launchOpenEmptiesItsParametersAndTheyStayEmpty()
    {
        CfgRig rig({fullLaunchEvent()});
        rig.open();
        choose(rig, "cfgTypeCombo", EvNotification);
        QCOMPARE(rig.table.current().EvPath, QStringLiteral("/bin/app")); // kept when leaving the type
        choose(rig, "cfgTypeCombo", EvLaunchOpen);
        QCOMPARE(rig.table.current().EvPath, QString());
        QCOMPARE(rig.table.current().EvParam, QString());
        QCOMPARE(rig.w<QLineEdit>("cfgPathEdit")->text(), QString());
        choose(rig, "cfgTypeCombo", EvNotification);
        QCOMPARE(rig.table.current().EvPath, QString());
    }

    void recurrenceClicksWriteTheCounts()
    {
        CfgRig rig({makeEvent(QStringLiteral("once"))});
        rig.open();
        rig.click("cfgRecCheckBox");
        QCOMPARE(rig.table.current().EvRec, 1);
        QCOMPARE(rig.table.current().EvRecMonth, 0);
        QCOMPARE(rig.table.state(), EvTable::State::Edit);
        RecView v = recView(rig);
        QVERIFY(v.ticked && v.radios && v.days && !v.months);
        QCOMPARE(rig.w<QLineEdit>("cfgRecEdit")->text(), QStringLiteral("1"));

        rig.click("RecMRB");
        QCOMPARE(rig.table.current().EvRecMonth, 1);
        QCOMPARE(rig.table.current().EvRec, 0);
        v = recView(rig);
        QVERIFY(!v.days && v.months);

        // Typing: digits only, at most three; letters do nothing.
        QLineEdit* months = rig.w<QLineEdit>("cfgRecMEdit");
        months->setFocus();
        months->selectAll();
        QTest::keyClicks(months, QStringLiteral("a1-b2 c3x45"));
        QCOMPARE(months->text(), QStringLiteral("123"));
        QCOMPARE(rig.table.current().EvRecMonth, 123);
        QTest::keyClick(months, Qt::Key_Backspace);
        QTest::keyClick(months, Qt::Key_Backspace);
        QTest::keyClick(months, Qt::Key_Backspace);
        QCOMPARE(rig.table.current().EvRecMonth, 0); // an empty count is none; not validated
        QTest::keyClicks(months, QStringLiteral("0"));
        QCOMPARE(rig.table.current().EvRecMonth, 0);

        rig.click("RecDRB");
        QCOMPARE(rig.table.current().EvRec, 1);
        QCOMPARE(rig.table.current().EvRecMonth, 0);
        rig.click("RecDRB"); // already selected: nothing to do
        QCOMPARE(rig.table.current().EvRec, 1);

        rig.click("cfgRecCheckBox");
        QCOMPARE(rig.table.current().EvRec, 0);
        QCOMPARE(rig.table.current().EvRecMonth, 0);
        v = recView(rig);
        QVERIFY(!v.ticked && !v.radios && !v.days && !v.months);

        // Ticked again after months were chosen: every 1 day, whatever unit was chosen before.
        rig.click("cfgRecCheckBox");
        rig.click("RecMRB");
        rig.click("cfgRecCheckBox");
        rig.click("cfgRecCheckBox");
        QVERIFY(rig.w<QRadioButton>("RecDRB")->isChecked());
        QCOMPARE(rig.table.current().EvRec, 1);
        QCOMPARE(rig.table.current().EvRecMonth, 0);
        v = recView(rig);
        QVERIFY(v.ticked && v.radios && v.days && !v.months);
    }

    void intervalEndSnapsToBegin()
    {
        CfgRig rig({makeEvent(QStringLiteral("boot"), EvStartupMessage)});
        rig.open();
        QVERIFY(!rig.any("IBTimePicker")->isEnabled());
        rig.click("IntervalCheckBox");
        QVERIFY(rig.table.current().EvInterval);
        QCOMPARE(rig.table.state(), EvTable::State::Browse); // committed at once
        QVERIFY(rig.any("IBTimePicker")->isEnabled() && rig.any("IETimePicker")->isEnabled());

        auto* begin = rig.w<QTimeEdit>("IBTimePicker");
        auto* end = rig.w<QTimeEdit>("IETimePicker");
        begin->setTime(QTime(10, 0));
        QCOMPARE(rig.table.current().EvIntBTime, QTime(10, 0));
        end->setTime(QTime(9, 0));
        QCOMPARE(end->time(), QTime(10, 0));
        QCOMPARE(rig.table.current().EvIntETime, QTime(10, 0));
        QCOMPARE(rig.table.state(), EvTable::State::Browse);
        // A later begin does not move the end.
        begin->setTime(QTime(11, 0));
        QCOMPARE(end->time(), QTime(10, 0));
        QCOMPARE(rig.table.row(0).EvIntETime, QTime(10, 0));

        rig.click("IntervalCheckBox");
        QVERIFY(!rig.table.row(0).EvInterval);
        QVERIFY(!rig.any("IBTimePicker")->isEnabled());
    }

    void addAndRemoveKeepTheCount()
    {
        CfgRig rig;
        rig.open();
        // An empty table: only Add can be used.
        verifyOnlyAddUsable(rig);

        rig.click("cfgAddButton");
        QCOMPARE(rig.table.RecordCount(), 1);
        QCOMPARE(rig.table.RecordCount(), 1);
        QCOMPARE(rig.table.state(), EvTable::State::Browse);
        const EventRecord& added = rig.table.row(0);
        QCOMPARE(added.EvDate, QDate(2026, 12, 10));
        QCOMPARE(added.EvTime, QTime(12, 0, 7));
        QCOMPARE(added.EvName, QString());
        QCOMPARE(added.EvType, 0);
        QVERIFY(added.isSet(Field::EvRec) && added.EvRec == 0 && added.EvRecMonth == 0);
        QCOMPARE(QApplication::focusWidget(), rig.any("cfgEvEdit"));
        QVERIFY(soundControlsEnabled(rig));
        QVERIFY(rig.any("cfgRecCheckBox")->isEnabled() && !rig.any("RecDRB")->isEnabled());
        QCOMPARE(rig.w<EvGrid>("EvGrid")->currentIndex().row(), 0);

        QTest::keyClicks(rig.any("cfgEvEdit"), QStringLiteral("Wake up"));
        rig.click("cfgAddButton"); // commits the typed name, adds a second
        QCOMPARE(rig.table.row(0).EvName, QStringLiteral("Wake up"));
        QCOMPARE(rig.table.RecordCount(), 2);
        QCOMPARE(rig.w<QLineEdit>("cfgEvEdit")->text(), QString());

        // Going back to the first row with nothing typed into the new one leaves no blank row:
        // the added event is a dated Notification, and nothing else appeared.
        EvGrid* grid = rig.w<EvGrid>("EvGrid");
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          grid->visualRect(grid->model()->index(0, 0)).center());
        QCOMPARE(rig.table.RecNo(), 1);
        QCOMPARE(rig.table.RecordCount(), 2);
        QCOMPARE(rig.table.RecordCount(), 2);
        QCOMPARE(grid->model()->rowCount(), 2);
        QCOMPARE(rig.table.row(1).EvDate, QDate(2026, 12, 10));
        QCOMPARE(rig.w<QLineEdit>("cfgEvEdit")->text(), QStringLiteral("Wake up"));

        // A Shutdown added after the page was empty can still have its kind chosen.
        rig.click("cfgRemoveButton");
        rig.click("cfgRemoveButton");
        QCOMPARE(rig.table.RecordCount(), 0);
        QCOMPARE(rig.table.RecordCount(), 0);
        QVERIFY(!rig.any("cfgEvEdit")->isEnabled() && !rig.any("cfgRemoveButton")->isEnabled());
        rig.click("cfgAddButton");
        choose(rig, "cfgTypeCombo", EvShutdown);
        QVERIFY(rig.any("cfgShutTypeCombo")->isEnabled());
        choose(rig, "cfgShutTypeCombo", ShutLogoff);
        QCOMPARE(rig.table.current().EvShutType, int(ShutLogoff));
    }

    void removingTheLastRecurringEventLeavesOnlyAdd()
    {
        // The last event shown repeats, so Recurring is still ticked when the page has nothing
        // left to edit: nothing under it may stay usable either.
        CfgRig rig({makeEvent(QStringLiteral("weekly"), EvNotification, 7)});
        rig.open();
        QVERIFY(recView(rig).days);
        rig.click("cfgRemoveButton");
        QCOMPARE(rig.table.RecordCount(), 0);
        verifyOnlyAddUsable(rig);
        rig.click("cfgAddButton");
        const RecView v = recView(rig);
        QVERIFY(!v.ticked && !v.radios && !v.days && !v.months);
        QVERIFY(rig.any("cfgRecCheckBox")->isEnabled());
    }

    void removeShowsTheNextRowAndDropsPendingEdits()
    {
        CfgRig rig({makeEvent(QStringLiteral("a")), makeEvent(QStringLiteral("b"), EvStartupMessage),
                    makeEvent(QStringLiteral("c"), EvOpenURL)});
        rig.open();
        rig.table.LocateId(rig.table.rowId(1));
        QTest::keyClicks(rig.any("cfgEvEdit"), QStringLiteral(" changed"));
        rig.click("cfgRemoveButton");
        QCOMPARE(rig.table.RecordCount(), 2);
        QCOMPARE(rig.table.row(0).EvName, QStringLiteral("a"));
        QCOMPARE(rig.table.current().EvName, QStringLiteral("c"));
        QCOMPARE(rig.w<QLineEdit>("cfgEvEdit")->text(), QStringLiteral("c"));
        QCOMPARE(frontPanel(rig), QStringLiteral("cfgURLSheet"));
        QVERIFY(rig.any("cfgTimePicker")->isEnabled());
        rig.click("cfgRemoveButton"); // the last row: the new last row is shown
        QCOMPARE(rig.table.current().EvName, QStringLiteral("a"));
        QCOMPARE(rig.w<EvGrid>("EvGrid")->currentIndex().row(), 0);
    }

    void datesAndTimesAreCommittedAtOnce()
    {
        CfgRig rig({makeEvent(QStringLiteral("a"))});
        rig.open();
        rig.w<QDateEdit>("cfgDatePicker")->setDate(QDate(2031, 2, 3));
        QCOMPARE(rig.table.row(0).EvDate, QDate(2031, 2, 3));
        QCOMPARE(rig.table.state(), EvTable::State::Browse);
        rig.w<QTimeEdit>("cfgTimePicker")->setTime(QTime(6, 5, 4));
        QCOMPARE(rig.table.row(0).EvTime, QTime(6, 5, 4));
        QCOMPARE(rig.table.state(), EvTable::State::Browse);
        // The grid shows what was stored.
        EvGrid* grid = rig.w<EvGrid>("EvGrid");
        QCOMPARE(grid->model()->index(0, 1).data().toString(), shortDateText(QDate(2031, 2, 3)));
    }

    void browseAndTestUseTheRow()
    {
        EventRecord r = makeEvent(QStringLiteral("a"));
        r.setValue(Field::EvCS, QStringLiteral("/snd/old.wav"));
        CfgRig rig({r, makeEvent(QStringLiteral("b"), EvLaunchOpen)});
        rig.open();

        CommonDialogs::setNextOpenFile(std::nullopt); // cancelled
        rig.click("cfgCSButton");
        QCOMPARE(rig.table.row(0).EvCS, QStringLiteral("/snd/old.wav"));
        QCOMPARE(rig.table.state(), EvTable::State::Browse);
        CommonDialogs::setNextOpenFile(QStringLiteral("/snd/new sound.wav"));
        rig.click("cfgCSButton");
        QCOMPARE(rig.table.row(0).EvCS, QStringLiteral("/snd/new sound.wav"));
        QCOMPARE(rig.table.state(), EvTable::State::Browse);
        QCOMPARE(rig.w<QLineEdit>("cfgCSEdit")->text(), QStringLiteral("/snd/new sound.wav"));
        rig.click("cfgCSTestButton");
        QCOMPARE(rig.sound.played, QStringList{"/snd/new sound.wav"});

        rig.table.LocateId(rig.table.rowId(1));
        CommonDialogs::setNextOpenFile(std::nullopt);
        rig.click("cfgPathButton");
        QCOMPARE(rig.table.row(1).EvPath, QString());
        CommonDialogs::setNextOpenFile(QStringLiteral("/usr/bin/true"));
        rig.click("cfgPathButton");
        QCOMPARE(rig.table.row(1).EvPath, QStringLiteral("/usr/bin/true"));
        QCOMPARE(rig.w<QLineEdit>("cfgPathEdit")->text(), QStringLiteral("/usr/bin/true"));
    }

    void tabOrderAndAccelerators()
    {
        CfgRig rig({makeEvent(QStringLiteral("a"), EvStartupMessage, 2)});
        rig.open();
        const QStringList order{"cfgEvEdit",      "cfgTypeCombo", "cfgDatePicker",    "cfgTimePicker",
                                "cfgRecCheckBox", "RecDRB",       "RecMRB",           "cfgRecEdit",
                                "cfgRecMEdit",    "cfgCSEdit",    "cfgShutTypeCombo", "IntervalCheckBox",
                                "IBTimePicker",   "IETimePicker", "MMAddressEdit"};
        QCOMPARE(tabOrder(rig.form.get(), order), order);
        const QList<QPair<QString, QString>> accelerators{
            {"&Date", "cfgDatePicker"},   {"&Time", "cfgTimePicker"}, {"day(&s)", "cfgRecEdit"},
            {"&month(s)", "cfgRecMEdit"}, {"&Begin", "IBTimePicker"}, {"E&nd", "IETimePicker"}};
        for (const auto& [caption, target] : accelerators)
            QCOMPARE(acceleratorTarget(rig.form.get(), caption), target);
        QCOMPARE(rig.w<QCheckBox>("cfgRecCheckBox")->text(), QStringLiteral("Rec&urring"));
        QCOMPARE(rig.w<QCheckBox>("IntervalCheckBox")->text(), QStringLiteral("&Interval"));
    }

    void hostileTextIsStoredAsTyped()
    {
        CfgRig rig({makeEvent(QStringLiteral("a"))});
        rig.open();
        QLineEdit* name = rig.w<QLineEdit>("cfgEvEdit");
        name->selectAll();
        const QString rtl = QStringLiteral("\u05e9\u05dc\u05d5\u05dd \u202e<b>&amp;</b>");
        // Text outside Latin-1 arrives as the text of a key event (as an input method sends it).
        QTest::sendKeyEvent(QTest::Press, name, Qt::Key_unknown, rtl, {});
        QTest::sendKeyEvent(QTest::Release, name, Qt::Key_unknown, rtl, {});
        QCOMPARE(rig.table.current().EvName, rtl);
        name->selectAll();
        QTest::keyClicks(name, QString(300, QLatin1Char('x')));
        QCOMPARE(rig.table.current().EvName.size(), MaxTextLength);
        rig.table.Post();
        QCOMPARE(rig.w<EvGrid>("EvGrid")->model()->index(0, 0).data().toString(),
                 QString(256, QLatin1Char('x')));
    }
};

QTEST_MAIN(TestCfgEventsPage)
#include "tst_cfgeventspage.moc"
