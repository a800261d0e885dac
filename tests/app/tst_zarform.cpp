#include "app/zarForm.h"
#include "forms/CommonDialogs.h"
#include "forms/DingClock.h"
#include "forms/zarCalForm.h"
#include "forms/zarStickerForm.h"

#include "TestDirs.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMouseEvent>
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

class TestZarForm : public QObject
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
    void noTrayFallback();
    void editorsProtocol();
    void aboutDisablesItsItem();
    void exitDuringModalBox();

private:
    std::unique_ptr<TzarForm> make(const Edit& edit = {}, bool tray = true);
    QString settingsFile() const { return m_dirs->configHome() + QStringLiteral("/zarvo/settings.reg"); }
    QString eventsDir() const { return m_dirs->dataHome() + QStringLiteral("/zarvo"); }

    std::unique_ptr<TestDirs> m_dirs;
    bool m_tray = true;
};

void TestZarForm::init()
{
    m_dirs = std::make_unique<TestDirs>();
    m_tray = true;
}

void TestZarForm::cleanup()
{
    m_dirs.reset();
}

std::unique_ptr<TzarForm> TestZarForm::make(const Edit& edit, bool tray)
{
    m_tray = tray;
    if (edit) storeSettings(settingsFile(), edit);
    return std::make_unique<TzarForm>(settingsFile(), eventsDir(), [this] { return m_tray; });
}

void TestZarForm::startupCaptions_data()
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

void TestZarForm::startupCaptions()
{
    QFETCH(bool, on);
    QFETCH(QStringList, tray);
    QFETCH(QString, sec);
    auto form = make(
        [on](Settings& s) { s.ClockVisible = s.ShowSticker = s.CalVis = s.Disable = s.SecVisible = on; });
    TrayMenu& t = form->trayMenu();
    QCOMPARE((QStringList{t.ClockItem->text(), t.StickItem->text(), t.CalItem->text(), t.DisItem->text()}),
             tray);
    QCOMPARE(form->clockMenu().SecItem->text(), sec);
    QCOMPARE(form->isVisible(), on);
    // One icon, with the tip of the state.
    QVERIFY(t.ZarTrayIcon->isVisible());
    QCOMPARE(t.ZarTrayIcon->toolTip(), on ? QStringLiteral("Zarvo! (disabled)") : QStringLiteral("Zarvo!"));
    QVERIFY(!t.ZarTrayIcon->icon().isNull());

    // The first start (no stored value) shows the seconds.
    if (!on) {
        auto fresh = std::make_unique<TestDirs>();
        TzarForm first(fresh->configHome() + QStringLiteral("/zarvo/settings.reg"), fresh->dataHome(),
                       [] { return true; });
        QCOMPARE(first.clockMenu().SecItem->text(), QStringLiteral("Hide &seconds"));
        QCOMPARE(first.trayMenu().ClockItem->text(), QStringLiteral("Show &clock"));
        QVERIFY(!first.isVisible());
    }
}

void TestZarForm::trayMenuOrderAndDefault()
{
    auto form = make();
    QCOMPARE(captions(form->trayMenu().items()),
             (QStringList{"&Properties...", "&Wizard...", "-", "Show &clock", "Show stick&er",
                          "Show calen&dar", "-", "&Help", "&About...", "-", "&Disable", "E&xit"}));
    QCOMPARE(form->trayMenu().menu()->defaultAction(), form->trayMenu().PropItem);
    QCOMPARE(captions(form->clockMenu().menu()->actions()),
             (QStringList{"&Hide", "&On top", "Hide &seconds", "-", "&Font...", "&Color..."}));
    QVERIFY(form->clockMenu().OnTopItem->isCheckable());
}

void TestZarForm::sizeRule()
{
    auto form = make([](Settings& s) { s.ClockFSize = 14; });
    QCOMPARE(form->size(), QSize(98, 18));
    QCOMPARE(form->dingClockWidget()->size(), QSize(98, 18));
    form->SecItemClick();
    QCOMPARE(form->size(), QSize(70, 18));
    QCOMPARE(form->clockMenu().SecItem->text(), QStringLiteral("Show &seconds"));
    QVERIFY(!form->settings().SecVisible);
    QVERIFY(!form->dingClockWidget()->secondsVisible());
    form->SecItemClick();
    QCOMPARE(form->size(), QSize(98, 18));
    QCOMPARE(form->clockMenu().SecItem->text(), QStringLiteral("Hide &seconds"));

    // Hidden seconds at start: 5 per point.
    auto narrow = make([](Settings& s) { s.ClockFSize = 20, s.SecVisible = false; });
    QCOMPARE(narrow->size(), QSize(100, 24));
}

void TestZarForm::clockMenuToggles()
{
    auto form = make([](Settings& s) { s.ClockVisible = true; });
    QVERIFY(form->isVisible());
    form->clockMenu().HideItem->trigger();
    QVERIFY(!form->isVisible());
    QVERIFY(!form->settings().ClockVisible);
    QCOMPARE(form->trayMenu().ClockItem->text(), QStringLiteral("Show &clock"));
}

void TestZarForm::trayToggles()
{
    auto form = make([](Settings& s) { s.ClockLeft = 120, s.ClockTop = 80; });
    TStickerForm sticker(form->settings(), form->settingsStore());
    TzarCalForm cal(form->settings(), form->settingsStore(), QDate(2026, 3, 1));
    form->setStickerForm(&sticker);
    form->setCalForm(&cal);
    TrayMenu& t = form->trayMenu();

    t.ClockItem->trigger();
    QVERIFY(form->isVisible());
    QCOMPARE(form->pos(), QPoint(120, 80));
    QVERIFY(form->settings().ClockVisible);
    QCOMPARE(t.ClockItem->text(), QStringLiteral("Hide &clock"));
    t.ClockItem->trigger();
    QVERIFY(!form->isVisible());
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

void TestZarForm::disableEnable()
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

void TestZarForm::cancelledDialogsChangeNothing()
{
    auto form = make([](Settings& s) { s.ClockFSize = 14, s.ClockColor = 0x00ff00, s.ClockFB = true; });
    const Settings before = form->settings();
    const QFont font = form->dingClockWidget()->font();
    const QColor window = form->palette().color(QPalette::Window);
    CommonDialogs::setNextFont(std::nullopt);
    form->clockMenu().FontItem->trigger();
    CommonDialogs::setNextColor(std::nullopt);
    form->clockMenu().ColorItem->trigger();
    QCOMPARE(form->settings(), before);
    QCOMPARE(form->dingClockWidget()->font(), font);
    QCOMPARE(form->palette().color(QPalette::Window), window);
    QCOMPARE(form->size(), QSize(98, 18));
}

void TestZarForm::chosenFontAndColor()
{
    auto form = make([](Settings& s) { s.SecVisible = false; });
    QFont f(QStringLiteral("DejaVu Serif"), 20);
    f.setBold(true);
    f.setItalic(true);
    CommonDialogs::setNextFont(FontChoice{f, QColor(0, 0, 255)});
    form->FontItemClick();
    const Settings& s = form->settings();
    QCOMPARE(form->size(), QSize(100, 24));
    QVERIFY(s.ClockFB && s.ClockFI && !s.ClockFU && !s.ClockFS);
    QCOMPARE(s.ClockFSize, 20);
    QCOMPARE(s.ClockFColor, 0xff0000); // blue, stored as red + 256 green + 65536 blue
    QCOMPARE(form->dingClockWidget()->textColor(), QColor(0, 0, 255));

    CommonDialogs::setNextColor(QColor(255, 128, 0));
    form->ColorItemClick();
    QCOMPARE(s.ClockColor, 255 + 128 * 256);
    QCOMPARE(form->palette().color(QPalette::Window), QColor(255, 128, 0));

    // The name is taken from the live font when saved; a restart brings the look back.
    form.reset();
    auto again = make();
    QCOMPARE(again->dingClockWidget()->font().family(), QStringLiteral("DejaVu Serif"));
    QVERIFY(again->dingClockWidget()->font().bold());
    QVERIFY(again->dingClockWidget()->font().italic());
    QCOMPARE(again->settings().ClockColor, 255 + 128 * 256);
}

void TestZarForm::drag_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<QPoint>("step");
    QTest::newRow("left, right and down") << Qt::LeftButton << QPoint(23, 17);
    QTest::newRow("left, up and left") << Qt::LeftButton << QPoint(-31, -9);
    QTest::newRow("right button does nothing") << Qt::RightButton << QPoint(23, 17);
}

void TestZarForm::drag()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(QPoint, step);
    auto form = make([](Settings& s) { s.ClockLeft = 300, s.ClockTop = 300; });
    const QPoint start = form->pos();
    const QPoint grab(7, 5);
    QPoint pointer = start + grab; // in screen coordinates
    QMouseEvent press(QEvent::MouseButtonPress, grab, pointer, button, button, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &press);
    const int steps = 12;
    for (int i = 0; i < steps; ++i) {
        pointer += step;
        // Where the pointer is in the window, as it stands before this move.
        const QPoint local = pointer - form->pos();
        QMouseEvent move(QEvent::MouseMove, local, pointer, Qt::NoButton, button, Qt::NoModifier);
        QApplication::sendEvent(form.get(), &move);
    }
    const QPoint expected = button == Qt::LeftButton ? start + step * steps : start;
    QCOMPARE(form->pos(), expected);
    QCOMPARE(form->settings().ClockLeft, 300); // taken from the window only when saved
    form->SaveWindowSettings();
    QCOMPARE(form->settings().ClockLeft, expected.x());
    QCOMPARE(form->settings().ClockTop, expected.y());
}

void TestZarForm::onTop()
{
    auto form = make([](Settings& s) { s.ClockOnTop = true, s.ClockVisible = true; });
    QVERIFY(form->onTop());
    form->ClockPopupMenuPopup();
    QVERIFY(form->clockMenu().OnTopItem->isChecked());
    form->clockMenu().OnTopItem->trigger();
    QVERIFY(!form->onTop());
    QVERIFY(!form->settings().ClockOnTop);
    QVERIFY(form->isVisible());
    form->ClockPopupMenuPopup();
    QVERIFY(!form->clockMenu().OnTopItem->isChecked());
    form->clockMenu().OnTopItem->trigger();
    QVERIFY(form->onTop());
    QVERIFY(form->settings().ClockOnTop);
}

void TestZarForm::storedNotOnTopStays()
{
    // Never shown: saving must not turn "on top" on.
    auto form = make([](Settings& s) { s.ClockOnTop = false, s.ClockVisible = false; });
    QVERIFY(!form->onTop());
    form.reset();
    auto again = make();
    QVERIFY(!again->settings().ClockOnTop);
    // Shown from the tray while "on top" is off: it stays off.
    again->ClockItemClick();
    QVERIFY(again->isVisible());
    QVERIFY(!again->onTop());
}

void TestZarForm::offScreenPositionComesBack()
{
    auto form = make([](Settings& s) { s.ClockLeft = -30000, s.ClockTop = 40000, s.ClockVisible = true; });
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QVERIFY2(screen.intersects(form->frameGeometry()),
             qPrintable(QStringLiteral("at %1,%2").arg(form->x()).arg(form->y())));
}

void TestZarForm::noTrayFallback()
{
    auto form = make([](Settings& s) { s.ClockVisible = false; }, false);
    // Without a tray the clock is the way in: shown, with the tray's items after its own.
    QVERIFY(form->isVisible());
    QCOMPARE(captions(form->clockMenu().menu()->actions()),
             (QStringList{"&Hide", "&On top", "Hide &seconds", "-", "&Font...", "&Color...", "-",
                          "&Properties...", "&Wizard...", "-", "Hide &clock", "Show stick&er",
                          "Show calen&dar", "-", "&Help", "&About...", "-", "&Disable", "E&xit"}));
    // Hiding would leave nothing to bring it back.
    QVERIFY(!form->clockMenu().HideItem->isEnabled());
    QVERIFY(!form->trayMenu().ClockItem->isEnabled());
    QVERIFY(!form->trayMenu().ZarTrayIcon->isVisible());

    form->trayMenu().checkTray(); // still none
    QVERIFY(form->clockMenu().hasBorrowedItems());

    m_tray = true; // a panel with a tray comes up
    form->trayMenu().checkTray();
    QVERIFY(form->trayMenu().ZarTrayIcon->isVisible());
    QCOMPARE(captions(form->clockMenu().menu()->actions()),
             (QStringList{"&Hide", "&On top", "Hide &seconds", "-", "&Font...", "&Color..."}));
    QVERIFY(form->clockMenu().HideItem->isEnabled());
    QVERIFY(form->trayMenu().ClockItem->isEnabled());
    form->clockMenu().HideItem->trigger();
    QCOMPARE(form->trayMenu().ClockItem->text(), QStringLiteral("Show &clock"));
}

void TestZarForm::editorsProtocol()
{
    auto form = make();
    EvTable& table = form->events();
    table.Append();
    table.setFieldValue(Field::EvName, QStringLiteral("Kept"));
    table.Post();
    const QString backup = eventsDir() + QStringLiteral("/rb.dat");
    TrayMenu& t = form->trayMenu();

    // While an editor is open the items are greyed and a double-click does nothing.
    t.PropItem->setEnabled(false);
    Q_EMIT t.iconActivated();
    QVERIFY(!QFile::exists(backup));
    t.PropItem->setEnabled(true);

    // The dialog is answered as soon as it is up: first with Cancel after an edit under it.
    auto answer = [](bool ok, const std::function<void()>& meanwhile = {}) {
        QTimer::singleShot(0, [ok, meanwhile] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            if (meanwhile) meanwhile();
            ok ? dialog->accept() : dialog->reject();
        });
    };
    bool greyed = false;
    answer(false, [&] {
        greyed = !t.PropItem->isEnabled() && !t.WizItem->isEnabled() && form->PropertiesOpen();
        table.Append();
        table.setFieldValue(Field::EvName, QStringLiteral("Thrown away"));
        table.Post();
    });
    Q_EMIT t.iconActivated();
    QVERIFY(greyed);
    QVERIFY(QFile::exists(backup));
    QCOMPARE(table.RecordCount(), 1);
    QVERIFY(t.PropItem->isEnabled() && t.WizItem->isEnabled());
    QVERIFY(!form->PropertiesOpen());

    // OK: the table and the settings are saved at once.
    answer(true);
    t.PropItem->trigger();
    QVERIFY(QFile::exists(eventsDir() + QStringLiteral("/zarvo.dat")));
    QCOMPARE(table.RecordCount(), 1);
    QCOMPARE(form->settings().EvNum, 1); // the row count, as saved

    // The wizard cancelled: backed up, nothing appended.
    QFile::remove(backup);
    answer(false);
    t.WizItem->trigger();
    QVERIFY(QFile::exists(backup));
    QCOMPARE(table.RecordCount(), 1);
    QVERIFY(t.PropItem->isEnabled() && t.WizItem->isEnabled());
}

void TestZarForm::aboutDisablesItsItem()
{
    auto form = make();
    QAction* about = form->trayMenu().AboutItem;
    bool greyedWhileOpen = false;
    QTimer::singleShot(0, this, [&] {
        greyedWhileOpen = !about->isEnabled();
        if (QWidget* box = QApplication::activeModalWidget()) box->close();
    });
    about->trigger();
    QVERIFY(greyedWhileOpen);
    QVERIFY(about->isEnabled());
}

void TestZarForm::exitDuringModalBox()
{
    auto form = make([](Settings& s) { s.ClockVisible = true; });
    // The tray menu stays usable while a box is modal, "E&xit" included: it ends the box too.
    QTimer::singleShot(0, this, [&] { form->trayMenu().ShutItem->trigger(); });
    QTimer::singleShot(3000, this, [] {
        if (QWidget* box = QApplication::activeModalWidget()) box->close(); // only if Exit failed
    });
    QElapsedTimer clock;
    clock.start();
    form->trayMenu().AboutItem->trigger();
    QVERIFY(clock.elapsed() < 2500);
    QVERIFY(!form->isVisible());
}

QTEST_MAIN(TestZarForm)
#include "tst_zarform.moc"
