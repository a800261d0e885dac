#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>

#include <optional>

namespace zarvo {

// Writing files so that they survive a crash and a power cut. A rename is durable only once the
// folder that holds the name is synced, so every write here ends with that; Qt offers no way to
// sync a folder, which is why this unit, alone in core, calls the system for it.
namespace SafeFile {

// Replaces the file at `path` with `data`: a new file beside it is written, synced and renamed
// over the old one, then the folder is synced. Whenever the process or the machine stops, the
// name holds either the old content or the new. `permissions`, when given, are the new file's
// before its first byte goes in (otherwise it starts with the old file's). False when the new
// content could not be put in place, or its folder could not be synced.
bool replace(const QString& path, const QByteArray& data,
             std::optional<QFileDevice::Permissions> permissions = std::nullopt);

// Writes `data` to a file that must not exist yet (an existing file or link there is never
// touched), synced with its folder. False when the name was taken or the write failed; a file
// that could not be written whole is taken away again.
bool createNew(const QString& path, const QByteArray& data, QFileDevice::Permissions permissions);

// Syncs the folder, so that the names created, renamed or removed in it last.
bool syncFolder(const QString& dir);

} // namespace SafeFile
} // namespace zarvo
