#pragma once

#include "NetWait.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QObject>
#include <QString>

#include <atomic>
#include <functional>

class QTcpSocket;

namespace zarvo {

struct TcpConnection;

// How a connection is secured: not at all, TLS started on request after a plain-text opening
// (STARTTLS), or TLS from the first byte.
enum class TlsMode
{
    None = 0,
    StartTls = 1,
    Implicit = 2
};

// The mode a stored setting names; false for a value that names none.
bool tlsModeOf(int stored, TlsMode& mode);

// One TCP client endpoint: looks up Host, connects to Host:Port, exchanges bytes or text lines
// and disconnects. Every operation is a plain blocking call that returns when done or failed;
// failures are exceptions (NetErrors.h). The calls block the thread that makes them, so they are
// made on a worker thread, never on the user-interface thread (NetworkActions). Every wait is
// bounded and wakes every few milliseconds to look at the stop flag, so the program can end at
// any moment. Not copyable; one thread and one operation at a time per object.
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
    // Implicit: the connection is encrypted before Connect returns; StartTls: the client calls
    // StartTls when the server agrees. The certificate is always verified against Host.
    TlsMode Security = TlsMode::None;

    // Socket-level events; none is required. The clients' own OnConnect hides this one. They run
    // on the thread that makes the calls.
    std::function<void(TPowersock*)> OnConnect;
    std::function<void(TPowersock*)> OnDisconnect;
    std::function<void(bool& handled)> OnInvalidHost;
    std::function<void(TPowersock*)> OnHostResolved;
    std::function<void(TPowersock*, const QString&)> OnStatus;
    std::function<void(TPowersock*)> OnConnectionFailed;
    std::function<void(TPowersock*)> OnPacketSent;
    std::function<void(TPowersock*)> OnPacketRecvd;

    // A flag another thread may set (and no one clears) to end every wait at once, as Cancel
    // does: the program is ending. It must outlive the object.
    void setStopFlag(const std::atomic<bool>* stop) { m_stop = stop; }

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
    // Encrypts the open connection, once the server has agreed to it and before anything else
    // is said. Bytes the server sent after its agreement are a failure, as is a certificate that
    // does not verify (said on stderr).
    void StartTls();
    bool Encrypted() const;

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
    enum class Opened
    {
        Connected,
        TimedOut,
        Canceled,
        Failed
    };
    // Opens the connection to the remote address on a fresh socket, waiting until `until`;
    // with Implicit security the handshake is part of it.
    Opened openConnection(const QDeadlineTimer& until);
    // Makes the TCP connection; every connection is made here.
    virtual TcpConnection dial(const QDeadlineTimer& until);
    // The layer's close: OnDisconnect fires when there was a socket.
    void closeSocket();
    void closeAndEmpty();
    QString readLine(const QDeadlineTimer& until);
    // Waits until `done` holds, the connection ends or `until` passes, taking in what arrives.
    void receiveUntil(const std::function<bool()>& done, const QDeadlineTimer& until);
    // Waits until `until` passes or the wait is canceled.
    void sleepUntil(const QDeadlineTimer& until);
    // The code a reply line starts with (at most 10 digits; 0 when there is none). A code that
    // does not fit a 16-bit reply number is a failure.
    static int replyNumberOf(const QString& line);
    QDeadlineTimer ioBound() const;
    // "Timer On": the bound of a lookup or a connection (none when TimeOut is 0).
    QDeadlineTimer startTimer();
    void stopTimer();
    // The lookup or connection bound has passed.
    void timeOutFired();
    // Canceled, or told to stop (which counts as a Cancel that cannot be cleared).
    bool canceledNow();
    void report(const QString& text, int level);
    [[noreturn]] void fail(int errorNo);
    // A wait on the open connection ran out (or found it closed).
    [[noreturn]] void failWaiting();
    // Says on stderr why the connection cannot be secured and fails with it.
    [[noreturn]] void tlsFailure(const QString& why);

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
    void dropSocket();
    void drainSocket();
    // Takes in whatever the socket holds, waiting at most `ms` for something to arrive.
    void receive(int ms);
    void onPeerClosed();
    void queueAndWait(const QByteArray& bytes);
    qint64 pendingOut() const;
    // Runs the handshake on the open socket until `until`; the reason of a failure is kept.
    Opened encrypt(const QDeadlineTimer& until);

    QTcpSocket* m_socket = nullptr;
    const std::atomic<bool>* m_stop = nullptr;
    QHostAddress m_remote;
    bool m_counting = false;
    bool m_destroying = false;
    bool m_saidGoodbye = false;
    int m_replyNumber = 0;
    QString m_transactionReply;
    int m_lastErrorNo = 0;
    QString m_status;
    QString m_tlsFailure;
    qint64 m_bytesSent = 0;
    qint64 m_bytesTotal = 0;
    qint64 m_bytesRecvd = 0;
};

// The text with every CR, LF and NUL taken out (replaced by `with` when given), so that a value
// from the settings or an event can never end a protocol line early or add one.
QString singleLine(const QString& text, QChar with = QChar());

} // namespace zarvo
