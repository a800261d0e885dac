#pragma once

#include <QString>
#include <QStringList>

namespace zarvo {

// Splits a parameter text into arguments the way a POSIX shell splits words, without running
// one: blanks separate words; single quotes keep everything up to the next single quote; double
// quotes keep everything but let a backslash escape '"', '\', '$' and '`'; outside quotes a
// backslash keeps the next character. Nothing is expanded: ';', '|', '$(...)', '*', '~' and '#'
// are ordinary characters of the words they are in. A quote left open runs to the end of the
// text, so no typed character is lost.
QStringList splitShellWords(const QString& text);

} // namespace zarvo
