#include "EventTypes.h"

#include "core/EventRecord.h"

namespace zarvo {

QStringList eventTypeNames()
{
    return {QStringLiteral("Notification"),    QStringLiteral("Launch/Open"),
            QStringLiteral("Shutdown"),        QStringLiteral("Check mailbox"),
            QStringLiteral("Startup message"), QStringLiteral("Time synchronization"),
            QStringLiteral("Mail message"),    QStringLiteral("Open URL")};
}

QStringList shutdownTypeNames()
{
    return {QStringLiteral("Shutdown"), QStringLiteral("Logoff"), QStringLiteral("Power off"),
            QStringLiteral("Reboot")};
}

TypeParameters parametersOf(int eventType)
{
    switch (eventType) {
    case EvLaunchOpen:
        return TypeParameters::Launch;
    case EvShutdown:
        return TypeParameters::Shutdown;
    case EvStartupMessage:
        return TypeParameters::Startup;
    case EvMailMessage:
        return TypeParameters::Mail;
    case EvOpenURL:
        return TypeParameters::Url;
    default:
        return TypeParameters::None;
    }
}

bool takesCustomSound(int eventType)
{
    return eventType == EvNotification || eventType == EvCheckMailbox;
}

bool takesTimeOfDay(int eventType)
{
    return eventType != EvStartupMessage;
}

} // namespace zarvo
