#pragma once

#include "ScriptedServer.h"

// A POP3 server script: the greeting and the replies to USER, PASS and STAT; QUIT gets "+OK bye".
// On a server with TLS: secured from the first byte (after a delay), or on STLS; USER is then
// refused over a connection that is not encrypted.
struct Pop3Script
{
    QByteArray greeting = "+OK ready\r\n";
    QByteArray user = "+OK\r\n";
    QByteArray pass = "+OK Logged in.\r\n";
    QByteArray stat = "+OK 3 507\r\n";
    QByteArray stls = "+OK Begin TLS negotiation now.\r\n";
    bool implicitTls = false;
    int handshakeDelayMs = 0;

    void install(ScriptedServer& server) const
    {
        const Pop3Script copy = *this;
        server.onAccept = [copy](QTcpSocket* s) {
            auto* tls = qobject_cast<QSslSocket*>(s);
            if (!tls || !copy.implicitTls) return void(s->write(copy.greeting));
            // The server's thread sleeps before it reads the client's hello: a slow server.
            QThread::msleep(ulong(copy.handshakeDelayMs));
            tls->startServerEncryption();
            tls->write(copy.greeting); // sent once the handshake is done
        };
        server.onLine = [copy](QTcpSocket* s, const QByteArray& line) {
            auto* tls = qobject_cast<QSslSocket*>(s);
            if (line == "STLS" && tls && !tls->isEncrypted()) {
                s->write(copy.stls);
                if (copy.stls.startsWith("+OK")) tls->startServerEncryption();
            } else if (line.startsWith("USER") && tls && !tls->isEncrypted())
                s->write("-ERR [PRIVACYREQUIRED] Plaintext authentication disallowed.\r\n");
            else if (line.startsWith("USER"))
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
