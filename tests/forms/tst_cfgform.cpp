#include "EditorRig.h"
#include "TestDirs.h"
#include "core/EventStore.h"
#include "forms/CommonDialogs.h"
#include "forms/cfgConnectPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QtTest>

using namespace zarvo;

namespace {

// Every value the three pages show set to something other than its default.
Settings unusualSettings()
{
    Settings s;
    s.Sound = false;
    s.Show = false;
    s.SoundFile = QStringLiteral("/snd/main.wav");
    s.Ding15 = true;
    s.Ding30 = true;
    s.Ding1h = true;
    s.Repeat = true;
    s.File15 = QStringLiteral("/snd/15.wav");
    s.File30 = QStringLiteral("/snd/30.wav");
    s.File1h = QStringLiteral("/snd/1h.wav");
    s.Sound15 = true;
    s.Sound30 = false;
    s.Sound1h = true;
    s.User = QStringLiteral("user");
    s.Pas = QStringLiteral("p\u00e4ss");
    s.Server = QStringLiteral("pop.example.org");
    s.Port = 995;
    s.Timeout = 5;
    s.SyncServer = QStringLiteral("clock.example.org");
    s.SyncPort = 3737;
    s.SyncTimeout = 1;
    s.SMTPServer = QStringLiteral("smtp.example.org");
    s.SMTPPort = 587;
    s.ReturnAddress = QStringLiteral("me@example.org");
    s.DeleteEvents = true;
    s.StickerText = QStringLiteral("line one\nline two");
    s.ShowSticker = true;
    s.ShowMissed = false;
    s.DesktopNotify = false;
    s.EvNum = 4;
    return s;
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestCfgForm : public QObject
{
    Q_OBJECT
private slots:
    void windowAndKeys()
    {
        CfgRig rig({makeEvent(QStringLiteral("a"))});
        TcfgForm& form = rig.open();
        QCOMPARE(form.windowTitle(), QStringLiteral("Properties"));
        auto* pages = rig.w<QTabWidget>("cfgPageControl");
        QCOMPARE(pages->count(), 4);
        const QStringList tabs{"Events", "Parameters", "Sticker", "Connection"};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(pages->tabText(i), tabs[i]);
            QVERIFY(!pages->tabIcon(i).isNull());
        }
        QCOMPARE(pages->currentIndex(), 0);
        QVERIFY(rig.w<QPushButton>("cfgOkButton")->isDefault());
        QVERIFY(form.windowFlags() & Qt::WindowCloseButtonHint);
        QVERIFY(!(form.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QCOMPARE(form.minimumSize(), form.maximumSize());

        // Escape is no Cancel; Enter is OK.
        QTest::keyClick(rig.any("cfgEvEdit"), Qt::Key_Escape);
        QVERIFY(form.isVisible());
        QTest::keyClick(rig.any("cfgEvEdit"), Qt::Key_Return);
        QVERIFY(!form.isVisible());
        QCOMPARE(form.result(), int(QDialog::Accepted));

        // The close box counts as Cancel.
        rig.open();
        rig.form->close();
        QCOMPARE(rig.form->result(), int(QDialog::Rejected));
    }

    void helpOpensThePageContext()
    {
        CfgRig rig;
        rig.open();
        auto* pages = rig.w<QTabWidget>("cfgPageControl");
        for (int i = 0; i < pages->count(); ++i) {
            pages->setCurrentIndex(i);
            rig.click("cfgHelpButton");
            // F1 does the same, wherever the keyboard is on the page.
            const QList<QWidget*> controls = pages->currentWidget()->findChildren<QWidget*>();
            const auto focusable = std::find_if(controls.begin(), controls.end(), [](QWidget* c) {
                return (c->focusPolicy() & Qt::TabFocus) && c->isEnabled() && c->isVisible();
            });
            QVERIFY(focusable != controls.end());
            (*focusable)->setFocus();
            QTest::keyClick(*focusable, Qt::Key_F1);
        }
        QCOMPARE(rig.helpContexts, (QList<int>{12, 12, 17, 17, 40, 40, 14, 14}));
    }

    void parametersEnablingRules_data()
    {
        QTest::addColumn<bool>("ding");
        QTest::addColumn<bool>("sound");
        QTest::newRow("off") << false << true;
        QTest::newRow("on, sound") << true << true;
        QTest::newRow("on, talk") << true << false;
    }
    void parametersEnablingRules()
    {
        QFETCH(bool, ding);
        QFETCH(bool, sound);
        CfgRig rig;
        rig.settings.Ding15 = rig.settings.Ding30 = rig.settings.Ding1h = ding;
        rig.settings.Sound15 = rig.settings.Sound30 = rig.settings.Sound1h = sound;
        rig.settings.Sound = false;
        rig.open();
        rig.w<QTabWidget>("cfgPageControl")->setCurrentIndex(1);

        struct Chime
        {
            const char *check, *soundRadio, *talkRadio, *edit, *browse, *test;
        };
        const Chime chimes[] = {
            {"Alarm15mCheckBox", "cfgAlarm15SoundRadio", "cfgAlarm15TalkRadio", "cfgS15Edit", "cfgS15Button",
             "Alarm15mTestButton"},
            {"Alarm30mCheckBox", "cfgAlarm30SoundRadio", "cfgAlarm30TalkRadio", "cfgS30Edit", "cfgS30Button",
             "Alarm30mTestButton"},
            {"Alarm1hCheckBox", "cfgAlarm1hSoundRadio", "cfgAlarm1hTalkRadio", "cfgS1hEdit", "cfgS1hButton",
             "Alarm1hTestButton"},
        };
        // At opening, then after clicks that turn each state into the next.
        auto verify = [&](bool on, bool viaSound) {
            for (const Chime& c : chimes) {
                QCOMPARE(rig.w<QCheckBox>(c.check)->isChecked(), on);
                QCOMPARE(rig.any(c.soundRadio)->isEnabled(), on);
                QCOMPARE(rig.any(c.talkRadio)->isEnabled(), on);
                QCOMPARE(rig.any(c.test)->isEnabled(), on);
                QCOMPARE(rig.any(c.edit)->isEnabled(), on && viaSound);
                QCOMPARE(rig.any(c.browse)->isEnabled(), on && viaSound);
            }
            QCOMPARE(rig.any("cfgAlarmRepeatCheckBox")->isEnabled(), on && viaSound);
        };
        verify(ding, sound);
        if (!ding)
            for (const Chime& c : chimes)
                rig.click(c.check);
        verify(true, sound);
        for (const Chime& c : chimes)
            rig.click(sound ? c.talkRadio : c.soundRadio);
        verify(true, !sound);
        for (const Chime& c : chimes)
            rig.click(c.check);
        verify(false, !sound);

        // The default sound group follows "Sou&nd".
        for (const char* name : {"cfgSMainEdit", "cfgSMainButton", "cfgTestButton"})
            QVERIFY(!rig.any(name)->isEnabled());
        rig.click("cfgSoundCheckBox");
        for (const char* name : {"cfgSMainEdit", "cfgSMainButton", "cfgTestButton"})
            QVERIFY(rig.any(name)->isEnabled());
        // An empty default sound file says what plays instead, and stays empty.
        QCOMPARE(rig.w<QLineEdit>("cfgSMainEdit")->placeholderText(),
                 QStringLiteral("(desktop alarm sound)"));
        QCOMPARE(rig.w<QLineEdit>("cfgSMainEdit")->text(), QString());
    }

    void testButtonsPlayOrSpeak()
    {
        CfgRig rig;
        rig.settings.Ding15 = rig.settings.Ding30 = rig.settings.Ding1h = true;
        rig.settings.Sound15 = rig.settings.Sound30 = rig.settings.Sound1h = false;
        rig.settings.File15 = QStringLiteral("/snd/15.wav");
        rig.open();
        rig.w<QTabWidget>("cfgPageControl")->setCurrentIndex(1);
        rig.click("Alarm15mTestButton");
        rig.click("Alarm30mTestButton");
        rig.click("Alarm1hTestButton");
        QCOMPARE(rig.spoken, (QList<QPair<int, int>>{{10, 15}, {10, 30}, {10, 0}}));
        QVERIFY(rig.sound.played.isEmpty());

        // With Sound, the text as typed plays (before OK); so does the default sound file.
        rig.click("cfgAlarm15SoundRadio");
        QLineEdit* edit = rig.w<QLineEdit>("cfgS15Edit");
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("/typed/chime.wav"));
        rig.click("Alarm15mTestButton");
        rig.w<QLineEdit>("cfgSMainEdit")->setText(QStringLiteral("/snd/main.wav"));
        rig.click("cfgTestButton");
        QCOMPARE(rig.sound.played, (QStringList{"/typed/chime.wav", "/snd/main.wav"}));
        QCOMPARE(rig.spoken.size(), 3);

        // Browse replaces the edit's text; a cancelled dialog changes nothing.
        CommonDialogs::setNextOpenFile(std::nullopt);
        rig.click("cfgS15Button");
        QCOMPARE(edit->text(), QStringLiteral("/typed/chime.wav"));
        CommonDialogs::setNextOpenFile(QStringLiteral("/chosen/ding.wav"));
        rig.click("cfgS15Button");
        QCOMPARE(edit->text(), QStringLiteral("/chosen/ding.wav"));
    }

    void spinEditsClampOnFocusLoss_data()
    {
        QTest::addColumn<QString>("spin");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("shown");
        QTest::newRow("port above range") << "cfgPortEdit"
                                          << "65535" << 10000;
        QTest::newRow("smtp port in range") << "cfgSMTPPortEdit"
                                            << "2525" << 2525;
        QTest::newRow("sync port below range") << "SyncPortEdit"
                                               << "-5" << 0;
        QTest::newRow("time-out 0") << "cfgTimeoutEdit"
                                    << "0" << 1;
        QTest::newRow("sync time-out 9") << "SyncTOutEdit"
                                         << "9" << 5;
        QTest::newRow("letters") << "cfgPortEdit"
                                 << "abc" << 110;
    }
    void spinEditsClampOnFocusLoss()
    {
        QFETCH(QString, spin);
        QFETCH(QString, typed);
        QFETCH(int, shown);
        CfgRig rig;
        rig.open();
        rig.w<QTabWidget>("cfgPageControl")->setCurrentIndex(3);
        auto* box = rig.w<QSpinBox>(spin.toLatin1().constData());
        box->setFocus();
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClicks(box, typed);
        rig.any("cfgUserEdit")->setFocus(); // the spin edit loses focus
        QCOMPARE(box->value(), shown);
        QCOMPARE(box->text(), QString::number(shown));
    }

    void okCopiesWhatThePagesHold()
    {
        CfgRig rig;
        rig.settings = unusualSettings();
        rig.open();
        // A port still being typed when OK is pressed counts, brought into range.
        auto* port = rig.w<QSpinBox>("cfgSMTPPortEdit");
        port->setFocus();
        QTest::keyClick(port, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(port, QStringLiteral("99999"));
        Settings out;
        out.EvNum = 77; // not the dialog's to copy
        rig.form->applyTo(out);

        Settings expected = unusualSettings();
        expected.SMTPPort = 10000;
        expected.EvNum = 77;
        QCOMPARE(out.StickerText, expected.StickerText);
        QCOMPARE(out.Pas, expected.Pas);
        QVERIFY(out == expected);
    }

    void stickerPreviewFollowsTheNote()
    {
        CfgRig rig;
        rig.settings.StickerText = QStringLiteral("old");
        rig.open();
        auto* memo = rig.w<QPlainTextEdit>("cfgStickerMemo");
        QCOMPARE(memo->font().family(), QFont(QStringLiteral("Serif")).family());
        QCOMPARE(memo->font().pointSize(), 17);
        QCOMPARE(memo->palette().color(QPalette::Base), QColor(Qt::yellow));
        QCOMPARE(memo->palette().color(QPalette::Text), QColor(Qt::darkBlue));
        QCOMPARE(memo->toPlainText(), QStringLiteral("old"));

        // The sticker's own font and colour commands while the dialog is open.
        QFont bigger(QStringLiteral("Monospace"), 30);
        rig.form->setStickerFont(bigger);
        rig.form->setStickerColor(QColor(Qt::cyan));
        QCOMPARE(memo->font().pointSize(), 30);
        QCOMPARE(memo->palette().color(QPalette::Base), QColor(Qt::cyan));

        rig.w<QTabWidget>("cfgPageControl")->setCurrentIndex(2);
        memo->setFocus();
        QTest::keyClick(memo, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(memo, Qt::Key_Return);
        QTest::keyClicks(memo, QStringLiteral("new & <b>"));
        QVERIFY(rig.form->isVisible()); // Enter in the note is a new line, not OK
        Settings out;
        rig.form->applyTo(out);
        QCOMPARE(out.StickerText, QStringLiteral("old\nnew & <b>"));
    }

    void timeServerListKeepsTheServerInUse()
    {
        CfgRig rig;
        rig.settings.SyncServer = QStringLiteral("my.own.host");
        rig.open();
        auto* hosts = rig.w<QComboBox>("SyncHostComboBox");
        QVERIFY(hosts->isEditable());
        QCOMPARE(hosts->count(), 5);
        QCOMPARE(hosts->currentText(), QStringLiteral("my.own.host"));
        hosts->setCurrentIndex(2);
        Settings out;
        rig.form->applyTo(out);
        QCOMPARE(out.SyncServer, CfgConnectPage::timeServers().at(2));
    }

    // The owner's protocol around the dialog, with the real event files: Cancel brings back the
    // backup and leaves "zarvo.dat" alone; OK saves what the page made.
    void cancelRestoresAndOkSaves()
    {
        TestDirs dirs;
        EventStore store(dirs.dataHome());
        CfgRig rig({makeEvent(QStringLiteral("a"), 0, 7), makeEvent(QStringLiteral("b"), EvLaunchOpen),
                    makeEvent(QStringLiteral("c"), 0, 0, 3)});
        QVERIFY(store.SaveEvents(rig.table));
        const QVector<EventRecord> before = rig.table.rows();
        const QByteArray saved = fileBytes(store.path(EventStore::EventsFile));

        for (bool ok : {false, true}) {
            QVERIFY(store.SaveBackup(rig.table));
            const QVector<EvTable::RowId> ids = rig.table.ids();
            rig.open();
            rig.click("cfgAddButton");
            QTest::keyClicks(rig.any("cfgEvEdit"), QStringLiteral("added"));
            rig.table.First();
            rig.click("cfgRemoveButton");
            QTest::keyClicks(rig.any("cfgEvEdit"), QStringLiteral(" edited"));
            rig.click(ok ? "cfgOkButton" : "cfgCancelButton");
            if (rig.form->result() == QDialog::Accepted) {
                rig.form->applyTo(rig.settings);
                QVERIFY(store.SaveEvents(rig.table));
            } else {
                store.RestoreBackup(rig.table, ids);
            }
            rig.form.reset();
            if (!ok) {
                QCOMPARE(rig.table.rows(), before);
                QCOMPARE(rig.table.ids(), ids);
                QCOMPARE(fileBytes(store.path(EventStore::EventsFile)), saved);
            }
        }
        QVector<EventRecord> rows;
        QCOMPARE(store.load(store.path(EventStore::EventsFile), rows), EventStore::LoadResult::Loaded);
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[0].EvName, QStringLiteral("b edited"));
        QCOMPARE(rows[2].EvName, QStringLiteral("added"));
    }

    void opensOnTenThousandEvents()
    {
        QVector<EventRecord> rows;
        for (int i = 0; i < 10000; ++i)
            rows << makeEvent(QStringLiteral("event %1").arg(i), i % 8, i % 3, 0);
        CfgRig rig(rows);
        rig.table.Last();
        QElapsedTimer timer;
        timer.start();
        rig.open();
        const qint64 opened = timer.elapsed();
        QCOMPARE(rig.table.RecNo(), 10000);
        timer.restart();
        for (int i = 0; i < 100; ++i)
            rig.table.MoveBy(i % 2 ? 97 : -89);
        qInfo("10,000 events: dialog opened and shown in %lld ms; 100 row changes shown in %lld ms", opened,
              timer.elapsed());
    }
};

QTEST_MAIN(TestCfgForm)
#include "tst_cfgform.moc"
