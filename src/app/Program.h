#pragma once

#include "app/AppActions.h"
#include "app/EditorSession.h"
#include "app/TrayMenu.h"
#include "app/zarForm.h"
#include "core/Chimes.h"
#include "core/ClockAlarm.h"
#include "core/EvTable.h"
#include "core/EventAlarm.h"
#include "core/EventStore.h"
#include "core/RunRecord.h"
#include "core/Scheduler.h"
#include "core/Settings.h"
#include "core/SettingsStore.h"
#include "forms/AboutForm.h"
#include "forms/zarCalForm.h"
#include "forms/zarNotifForm.h"
#include "forms/zarStickerForm.h"
#include "platform/ClockDriver.h"
#include "platform/DesktopNotifier.h"

#include <QObject>
#include <QPointer>

#include <memory>

namespace zarvo {

// Where the program keeps what it keeps; tests point these into private folders. Without a
// handledUpToFile no record of the run is kept.
struct ProgramFiles
{
    QString settingsFile;
    QString eventsDir;
    QString handledUpToFile;
};

// What the program is given from outside: the time, the sound, and optionally the event actions
// and the desktop's tray (by default the system's and the servers' actions, and the desktop is
// asked whether it has a tray).
struct ProgramServices
{
    const IClock& clock;
    ISoundPlayer& sound;
    EventActions* actions = nullptr;
    TrayMenu::TrayProbe trayProbe = {};
    TrayMenu::SniProbe sniProbe = {};
};

// The program itself: it owns the state for the whole run (settings, the event table and its
// files, the two alarms and their drivers, the scheduler and the chimes), is the scheduler's
// host, and answers the tray: the handlers of the tray menu are here (ProgramTray.cpp). Its
// windows: the floating clock (TzarForm, the "zarForm" of old, which paints, drags, styles and
// carries its menu), the Notifications window, the sticker and the calendar, made by main after
// it; the editors run in an EditorSession.
class Program : public QObject, public SchedulerHost
{
    Q_OBJECT
public:
    Program(const ProgramFiles& files, const ProgramServices& services, QObject* parent = nullptr);
    ~Program() override;

    // Run by the Notifications window at the end of its construction: what passed while the
    // program was not running, the start-up messages, the first selection and chime.
    void RunStartupHooks();
    void setNotifForm(TzarNotifForm* form) { m_notif = form; }
    // The sticker and the calendar, created after the Notifications window.
    void setStickerForm(TStickerForm* form);
    void setCalForm(TzarCalForm* form);

    // Tray menu (ProgramTray.cpp).
    void PropItemClick();
    void WizItemClick();
    void ClockItemClick();
    void StickItemClick();
    void CalItemClick();
    void HelpItemClick();
    void AboutItemClick();
    void DisItemClick();
    // "E&xit", also SIGTERM and SIGINT: an editor still open ends by its Cancel path, then the
    // message loop ends.
    void ShutItemClick();
    // The visible clock's OnGetTime: the calendar turns to the new day just after midnight.
    void DingClockGetTime(const QDateTime& now);

    Settings& settings() { return m_settings; }
    EvTable& events() { return m_table; }
    Scheduler& scheduler() { return m_scheduler; }
    Chimes& chimes() { return m_chimes; }
    EventAlarm& alarmClock() { return m_alarmClock; }
    ClockAlarm& dingClock() { return m_dingClock; }
    SettingsStore& settingsStore() { return m_settingsStore; }
    EventStore& eventStore() { return m_eventStore; }
    TzarForm& zarForm() { return *m_zarForm; }
    TrayMenu& trayMenu() { return m_tray; }
    EditorSession& editors() { return m_editors; }
    const IClock& clock() const { return m_clock; }
    ISoundPlayer& sound() { return m_sound; }
    TStickerForm* stickerForm() const { return m_sticker; }
    TAboutForm* aboutBox() const { return m_about; }
    bool PropertiesOpen() const { return m_editors.propertiesDialog() != nullptr; }

    // SchedulerHost
    void SaveParameters() override;
    void SaveEvents() override;
    void SaveWindowSettings() override;
    void AddNotification(const QString& line) override;
    void NotifyDesktop(const QString& summary, const QString& body) override;
    void SaveHandledUpTo(const QDateTime& moment) override;

private:
    void connectMenus();
    void applyCaptions();
    void useFloatingMenu(bool noTray);
    void setEditorItemsEnabled(bool on);

    const IClock& m_clock;
    ISoundPlayer& m_sound;
    Settings m_settings;
    SettingsStore m_settingsStore;
    EventStore m_eventStore;
    EvTable m_table;
    RunRecord m_runRecord;
    EventAlarm m_alarmClock;
    ClockAlarm m_dingClock;
    DesktopNotifier m_desktopNotifier;
    std::unique_ptr<AppActions> m_ownActions;
    EventActions& m_actions;
    Scheduler m_scheduler;
    Chimes m_chimes;
    ClockDriver m_alarmDriver;
    ClockDriver m_dingDriver;
    TrayMenu m_tray;
    // Whether there was a settings file when the program started: the windows get first places.
    bool m_firstStart = false;
    std::unique_ptr<TzarForm> m_zarForm;
    EditorSession m_editors;
    QPointer<TzarNotifForm> m_notif;
    QPointer<TStickerForm> m_sticker;
    QPointer<TzarCalForm> m_cal;
    QPointer<TAboutForm> m_about;
};

} // namespace zarvo
