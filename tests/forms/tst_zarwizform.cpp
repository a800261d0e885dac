#include "EditorRig.h"
#include "forms/CommonDialogs.h"
#include "forms/EditorWidgets.h"
#include "forms/zarWizForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTimeEdit>
#include <QToolButton>
#include <QtTest>

using namespace zarvo;

namespace {

struct WizRig
{
    FakeClock clock{QDateTime(QDate(2026, 12, 10), QTime(12, 0, 7, 450))};
    QList<int> helpContexts;
    TzarWizForm wiz{clock, nullptr, [this](int c) { helpContexts << c; }};

    WizRig()
    {
        wiz.show();
        wiz.activateWindow();
        if (!QTest::qWaitForWindowActive(&wiz)) qWarning("wizard not active");
    }
    template <typename W> W* w(const char* name) const { return control<W>(&wiz, name); }
    QWidget* any(const char* name) const { return w<QWidget>(name); }
    void click(const char* name) const { clickControl(&wiz, name); }
    void next() const { click("wizNextButton"); }
    void back() const { click("wizBackButton"); }
    QString nextText() const { return w<QPushButton>("wizNextButton")->text(); }
    // To the type page, choosing `type` there.
    void toType(int type)
    {
        next();
        next();
        w<QComboBox>("wizTypeCombo")->setCurrentIndex(type);
    }
};

} // namespace

class TestZarWizForm : public QObject
{
    Q_OBJECT
private slots:
    void initialState()
    {
        WizRig rig;
        QCOMPARE(rig.wiz.windowTitle(), QStringLiteral("Events Wizard"));
        QVERIFY(!(rig.wiz.windowFlags() & Qt::WindowCloseButtonHint));
        QVERIFY(!(rig.wiz.windowFlags() & Qt::WindowSystemMenuHint));
        QCOMPARE(rig.wiz.wizStep(), 0);
        QVERIFY(rig.any("wizWelcomePanel")->isVisible());
        QVERIFY(!rig.any("wizBackButton")->isEnabled());
        QCOMPARE(rig.nextText(), QStringLiteral("&Next >"));
        QVERIFY(rig.w<QPushButton>("wizNextButton")->isDefault());
        QCOMPARE(rig.w<QComboBox>("wizTypeCombo")->currentText(), QStringLiteral("Notification"));
        QCOMPARE(rig.w<QComboBox>("wizShutTypeCombo")->currentText(), QStringLiteral("Shutdown"));
        QCOMPARE(rig.w<QDateEdit>("wizDatePicker")->date(), QDate(2026, 12, 10));
        QCOMPARE(rig.w<QTimeEdit>("wizTimePicker")->time(), QTime(12, 0, 7));
        for (QLineEdit* edit : rig.wiz.findChildren<QLineEdit*>()) {
            if (edit->objectName().startsWith(QLatin1String("wiz"))) QVERIFY(edit->text().isEmpty());
        }
        QVERIFY(!rig.w<QCheckBox>("wizRecCheckBox")->isChecked());
        QVERIFY(rig.w<QRadioButton>("wizDRB")->isChecked());
        for (const char* name :
             {"wizDRB", "wizMRB", "wizRecEdit", "wizRecMEdit", "wizRecDaysLabel", "wizRecMonthsLabel"})
            QVERIFY2(!rig.any(name)->isEnabled(), name);
        for (const char* name : {"wizRecEdit", "wizRecMEdit"}) {
            auto* spin = rig.w<QSpinBox>(name);
            QCOMPARE(spin->value(), 1);
            QCOMPARE(spin->minimum(), 1);
            QCOMPARE(spin->maximum(), 999);
        }
        QVERIFY(!rig.w<QCheckBox>("IntervalCheckBox")->isChecked());
        QCOMPARE(rig.w<QTimeEdit>("IBTimePicker")->time(), QTime(18, 19, 56));
        QCOMPARE(rig.w<QTimeEdit>("IETimePicker")->time(), QTime(18, 20, 1));
        QVERIFY(!rig.any("IBTimePicker")->isEnabled() && !rig.any("IETimePicker")->isEnabled());

        rig.click("wizHelpButton");
        QTest::keyClick(&rig.wiz, Qt::Key_F1);
        rig.next(); // the name page, the keyboard in its edit
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
        QCOMPARE(rig.helpContexts, (QList<int>{11, 11, 11}));
        QTest::keyClick(&rig.wiz, Qt::Key_Escape); // no key cancels
        QVERIFY(rig.wiz.isVisible());
    }

    void eachTypeTakesItsOwnPath_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("page"); // the type's own page, or the type page itself
        QTest::newRow("Notification") << 0 << "wizCSPanel";
        QTest::newRow("Launch/Open") << 1 << "wizLaunchPanel";
        QTest::newRow("Shutdown") << 2 << "wizShutPanel";
        QTest::newRow("Check mailbox") << 3 << "wizCSPanel";
        QTest::newRow("Startup message") << 4 << "wizStartupPanel";
        QTest::newRow("Time synchronization") << 5 << "wizTypePanel";
        QTest::newRow("Mail message") << 6 << "wizMMPanel";
        QTest::newRow("Open URL") << 7 << "wizURLPanel";
    }
    void eachTypeTakesItsOwnPath()
    {
        QFETCH(int, type);
        QFETCH(QString, page);
        WizRig rig;
        auto* stack = rig.any("wizWelcomePanel")->parentWidget();
        auto shown = [&] { return static_cast<QStackedWidget*>(stack)->currentWidget()->objectName(); };
        rig.next();
        QVERIFY(rig.any("wizBackButton")->isEnabled());
        QCOMPARE(shown(), QStringLiteral("wizNamePanel"));
        rig.next();
        QCOMPARE(shown(), QStringLiteral("wizTypePanel"));
        rig.w<QComboBox>("wizTypeCombo")->setCurrentIndex(type);
        rig.next();
        if (page != QLatin1String("wizTypePanel")) {
            QCOMPARE(shown(), page);
            QCOMPARE(rig.nextText(), QStringLiteral("&Next >"));
            rig.next();
        }
        QCOMPARE(shown(), QStringLiteral("wizWhenPanel"));
        QCOMPARE(rig.wiz.wizStep(), 9);
        QCOMPARE(rig.nextText(), QStringLiteral("&Finish"));
        QCOMPARE(rig.any("wizTimePicker")->isEnabled(), type != EvStartupMessage);

        rig.back();
        QCOMPARE(rig.nextText(), QStringLiteral("&Next >"));
        QCOMPARE(shown(), page);
        if (page != QLatin1String("wizTypePanel")) {
            rig.back();
            QCOMPARE(shown(), QStringLiteral("wizTypePanel"));
        }
        rig.back();
        rig.back();
        QCOMPARE(shown(), QStringLiteral("wizWelcomePanel"));
        QVERIFY(!rig.any("wizBackButton")->isEnabled());
        QVERIFY(rig.wiz.isVisible());
    }

    void startupTypeThenBackToNotification()
    {
        WizRig rig;
        rig.toType(EvStartupMessage);
        rig.next();
        rig.next();
        QVERIFY(!rig.any("wizTimePicker")->isEnabled());
        rig.back();
        rig.back();
        rig.w<QComboBox>("wizTypeCombo")->setCurrentIndex(EvNotification);
        rig.next();
        rig.next();
        QCOMPARE(rig.nextText(), QStringLiteral("&Finish"));
        QVERIFY(rig.any("wizTimePicker")->isEnabled());
    }

    void pageControls()
    {
        WizRig rig;
        rig.toType(EvStartupMessage);
        rig.next();
        rig.click("IntervalCheckBox");
        QVERIFY(rig.any("IBTimePicker")->isEnabled() && rig.any("IETimePicker")->isEnabled());
        auto* begin = rig.w<QTimeEdit>("IBTimePicker");
        auto* end = rig.w<QTimeEdit>("IETimePicker");
        begin->setTime(QTime(19, 0));
        QCOMPARE(end->time(), QTime(18, 20, 1)); // a later begin does not move the end
        end->setTime(QTime(18, 30));
        QCOMPARE(end->time(), QTime(19, 0)); // an end before the begin snaps to it
        rig.click("IntervalCheckBox");
        QVERIFY(!rig.any("IBTimePicker")->isEnabled());

        rig.next();
        rig.click("wizRecCheckBox");
        QVERIFY(rig.any("wizDRB")->isEnabled() && rig.any("wizMRB")->isEnabled());
        QVERIFY(rig.any("wizRecEdit")->isEnabled() && rig.any("wizRecDaysLabel")->isEnabled());
        QVERIFY(!rig.any("wizRecMEdit")->isEnabled() && !rig.any("wizRecMonthsLabel")->isEnabled());
        rig.click("wizMRB");
        QVERIFY(!rig.any("wizRecEdit")->isEnabled() && rig.any("wizRecMEdit")->isEnabled());
        rig.click("wizRecCheckBox");
        rig.click("wizRecCheckBox"); // ticked again: the months stay chosen
        QVERIFY(!rig.any("wizRecEdit")->isEnabled() && rig.any("wizRecMEdit")->isEnabled());
        rig.click("wizRecCheckBox");
        for (const char* name :
             {"wizDRB", "wizMRB", "wizRecEdit", "wizRecMEdit", "wizRecDaysLabel", "wizRecMonthsLabel"})
            QVERIFY2(!rig.any(name)->isEnabled(), name);
    }

    void finishBuildsTheEvent_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("recurrence"); // 0 none, 1 days, 2 months
        QTest::addColumn<int>("count");
        QTest::newRow("Launch/Open") << 1 << "run it" << 0 << 0;
        QTest::newRow("Notification every 5 days") << 0 << "ding" << 1 << 5;
        QTest::newRow("Check mailbox every 3 months") << 3 << "mail?" << 2 << 3;
        QTest::newRow("a 300-character name") << 0 << QString(300, QLatin1Char('n')) << 0 << 0;
        QTest::newRow("right-to-left name") << 6 << QStringLiteral("\u05e9\u05dc\u05d5\u05dd") << 0 << 0;
    }
    void finishBuildsTheEvent()
    {
        QFETCH(int, type);
        QFETCH(QString, name);
        QFETCH(int, recurrence);
        QFETCH(int, count);
        WizRig rig;
        rig.next();
        rig.w<QLineEdit>("wizNameEdit")->setText(name);
        rig.next();
        // Text typed on another type's pages before the type is changed is kept too.
        rig.w<QComboBox>("wizTypeCombo")->setCurrentIndex(EvLaunchOpen);
        rig.next();
        QTest::keyClicks(rig.any("wizPathEdit"), QStringLiteral("/usr/bin/prog"));
        QTest::keyClicks(rig.any("wizParamEdit"), QString(300, QLatin1Char('p')));
        rig.back();
        rig.w<QComboBox>("wizTypeCombo")->setCurrentIndex(type);
        rig.next();
        if (type == EvNotification || type == EvCheckMailbox) {
            CommonDialogs::setNextOpenFile(std::nullopt);
            rig.click("cfgCSButton");
            QCOMPARE(rig.w<QLineEdit>("wizCSEdit")->text(), QString());
            CommonDialogs::setNextOpenFile(QStringLiteral("/snd/own.wav"));
            rig.click("cfgCSButton");
        }
        if (type == EvMailMessage) QTest::keyClicks(rig.any("wizMMAddressEdit"), QStringLiteral("a@b.c"));
        rig.next();
        QCOMPARE(rig.wiz.wizStep(), 9);
        rig.w<QDateEdit>("wizDatePicker")->setDate(QDate(2027, 1, 2));
        rig.w<QTimeEdit>("wizTimePicker")->setTime(QTime(7, 45, 0));
        if (recurrence) {
            rig.click("wizRecCheckBox");
            if (recurrence == 2) rig.click("wizMRB");
            auto* spin = rig.w<QSpinBox>(recurrence == 1 ? "wizRecEdit" : "wizRecMEdit");
            spin->setFocus();
            QTest::keyClick(spin, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(spin, QString::number(count));
        }
        rig.next();
        QCOMPARE(rig.wiz.result(), int(QDialog::Accepted));

        EvTable table;
        table.replaceAll({makeEvent(QStringLiteral("existing"))});
        const EvTable::RowId id = rig.wiz.appendTo(table);
        QCOMPARE(table.RecordCount(), 2);
        QCOMPARE(table.rowId(1), id);
        QCOMPARE(table.state(), EvTable::State::Browse);
        const EventRecord& r = table.row(1);
        QCOMPARE(r.EvName, name.left(MaxTextLength));
        QCOMPARE(r.EvType, type);
        QCOMPARE(r.EvPath, QStringLiteral("/usr/bin/prog"));
        QCOMPARE(r.EvParam, QString(MaxTextLength, QLatin1Char('p')));
        QCOMPARE(r.EvCS, type == EvNotification || type == EvCheckMailbox ? QStringLiteral("/snd/own.wav")
                                                                          : QString());
        QCOMPARE(r.EvMMAddress, type == EvMailMessage ? QStringLiteral("a@b.c") : QString());
        QCOMPARE(r.EvDate, QDate(2027, 1, 2));
        QCOMPARE(r.EvTime, QTime(7, 45, 0));
        QCOMPARE(r.EvRec, recurrence == 1 ? count : 0);
        QCOMPARE(r.EvRecMonth, recurrence == 2 ? count : 0);
        QCOMPARE(r.EvShutType, 0);
        QCOMPARE(r.EvIntBTime, QTime(18, 19, 56));
        QVERIFY(!r.EvInterval);
    }

    void cancelOnAnyPageChangesNothing()
    {
        WizRig rig;
        rig.toType(EvLaunchOpen);
        rig.next();
        rig.click("wizCalncelButton");
        QCOMPARE(rig.wiz.result(), int(QDialog::Rejected));
        QVERIFY(!rig.wiz.isVisible());
    }

    void pathBrowse()
    {
        WizRig rig;
        rig.toType(EvLaunchOpen);
        rig.next();
        CommonDialogs::setNextOpenFile(QStringLiteral("/opt/tool"));
        rig.click("cfgS15Button");
        QCOMPARE(rig.w<QLineEdit>("wizPathEdit")->text(), QStringLiteral("/opt/tool"));
        CommonDialogs::setNextOpenFile(std::nullopt);
        rig.click("cfgS15Button");
        QCOMPARE(rig.w<QLineEdit>("wizPathEdit")->text(), QStringLiteral("/opt/tool"));
    }
};

QTEST_MAIN(TestZarWizForm)
#include "tst_zarwizform.moc"
