#pragma once

#include <QString>

#include <cstdint>

namespace zarvo {

// What the about box tells about the machine: the kernel's name and version, a processor type
// number and the installed memory.
struct SystemInfo
{
    QString osName; // "Linux"
    int osMajor = 0;
    int osMinor = 0;
    int osBuild = 0; // the kernel's patch level
    unsigned processorType = 0;
    std::uint64_t totalMemoryBytes = 0;
};

// Asks the running system (uname, sysinfo).
SystemInfo querySystemInfo();

// The processor type number for a machine name as uname reports it: the numbers other desktop
// systems use for the same processors (x86-64 is 8664, the Intel generations 386, 486 and 586),
// 0 for a machine without one.
unsigned processorTypeFor(const QString& machine);

// Splits a kernel release such as "6.1.0-18-amd64" into its first three numbers; missing or
// unreadable parts are 0.
void parseKernelRelease(const QString& release, int& major, int& minor, int& build);

} // namespace zarvo
