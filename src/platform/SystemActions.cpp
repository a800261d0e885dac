#include "SystemActions.h"

#include "ShellOpen.h"

namespace zarvo {

SystemActions::SystemActions(const QDBusConnection& systemBus, const QDBusConnection& sessionBus)
    : m_sessionEnd(systemBus, sessionBus)
{
    URLLauncher.BrowserState = gwNormal;
}

void SystemActions::launch(const QString& path, const QString& params)
{
    if (!path.isEmpty()) ShellOpen(path, params);
}

void SystemActions::openUrl(const QString& url)
{
    if (url.isEmpty() || !URLLauncher.IsAnyBrowser()) return;
    URLLauncher.Url = url;
    URLLauncher.Execute();
}

void SystemActions::requestShutdown(int shutdownType)
{
    EnablePrivilege(QStringLiteral("SeShutdownPrivilege"));
    m_sessionEnd.request(shutdownType);
}

} // namespace zarvo
