#include "Program.h"

#include "app/GuardedApplication.h"
#include "forms/DingClock.h"
#include "forms/zarCalForm.h"
#include "forms/zarNotifForm.h"
#include "forms/zarStickerForm.h"

#include <QAction>
#include <QFileInfo>

#include <cstdio>

namespace zarvo {

namespace {

void showRegistryError()
{
    GuardedApplication::showError(QStringLiteral("Error in system registry"));
}

} // namespace

Program::Program(const ProgramFiles& files, const ProgramServices& services, QObject* parent)
    : QObject(parent), m_clock(services.clock), m_sound(services.sound),
      m_settingsStore(files.settingsFile, showRegistryError), m_eventStore(files.eventsDir),
      m_runRecord(files.handledUpToFile), m_alarmClock(m_clock), m_dingClock(m_clock),
      m_ownActions(services.actions ? nullptr : std::make_unique<AppActions>(m_settings, m_clock)),
      m_actions(services.actions ? *services.actions : *m_ownActions),
      m_scheduler(m_clock, m_settings, m_table, m_alarmClock, m_sound, *this, m_actions),
      m_chimes(m_clock, m_settings, m_dingClock, m_sound), m_alarmDriver(m_alarmClock),
      m_dingDriver(m_dingClock, m_alarmDriver), m_tray(services.trayProbe, services.sniProbe),
      m_editors(*this)
{
    // Loading makes the file: whether this is the first start is known only before.
    m_firstStart = !QFileInfo::exists(files.settingsFile);
    m_settingsStore.LoadSettings(m_settings);
    m_eventStore.LoadEvents(m_table);
    m_table.setAllowedChars(Field::EvRec, QStringLiteral("0123456789"));
    m_table.setAllowedChars(Field::EvRecMonth, QStringLiteral("0123456789"));

    m_zarForm = std::make_unique<TzarForm>(m_settings, m_clock);
    connectMenus();
    applyCaptions();
    m_tray.showIconFor(m_settings.Disable);
    m_zarForm->applyClockLook(m_firstStart);
    // Without a tray the clock is the only way to reach the program, so it is shown whatever
    // was stored.
    useFloatingMenu(!m_tray.trayAvailable());
    if (m_settings.ClockVisible || !m_tray.trayAvailable()) m_zarForm->show();

    // For the benchmark: the moment the alarm goes off, before the firing's own work.
    if (qEnvironmentVariableIsSet("ZARVO_TRACE")) {
        connect(&m_alarmClock, &EventAlarm::OnAlarm, this, [] {
            std::fprintf(stderr, "zarvo-trace: alarm %lld\n", QDateTime::currentMSecsSinceEpoch());
        });
    }
    DingClock* ding = m_zarForm->dingClockWidget();
    connect(&m_alarmClock, &EventAlarm::OnAlarm, &m_scheduler, &Scheduler::AlarmClockAlarm);
    connect(&m_dingClock, &ClockAlarm::OnAlarm, &m_chimes, &Chimes::DingClockAlarm);
    connect(&m_dingClock, &ClockAlarm::Ticked, ding, &DingClock::tick);
    connect(ding, &DingClock::OnGetTime, this, &Program::DingClockGetTime);
    ding->tick(m_clock.now());
    m_alarmDriver.start();
    m_dingDriver.start();
}

Program::~Program()
{
    SaveWindowSettings();
    // Whatever passes from now on passes while the program is not running.
    m_runRecord.save(m_clock.now());
}

void Program::connectMenus()
{
    connect(m_tray.PropItem, &QAction::triggered, this, &Program::PropItemClick);
    connect(m_tray.WizItem, &QAction::triggered, this, &Program::WizItemClick);
    connect(m_tray.ClockItem, &QAction::triggered, this, &Program::ClockItemClick);
    connect(m_tray.StickItem, &QAction::triggered, this, &Program::StickItemClick);
    connect(m_tray.CalItem, &QAction::triggered, this, &Program::CalItemClick);
    connect(m_tray.HelpItem, &QAction::triggered, this, &Program::HelpItemClick);
    connect(m_tray.AboutItem, &QAction::triggered, this, &Program::AboutItemClick);
    connect(m_tray.DisItem, &QAction::triggered, this, &Program::DisItemClick);
    connect(m_tray.ShutItem, &QAction::triggered, this, &Program::ShutItemClick);
    connect(&m_tray, &TrayMenu::iconActivated, this, &Program::PropItemClick);
    connect(&m_tray, &TrayMenu::trayAppeared, this, [this] {
        // Started before the panel (at login, the usual case): the clock was shown only to be
        // the way in; with the tray here it goes back to what the user chose.
        useFloatingMenu(false);
        if (!m_settings.ClockVisible) m_zarForm->hide();
        applyCaptions();
    });
    connect(m_zarForm.get(), &TzarForm::hiddenByUser, this,
            [this] { m_tray.ClockItem->setText(QStringLiteral("Show &clock")); });
    connect(&m_editors, &EditorSession::openChanged, this,
            [this](bool open) { setEditorItemsEnabled(!open); });
}

void Program::applyCaptions()
{
    m_tray.ClockItem->setText(m_settings.ClockVisible ? QStringLiteral("Hide &clock")
                                                      : QStringLiteral("Show &clock"));
    m_tray.StickItem->setText(m_settings.ShowSticker ? QStringLiteral("Hide stick&er")
                                                     : QStringLiteral("Show stick&er"));
    m_tray.DisItem->setText(m_settings.Disable ? QStringLiteral("&Enable") : QStringLiteral("&Disable"));
    m_tray.CalItem->setText(m_settings.CalVis ? QStringLiteral("Hide calen&dar")
                                              : QStringLiteral("Show calen&dar"));
}

void Program::useFloatingMenu(bool noTray)
{
    m_zarForm->useFloatingMenu(noTray, m_tray.items());
    // Hiding the clock while there is no tray would leave nothing to bring the program back.
    m_tray.ClockItem->setEnabled(!noTray);
    if (noTray) m_tray.ClockItem->setText(QStringLiteral("Hide &clock")); // it is shown
}

void Program::setEditorItemsEnabled(bool on)
{
    m_tray.PropItem->setEnabled(on);
    m_tray.WizItem->setEnabled(on);
}

void Program::setStickerForm(TStickerForm* form)
{
    m_sticker = form;
    if (m_firstStart) form->placeFirst();
    connect(form, &TStickerForm::hiddenByUser, this,
            [this] { m_tray.StickItem->setText(QStringLiteral("Show stick&er")); });
    // The Properties dialog's sticker text box follows the note's font and colour.
    connect(form, &TStickerForm::styleChanged, &m_editors, &EditorSession::stickerStyleChanged);
}

void Program::setCalForm(TzarCalForm* form)
{
    m_cal = form;
    if (m_firstStart) form->placeFirst();
}

void Program::RunStartupHooks()
{
    // What passed while the program was not running first: a recurring start-up message missed
    // on earlier days is then due today.
    m_scheduler.MoveOnMissedEvents(m_runRecord.load());
    m_scheduler.RunStartupMessages();
    m_scheduler.SelectNextEvent();
    m_chimes.zarCheckDing();
    m_runRecord.save(m_clock.now());
}

void Program::DingClockGetTime(const QDateTime& now)
{
    // Ticks come every 450 ms, so one of them falls within the first 0.6 s of every day, also
    // while the clock is hidden.
    if (m_cal && DingClock::isMidnightTurn(now.time())) m_cal->setToday(now.date());
}

void Program::SaveParameters()
{
    m_settings.EvNum = m_table.RecordCount();
    m_settingsStore.SaveParameters(m_settings);
}

void Program::SaveEvents()
{
    m_eventStore.SaveEvents(m_table);
}

void Program::SaveWindowSettings()
{
    m_zarForm->takeWindowState();
    m_settingsStore.SaveWindowSettings(m_settings);
}

void Program::SaveHandledUpTo(const QDateTime& moment)
{
    m_runRecord.save(moment);
}

void Program::AddNotification(const QString& line)
{
    // For the end-to-end tests: what the window was given, and when.
    if (qEnvironmentVariableIsSet("ZARVO_TRACE"))
        std::fprintf(stderr, "zarvo-trace: notification %lld %s\n", QDateTime::currentMSecsSinceEpoch(),
                     qPrintable(line));
    if (m_notif) m_notif->AddLine(line);
}

void Program::NotifyDesktop(const QString& summary, const QString& body)
{
    m_desktopNotifier.notify(summary, body);
}

} // namespace zarvo
