#pragma once

#include "ScriptedServer.h"

#include <memory>

// An SMTP server script: a greeting, replies by command, and the message data after DATA up to
// the line holding a single ".".
struct SmtpScript
{
    QByteArray greeting = "220 rig ready\r\n";
    QByteArray helo = "250 rig\r\n";
    QByteArray data = "354 go ahead\r\n";
    QByteArray end = "250 OK stored\r\n";
    bool needRcpt = true; // DATA without an accepted RCPT: "503 need RCPT"

    void install(ScriptedServer& server) const
    {
        const SmtpScript copy = *this;
        server.onAccept = [copy](QTcpSocket* s) { s->write(copy.greeting); };
        auto inData = std::make_shared<bool>(false);
        auto rcpts = std::make_shared<int>(0);
        server.onLine = [copy, inData, rcpts](QTcpSocket* s, const QByteArray& line) {
            if (*inData) {
                if (line == ".") {
                    *inData = false;
                    s->write(copy.end);
                }
                return;
            }
            if (line.startsWith("HELO "))
                s->write(copy.helo);
            else if (line == "RSET" || line.startsWith("MAIL FROM:"))
                s->write("250 OK\r\n");
            else if (line.startsWith("RCPT TO:")) {
                ++*rcpts;
                s->write("250 OK\r\n");
            } else if (line == "DATA") {
                if (copy.needRcpt && *rcpts == 0) return void(s->write("503 need RCPT\r\n"));
                *inData = true;
                s->write(copy.data);
            } else if (line == "QUIT") {
                s->write("221 bye\r\n");
                s->disconnectFromHost();
            } else
                s->write("500 what\r\n");
        };
    }
};
