#pragma once

#include "NetWait.h"

#include <QHostAddress>
#include <QString>

namespace zarvo {

struct HostLookupResult
{
    enum Status
    {
        Found,
        NotFound,
        TimedOut,
        Stopped
    };
    Status status = NotFound;
    QHostAddress address;
};

// Looks a host name up and waits for the answer until `until` or until `stop` says so. The
// system's resolver has no bound of its own, so it runs on a helper thread of its own; an answer
// that comes after the wait has ended is dropped. Of the addresses found, the first IPv4 one is
// taken, else the first.
HostLookupResult lookupHost(const QString& name, const QDeadlineTimer& until, const StopCheck& stop);

} // namespace zarvo
