#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

class QTcpSocket;
class QHostInfo;

namespace zarvo {

// One TCP client endpoint: looks up Host, connects to Host:Port, exchanges bytes or text lines
// and disconnects. Every operation is a plain blocking call made from the user-interface thread;
// while it waits, the program's event loop keeps running (clocks, chimes, tray, dialogs), so the
// socket's own notifications arrive through that same loop. Failures are exceptions
// (NetErrors.h). Not copyable; one operation at a time per object.
class TPowersock : public QObject
{
    Q_OBJECT
public:
    explicit TPowersock(QObject* parent = nullptr);
    ~TPowersock() override;

    // Configuration, set before Connect.
    QString Host;    // name or dotted IPv4 address, at most 127 bytes
    int Port = 0;    // only the low 16 bits count
    int TimeOut = 0; // ms; bounds the lookup and the connection (0: no limit) and every read and send
    int ReportLevel = 0;

    // Socket-level events; none is required. The clients' own OnConnect hides this one.
    std::function<void(TPowersock*)> OnConnect;
    std::function<void(TPowersock*)> OnDisconnect;
    std::function<void(bool& handled)> OnInvalidHost;
    std::function<void(TPowersock*)> OnHostResolved;
    std::function<void(TPowersock*, const QString&)> OnStatus;
    std::function<void(TPowersock*)> OnConnectionFailed;
    std::function<void(TPowersock*)> OnPacketSent;
    std::function<void(TPowersock*)> OnPacketRecvd;

    virtual void Connect();
    virtual void Disconnect();
    void Cancel();

    QString Transaction(const QString& command);
    void Writeln(const QString& text);
    void Write(const QString& text);
    void SendBuffer(const QByteArray& bytes);
    void SendStream(const QByteArray& stream);
    QString ReadLn();
    QByteArray Read(int count);

    bool Connected() const { return m_connected; }
    bool Canceled() const { return m_canceled; }
    bool TimedOut() const { return m_timedOut; }
    int ReplyNumber() const { return m_replyNumber; }
    const QString& TransactionReply() const { return m_transactionReply; }
    int LastErrorNo() const { return m_lastErrorNo; }
    const QString& Status() const { return m_status; }
    qint64 BytesSent() const { return m_bytesSent; }
    qint64 BytesTotal() const { return m_bytesTotal; }
    qint64 BytesRecvd() const { return m_bytesRecvd; }
    const QHostAddress& RemoteAddress() const { return m_remote; }

    // A server line may not be longer than this (terminator included).
    static constexpr qsizetype MaxLineLength = 64 * 1024;
    // How long a read or send may take when TimeOut is 0.
    static constexpr int ReadCeilingMs = 120000;

protected:
    // Connects, then runs the client's opening dialogue. When the dialogue fails, the connection
    // is closed again (the client's goodbye included) and the dialogue's failure is the one
    // reported.
    void connectWithDialogue(const std::function<void()>& dialogue);
    // Fills the remote address from Host, giving OnInvalidHost one chance ("Null Remote Address").
    void ResolveHost();
    void resolveRemote();
    // Starts the non-blocking connection on a fresh socket.
    void startConnection();
    // Drops the socket of an attempt that was given up, so it can never complete later.
    void abandonAttempt();
    // The layer's close: OnDisconnect fires when there was a socket.
    void closeSocket();
    void closeAndEmpty();
    QString readLine(const QDeadlineTimer& until);
    // The code a reply line starts with (at most 10 digits; 0 when there is none). A code that
    // does not fit a 16-bit reply number is a failure.
    static int replyNumberOf(const QString& line);
    QDeadlineTimer ioBound() const;
    // Runs the event loop until `done` holds, waking at least every 2 ms.
    void waitUntil(const std::function<bool()>& done);
    void startTimer();
    void stopTimer();
    void report(const QString& text, int level);
    [[noreturn]] void fail(int errorNo);

    virtual void TimeOutHook() {}
    // Run when data arrives after a Cancel.
    virtual void AbortAction() {}

    QByteArray m_recv;
    bool m_connected = false;
    bool m_canceled = false;
    bool m_timedOut = false;
    bool m_lastEventOk = true;
    bool m_peerClosed = false;

private:
    void makeSocket();
    void dropSocket();
    void drainSocket();
    void queueAndWait(const QByteArray& bytes);
    void onConnected();
    void onReadable();
    void onPeerClosed();
    void onSocketError(int error);
    void onBytesWritten(qint64 count);
    void onTimer();
    void onLookup(const QHostInfo& info);

    QTcpSocket* m_socket = nullptr;
    QHostAddress m_remote;
    QTimer m_timer;
    QTimer m_poll;
    int m_lookupId = -1;
    bool m_lookupDone = false;
    bool m_lookupOk = false;
    QHostAddress m_lookupAddress;
    bool m_handlerBusy = false;
    bool m_counting = false;
    bool m_sendComplete = true;
    bool m_destroying = false;
    int m_replyNumber = 0;
    QString m_transactionReply;
    int m_lastErrorNo = 0;
    QString m_status;
    qint64 m_bytesSent = 0;
    qint64 m_bytesTotal = 0;
    qint64 m_bytesRecvd = 0;
};

// The text with every CR, LF and NUL taken out (replaced by `with` when given), so that a value
// from the settings or an event can never end a protocol line early or add one.
QString singleLine(const QString& text, QChar with = QChar());

} // namespace zarvo
