#pragma once

#include "app/ClockMenu.h"
#include "app/TrayMenu.h"
#include "app/AppActions.h"
#include "app/EditorSession.h"
#include "forms/cfgForm.h"
#include "core/Chimes.h"
#include "core/ClockAlarm.h"
#include "core/EventAlarm.h"
#include "core/RunRecord.h"
#include "core/EvTable.h"
#include "core/EventStore.h"
#include "core/Scheduler.h"
#include "core/Settings.h"
#include "core/SettingsStore.h"
#include "forms/zarNotifForm.h"
#include "platform/ClockDriver.h"
#include "platform/DesktopNotifier.h"
#include "platform/QtSoundPlayer.h"
#include "platform/SystemClock.h"

#include <QPoint>
#include <QPointer>
#include <QWidget>

namespace zarvo {

class DingClock;
class TStickerForm;
class TzarCalForm;

// The main window object: on screen the floating clock, behind it the owner of the program's
// state for the whole run. The logic lives in the core objects it owns; this class wires them
// to the windows and to the system. The clock window's handlers are in zarFormClock.cpp, the
// tray's in zarFormTray.cpp.
class TzarForm : public QWidget, public SchedulerHost
{
    Q_OBJECT
public:
    // Everything the program keeps comes from these places; tests point them elsewhere, and
    // may say whether the desktop has a tray (by default the desktop is asked). Without a
    // handledUpToFile no record of the run is kept.
    TzarForm(const QString& settingsFile, const QString& eventsDir, TrayMenu::TrayProbe trayProbe = {},
             const QString& handledUpToFile = {}, QWidget* parent = nullptr);
    ~TzarForm() override;

    // Run by the Notifications window at the end of its construction.
    void RunStartupHooks();
    void setNotifForm(TzarNotifForm* form) { m_notif = form; }
    // The sticker and the calendar, created after the Notifications window.
    void setStickerForm(TStickerForm* form);
    void setCalForm(TzarCalForm* form);

    // Clock window (zarFormClock.cpp).
    void HideItemClick();
    void OnTopItemClick();
    void SecItemClick();
    void FontItemClick();
    void ColorItemClick();
    void ClockPopupMenuPopup();
    void DingClockGetTime(const QDateTime& now);

    // Tray menu (zarFormTray.cpp).
    void PropItemClick();
    void WizItemClick();
    void ClockItemClick();
    void StickItemClick();
    void CalItemClick();
    void HelpItemClick();
    void AboutItemClick();
    void DisItemClick();
    // "E&xit": closing the main window ends the program.
    void ShutItemClick();

    Settings& settings() { return m_settings; }
    EvTable& events() { return m_table; }
    Scheduler& scheduler() { return m_scheduler; }
    Chimes& chimes() { return m_chimes; }
    EventAlarm& alarmClock() { return m_alarmClock; }
    ClockAlarm& dingClock() { return m_dingClock; }
    SettingsStore& settingsStore() { return m_settingsStore; }
    EventStore& eventStore() { return m_eventStore; }
    DingClock* dingClockWidget() const { return m_ding; }
    ClockMenu& clockMenu() { return m_clockMenu; }
    TrayMenu& trayMenu() { return m_tray; }
    bool onTop() const { return windowFlags().testFlag(Qt::WindowStaysOnTopHint); }

    bool IsNT = false; // no meaning here; kept for the code paths that ask
    bool PropertiesOpen() const { return m_cfg != nullptr; }

    // SchedulerHost
    void SaveParameters() override;
    void SaveEvents() override;
    void SaveWindowSettings() override;
    void AddNotification(const QString& line) override;
    void SaveHandledUpTo(const QDateTime& moment) override;
    void NotifyDesktop(const QString& summary, const QString& body) override;

protected:
    void paintEvent(QPaintEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    void applyClockLook();
    void applyCaptions();
    void connectMenus();
    void sizeClock();
    int clockFontSize() const;
    void setOnTop(bool on);
    void keepOnScreen();
    void useFloatingMenu(bool noTray);

    // The editors come from their own units; until they are wired in, both count as cancelled.
    bool runPropertiesDialog();
    bool runWizard();
    // The OK branch of the Properties dialog: settings taken over and saved.
    void takeOverProperties();

    Settings m_settings;
    SettingsStore m_settingsStore;
    EventStore m_eventStore;
    EvTable m_table;
    SystemClock m_clock;
    RunRecord m_runRecord;
    EventAlarm m_alarmClock;
    ClockAlarm m_dingClock;
    QtSoundPlayer m_sound;
    DesktopNotifier m_desktopNotifier;
    AppActions m_actions;
    Scheduler m_scheduler;
    EditorSession m_editing;
    Chimes m_chimes;
    ClockDriver m_alarmDriver;
    ClockDriver m_dingDriver;
    ClockMenu m_clockMenu;
    TrayMenu m_tray;
    DingClock* m_ding = nullptr;
    QPointer<TzarNotifForm> m_notif;
    QPointer<TStickerForm> m_sticker;
    QPointer<TzarCalForm> m_cal;
    QPointer<TcfgForm> m_cfg; // the Properties dialog while it is open
    QPoint m_dragAnchor;
    bool m_firstStart = false; // there was no settings file: the windows get first places
};

} // namespace zarvo
