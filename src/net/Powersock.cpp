#include "Powersock.h"

#include "NetErrors.h"

#include <QCoreApplication>
#include <QHostInfo>
#include <QTcpSocket>

namespace zarvo {

namespace {

// The most one socket read or write moves at a time.
constexpr qint64 kChunk = 16383;
// What the receive buffer may hold: one line at its longest and a chunk after it. Beyond this the
// socket is left unread, so a server cannot make the program hold unbounded memory.
constexpr qsizetype kReceiveLimit = TPowersock::MaxLineLength + kChunk;

QByteArray cutAtNul(QByteArray bytes)
{
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0) bytes.truncate(nul);
    return bytes;
}

} // namespace

QString singleLine(const QString& text, QChar with)
{
    QString out;
    out.reserve(text.size());
    bool inBreak = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QChar(0)) {
            if (!inBreak && !with.isNull()) out += with;
            inBreak = true;
            continue;
        }
        inBreak = false;
        out += c;
    }
    return out;
}

TPowersock::TPowersock(QObject* parent) : QObject(parent)
{
    report(QStringLiteral("Create"), 8);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &TPowersock::onTimer);
    // The poll timer only has to wake the wait loop; it does nothing itself.
    m_poll.setInterval(2);
    m_poll.setTimerType(Qt::PreciseTimer);
    report(QStringLiteral("Initializing Winsock"), 8);
}

TPowersock::~TPowersock()
{
    report(QStringLiteral("Destroy"), 8);
    m_canceled = true;
    m_destroying = true;
    if (m_lookupId >= 0) QHostInfo::abortHostLookup(m_lookupId);
    closeSocket();
}

void TPowersock::report(const QString& text, int level)
{
    if (ReportLevel < level || m_destroying) return;
    m_status = text;
    if (OnStatus) OnStatus(this, text);
}

void TPowersock::fail(int errorNo)
{
    m_lastErrorNo = errorNo;
    report(QStringLiteral("Looking Up Error Message"), 8);
    throw ESockError(socketErrorMessage(errorNo));
}

void TPowersock::waitUntil(const std::function<bool()>& done)
{
    if (done()) return;
    // Any event (socket, timer, input) wakes the loop at once, and the poll timer at the latest
    // after 2 ms, so a reply is seen as soon as it arrives without spinning the processor.
    m_poll.start();
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    m_poll.stop();
}

QDeadlineTimer TPowersock::ioBound() const
{
    return QDeadlineTimer(TimeOut > 0 ? TimeOut : ReadCeilingMs, Qt::PreciseTimer);
}

void TPowersock::startTimer()
{
    report(QStringLiteral("Timer On"), 8);
    m_timedOut = false;
    if (TimeOut > 0) m_timer.start(TimeOut);
}

void TPowersock::stopTimer()
{
    report(QStringLiteral("Timer Off"), 8);
    m_timer.stop();
}

void TPowersock::onTimer()
{
    report(QStringLiteral("Timer Triggered"), 8);
    m_timer.stop();
    m_timedOut = true;
    TimeOutHook();
}

void TPowersock::Cancel()
{
    report(QStringLiteral("Canceling"), 8);
    m_canceled = true;
}

void TPowersock::ResolveHost()
{
    report(QStringLiteral("Resolve Host"), 8);
    QHostAddress literal;
    if (literal.setAddress(Host) && literal.protocol() == QAbstractSocket::IPv4Protocol) {
        m_remote = literal;
        return;
    }
    m_remote.clear();
    // A name that does not fit the lookup's 128-byte name buffer is no host at all.
    if (Host.isEmpty() || Host.toUtf8().size() > 127) throw ESockError(QStringLiteral("Host Lookup Failed"));

    startTimer();
    m_lookupDone = false;
    m_lookupOk = false;
    m_lookupId = QHostInfo::lookupHost(Host, this, &TPowersock::onLookup);
    waitUntil([this] { return m_lookupDone || m_timedOut || m_canceled; });
    stopTimer();
    if (!m_lookupDone) {
        // A late answer of this lookup must not be taken for a later one.
        QHostInfo::abortHostLookup(m_lookupId);
        m_lookupId = -1;
        throw ESockError(m_timedOut ? QStringLiteral("Host Lookup Timed Out")
                                    : QStringLiteral("Host Lookup Canceled"));
    }
    m_lookupId = -1;
    if (!m_lookupOk) throw ESockError(QStringLiteral("Host Lookup Failed"));
    m_remote = m_lookupAddress;
    if (OnHostResolved) OnHostResolved(this);
}

void TPowersock::onLookup(const QHostInfo& info)
{
    if (info.lookupId() != m_lookupId) return;
    m_lookupDone = true;
    m_lastEventOk = info.error() == QHostInfo::NoError;
    m_lookupAddress.clear();
    for (const QHostAddress& a : info.addresses())
        if (a.protocol() == QAbstractSocket::IPv4Protocol) {
            m_lookupAddress = a;
            break;
        }
    if (m_lookupAddress.isNull() && !info.addresses().isEmpty()) m_lookupAddress = info.addresses().first();
    m_lookupOk = m_lastEventOk && !m_lookupAddress.isNull();
}

void TPowersock::resolveRemote()
{
    for (int attempt = 0;;) {
        try {
            ResolveHost();
        } catch (const ESockError& e) {
            if (e.message() == QLatin1String("Host Lookup Timed Out") ||
                e.message() == QLatin1String("Host Lookup Canceled"))
                throw;
            m_remote.clear();
        }
        if (!m_remote.isNull()) return;
        if (attempt == 0 && OnInvalidHost) {
            bool handled = false;
            OnInvalidHost(handled);
            if (handled) {
                ++attempt;
                continue;
            }
        }
        throw ESockError(QStringLiteral("Null Remote Address"));
    }
}

void TPowersock::makeSocket()
{
    dropSocket();
    m_socket = new QTcpSocket(this);
    // Qt stops reading from the system once this much waits unread: the server is held back by
    // the connection's own flow control instead of filling our memory.
    m_socket->setReadBufferSize(kChunk);
    connect(m_socket, &QTcpSocket::connected, this, &TPowersock::onConnected);
    connect(m_socket, &QIODevice::readyRead, this, &TPowersock::onReadable);
    connect(m_socket, &QAbstractSocket::disconnected, this, &TPowersock::onPeerClosed);
    connect(m_socket, &QAbstractSocket::errorOccurred, this,
            [this](QAbstractSocket::SocketError e) { onSocketError(socketErrorNumber(e)); });
    connect(m_socket, &QIODevice::bytesWritten, this, &TPowersock::onBytesWritten);
}

void TPowersock::dropSocket()
{
    if (!m_socket) return;
    m_socket->disconnect(this);
    m_socket->abort();
    // It may be the sender of the signal being handled right now.
    m_socket->deleteLater();
    m_socket = nullptr;
}

void TPowersock::startConnection()
{
    makeSocket();
    m_peerClosed = false;
    m_sendComplete = true;
    m_socket->connectToHost(m_remote, quint16(Port));
}

void TPowersock::abandonAttempt()
{
    dropSocket();
    m_connected = false;
}

void TPowersock::connectWithDialogue(const std::function<void()>& dialogue)
{
    TPowersock::Connect();
    try {
        dialogue();
    } catch (...) {
        try {
            Disconnect();
        } catch (...) {
            // the first failure is the one to report
        }
        throw;
    }
}

void TPowersock::Connect()
{
    report(QStringLiteral("Connecting"), 8);
    m_canceled = false;
    if (m_connected) throw ESockError(QStringLiteral("Already connected"));
    resolveRemote();
    // Whatever an earlier connection left unread belongs to it, not to this one.
    m_recv.clear();
    m_lastEventOk = true;
    startConnection();
    startTimer();
    waitUntil([this] { return m_connected || m_timedOut || m_canceled || !m_lastEventOk; });
    stopTimer();
    if (m_connected && !m_timedOut && !m_canceled && m_lastEventOk) return;
    abandonAttempt();
    if (OnConnectionFailed) OnConnectionFailed(this);
    if (m_timedOut) throw ESockError(QStringLiteral("Connection Timed out"));
    if (m_canceled) throw ESockError(QStringLiteral("Connection Canceled"));
    throw ESockError(QStringLiteral("Connection Failed"));
}

void TPowersock::onConnected()
{
    // Commands are small and each is sent whole: holding one back until the last is acknowledged
    // would add the peer's delayed-acknowledgement time to every exchange.
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_lastEventOk = true;
    m_connected = true;
    if (OnConnect) OnConnect(this);
}

void TPowersock::onSocketError(int error)
{
    m_lastEventOk = false;
    m_lastErrorNo = error;
}

void TPowersock::onReadable()
{
    if (!m_socket) return;
    if (m_canceled) {
        AbortAction();
        return;
    }
    if (m_handlerBusy) return;
    m_handlerBusy = true;
    report(QStringLiteral("ReadToStream"), 8);
    drainSocket();
    m_handlerBusy = false;
}

void TPowersock::drainSocket()
{
    while (m_socket && m_recv.size() < kReceiveLimit) {
        const QByteArray chunk = m_socket->read(qMin<qint64>(kChunk, kReceiveLimit - m_recv.size()));
        if (chunk.isEmpty()) break;
        m_recv += chunk;
        if (m_counting) {
            m_bytesRecvd += chunk.size();
            if (OnPacketRecvd) OnPacketRecvd(this);
        }
    }
}

void TPowersock::onPeerClosed()
{
    // What the server sent before it closed stays readable.
    drainSocket();
    m_peerClosed = true;
    closeSocket();
}

void TPowersock::closeSocket()
{
    report(QStringLiteral("Request Close Socket"), 4);
    m_connected = false;
    if (!m_socket) return;
    m_socket->disconnect(this);
    if (m_socket->state() == QAbstractSocket::ConnectedState && m_socket->bytesToWrite() == 0)
        m_socket->disconnectFromHost();
    dropSocket();
    if (!m_destroying && OnDisconnect) OnDisconnect(this);
}

void TPowersock::closeAndEmpty()
{
    closeSocket();
    m_recv.clear();
}

void TPowersock::Disconnect()
{
    report(QStringLiteral("Disconnecting"), 8);
    closeSocket();
}

void TPowersock::onBytesWritten(qint64 count)
{
    m_bytesSent += count;
    if (m_counting && OnPacketSent) OnPacketSent(this);
    if (m_socket && m_socket->bytesToWrite() == 0) m_sendComplete = true;
}

void TPowersock::queueAndWait(const QByteArray& bytes)
{
    if (!m_connected || !m_socket) fail(sockerr::NotConnected);
    m_sendComplete = false;
    if (m_socket->write(bytes) < 0) {
        m_sendComplete = true;
        fail(socketErrorNumber(m_socket->error()));
    }
    report(QStringLiteral("WriteFromStream"), 8);
    m_socket->flush();
    const QDeadlineTimer until = ioBound();
    waitUntil([&] {
        return m_sendComplete || !m_socket || (m_socket && m_socket->bytesToWrite() == 0) || m_canceled ||
               until.hasExpired();
    });
    if (m_canceled) {
        m_canceled = false;
        throw EAbortError(QStringLiteral("Socket send aborted"));
    }
    if (m_socket && m_socket->bytesToWrite() == 0) {
        m_sendComplete = true;
        return;
    }
    if (m_sendComplete) return;
    if (!m_socket) fail(m_lastErrorNo != 0 ? m_lastErrorNo : sockerr::NotConnected);
    fail(sockerr::TimedOut);
}

void TPowersock::SendBuffer(const QByteArray& bytes)
{
    report(QStringLiteral("Sending Buffer"), 4);
    if (m_canceled) return;
    if (bytes.isEmpty()) return; // nothing to wait for
    queueAndWait(bytes);
}

void TPowersock::Write(const QString& text)
{
    report(QStringLiteral("Write"), 8);
    SendBuffer(cutAtNul(text.toUtf8()));
}

void TPowersock::Writeln(const QString& text)
{
    report(QStringLiteral("Writeln"), 8);
    report(QStringLiteral("Write"), 8);
    // The line end must go out even when the text holds a NUL.
    SendBuffer(cutAtNul(text.toUtf8()) + "\r\n");
}

void TPowersock::SendStream(const QByteArray& stream)
{
    m_counting = true;
    report(QStringLiteral("SendStream"), 8);
    report(QStringLiteral("SendFile"), 8);
    try {
        if (!m_canceled) {
            m_bytesSent = 0;
            m_bytesTotal = stream.size();
            if (!stream.isEmpty()) queueAndWait(stream);
        }
    } catch (...) {
        m_counting = false;
        throw;
    }
    m_counting = false;
    if (m_canceled) {
        m_canceled = false;
        throw EAbortError(QStringLiteral("Socket send aborted"));
    }
}

QString TPowersock::ReadLn()
{
    report(QStringLiteral("ReadLn"), 8);
    return readLine(ioBound());
}

QString TPowersock::readLine(const QDeadlineTimer& until)
{
    qsizetype lf = -1;
    waitUntil([&] {
        lf = m_recv.indexOf('\n');
        return lf >= 0 || m_canceled || m_recv.size() > MaxLineLength || !m_connected || until.hasExpired();
    });
    if (m_canceled) throw EAbortError(QStringLiteral("Socket readln aborted"));
    if (lf >= 0 && lf < MaxLineLength) {
        const QByteArray line = m_recv.left(lf + 1);
        m_recv.remove(0, lf + 1);
        drainSocket();
        return QString::fromUtf8(line);
    }
    if (lf >= 0 || m_recv.size() > MaxLineLength) {
        // The line cannot be read whole; what is left of it would only be taken for replies.
        m_recv.clear();
        drainSocket();
        fail(sockerr::MessageTooLong);
    }
    fail(m_connected ? sockerr::TimedOut : sockerr::NotConnected);
}

QByteArray TPowersock::Read(int count)
{
    report(QStringLiteral("Read( ") + QString::number(count) + QStringLiteral(" )"), 8);
    if (count > MaxLineLength) fail(sockerr::MessageTooLong);
    if (count > 0) {
        const QDeadlineTimer until = ioBound();
        waitUntil([&] { return m_recv.size() >= count || m_canceled || !m_connected || until.hasExpired(); });
    }
    if (m_canceled) {
        m_canceled = false;
        throw EAbortError(QStringLiteral("Socket send aborted"));
    }
    if (count > 0 && m_recv.size() < count) fail(m_connected ? sockerr::TimedOut : sockerr::NotConnected);
    const QByteArray out = count > 0 ? m_recv.left(count) : m_recv;
    m_recv.remove(0, out.size());
    drainSocket();
    return out;
}

int TPowersock::replyNumberOf(const QString& line)
{
    qint64 value = 0;
    int digits = 0;
    while (digits < 10 && digits < line.size() && line[digits] >= QLatin1Char('0') &&
           line[digits] <= QLatin1Char('9')) {
        value = value * 10 + (line[digits].unicode() - '0');
        ++digits;
    }
    if (value > 32767) throw NetException(QStringLiteral("Range check error"));
    return int(value);
}

QString TPowersock::Transaction(const QString& command)
{
    report(QStringLiteral("Transaction"), 8);
    m_replyNumber = 0;
    Writeln(command);
    m_transactionReply = ReadLn();
    if (!m_transactionReply.isEmpty()) {
        report(m_transactionReply, 1);
        m_replyNumber = replyNumberOf(m_transactionReply);
    }
    return m_transactionReply;
}

} // namespace zarvo
