#pragma once

#include "ScriptedServer.h"

// A POP3 server script: the greeting and the replies to USER, PASS and STAT; QUIT gets "+OK bye".
struct Pop3Script
{
    QByteArray greeting = "+OK ready\r\n";
    QByteArray user = "+OK\r\n";
    QByteArray pass = "+OK Logged in.\r\n";
    QByteArray stat = "+OK 3 507\r\n";

    void install(ScriptedServer& server) const
    {
        const Pop3Script copy = *this;
        server.onAccept = [copy](QTcpSocket* s) { s->write(copy.greeting); };
        server.onLine = [copy](QTcpSocket* s, const QByteArray& line) {
            if (line.startsWith("USER"))
                s->write(copy.user);
            else if (line.startsWith("PASS"))
                s->write(copy.pass);
            else if (line == "STAT")
                s->write(copy.stat);
            else if (line == "QUIT") {
                s->write("+OK bye\r\n");
                s->disconnectFromHost();
            } else
                s->write("-ERR Unknown command.\r\n");
        };
    }
};
