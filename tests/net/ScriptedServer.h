#pragma once

#include <QMutex>
#include <QSemaphore>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include <functional>
#include <memory>

// A server on 127.0.0.1 (a free port) that plays a script to each client and records every byte
// it receives. It runs on a thread of its own with its own event loop, since the clients block
// the thread that calls them. The script (onAccept, onLine) runs on that thread; set it before
// the first client connects. What the server saw is read through the accessors. Given a TLS
// configuration, its connections are QSslSockets that a script secures when it wants (what it
// records is then the decrypted text).
class ScriptedServer
{
public:
    explicit ScriptedServer(const QSslConfiguration& tls) : m_tls(tls), m_thread(*this)
    {
        m_thread.start();
        m_ready.acquire();
    }
    // Runs when a client connects (send a greeting, start a drip, close at once...).
    std::function<void(QTcpSocket*)> onAccept;
    // Runs for every complete line received (without its CR LF).
    std::function<void(QTcpSocket*, const QByteArray& line)> onLine;

    ScriptedServer() : m_thread(*this)
    {
        m_thread.start();
        m_ready.acquire();
    }
    ~ScriptedServer()
    {
        m_thread.quit();
        m_thread.wait();
    }
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    quint16 port() const { return m_port; }
    QByteArray received() const
    {
        QMutexLocker lock(&m_mutex);
        return m_received;
    }
    void clearReceived()
    {
        QMutexLocker lock(&m_mutex);
        m_received.clear();
    }
    int accepted() const
    {
        QMutexLocker lock(&m_mutex);
        return m_accepted;
    }
    // Connections the server has seen end.
    int closed() const
    {
        QMutexLocker lock(&m_mutex);
        return m_closed;
    }
    QList<QByteArray> lines() const
    {
        QMutexLocker lock(&m_mutex);
        return m_lines;
    }

    // Sends `bytes` one at a time, every `ms` milliseconds (from a script).
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
    // Sends 16 KiB of line without end, again and again (from a script).
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
    // Makes the sockets of its connections QSslSockets when there is a configuration.
    class Listener : public QTcpServer
    {
    public:
        explicit Listener(const QSslConfiguration& tls) : m_tls(tls) {}

    protected:
        void incomingConnection(qintptr descriptor) override
        {
            if (m_tls.isNull()) return QTcpServer::incomingConnection(descriptor);
            auto* s = new QSslSocket(this);
            s->setSslConfiguration(m_tls);
            if (s->setSocketDescriptor(descriptor))
                addPendingConnection(s);
            else
                delete s;
        }

    private:
        QSslConfiguration m_tls;
    };

    class Thread : public QThread
    {
    public:
        explicit Thread(ScriptedServer& owner) : m_owner(owner) {}

    protected:
        void run() override
        {
            Listener server(m_owner.m_tls);
            server.listen(QHostAddress::LocalHost, 0);
            m_owner.m_port = server.serverPort();
            QObject::connect(&server, &QTcpServer::newConnection, &server, [this, &server] {
                while (QTcpSocket* s = server.nextPendingConnection()) {
                    {
                        QMutexLocker lock(&m_owner.m_mutex);
                        ++m_owner.m_accepted;
                    }
                    QObject::connect(s, &QTcpSocket::disconnected, s, [this] {
                        QMutexLocker lock(&m_owner.m_mutex);
                        ++m_owner.m_closed;
                    });
                    auto pending = std::make_shared<QByteArray>();
                    QObject::connect(s, &QTcpSocket::readyRead, s,
                                     [this, s, pending] { readFrom(s, *pending); });
                    if (m_owner.onAccept) m_owner.onAccept(s);
                }
            });
            m_owner.m_ready.release();
            exec();
        }

    private:
        void readFrom(QTcpSocket* s, QByteArray& pending)
        {
            const QByteArray data = s->readAll();
            pending += data;
            QList<QByteArray> complete;
            qsizetype lf;
            while ((lf = pending.indexOf('\n')) >= 0) {
                QByteArray line = pending.left(lf);
                pending.remove(0, lf + 1);
                if (line.endsWith('\r')) line.chop(1);
                complete << line;
            }
            {
                QMutexLocker lock(&m_owner.m_mutex);
                m_owner.m_received += data;
                m_owner.m_lines += complete;
            }
            if (m_owner.onLine)
                for (const QByteArray& line : complete)
                    m_owner.onLine(s, line);
        }
        ScriptedServer& m_owner;
    };

    mutable QMutex m_mutex;
    QByteArray m_received;
    QList<QByteArray> m_lines;
    int m_accepted = 0;
    int m_closed = 0;
    quint16 m_port = 0;
    QSslConfiguration m_tls;
    QSemaphore m_ready;
    Thread m_thread;
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
