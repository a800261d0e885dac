#include "TrayMenu.h"

#include <QAction>
#include <QIcon>

namespace zarvo {

namespace {

QIcon trayPicture(const QString& name)
{
    QIcon icon;
    for (int size : {16, 32, 48, 64})
        icon.addFile(QStringLiteral(":/icons/%1-%2.png").arg(name).arg(size), QSize(size, size));
    return icon;
}

} // namespace

TrayMenu::TrayMenu(TrayProbe probe, QObject* parent)
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
    // The default item is drawn bold; a double-click on the icon runs it.
    m_menu.setDefaultAction(PropItem);

    ZarTrayIcon = new QSystemTrayIcon(trayPicture(QStringLiteral("zarvo")), this);
    ZarTrayIcon->setToolTip(QStringLiteral("Zarvo!"));
    ZarDisTrayIcon = new QSystemTrayIcon(trayPicture(QStringLiteral("zarvo-disabled")), this);
    ZarDisTrayIcon->setToolTip(QStringLiteral("Zarvo! (disabled)"));
    for (QSystemTrayIcon* icon : {ZarTrayIcon, ZarDisTrayIcon}) {
        icon->setContextMenu(&m_menu);
        connect(icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
            if (r == QSystemTrayIcon::DoubleClick) Q_EMIT iconDoubleClicked();
        });
    }

    m_trayAvailable = m_probe();
    // A desktop without a tray may start one later (a panel that comes up after the program);
    // asking costs one round trip to the display every few seconds, and stops once it answers.
    m_poll.setInterval(TrayPollMs);
    connect(&m_poll, &QTimer::timeout, this, &TrayMenu::checkTray);
    if (!m_trayAvailable) m_poll.start();
}

TrayMenu::~TrayMenu()
{
    // The icons leave the tray before the menu they point at goes.
    ZarTrayIcon->hide();
    ZarDisTrayIcon->hide();
}

void TrayMenu::showIconFor(bool disabled)
{
    m_disabled = disabled;
    m_started = true;
    applyIcons();
}

void TrayMenu::applyIcons()
{
    if (!m_trayAvailable || !m_started) return;
    // Hide first, so that the tray never holds both.
    (m_disabled ? ZarTrayIcon : ZarDisTrayIcon)->hide();
    (m_disabled ? ZarDisTrayIcon : ZarTrayIcon)->show();
}

void TrayMenu::checkTray()
{
    if (m_trayAvailable || !m_probe()) return;
    m_poll.stop();
    m_trayAvailable = true;
    applyIcons();
    Q_EMIT trayAppeared();
}

} // namespace zarvo
