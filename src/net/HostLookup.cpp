#include "HostLookup.h"

#include <QUrl>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include <netdb.h>
#include <sys/socket.h>

namespace zarvo {

namespace {

// What the helper thread and the waiting one share; whichever finishes last frees it.
struct Pending
{
    std::mutex mutex;
    std::condition_variable answered;
    bool done = false;
    QHostAddress address;
};

QHostAddress resolve(const QByteArray& asciiName)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    if (getaddrinfo(asciiName.constData(), nullptr, &hints, &list) != 0 || !list) return {};
    QHostAddress first, firstV4;
    for (const addrinfo* a = list; a; a = a->ai_next) {
        QHostAddress address(a->ai_addr);
        if (address.isNull()) continue;
        if (first.isNull()) first = address;
        if (address.protocol() == QAbstractSocket::IPv4Protocol) {
            firstV4 = address;
            break;
        }
    }
    freeaddrinfo(list);
    return firstV4.isNull() ? first : firstV4;
}

} // namespace

HostLookupResult lookupHost(const QString& name, const QDeadlineTimer& until, const StopCheck& stop)
{
    // An international name goes to the resolver in its ASCII form.
    const QByteArray ascii = QUrl::toAce(name);
    if (ascii.isEmpty()) return {};

    auto pending = std::make_shared<Pending>();
    std::thread([pending, ascii] {
        const QHostAddress address = resolve(ascii);
        const std::lock_guard lock(pending->mutex);
        pending->address = address;
        pending->done = true;
        pending->answered.notify_all();
    }).detach();

    std::unique_lock lock(pending->mutex);
    for (;;) {
        if (pending->done)
            return {pending->address.isNull() ? HostLookupResult::NotFound : HostLookupResult::Found,
                    pending->address};
        if (stop && stop()) return {HostLookupResult::Stopped, {}};
        const int slice = nextSlice(until);
        if (slice <= 0) return {HostLookupResult::TimedOut, {}};
        pending->answered.wait_for(lock, std::chrono::milliseconds(slice));
    }
}

} // namespace zarvo
