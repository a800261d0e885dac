#include "app/Program.h"
#include "forms/CommonDialogs.h"
#include "forms/DingClock.h"
#include "forms/zarCalForm.h"
#include "forms/zarStickerForm.h"
#include "platform/QtSoundPlayer.h"
#include "platform/SystemClock.h"

#include "TestDirs.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace zarvo;

namespace {

using Edit = std::function<void(Settings&)>;

// Writes a settings file holding the defaults changed by `edit`.
void storeSettings(const QString& file, const Edit& edit)
{
    SettingsStore store(file, [] {});
    Settings s;
    store.LoadSettings(s);
    edit(s);
    store.SaveParameters(s);
    store.SaveWindowSettings(s);
    store.SaveStickerSettings(s);
}

QStringList captions(const QList<QAction*>& actions)
{
    QStringList out;
    for (const QAction* a : actions)
        out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}

} // namespace

class TestProgram : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void startupCaptions_data();
    void startupCaptions();
    void trayMenuOrderAndDefault();
    void sizeRule();
    void clockMenuToggles();
    void trayToggles();
    void disableEnable();
    void cancelledDialogsChangeNothing();
    void chosenFontAndColor();
    void drag_data();
    void drag();
    void onTop();
    void storedNotOnTopStays();
    void offScreenPositionComesBack();
    void noTrayFallback_data();
    void noTrayFallback();
    void editorsProtocol();
    void aboutDisablesItsItem();
    void exitDuringModalBox();

private:
    std::unique_ptr<Program> make(const Edit& edit = {}, bool tray = true);
    QString settingsFile() const { return m_dirs->configHome() + QStringLiteral("/zarvo/settings.reg"); }
    QString eventsDir() const { return m_dirs->dataHome() + QStringLiteral("/zarvo"); }

    std::unique_ptr<TestDirs> m_dirs;
    bool m_tray = true;
    SystemClock m_clock;
    QtSoundPlayer m_sound;
};

void TestProgram::init()
{
    m_dirs = std::make_unique<TestDirs>();
    m_tray = true;
}

void TestProgram::cleanup()
{
    m_dirs.reset();
}

std::unique_ptr<Program> TestProgram::make(const Edit& edit, bool tray)
{
    m_tray = tray;
    if (edit) storeSettings(settingsFile(), edit);
    return std::make_unique<Program>(ProgramFiles{settingsFile(), eventsDir(), {}},
                                     ProgramServices{m_clock, m_sound, nullptr, [this] { return m_tray; }});
}

void TestProgram::startupCaptions_data()
{
    QTest::addColumn<bool>("on"); // every toggle setting at once
    QTest::addColumn<QStringList>("tray");
    QTest::addColumn<QString>("sec");
    QTest::newRow("first start") << false
                                 << QStringList{"Show &clock", "Show stick&er", "Show calen&dar", "&Disable"}
                                 << "Show &seconds";
    QTest::newRow("all on") << true
                            << QStringList{"Hide &clock", "Hide stick&er", "Hide calen&dar", "&Enable"}
                            << "Hide &seconds";
}

void TestProgram::startupCaptions()
{
    QFETCH(bool, on);
    QFETCH(QStringList, tray);
    QFETCH(QString, sec);
    auto form = make(
        [on](Settings& s) { s.ClockVisible = s.ShowSticker = s.CalVis = s.Disable = s.SecVisible = on; });
    TrayMenu& t = form->trayMenu();
    QCOMPARE((QStringList{t.ClockItem->text(), t.StickItem->text(), t.CalItem->text(), t.DisItem->text()}),
             tray);
    QCOMPARE(form->zarForm().clockMenu().SecItem->text(), sec);
    QCOMPARE(form->zarForm().isVisible(), on);
    // One icon, with the tip of the state.
    QVERIFY(t.ZarTrayIcon->isVisible());
    QCOMPARE(t.ZarTrayIcon->toolTip(), on ? QStringLiteral("Zarvo! (disabled)") : QStringLiteral("Zarvo!"));
    QVERIFY(!t.ZarTrayIcon->icon().isNull());

    // The first start (no stored value) shows the seconds.
    if (!on) {
        auto fresh = std::make_unique<TestDirs>();
        Program first(
            ProgramFiles{fresh->configHome() + QStringLiteral("/zarvo/settings.reg"), fresh->dataHome(), {}},
            ProgramServices{m_clock, m_sound, nullptr, [] { return true; }});
        QCOMPARE(first.zarForm().clockMenu().SecItem->text(), QStringLiteral("Hide &seconds"));
        QCOMPARE(first.trayMenu().ClockItem->text(), QStringLiteral("Show &clock"));
        QVERIFY(!first.zarForm().isVisible());
    }
}

void TestProgram::trayMenuOrderAndDefault()
{
    auto form = make();
    QCOMPARE(captions(form->trayMenu().items()),
             (QStringList{"&Properties...", "&Wizard...", "-", "Show &clock", "Show stick&er",
                          "Show calen&dar", "-", "&Help", "&About...", "-", "&Disable", "E&xit"}));
    QCOMPARE(form->trayMenu().menu()->defaultAction(), form->trayMenu().PropItem);
    QCOMPARE(captions(form->zarForm().clockMenu().menu()->actions()),
             (QStringList{"&Hide", "&On top", "Hide &seconds", "-", "&Font...", "&Color..."}));
    QVERIFY(form->zarForm().clockMenu().OnTopItem->isCheckable());
}

void TestProgram::sizeRule()
{
    auto form = make([](Settings& s) { s.ClockFSize = 14; });
    QCOMPARE(form->zarForm().size(), QSize(98, 18));
    QCOMPARE(form->zarForm().dingClockWidget()->size(), QSize(98, 18));
    form->zarForm().SecItemClick();
    QCOMPARE(form->zarForm().size(), QSize(70, 18));
    QCOMPARE(form->zarForm().clockMenu().SecItem->text(), QStringLiteral("Show &seconds"));
    QVERIFY(!form->settings().SecVisible);
    QVERIFY(!form->zarForm().dingClockWidget()->secondsVisible());
    form->zarForm().SecItemClick();
    QCOMPARE(form->zarForm().size(), QSize(98, 18));
    QCOMPARE(form->zarForm().clockMenu().SecItem->text(), QStringLiteral("Hide &seconds"));

    // Hidden seconds at start: 5 per point.
    auto narrow = make([](Settings& s) { s.ClockFSize = 20, s.SecVisible = false; });
    QCOMPARE(narrow->zarForm().size(), QSize(100, 24));
}

void TestProgram::clockMenuToggles()
{
    auto form = make([](Settings& s) { s.ClockVisible = true; });
    QVERIFY(form->zarForm().isVisible());
    form->zarForm().clockMenu().HideItem->trigger();
    QVERIFY(!form->zarForm().isVisible());
    QVERIFY(!form->settings().ClockVisible);
    QCOMPARE(form->trayMenu().ClockItem->text(), QStringLiteral("Show &clock"));
}

void TestProgram::trayToggles()
{
    auto form = make([](Settings& s) { s.ClockLeft = 120, s.ClockTop = 80; });
    TStickerForm sticker(form->settings(), form->settingsStore());
    TzarCalForm cal(form->settings(), form->settingsStore(), QDate(2026, 3, 1));
    form->setStickerForm(&sticker);
    form->setCalForm(&cal);
    TrayMenu& t = form->trayMenu();

    t.ClockItem->trigger();
    QVERIFY(form->zarForm().isVisible());
    QCOMPARE(form->zarForm().pos(), QPoint(120, 80));
    QVERIFY(form->settings().ClockVisible);
    QCOMPARE(t.ClockItem->text(), QStringLiteral("Hide &clock"));
    t.ClockItem->trigger();
    QVERIFY(!form->zarForm().isVisible());
    QCOMPARE(t.ClockItem->text(), QStringLiteral("Show &clock"));

    t.StickItem->trigger();
    QVERIFY(sticker.isVisible());
    QCOMPARE(t.StickItem->text(), QStringLiteral("Hide stick&er"));
    QVERIFY(!form->settings().ShowSticker); // the start-up option is not the tray's
    t.StickItem->trigger();
    QVERIFY(!sticker.isVisible());
    QCOMPARE(t.StickItem->text(), QStringLiteral("Show stick&er"));
    t.StickItem->trigger();
    Q_EMIT sticker.hiddenByUser(); // the sticker's own "&Hide" or its closing
    QCOMPARE(t.StickItem->text(), QStringLiteral("Show stick&er"));

    t.CalItem->trigger();
    QVERIFY(cal.isVisible());
    QVERIFY(form->settings().CalVis);
    QCOMPARE(t.CalItem->text(), QStringLiteral("Hide calen&dar"));
    t.CalItem->trigger();
    QVERIFY(!cal.isVisible());
    QVERIFY(!form->settings().CalVis);
    QCOMPARE(t.CalItem->text(), QStringLiteral("Show calen&dar"));
}

void TestProgram::disableEnable()
{
    auto form = make([](Settings& s) { s.Disable = true; });
    // A daily event later today: selected on Enable, not while disabled.
    EvTable& table = form->events();
    table.Append();
    table.setFieldValue(Field::EvName, QStringLiteral("Tea"));
    table.setFieldValue(Field::EvDate, QDate::currentDate().addDays(1));
    table.setFieldValue(Field::EvTime, QTime(10, 30));
    table.setFieldValue(Field::EvType, 0);
    table.setFieldValue(Field::EvRec, 1);
    table.Post();
    form->scheduler().SelectNextEvent();
    QVERIFY(form->scheduler().next().NextText.isEmpty());

    TrayMenu& t = form->trayMenu();
    t.DisItem->trigger();
    QVERIFY(!form->settings().Disable);
    QCOMPARE(t.DisItem->text(), QStringLiteral("&Disable"));
    QCOMPARE(t.ZarTrayIcon->toolTip(), QStringLiteral("Zarvo!"));
    QVERIFY(form->scheduler().next().NextText.startsWith(QStringLiteral("Tea")));
    const QDateTime tea(QDate::currentDate().addDays(1), QTime(10, 30));
    QCOMPARE(form->alarmClock().moment(), tea);

    t.DisItem->trigger();
    QVERIFY(form->settings().Disable);
    QCOMPARE(t.DisItem->text(), QStringLiteral("&Enable"));
    QCOMPARE(t.ZarTrayIcon->toolTip(), QStringLiteral("Zarvo! (disabled)"));
    // Disabling does not disarm.
    QCOMPARE(form->alarmClock().moment(), tea);
}

void TestProgram::cancelledDialogsChangeNothing()
{
    auto form = make([](Settings& s) { s.ClockFSize = 14, s.ClockColor = 0x00ff00, s.ClockFB = true; });
    const Settings before = form->settings();
    const QFont font = form->zarForm().dingClockWidget()->font();
    const QColor window = form->zarForm().palette().color(QPalette::Window);
    CommonDialogs::setNextFont(std::nullopt);
    form->zarForm().clockMenu().FontItem->trigger();
    CommonDialogs::setNextColor(std::nullopt);
    form->zarForm().clockMenu().ColorItem->trigger();
    QCOMPARE(form->settings(), before);
    QCOMPARE(form->zarForm().dingClockWidget()->font(), font);
    QCOMPARE(form->zarForm().palette().color(QPalette::Window), window);
    QCOMPARE(form->zarForm().size(), QSize(98, 18));
}

void TestProgram::chosenFontAndColor()
{
    auto form = make([](Settings& s) { s.SecVisible = false; });
    QFont f(QStringLiteral("DejaVu Serif"), 20);
    f.setBold(true);
    f.setItalic(true);
    CommonDialogs::setNextFont(FontChoice{f, QColor(0, 0, 255)});
    form->zarForm().FontItemClick();
    const Settings& s = form->settings();
    QCOMPARE(form->zarForm().size(), QSize(100, 24));
    QVERIFY(s.ClockFB && s.ClockFI && !s.ClockFU && !s.ClockFS);
    QCOMPARE(s.ClockFSize, 20);
    QCOMPARE(s.ClockFColor, 0xff0000); // blue, stored as red + 256 green + 65536 blue
    QCOMPARE(form->zarForm().dingClockWidget()->textColor(), QColor(0, 0, 255));

    CommonDialogs::setNextColor(QColor(255, 128, 0));
    form->zarForm().ColorItemClick();
    QCOMPARE(s.ClockColor, 255 + 128 * 256);
    QCOMPARE(form->zarForm().palette().color(QPalette::Window), QColor(255, 128, 0));

    // The name is taken from the live font when saved; a restart brings the look back.
    form.reset();
    auto again = make();
    QCOMPARE(again->zarForm().dingClockWidget()->font().family(), QStringLiteral("DejaVu Serif"));
    QVERIFY(again->zarForm().dingClockWidget()->font().bold());
    QVERIFY(again->zarForm().dingClockWidget()->font().italic());
    QCOMPARE(again->settings().ClockColor, 255 + 128 * 256);
}

void TestProgram::drag_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<QPoint>("step");
    QTest::newRow("left, right and down") << Qt::LeftButton << QPoint(23, 17);
    QTest::newRow("left, up and left") << Qt::LeftButton << QPoint(-31, -9);
    QTest::newRow("right button does nothing") << Qt::RightButton << QPoint(23, 17);
}

void TestProgram::drag()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(QPoint, step);
    auto form = make([](Settings& s) { s.ClockLeft = 300, s.ClockTop = 300; });
    const QPoint start = form->zarForm().pos();
    const QPoint grab(7, 5);
    QPoint pointer = start + grab; // in screen coordinates
    QMouseEvent press(QEvent::MouseButtonPress, grab, pointer, button, button, Qt::NoModifier);
    QApplication::sendEvent(&form->zarForm(), &press);
    const int steps = 12;
    for (int i = 0; i < steps; ++i) {
        pointer += step;
        // Where the pointer is in the window, as it stands before this move.
        const QPoint local = pointer - form->zarForm().pos();
        QMouseEvent move(QEvent::MouseMove, local, pointer, Qt::NoButton, button, Qt::NoModifier);
        QApplication::sendEvent(&form->zarForm(), &move);
    }
    const QPoint expected = button == Qt::LeftButton ? start + step * steps : start;
    QCOMPARE(form->zarForm().pos(), expected);
    QCOMPARE(form->settings().ClockLeft, 300); // taken from the window only when saved
    form->SaveWindowSettings();
    QCOMPARE(form->settings().ClockLeft, expected.x());
    QCOMPARE(form->settings().ClockTop, expected.y());
}

void TestProgram::onTop()
{
    auto form = make([](Settings& s) { s.ClockOnTop = true, s.ClockVisible = true; });
    QVERIFY(form->zarForm().onTop());
    form->zarForm().ClockPopupMenuPopup();
    QVERIFY(form->zarForm().clockMenu().OnTopItem->isChecked());
    form->zarForm().clockMenu().OnTopItem->trigger();
    QVERIFY(!form->zarForm().onTop());
    QVERIFY(!form->settings().ClockOnTop);
    QVERIFY(form->zarForm().isVisible());
    form->zarForm().ClockPopupMenuPopup();
    QVERIFY(!form->zarForm().clockMenu().OnTopItem->isChecked());
    form->zarForm().clockMenu().OnTopItem->trigger();
    QVERIFY(form->zarForm().onTop());
    QVERIFY(form->settings().ClockOnTop);
}

void TestProgram::storedNotOnTopStays()
{
    // Never shown: saving must not turn "on top" on.
    auto form = make([](Settings& s) { s.ClockOnTop = false, s.ClockVisible = false; });
    QVERIFY(!form->zarForm().onTop());
    form.reset();
    auto again = make();
    QVERIFY(!again->settings().ClockOnTop);
    // Shown from the tray while "on top" is off: it stays off.
    again->ClockItemClick();
    QVERIFY(again->zarForm().isVisible());
    QVERIFY(!again->zarForm().onTop());
}

void TestProgram::offScreenPositionComesBack()
{
    auto form = make([](Settings& s) { s.ClockLeft = -30000, s.ClockTop = 40000, s.ClockVisible = true; });
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QVERIFY2(screen.intersects(form->zarForm().frameGeometry()),
             qPrintable(QStringLiteral("at %1,%2").arg(form->zarForm().x()).arg(form->zarForm().y())));
}

void TestProgram::noTrayFallback_data()
{
    QTest::addColumn<bool>("chosen"); // the stored ClockVisible
    QTest::newRow("clock hidden by choice") << false;
    QTest::newRow("clock shown by choice") << true;
}

void TestProgram::noTrayFallback()
{
    QFETCH(bool, chosen);
    auto form = make([chosen](Settings& s) { s.ClockVisible = chosen; }, false);
    // Without a tray the clock is the way in: shown, with the tray's items after its own.
    QVERIFY(form->zarForm().isVisible());
    QCOMPARE(captions(form->zarForm().clockMenu().menu()->actions()),
             (QStringList{"&Hide", "&On top", "Hide &seconds", "-", "&Font...", "&Color...", "-",
                          "&Properties...", "&Wizard...", "-", "Hide &clock", "Show stick&er",
                          "Show calen&dar", "-", "&Help", "&About...", "-", "&Disable", "E&xit"}));
    // Hiding would leave nothing to bring it back.
    QVERIFY(!form->zarForm().clockMenu().HideItem->isEnabled());
    QVERIFY(!form->trayMenu().ClockItem->isEnabled());
    QVERIFY(!form->trayMenu().ZarTrayIcon->isVisible());

    form->trayMenu().checkTray(); // still none
    QVERIFY(form->zarForm().clockMenu().hasBorrowedItems());

    m_tray = true; // a panel with a tray comes up
    form->trayMenu().checkTray();
    QVERIFY(form->trayMenu().ZarTrayIcon->isVisible());
    QCOMPARE(captions(form->zarForm().clockMenu().menu()->actions()),
             (QStringList{"&Hide", "&On top", "Hide &seconds", "-", "&Font...", "&Color..."}));
    QVERIFY(form->zarForm().clockMenu().HideItem->isEnabled());
    QVERIFY(form->trayMenu().ClockItem->isEnabled());
    // The clock was only the way in: it goes back to what the settings hold.
    QCOMPARE(form->zarForm().isVisible(), chosen);
    QCOMPARE(form->trayMenu().ClockItem->text(),
             chosen ? QStringLiteral("Hide &clock") : QStringLiteral("Show &clock"));
    if (!chosen) return;
    form->zarForm().clockMenu().HideItem->trigger();
    QCOMPARE(form->trayMenu().ClockItem->text(), QStringLiteral("Show &clock"));
}

void TestProgram::editorsProtocol()
{
    auto form = make();
    EvTable& table = form->events();
    table.Append();
    table.setFieldValue(Field::EvName, QStringLiteral("Kept"));
    table.Post();
    const QString backup = eventsDir() + QStringLiteral("/rb.dat");
    TrayMenu& t = form->trayMenu();

    // While an editor is open the items are greyed and the icon's main action does nothing.
    t.PropItem->setEnabled(false);
    Q_EMIT t.iconActivated();
    QVERIFY(!QFile::exists(backup));
    QVERIFY(!form->PropertiesOpen());
    t.PropItem->setEnabled(true);

    // Opened, nothing waits for the dialog: the call returns with it on screen.
    Q_EMIT t.iconActivated();
    TcfgForm* dialog = form->editors().propertiesDialog();
    QVERIFY(dialog && dialog->isVisible());
    QVERIFY(!dialog->isModal());
    QVERIFY(!t.PropItem->isEnabled() && !t.WizItem->isEnabled());
    QVERIFY(QFile::exists(backup));
    // The rest of the program stays usable: the tray's own items work meanwhile.
    t.ClockItem->trigger();
    QVERIFY(form->zarForm().isVisible());
    // Cancel after an edit under it: the edit goes.
    table.Append();
    table.setFieldValue(Field::EvName, QStringLiteral("Thrown away"));
    table.Post();
    dialog->reject();
    QVERIFY(!form->PropertiesOpen());
    QCOMPARE(table.RecordCount(), 1);
    QVERIFY(t.PropItem->isEnabled() && t.WizItem->isEnabled());

    // OK: the table and the settings are saved at once.
    t.PropItem->trigger();
    form->editors().propertiesDialog()->accept();
    QVERIFY(QFile::exists(eventsDir() + QStringLiteral("/zarvo.dat")));
    QCOMPARE(table.RecordCount(), 1);
    QCOMPARE(form->settings().EvNum, 1); // the row count, as saved

    // The wizard cancelled: backed up, nothing appended.
    QFile::remove(backup);
    t.WizItem->trigger();
    QVERIFY(form->editors().wizard() && form->editors().wizard()->isVisible());
    QVERIFY(!t.PropItem->isEnabled());
    QVERIFY(QFile::exists(backup));
    form->editors().wizard()->reject();
    QCOMPARE(table.RecordCount(), 1);
    QVERIFY(t.PropItem->isEnabled() && t.WizItem->isEnabled());

    // "E&xit" while the dialog is open ends it by the Cancel path.
    t.PropItem->trigger();
    table.Append();
    table.setFieldValue(Field::EvName, QStringLiteral("Not kept either"));
    table.Post();
    QSignalSpy closed(&form->editors(), &EditorSession::openChanged);
    t.ShutItem->trigger();
    QCOMPARE(closed.count(), 1);
    QVERIFY(!form->PropertiesOpen());
    QCOMPARE(table.RecordCount(), 1);
}

void TestProgram::aboutDisablesItsItem()
{
    auto form = make();
    QAction* about = form->trayMenu().AboutItem;
    about->trigger();
    QPointer<TAboutForm> box = form->aboutBox();
    QVERIFY(box && box->isVisible() && !box->isModal());
    QVERIFY(!about->isEnabled());
    about->trigger(); // greyed: no second box (and a trigger of a greyed item does nothing anyway)
    QCOMPARE(form->aboutBox(), box.data());
    box->close();
    QTRY_VERIFY(!box);
    QVERIFY(about->isEnabled());
}

void TestProgram::exitDuringModalBox()
{
    auto form = make([](Settings& s) { s.ClockVisible = true; });
    // The tray menu stays usable while the box is open, "E&xit" included: it ends the box too.
    form->trayMenu().AboutItem->trigger();
    QPointer<TAboutForm> box = form->aboutBox();
    QVERIFY(box);
    form->trayMenu().ShutItem->trigger();
    QVERIFY(!box);
    QVERIFY(!form->zarForm().isVisible());
}

QTEST_MAIN(TestProgram)
#include "tst_program.moc"
