#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

namespace zarvo {

// Pieces of a message as RFC 5322, 2045 and 2047 want them.
namespace mime {

// True when every character is 7-bit ASCII.
bool isAscii(const QString& text);

// A header text that is not plain ASCII as RFC 2047 encoded words (UTF-8, B), each at most 75
// characters and never splitting a character, folded onto continuation lines; ASCII text is
// returned unchanged.
QString encodedWords(const QString& text);

// A recipient entry for the header: a display name that is not ASCII ("Name <address>") is
// encoded; the address and an entry without a name stay as they are.
QString headerAddress(const QString& entry);

// One line of text as quoted-printable lines of at most 76 characters, the soft line breaks
// ("=") ending all but the last; without line ends.
QList<QByteArray> quotedPrintable(const QByteArray& line);

// The "Date:" value of a moment in its own zone: "Tue, 10 Mar 2026 09:00:00 +0300".
QString dateValue(const QDateTime& at);

// A new, unique "Message-ID:" value, <...@domain> with the domain of the return address (or
// "localhost" when it has none that can stand there).
QString messageId(const QString& returnAddress);

} // namespace mime

} // namespace zarvo
