#pragma once

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <functional>

// A server on 127.0.0.1 (a free port) that plays a script to each client and records every byte
// it receives. It runs in the test's own event loop, which the clients keep turning while they
// wait, so it also shows that the loop stays alive during a blocking call.
class ScriptedServer : public QObject
{
public:
    // Runs when a client connects (send a greeting, start a drip, close at once...).
    std::function<void(QTcpSocket*)> onAccept;
    // Runs for every complete line received (without its CR LF).
    std::function<void(QTcpSocket*, const QByteArray& line)> onLine;
    QByteArray received;
    int accepted = 0;

    ScriptedServer()
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = m_server.nextPendingConnection()) {
                ++accepted;
                s->setParent(this);
                connect(s, &QTcpSocket::readyRead, this, [this, s] { readFrom(s); });
                if (onAccept) onAccept(s);
            }
        });
    }
    quint16 port() const { return m_server.serverPort(); }
    QString lastLine() const { return m_lines.isEmpty() ? QString() : QString::fromUtf8(m_lines.last()); }
    const QList<QByteArray>& lines() const { return m_lines; }

    // Sends `bytes` one at a time, every `ms` milliseconds.
    static void drip(QTcpSocket* s, const QByteArray& bytes, int ms)
    {
        auto* t = new QTimer(s);
        auto pos = std::make_shared<qsizetype>(0);
        QObject::connect(t, &QTimer::timeout, s, [s, t, bytes, pos] {
            if (*pos >= bytes.size() || s->state() != QAbstractSocket::ConnectedState) return t->stop();
            s->write(bytes.mid((*pos)++, 1));
        });
        t->start(ms);
    }
    // Sends 16 KiB of line without end, again and again.
    static void flood(QTcpSocket* s)
    {
        auto* t = new QTimer(s);
        QObject::connect(t, &QTimer::timeout, s, [s] {
            if (s->state() == QAbstractSocket::ConnectedState && s->bytesToWrite() < 65536)
                s->write(QByteArray(16384, 'x'));
        });
        t->start(1);
    }

private:
    void readFrom(QTcpSocket* s)
    {
        const QByteArray data = s->readAll();
        received += data;
        m_pending += data;
        qsizetype lf;
        while ((lf = m_pending.indexOf('\n')) >= 0) {
            QByteArray line = m_pending.left(lf);
            m_pending.remove(0, lf + 1);
            if (line.endsWith('\r')) line.chop(1);
            m_lines << line;
            if (onLine) onLine(s, line);
        }
    }

    QTcpServer m_server;
    QByteArray m_pending;
    QList<QByteArray> m_lines;
};

// A port on 127.0.0.1 where nothing listens.
inline quint16 refusedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}
