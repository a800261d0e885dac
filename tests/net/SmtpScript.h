#pragma once

#include "ScriptedServer.h"

#include <memory>

// An SMTP server script: a greeting, replies by command, and the message data after DATA up to
// the line holding a single ".". AUTH LOGIN asks for the name and the password in turn.
struct SmtpScript
{
    QByteArray greeting = "220 rig ready\r\n";
    QByteArray helo = "250 rig\r\n";
    QByteArray ehlo = "250-rig\r\n250-8BITMIME\r\n250 AUTH PLAIN LOGIN\r\n";
    QByteArray starttls = "454 TLS not available\r\n";
    QByteArray authDone = "235 welcome\r\n";
    QByteArray data = "354 go ahead\r\n";
    QByteArray end = "250 OK stored\r\n";
    bool needRcpt = true; // DATA without an accepted RCPT: "503 need RCPT"

    void install(ScriptedServer& server) const
    {
        const SmtpScript copy = *this;
        server.onAccept = [copy](QTcpSocket* s) { s->write(copy.greeting); };
        auto inData = std::make_shared<bool>(false);
        auto rcpts = std::make_shared<int>(0);
        auto loginStep = std::make_shared<int>(0);
        server.onLine = [copy, inData, rcpts, loginStep](QTcpSocket* s, const QByteArray& line) {
            if (*inData) {
                if (line == ".") {
                    *inData = false;
                    s->write(copy.end);
                }
                return;
            }
            if (*loginStep > 0) {
                s->write(++*loginStep == 2 ? "334 UGFzc3dvcmQ6\r\n" : copy.authDone.constData());
                if (*loginStep > 2) *loginStep = 0;
                return;
            }
            if (line.startsWith("HELO "))
                s->write(copy.helo);
            else if (line.startsWith("EHLO "))
                s->write(copy.ehlo);
            else if (line == "STARTTLS")
                s->write(copy.starttls);
            else if (line.startsWith("AUTH PLAIN "))
                s->write(copy.authDone);
            else if (line == "AUTH LOGIN") {
                *loginStep = 1;
                s->write("334 VXNlcm5hbWU6\r\n");
            } else if (line == "RSET" || line.startsWith("MAIL FROM:"))
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
