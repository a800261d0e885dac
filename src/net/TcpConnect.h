#pragma once

#include "NetWait.h"

#include <QHostAddress>

namespace zarvo {

struct TcpConnection
{
    enum Status
    {
        Connected,
        TimedOut,
        Stopped,
        Failed
    };
    Status status = Failed;
    int descriptor = -1; // the connected socket when Connected, owned by the caller
    int errorNo = 0;     // why it Failed, in the classic socket numbering
};

// Opens a TCP connection to address:port and waits for it until `until` or until `stop` says so.
// Every client connects through here. It is not left to the socket class, whose own wait gives
// the attempt up at its first time-out, so the wait could not be cut into slices that look at
// `stop`. An attempt that is given up is closed at once and can never complete later.
TcpConnection connectTcp(const QHostAddress& address, quint16 port, const QDeadlineTimer& until,
                         const StopCheck& stop);

// The classic socket error number of a system error number (0 when there is none).
int socketErrorNumberOfErrno(int error);

} // namespace zarvo
