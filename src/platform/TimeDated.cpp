#include "TimeDated.h"

#include <QDBusMessage>

namespace zarvo {

TimeDated::TimeDated(const QDBusConnection& bus) : m_bus(bus) {}

void TimeDated::setSystemTime(const QDateTime& instant)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.timedate1"), QStringLiteral("/org/freedesktop/timedate1"),
        QStringLiteral("org.freedesktop.timedate1"), QStringLiteral("SetTime"));
    const qint64 usec = instant.toMSecsSinceEpoch() * 1000;
    call << QVariant::fromValue(usec) << false /* relative */ << false /* interactive */;
    // The answer is not looked at: a refused change is not reported.
    m_bus.send(call);
}

} // namespace zarvo
