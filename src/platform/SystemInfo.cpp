#include "SystemInfo.h"

#include <QRegularExpression>

#include <sys/sysinfo.h>
#include <sys/utsname.h>

namespace zarvo {

unsigned processorTypeFor(const QString& machine)
{
    if (machine == QLatin1String("x86_64") || machine == QLatin1String("amd64")) return 8664;
    if (machine == QLatin1String("i386")) return 386;
    if (machine == QLatin1String("i486")) return 486;
    if (machine == QLatin1String("i586") || machine == QLatin1String("i686")) return 586;
    // The others have no number of their own; these are their executable-image machine codes.
    if (machine == QLatin1String("aarch64") || machine == QLatin1String("arm64")) return 0xAA64;
    if (machine.startsWith(QLatin1String("arm"))) return 0x01C4;
    if (machine == QLatin1String("riscv64")) return 0x5064;
    return 0;
}

void parseKernelRelease(const QString& release, int& major, int& minor, int& build)
{
    major = minor = build = 0;
    static const QRegularExpression numbers(QStringLiteral("^(\\d+)(?:\\.(\\d+))?(?:\\.(\\d+))?"));
    const QRegularExpressionMatch m = numbers.match(release);
    if (!m.hasMatch()) return;
    // Only the low 16 bits of a build number are meaningful; a huge one must not overflow.
    auto part = [&m](int i) { return static_cast<int>(m.captured(i).toULongLong() & 0xffffu); };
    major = part(1);
    minor = part(2);
    build = part(3);
}

SystemInfo querySystemInfo()
{
    SystemInfo info;
    utsname u{};
    if (uname(&u) == 0) {
        info.osName = QString::fromLocal8Bit(u.sysname);
        parseKernelRelease(QString::fromLocal8Bit(u.release), info.osMajor, info.osMinor, info.osBuild);
        info.processorType = processorTypeFor(QString::fromLocal8Bit(u.machine));
    }
    struct sysinfo s
    {
    };
    if (sysinfo(&s) == 0)
        info.totalMemoryBytes = static_cast<std::uint64_t>(s.totalram) * (s.mem_unit ? s.mem_unit : 1);
    return info;
}

} // namespace zarvo
