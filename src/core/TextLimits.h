#pragma once

#include <QByteArrayView>
#include <QString>

namespace zarvo {

// The first maxChars characters (code points) of text; a pair of surrogates is one character.
QString cutText(QString text, qsizetype maxChars);

// The text that UTF-8 bytes hold, cut to maxChars characters. Only as many bytes are decoded as
// maxChars characters can take, so a huge stored value costs no more than a full one. *changed
// (when given) is set when the text was cut or held bytes that are not UTF-8 (each of them reads
// as U+FFFD), that is when writing the result back would not give the same bytes.
QString textFromUtf8(QByteArrayView bytes, qsizetype maxChars, bool* changed = nullptr);

} // namespace zarvo
