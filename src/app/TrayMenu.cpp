#include "TrayMenu.h"

#include "ProgramIcon.h"
#include "platform/TrayHost.h"

#include <QAction>
#include <QCursor>

namespace zarvo {

TrayMenu::TrayMenu(TrayProbe probe, SniProbe sniProbe, QObject* parent)
    : QObject(parent), m_probe(probe ? std::move(probe) : TrayProbe(&QSystemTrayIcon::isSystemTrayAvailable))
{
    PropItem = m_menu.addAction(QStringLiteral("&Properties..."));
    WizItem = m_menu.addAction(QStringLiteral("&Wizard..."));
    m_menu.addSeparator();
    ClockItem = m_menu.addAction(QStringLiteral("Show &clock"));
    StickItem = m_menu.addAction(QStringLiteral("Show stick&er"));
    CalItem = m_menu.addAction(QStringLiteral("Show calen&dar"));
    m_menu.addSeparator();
    HelpItem = m_menu.addAction(QStringLiteral("&Help"));
    AboutItem = m_menu.addAction(QStringLiteral("&About..."));
    m_menu.addSeparator();
    DisItem = m_menu.addAction(QStringLiteral("&Disable"));
    ShutItem = m_menu.addAction(QStringLiteral("E&xit"));
    // The default item is drawn bold; the icon's main action runs it.
    m_menu.setDefaultAction(PropItem);

    // Qt chooses between StatusNotifierItem and XEmbed when the icon is made, by whether a
    // watcher answers on the session bus: asked here at the same moment, the answer says which.
    ZarTrayIcon = new QSystemTrayIcon(programIcon(false), this);
    ZarTrayIcon->setToolTip(QStringLiteral("Zarvo!"));
    ZarTrayIcon->setContextMenu(&m_menu);
    connect(ZarTrayIcon, &QSystemTrayIcon::activated, this, &TrayMenu::onActivated);
    (sniProbe ? sniProbe : SniProbe(&askStatusNotifierWatcher))(this, [this](bool sni) { m_sni = sni; });

    m_trayAvailable = m_probe();
    // A desktop without a tray may start one later (a panel that comes up after the program);
    // asking costs one round trip to the display every few seconds, and stops once it answers.
    m_poll.setInterval(TrayPollMs);
    connect(&m_poll, &QTimer::timeout, this, &TrayMenu::checkTray);
    if (!m_trayAvailable) m_poll.start();
}

TrayMenu::~TrayMenu()
{
    // The icon leaves the tray before the menu it points at goes.
    ZarTrayIcon->hide();
}

void TrayMenu::onActivated(QSystemTrayIcon::ActivationReason reason)
{
    // The main action may open a dialog; queued, the host's call is answered first, so the host
    // is never left waiting on the program.
    const auto activate = [this] {
        QMetaObject::invokeMethod(this, &TrayMenu::iconActivated, Qt::QueuedConnection);
    };
    if (!m_sni) {
        // XEmbed: Qt opens the menu on the right button itself, and a single click (which also
        // begins every double-click) does nothing.
        if (reason == QSystemTrayIcon::DoubleClick) activate();
        return;
    }
    switch (reason) {
    case QSystemTrayIcon::Trigger:
    case QSystemTrayIcon::DoubleClick:
        activate();
        break;
    case QSystemTrayIcon::Context:
    case QSystemTrayIcon::MiddleClick:
        // A host that does not draw the exported menu itself asks the program to show it.
        m_menu.popup(QCursor::pos());
        break;
    default:
        break;
    }
}

void TrayMenu::showIconFor(bool disabled)
{
    m_disabled = disabled;
    m_started = true;
    applyIcon();
}

void TrayMenu::applyIcon()
{
    if (!m_started) return;
    ZarTrayIcon->setIcon(programIcon(m_disabled));
    ZarTrayIcon->setToolTip(m_disabled ? QStringLiteral("Zarvo! (disabled)") : QStringLiteral("Zarvo!"));
    if (m_trayAvailable) ZarTrayIcon->show();
}

void TrayMenu::checkTray()
{
    if (m_trayAvailable || !m_probe()) return;
    m_poll.stop();
    m_trayAvailable = true;
    applyIcon();
    Q_EMIT trayAppeared();
}

} // namespace zarvo
