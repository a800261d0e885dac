#pragma once

#include "SessionEnd.h"
#include "URLLauncher.h"
#include "core/EventActions.h"

namespace zarvo {

// The local event actions on this system: launching and opening files, opening an address in
// the browser, and ending the machine or the session. None of them waits or reports anything.
class SystemActions : public EventActions
{
public:
    SystemActions() = default; // the buses named by the environment
    SystemActions(const QDBusConnection& systemBus, const QDBusConnection& sessionBus);

    void launch(const QString& path, const QString& params) override;
    void openUrl(const QString& url) override;
    void requestShutdown(int shutdownType) override;

    TGoToWeb URLLauncher;

private:
    SessionEnd m_sessionEnd;
};

} // namespace zarvo
