#pragma once

#include "core/ClockAlarm.h"
#include "core/EvTable.h"
#include "core/EventStore.h"
#include "core/Scheduler.h"
#include "core/Settings.h"
#include "core/SettingsStore.h"
#include "forms/zarNotifForm.h"
#include "platform/ClockDriver.h"
#include "platform/QtSoundPlayer.h"
#include "platform/SystemClock.h"

#include <QPointer>
#include <QWidget>

namespace zarvo {

// The main window object: on screen the floating clock, behind it the owner of the program's
// state for the whole run. The logic lives in the core objects it owns; this class wires them
// to the windows and to the system.
class TzarForm : public QWidget, public SchedulerHost
{
    Q_OBJECT
public:
    // Everything the program keeps comes from these two places; tests point them elsewhere.
    TzarForm(const QString& settingsFile, const QString& eventsDir, QWidget* parent = nullptr);
    ~TzarForm() override;

    // Run by the Notifications window at the end of its construction.
    void RunStartupHooks();
    void setNotifForm(TzarNotifForm* form) { m_notif = form; }

    // "E&xit": closing the main window ends the program.
    void ShutItemClick();

    Settings& settings() { return m_settings; }
    EvTable& events() { return m_table; }
    Scheduler& scheduler() { return m_scheduler; }
    ClockAlarm& alarmClock() { return m_alarmClock; }
    ClockAlarm& dingClock() { return m_dingClock; }
    SettingsStore& settingsStore() { return m_settingsStore; }
    EventStore& eventStore() { return m_eventStore; }

    bool IsNT = false; // no meaning here; kept for the code paths that ask
    bool PropertiesOpenFlag = false;

    // SchedulerHost
    void SaveParameters() override;
    void SaveEvents() override;
    void SaveWindowSettings() override;
    void SaveStickerSettings();
    void AddNotification(const QString& line) override;
    bool PropertiesOpen() const override { return PropertiesOpenFlag; }
    void ShowCurrentEvent() override {}
    void NoEventsState() override {}

protected:
    void paintEvent(QPaintEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void applyClockLook();

    Settings m_settings;
    SettingsStore m_settingsStore;
    EventStore m_eventStore;
    EvTable m_table;
    SystemClock m_clock;
    ClockAlarm m_alarmClock;
    ClockAlarm m_dingClock;
    QtSoundPlayer m_sound;
    EventActions m_actions;
    Scheduler m_scheduler;
    ClockDriver m_alarmDriver;
    ClockDriver m_dingDriver;
    QPointer<TzarNotifForm> m_notif;
    bool m_saved = false;
};

} // namespace zarvo
