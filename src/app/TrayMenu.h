#pragma once

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>
#include <QTimer>

#include <functional>

class QAction;

namespace zarvo {

// The tray: one icon whose picture and tip follow the state (normal, or crossed out while events
// are disabled), and its menu, TrayPopupMenu. The main window connects the items to its
// handlers. On an XEmbed tray Qt draws the icon and its menu itself and a double-click is the
// icon's main action; on a StatusNotifierItem host (the desktop draws the item and its menu,
// read over D-Bus) a click arrives as an activation, never as a double-click.
class TrayMenu : public QObject
{
    Q_OBJECT
public:
    // Says whether the desktop offers a tray now.
    using TrayProbe = std::function<bool()>;
    // Finds out, and says later through the callback, whether the icon is shown through
    // StatusNotifierItem.
    using SniProbe = std::function<void(QObject* context, std::function<void(bool)> answer)>;

    explicit TrayMenu(TrayProbe probe = {}, SniProbe sniProbe = {}, QObject* parent = nullptr);
    ~TrayMenu() override;

    QMenu* menu() { return &m_menu; }
    // The items in menu order, separators included (shared with the clock menu when there is no tray).
    QList<QAction*> items() const { return m_menu.actions(); }

    // Gives the icon the picture and tip of the state (disabled: the crossed-out one) and shows
    // it. Until a tray exists nothing is shown; the state is kept for when one appears.
    void showIconFor(bool disabled);
    bool trayAvailable() const { return m_trayAvailable; }
    bool shownThroughSni() const { return m_sni; }

    QAction* PropItem;
    QAction* WizItem;
    QAction* ClockItem;
    QAction* StickItem;
    QAction* CalItem;
    QAction* HelpItem;
    QAction* AboutItem;
    QAction* DisItem;
    QAction* ShutItem;
    // One item for both states: a host sees its picture and tip change, never an item that goes
    // and another that comes.
    QSystemTrayIcon* ZarTrayIcon;

    // Asks the desktop again; shows the icon and says so when a tray has appeared.
    void checkTray();

    // How often a desktop without a tray is asked again whether it has one now.
    static constexpr int TrayPollMs = 3000;

Q_SIGNALS:
    // The icon's main action: a double-click on an XEmbed tray, the primary activation on a
    // StatusNotifierItem host. It runs the menu's default item.
    void iconActivated();
    // A tray appeared after the program started without one; the icon is in it now.
    void trayAppeared();

private:
    void onActivated(QSystemTrayIcon::ActivationReason reason);
    void applyIcon();

    QMenu m_menu;
    TrayProbe m_probe;
    QTimer m_poll;
    bool m_trayAvailable = false;
    bool m_sni = false;
    bool m_disabled = false;
    bool m_started = false;
};

} // namespace zarvo
