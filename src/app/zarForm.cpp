#include "zarForm.h"

#include "app/GuardedApplication.h"

#include "forms/CommonDialogs.h"
#include "forms/DingClock.h"
#include "forms/WindowPlacement.h"
#include "forms/zarCalForm.h"
#include "forms/zarNotifForm.h"
#include "forms/zarStickerForm.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QScreen>

#include <cstdio>

namespace zarvo {

namespace {

void showRegistryError()
{
    GuardedApplication::showError(QStringLiteral("Error in system registry"));
}

} // namespace

TzarForm::TzarForm(const QString& settingsFile, const QString& eventsDir, TrayMenu::TrayProbe trayProbe,
                   const QString& handledUpToFile, QWidget* parent)
    // A tool window keeps the clock off the task bar, also after it is hidden and shown again.
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_settingsStore(settingsFile, showRegistryError), m_eventStore(eventsDir), m_runRecord(handledUpToFile),
      m_alarmClock(m_clock), m_dingClock(m_clock), m_actions(m_settings, m_clock),
      m_scheduler(m_clock, m_settings, m_table, m_alarmClock, m_sound, *this, m_actions),
      m_editing(m_table, m_eventStore, m_scheduler), m_chimes(m_clock, m_settings, m_dingClock, m_sound), m_alarmDriver(m_alarmClock),
      m_dingDriver(m_dingClock), m_tray(std::move(trayProbe))
{
    setWindowTitle(QStringLiteral("Zarvo!"));
    move(-500, -500);
    m_ding = new DingClock(this);
    m_ding->setClock(&m_clock);
    m_ding->move(0, 0);

    // Loading makes the file: whether this is the first start is known only before.
    m_firstStart = !QFileInfo::exists(settingsFile);
    m_settingsStore.LoadSettings(m_settings);
    m_eventStore.LoadEvents(m_table);

    connectMenus();
    applyCaptions();
    m_tray.showIconFor(m_settings.Disable);
    applyClockLook();
    m_table.setAllowedChars(Field::EvRec, QStringLiteral("0123456789"));
    m_table.setAllowedChars(Field::EvRecMonth, QStringLiteral("0123456789"));

    // For the benchmark: the moment the alarm goes off, before the firing's own work.
    if (qEnvironmentVariableIsSet("ZARVO_TRACE")) {
        connect(&m_alarmClock, &EventAlarm::OnAlarm, this, [] {
            std::fprintf(stderr, "zarvo-trace: alarm %lld\n", QDateTime::currentMSecsSinceEpoch());
        });
    }
    connect(&m_alarmClock, &EventAlarm::OnAlarm, &m_scheduler, &Scheduler::AlarmClockAlarm);
    connect(&m_dingClock, &ClockAlarm::OnAlarm, &m_chimes, &Chimes::DingClockAlarm);
    connect(&m_dingClock, &ClockAlarm::Ticked, m_ding, &DingClock::tick);
    connect(m_ding, &DingClock::OnGetTime, this, &TzarForm::DingClockGetTime);
    m_ding->tick(m_clock.now());
    m_alarmDriver.start();
    m_dingDriver.start();
}

TzarForm::~TzarForm()
{
    SaveWindowSettings();
    // Whatever passes from now on passes while the program is not running.
    m_runRecord.save(m_clock.now());
}

void TzarForm::connectMenus()
{
    connect(m_clockMenu.HideItem, &QAction::triggered, this, &TzarForm::HideItemClick);
    connect(m_clockMenu.OnTopItem, &QAction::triggered, this, &TzarForm::OnTopItemClick);
    connect(m_clockMenu.SecItem, &QAction::triggered, this, &TzarForm::SecItemClick);
    connect(m_clockMenu.FontItem, &QAction::triggered, this, &TzarForm::FontItemClick);
    connect(m_clockMenu.ColorItem, &QAction::triggered, this, &TzarForm::ColorItemClick);
    connect(m_clockMenu.menu(), &QMenu::aboutToShow, this, &TzarForm::ClockPopupMenuPopup);

    connect(m_tray.PropItem, &QAction::triggered, this, &TzarForm::PropItemClick);
    connect(m_tray.WizItem, &QAction::triggered, this, &TzarForm::WizItemClick);
    connect(m_tray.ClockItem, &QAction::triggered, this, &TzarForm::ClockItemClick);
    connect(m_tray.StickItem, &QAction::triggered, this, &TzarForm::StickItemClick);
    connect(m_tray.CalItem, &QAction::triggered, this, &TzarForm::CalItemClick);
    connect(m_tray.HelpItem, &QAction::triggered, this, &TzarForm::HelpItemClick);
    connect(m_tray.AboutItem, &QAction::triggered, this, &TzarForm::AboutItemClick);
    connect(m_tray.DisItem, &QAction::triggered, this, &TzarForm::DisItemClick);
    connect(m_tray.ShutItem, &QAction::triggered, this, &TzarForm::ShutItemClick);
    connect(&m_tray, &TrayMenu::iconActivated, this, &TzarForm::PropItemClick);
    connect(&m_tray, &TrayMenu::trayAppeared, this, [this] { useFloatingMenu(false); });
}

void TzarForm::applyCaptions()
{
    m_tray.ClockItem->setText(m_settings.ClockVisible ? QStringLiteral("Hide &clock")
                                                      : QStringLiteral("Show &clock"));
    m_clockMenu.SecItem->setText(m_settings.SecVisible ? QStringLiteral("Hide &seconds")
                                                       : QStringLiteral("Show &seconds"));
    m_tray.StickItem->setText(m_settings.ShowSticker ? QStringLiteral("Hide stick&er")
                                                     : QStringLiteral("Show stick&er"));
    m_tray.DisItem->setText(m_settings.Disable ? QStringLiteral("&Enable") : QStringLiteral("&Disable"));
    m_tray.CalItem->setText(m_settings.CalVis ? QStringLiteral("Hide calen&dar")
                                              : QStringLiteral("Show calen&dar"));
}

void TzarForm::applyClockLook()
{
    QPalette pal = palette();
    pal.setColor(QPalette::Window, colorFromStored(m_settings.ClockColor));
    setPalette(pal);
    setAutoFillBackground(true);
    m_ding->setTextColor(colorFromStored(m_settings.ClockFColor));
    QFont f(m_settings.ClockFName);
    f.setPointSize(clockFontSize());
    f.setBold(m_settings.ClockFB);
    f.setItalic(m_settings.ClockFI);
    f.setUnderline(m_settings.ClockFU);
    f.setStrikeOut(m_settings.ClockFS);
    m_ding->setFont(f);
    m_ding->setSecondsVisible(m_settings.SecVisible);
    sizeClock();
    move(m_firstStart ? firstPlace(FirstPlace::Clock, size())
                      : QPoint(m_settings.ClockLeft, m_settings.ClockTop));
    keepOnScreen();
    // The window is made on top; a stored "not on top" must hold even if it is never shown,
    // or saving would turn it on behind the user's back.
    if (!m_settings.ClockOnTop) setWindowFlag(Qt::WindowStaysOnTopHint, false);
    // Without a tray the clock is the only way to reach the program, so it is shown whatever
    // was stored.
    useFloatingMenu(!m_tray.trayAvailable());
    if (m_settings.ClockVisible || !m_tray.trayAvailable()) show();
}

int TzarForm::clockFontSize() const
{
    // The size is also a pixel count for the window; a damaged value must not make a window
    // the display cannot hold.
    return qBound(1, m_settings.ClockFSize, 500);
}

void TzarForm::sizeClock()
{
    const int size = clockFontSize();
    m_ding->resize(size * (m_settings.SecVisible ? 7 : 5), size + 4);
    setFixedSize(m_ding->size());
}

void TzarForm::keepOnScreen()
{
    const QRect r = frameGeometry();
    const auto screens = QGuiApplication::screens();
    for (const QScreen* s : screens) {
        if (s->geometry().intersects(r)) return;
    }
    // A position saved on a screen that is gone: bring the clock back where it can be seen.
    if (const QScreen* s = QGuiApplication::primaryScreen()) move(s->availableGeometry().topLeft());
}

void TzarForm::useFloatingMenu(bool noTray)
{
    if (noTray) {
        m_clockMenu.setBorrowedItems(m_tray.items());
    } else {
        m_clockMenu.dropBorrowedItems();
    }
    // Hiding the clock while there is no tray would leave nothing to bring the program back.
    m_clockMenu.HideItem->setEnabled(!noTray);
    m_tray.ClockItem->setEnabled(!noTray);
    if (noTray) m_tray.ClockItem->setText(QStringLiteral("Hide &clock")); // it is shown
}

void TzarForm::setStickerForm(TStickerForm* form)
{
    m_sticker = form;
    if (m_firstStart) form->placeFirst();
    connect(form, &TStickerForm::hiddenByUser, this,
            [this] { m_tray.StickItem->setText(QStringLiteral("Show stick&er")); });
    // The Properties dialog's sticker text box follows the note's font and colour.
    connect(form, &TStickerForm::styleChanged, this, [this] {
        if (!m_cfg || !m_sticker)
            return;
        m_cfg->setStickerFont(m_sticker->textFont());
        m_cfg->setStickerFontColor(m_sticker->textColor());
        m_cfg->setStickerColor(m_sticker->backgroundColor());
    });
}

void TzarForm::setCalForm(TzarCalForm* form)
{
    m_cal = form;
    if (m_firstStart) form->placeFirst();
}

void TzarForm::RunStartupHooks()
{
    // What passed while the program was not running first: a recurring start-up message missed
    // on earlier days is then due today.
    m_scheduler.MoveOnMissedEvents(m_runRecord.load());
    m_scheduler.RunStartupMessages();
    m_scheduler.SelectNextEvent();
    m_chimes.zarCheckDing();
    m_runRecord.save(m_clock.now());
}

void TzarForm::closeEvent(QCloseEvent* e)
{
    e->accept();
    // Every loop ends, also that of a modal box still open: it ends as cancelled.
    QCoreApplication::exit(0);
}

void TzarForm::SaveParameters()
{
    m_settings.EvNum = m_table.RecordCount();
    m_settingsStore.SaveParameters(m_settings);
}

void TzarForm::SaveHandledUpTo(const QDateTime& moment)
{
    m_runRecord.save(moment);
}

void TzarForm::SaveEvents()
{
    m_eventStore.SaveEvents(m_table);
}

void TzarForm::SaveWindowSettings()
{
    // The clock window's own state is what counts, not what was loaded.
    m_settings.ClockLeft = pos().x();
    m_settings.ClockTop = pos().y();
    m_settings.ClockOnTop = onTop();
    m_settings.ClockFName = m_ding->font().family();
    m_settingsStore.SaveWindowSettings(m_settings);
}

void TzarForm::AddNotification(const QString& line)
{
    // For the end-to-end tests: what the window was given, and when.
    if (qEnvironmentVariableIsSet("ZARVO_TRACE"))
        std::fprintf(stderr, "zarvo-trace: notification %lld %s\n", QDateTime::currentMSecsSinceEpoch(),
                     qPrintable(line));
    if (m_notif) m_notif->AddLine(line);
}

void TzarForm::NotifyDesktop(const QString& summary, const QString& body)
{
    m_desktopNotifier.notify(summary, body);
}

} // namespace zarvo
