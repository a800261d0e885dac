#pragma once

#include <QAbstractSocket>
#include <QByteArray>
#include <QString>

#include <exception>

namespace zarvo {

// The general failure of a network client: a refusal by the server, a protocol rule broken.
class NetException : public std::exception
{
public:
    explicit NetException(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const QString& message() const { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// A socket or host-lookup failure.
class ESockError : public NetException
{
public:
    using NetException::NetException;
};

// A read or send ended by Cancel.
class EAbortError : public ESockError
{
public:
    using ESockError::ESockError;
};

// Socket error numbers are the classic numbering the program has always reported.
namespace sockerr {
constexpr int WouldBlock = 10035;
constexpr int MessageTooLong = 10040;
constexpr int NotConnected = 10057;
constexpr int TimedOut = 10060;
constexpr int Refused = 10061;
} // namespace sockerr

// "<number>:<text>", or "Unknown Error No. <number>".
QString socketErrorMessage(int errorNo);
// The number under which a Qt socket error is reported.
int socketErrorNumber(QAbstractSocket::SocketError error);

} // namespace zarvo
