#pragma once

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>
#include <QTimer>

#include <functional>

class QAction;

namespace zarvo {

// The tray: the normal and the disabled icon (exactly one of them shown once the program runs)
// and their menu, TrayPopupMenu. The main window connects the items to its handlers.
class TrayMenu : public QObject
{
    Q_OBJECT
public:
    // Says whether the desktop offers a tray now.
    using TrayProbe = std::function<bool()>;

    explicit TrayMenu(TrayProbe probe = {}, QObject* parent = nullptr);
    ~TrayMenu() override;

    QMenu* menu() { return &m_menu; }
    // The items in menu order, separators included (shared with the clock menu when there is no tray).
    QList<QAction*> items() const { return m_menu.actions(); }

    // Shows the icon for the state (disabled: the crossed-out one) and hides the other. Until a
    // tray exists nothing is shown; the choice is kept for when one appears.
    void showIconFor(bool disabled);
    bool trayAvailable() const { return m_trayAvailable; }
    // Which icon is shown (or would be, without a tray).
    QSystemTrayIcon* activeIcon() { return m_disabled ? ZarDisTrayIcon : ZarTrayIcon; }

    QAction* PropItem;
    QAction* WizItem;
    QAction* ClockItem;
    QAction* StickItem;
    QAction* CalItem;
    QAction* HelpItem;
    QAction* AboutItem;
    QAction* DisItem;
    QAction* ShutItem;
    QSystemTrayIcon* ZarTrayIcon;
    QSystemTrayIcon* ZarDisTrayIcon;

    // Asks the desktop again; shows the icon and says so when a tray has appeared.
    void checkTray();

    // How often a desktop without a tray is asked again whether it has one now.
    static constexpr int TrayPollMs = 3000;

Q_SIGNALS:
    // Either icon was double-clicked.
    void iconDoubleClicked();
    // A tray appeared after the program started without one; the icon is in it now.
    void trayAppeared();

private:
    void applyIcons();

    QMenu m_menu;
    TrayProbe m_probe;
    QTimer m_poll;
    bool m_trayAvailable = false;
    bool m_disabled = false;
    bool m_started = false;
};

} // namespace zarvo
