#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>

namespace zarvo {

// The desktop's record of default applications (the freedesktop "mimeapps.list" files and the
// desktop entries they name), read fresh on every question so a change of default applies at
// once.
namespace DesktopDefaults {

// The mimeapps.list files in the order they are consulted: the user's configuration, the
// system's configuration folders, the user's and then the system's application folders; in each
// folder a list named after the current desktop comes before the plain one.
QStringList mimeAppsFiles();

// The desktop entry file of the first installed, usable default application for the MIME type
// (for an address scheme, "x-scheme-handler/<scheme>"); empty when there is none.
QString defaultApplication(const QString& mimeType);

// The file of a desktop entry by its id ("web.desktop", or "vendor-web.desktop" kept as
// "vendor/web.desktop") in the applications folders; empty when not installed.
QString findDesktopEntry(const QString& desktopId);

// The Exec line of an application's desktop entry as a list of words, escapes and quotes
// resolved, field codes still in place; nothing for an entry that is hidden, not an application
// or has no Exec line.
std::optional<QStringList> execWords(const QString& desktopFile);

// The same two readings from the texts of a desktop entry and of a mimeapps.list (for fuzzing):
// the Exec words, and the desktop ids (trimmed, none empty) the list names as the type's default
// applications.
std::optional<QStringList> execWordsFromText(QByteArrayView entryText);
QStringList defaultIdsFromText(QByteArrayView listText, const QString& mimeType);

// The words with the field codes (%u, %F, ...) taken out; "%%" is a literal "%". A word that was
// nothing but field codes disappears.
QStringList withoutFieldCodes(const QStringList& words);

} // namespace DesktopDefaults
} // namespace zarvo
