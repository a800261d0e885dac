#include "TcpConnect.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zarvo {

namespace {

// The address in the system's form; false for an address that is neither IPv4 nor IPv6.
bool toSockaddr(const QHostAddress& address, quint16 port, sockaddr_storage& out, socklen_t& length)
{
    std::memset(&out, 0, sizeof out);
    if (address.protocol() == QAbstractSocket::IPv4Protocol) {
        auto* in = reinterpret_cast<sockaddr_in*>(&out);
        in->sin_family = AF_INET;
        in->sin_port = htons(port);
        in->sin_addr.s_addr = htonl(address.toIPv4Address());
        length = sizeof(sockaddr_in);
        return true;
    }
    if (address.protocol() == QAbstractSocket::IPv6Protocol) {
        auto* in6 = reinterpret_cast<sockaddr_in6*>(&out);
        in6->sin6_family = AF_INET6;
        in6->sin6_port = htons(port);
        const Q_IPV6ADDR bytes = address.toIPv6Address();
        std::memcpy(&in6->sin6_addr, &bytes, sizeof bytes);
        in6->sin6_scope_id = address.scopeId().toUInt();
        length = sizeof(sockaddr_in6);
        return true;
    }
    return false;
}

TcpConnection failed(int fd, int error)
{
    if (fd >= 0) ::close(fd);
    return {TcpConnection::Failed, -1, socketErrorNumberOfErrno(error)};
}

} // namespace

int socketErrorNumberOfErrno(int error)
{
    switch (error) {
    case 0:
        return 0;
    case EINTR:
        return 10004;
    case EBADF:
        return 10009;
    case EACCES:
    case EPERM:
        return 10013;
    case EFAULT:
        return 10014;
    case EINVAL:
        return 10022;
    case EMFILE:
    case ENFILE:
        return 10024;
    case EAGAIN:
        return 10035;
    case EINPROGRESS:
        return 10036;
    case EALREADY:
        return 10037;
    case ENOTSOCK:
        return 10038;
    case EMSGSIZE:
        return 10040;
    case EPROTONOSUPPORT:
        return 10043;
    case EOPNOTSUPP:
        return 10045;
    case EAFNOSUPPORT:
        return 10047;
    case EADDRINUSE:
        return 10048;
    case EADDRNOTAVAIL:
        return 10049;
    case ENETDOWN:
        return 10050;
    case ENETUNREACH:
        return 10051;
    case ENETRESET:
        return 10052;
    case ECONNABORTED:
        return 10053;
    case ECONNRESET:
        return 10054;
    case ENOBUFS:
    case ENOMEM:
        return 10055;
    case EISCONN:
        return 10056;
    case ENOTCONN:
        return 10057;
    case ESHUTDOWN:
        return 10058;
    case ETIMEDOUT:
        return 10060;
    case ECONNREFUSED:
        return 10061;
    case EHOSTDOWN:
        return 10064;
    case EHOSTUNREACH:
        return 10065;
    default:
        return 0; // "Unrecognized error code"
    }
}

TcpConnection connectTcp(const QHostAddress& address, quint16 port, const QDeadlineTimer& until,
                         const StopCheck& stop)
{
    sockaddr_storage target;
    socklen_t length = 0;
    if (!toSockaddr(address, port, target, length)) return failed(-1, EAFNOSUPPORT);
    const int fd = ::socket(target.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return failed(-1, errno);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&target), length) == 0)
        return {TcpConnection::Connected, fd, 0};
    // Interrupted or not, the attempt goes on in the background.
    if (errno != EINPROGRESS && errno != EINTR) return failed(fd, errno);

    for (;;) {
        if (stop && stop()) {
            ::close(fd);
            return {TcpConnection::Stopped, -1, 0};
        }
        const int slice = nextSlice(until);
        if (slice <= 0) {
            ::close(fd);
            return {TcpConnection::TimedOut, -1, 0};
        }
        pollfd p{fd, POLLOUT, 0};
        const int ready = ::poll(&p, 1, slice);
        if (ready < 0 && errno != EINTR) return failed(fd, errno);
        if (ready <= 0) continue;
        int error = 0;
        socklen_t size = sizeof error;
        if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0) return failed(fd, errno);
        if (error != 0) return failed(fd, error);
        return {TcpConnection::Connected, fd, 0};
    }
}

} // namespace zarvo
