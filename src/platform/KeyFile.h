#pragma once

#include <QByteArrayView>
#include <QHash>
#include <QString>

namespace zarvo::KeyFile {

// The keys of one group of a freedesktop key file (desktop entries, mimeapps.list).
using Group = QHash<QString, QString>;

// The groups of a key file's text. Hand-written because the keys of mimeapps.list are MIME types
// with '/' in them, which general settings readers take for nested groups. Damaged lines are
// skipped.
QHash<QString, Group> parse(QByteArrayView text);
// The same of a file; a missing, unreadable or oversized file has no groups.
QHash<QString, Group> read(const QString& path);

// The general escapes of key-file values (\s \n \t \r \\); any other backslash pair is left as
// it is for the quoting of the Exec key.
QString unescapeValue(const QString& value);

} // namespace zarvo::KeyFile
