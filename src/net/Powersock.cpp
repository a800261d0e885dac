#include "Powersock.h"

#include "HostLookup.h"
#include "NetErrors.h"
#include "TcpConnect.h"
#include "TlsTrust.h"

#include <QSslSocket>
#include <QTcpSocket>
#include <QThread>

#include <cstdio>

#include <unistd.h>

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

bool tlsModeOf(int stored, TlsMode& mode)
{
    if (stored < 0 || stored > 2) return false;
    mode = TlsMode(stored);
    return true;
}

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
    report(QStringLiteral("Initializing Winsock"), 8);
}

TPowersock::~TPowersock()
{
    report(QStringLiteral("Destroy"), 8);
    m_canceled = true;
    m_destroying = true;
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

bool TPowersock::canceledNow()
{
    if (m_stop && m_stop->load(std::memory_order_relaxed)) m_canceled = true;
    return m_canceled;
}

QDeadlineTimer TPowersock::ioBound() const
{
    return QDeadlineTimer(TimeOut > 0 ? TimeOut : ReadCeilingMs, Qt::PreciseTimer);
}

QDeadlineTimer TPowersock::startTimer()
{
    report(QStringLiteral("Timer On"), 8);
    m_timedOut = false;
    return TimeOut > 0 ? QDeadlineTimer(TimeOut, Qt::PreciseTimer) : QDeadlineTimer(QDeadlineTimer::Forever);
}

void TPowersock::stopTimer()
{
    report(QStringLiteral("Timer Off"), 8);
}

void TPowersock::timeOutFired()
{
    report(QStringLiteral("Timer Triggered"), 8);
    m_timedOut = true;
    TimeOutHook();
}

void TPowersock::Cancel()
{
    report(QStringLiteral("Canceling"), 8);
    m_canceled = true;
}

void TPowersock::sleepUntil(const QDeadlineTimer& until)
{
    while (!canceledNow()) {
        const int slice = nextSlice(until);
        if (slice <= 0) return;
        QThread::msleep(ulong(slice));
    }
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

    const QDeadlineTimer until = startTimer();
    const HostLookupResult found = lookupHost(Host, until, [this] { return canceledNow(); });
    stopTimer();
    switch (found.status) {
    case HostLookupResult::TimedOut:
        timeOutFired();
        throw ESockError(QStringLiteral("Host Lookup Timed Out"));
    case HostLookupResult::Stopped:
        throw ESockError(QStringLiteral("Host Lookup Canceled"));
    case HostLookupResult::NotFound:
        m_lastEventOk = false;
        throw ESockError(QStringLiteral("Host Lookup Failed"));
    case HostLookupResult::Found:
        break;
    }
    m_lastEventOk = true;
    m_remote = found.address;
    if (OnHostResolved) OnHostResolved(this);
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

TcpConnection TPowersock::dial(const QDeadlineTimer& until)
{
    return connectTcp(m_remote, quint16(Port), until, [this] { return canceledNow(); });
}

TPowersock::Opened TPowersock::openConnection(const QDeadlineTimer& until)
{
    dropSocket();
    m_peerClosed = false;
    m_tlsFailure.clear();
    const TcpConnection c = dial(until);
    switch (c.status) {
    case TcpConnection::TimedOut:
        return Opened::TimedOut;
    case TcpConnection::Stopped:
        return Opened::Canceled;
    case TcpConnection::Failed:
        m_lastEventOk = false;
        m_lastErrorNo = c.errorNo;
        return Opened::Failed;
    case TcpConnection::Connected:
        break;
    }
    // A plain connection never loads the TLS library; one that may be secured later must be
    // able to from its first byte.
    m_socket = Security == TlsMode::None ? new QTcpSocket(this) : new QSslSocket(this);
    // Qt takes in no more than this at a time: the server is held back by the connection's own
    // flow control instead of filling our memory.
    m_socket->setReadBufferSize(kChunk);
    if (!m_socket->setSocketDescriptor(c.descriptor)) {
        ::close(c.descriptor);
        m_lastEventOk = false;
        m_lastErrorNo = socketErrorNumber(m_socket->error());
        dropSocket();
        return Opened::Failed;
    }
    connect(
        m_socket, &QIODevice::bytesWritten, this,
        [this](qint64 count) {
            m_bytesSent += count;
            if (m_counting && OnPacketSent) OnPacketSent(this);
        },
        Qt::DirectConnection);
    // A TLS peer may end its side with a closing alert and keep the connection open until we
    // answer it: the error it leaves is overwritten by the next wait's time-out, so it is noted.
    m_saidGoodbye = false;
    connect(
        m_socket, &QAbstractSocket::errorOccurred, this,
        [this](QAbstractSocket::SocketError e) {
            if (e == QAbstractSocket::RemoteHostClosedError) m_saidGoodbye = true;
        },
        Qt::DirectConnection);
    // Commands are small and each is sent whole: holding one back until the last is acknowledged
    // would add the peer's delayed-acknowledgement time to every exchange.
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    if (Security == TlsMode::Implicit) {
        const Opened secured = encrypt(until);
        if (secured != Opened::Connected) {
            if (secured == Opened::Failed) m_lastEventOk = false;
            dropSocket();
            return secured;
        }
    }
    m_lastEventOk = true;
    m_connected = true;
    if (OnConnect) OnConnect(this);
    return Opened::Connected;
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
    // A connection the server has closed meanwhile is over, not "Already connected".
    if (m_connected) receive(0);
    if (m_connected) throw ESockError(QStringLiteral("Already connected"));
    resolveRemote();
    // Whatever an earlier connection left unread belongs to it, not to this one.
    m_recv.clear();
    m_lastEventOk = true;
    const QDeadlineTimer until = startTimer();
    const Opened opened = openConnection(until);
    stopTimer();
    if (opened == Opened::Connected) return;
    if (opened == Opened::TimedOut) timeOutFired();
    if (OnConnectionFailed) OnConnectionFailed(this);
    if (m_timedOut) throw ESockError(QStringLiteral("Connection Timed out"));
    if (m_canceled) throw ESockError(QStringLiteral("Connection Canceled"));
    if (!m_tlsFailure.isEmpty()) tlsFailure(m_tlsFailure);
    throw ESockError(QStringLiteral("Connection Failed"));
}

void TPowersock::dropSocket()
{
    if (!m_socket) return;
    m_socket->disconnect(this);
    m_socket->abort();
    delete m_socket;
    m_socket = nullptr;
}

void TPowersock::drainSocket()
{
    while (m_socket && m_recv.size() < kReceiveLimit) {
        const QByteArray chunk = m_socket->read(qMin<qint64>(kChunk, kReceiveLimit - m_recv.size()));
        if (chunk.isEmpty()) break;
        report(QStringLiteral("ReadToStream"), 8);
        m_recv += chunk;
        if (m_counting) {
            m_bytesRecvd += chunk.size();
            if (OnPacketRecvd) OnPacketRecvd(this);
        }
    }
}

void TPowersock::receive(int ms)
{
    if (!m_socket) return;
    if (canceledNow()) {
        if (m_socket->bytesAvailable() > 0) AbortAction();
        return;
    }
    drainSocket();
    if (m_socket->state() == QAbstractSocket::ConnectedState && m_recv.size() < kReceiveLimit &&
        m_socket->waitForReadyRead(ms))
        drainSocket();
    if (m_socket->state() != QAbstractSocket::ConnectedState || m_saidGoodbye) onPeerClosed();
}

void TPowersock::receiveUntil(const std::function<bool()>& done, const QDeadlineTimer& until)
{
    receive(0);
    while (!done() && !canceledNow() && m_connected) {
        const int slice = nextSlice(until);
        if (slice <= 0) return;
        receive(slice);
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

void TPowersock::tlsFailure(const QString& why)
{
    const QString text = QStringLiteral("TLS with %1:%2 failed: %3").arg(Host).arg(quint16(Port)).arg(why);
    std::fprintf(stderr, "zarvo: %s\n", qPrintable(text));
    throw ESockError(text);
}

TPowersock::Opened TPowersock::encrypt(const QDeadlineTimer& until)
{
    auto* tls = qobject_cast<QSslSocket*>(m_socket);
    if (!tls) {
        m_tlsFailure = QStringLiteral("the connection cannot be secured");
        return Opened::Failed;
    }
    tls->setSslConfiguration(clientTlsConfiguration());
    // The connection was made to an address, so the name to check the certificate against
    // (and to ask for) is the one the user typed.
    tls->setPeerVerifyName(Host);
    tls->startClientEncryption();
    // Each slice's wait that runs out leaves the handshake going: Qt's waits give up only on
    // an error or a close.
    while (!tls->isEncrypted()) {
        if (canceledNow()) return Opened::Canceled;
        const int slice = nextSlice(until);
        if (slice <= 0) return Opened::TimedOut;
        if (tls->waitForEncrypted(slice)) break;
        if (tls->state() != QAbstractSocket::ConnectedState ||
            tls->error() != QAbstractSocket::SocketTimeoutError) {
            QStringList why;
            for (const QSslError& e : tls->sslHandshakeErrors())
                why << e.errorString();
            if (why.isEmpty()) why << tls->errorString();
            m_tlsFailure = why.join(QStringLiteral("; "));
            m_lastErrorNo = socketErrorNumber(tls->error());
            return Opened::Failed;
        }
    }
    return Opened::Connected;
}

bool TPowersock::Encrypted() const
{
    const auto* tls = qobject_cast<const QSslSocket*>(m_socket);
    return tls && tls->isEncrypted();
}

void TPowersock::StartTls()
{
    if (m_connected) receive(0);
    if (!m_connected || !m_socket) fail(sockerr::NotConnected);
    if (Encrypted()) return;
    // Whatever came after the server's go-ahead was not protected, and would be read as if it
    // came through the encrypted connection.
    if (!m_recv.isEmpty()) {
        closeAndEmpty();
        tlsFailure(QStringLiteral("the server sent more before the handshake"));
    }
    m_tlsFailure.clear();
    const Opened secured = encrypt(ioBound());
    if (secured == Opened::Connected) return;
    // Nothing more goes over a connection that could not be secured, not even a goodbye.
    closeAndEmpty();
    if (secured == Opened::Canceled) throw EAbortError(QStringLiteral("Socket readln aborted"));
    if (secured == Opened::TimedOut) fail(sockerr::TimedOut);
    tlsFailure(m_tlsFailure);
}

qint64 TPowersock::pendingOut() const
{
    const auto* tls = qobject_cast<const QSslSocket*>(m_socket);
    return m_socket->bytesToWrite() + (tls ? tls->encryptedBytesToWrite() : 0);
}

void TPowersock::queueAndWait(const QByteArray& bytes)
{
    // A close by the server is noticed before anything is written into it.
    if (m_connected) receive(0);
    if (!m_connected || !m_socket) fail(sockerr::NotConnected);
    if (m_socket->write(bytes) < 0) fail(socketErrorNumber(m_socket->error()));
    report(QStringLiteral("WriteFromStream"), 8);
    m_socket->flush();
    const QDeadlineTimer until = ioBound();
    while (pendingOut() > 0) {
        if (canceledNow()) {
            m_canceled = false;
            throw EAbortError(QStringLiteral("Socket send aborted"));
        }
        const int slice = nextSlice(until);
        if (slice <= 0) failWaiting();
        m_socket->waitForBytesWritten(slice);
        // Replies that come while we send are kept for the reads after it.
        drainSocket();
        if (m_socket->state() != QAbstractSocket::ConnectedState) {
            const int error = socketErrorNumber(m_socket->error());
            onPeerClosed();
            fail(error != 0 ? error : sockerr::NotConnected);
        }
        // A server that floods us while we send is not answering anything we sent.
        if (m_recv.size() >= kReceiveLimit) fail(sockerr::MessageTooLong);
    }
}

void TPowersock::SendBuffer(const QByteArray& bytes)
{
    report(QStringLiteral("Sending Buffer"), 4);
    if (canceledNow()) return;
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
        if (!canceledNow()) {
            m_bytesSent = 0;
            m_bytesTotal = stream.size();
            if (!stream.isEmpty()) queueAndWait(stream);
        }
    } catch (...) {
        m_counting = false;
        throw;
    }
    m_counting = false;
    if (canceledNow()) {
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
    receiveUntil([this] { return m_recv.contains('\n') || m_recv.size() > MaxLineLength; }, until);
    if (canceledNow()) throw EAbortError(QStringLiteral("Socket readln aborted"));
    const qsizetype lf = m_recv.indexOf('\n');
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
    failWaiting();
}

void TPowersock::failWaiting()
{
    if (!m_connected) fail(sockerr::NotConnected);
    // A server that let the time-out run out is not waited for again, not even for its goodbye:
    // the action ends within its time-out.
    closeAndEmpty();
    fail(sockerr::TimedOut);
}

QByteArray TPowersock::Read(int count)
{
    report(QStringLiteral("Read( ") + QString::number(count) + QStringLiteral(" )"), 8);
    if (count > MaxLineLength) fail(sockerr::MessageTooLong);
    if (count > 0) receiveUntil([&] { return m_recv.size() >= count; }, ioBound());
    if (canceledNow()) {
        m_canceled = false;
        throw EAbortError(QStringLiteral("Socket send aborted"));
    }
    if (count > 0 && m_recv.size() < count) failWaiting();
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
