#include "TextLimits.h"

#include <QStringDecoder>

namespace zarvo {

QString cutText(QString text, qsizetype maxChars)
{
    if (text.size() <= maxChars) return text; // UTF-16 units >= code points
    qsizetype units = 0;
    for (qsizetype chars = 0; units < text.size() && chars < maxChars; ++chars)
        units += (text.at(units).isHighSurrogate() && units + 1 < text.size() &&
                  text.at(units + 1).isLowSurrogate())
                     ? 2
                     : 1;
    text.truncate(units);
    return text;
}

QString textFromUtf8(QByteArrayView bytes, qsizetype maxChars, bool* changed)
{
    // A character takes at most 4 bytes, and a byte that is not UTF-8 reads as one character.
    const qsizetype take = std::min(bytes.size(), maxChars * 4);
    QStringDecoder decoder(QStringDecoder::Utf8);
    // Stateful: a sequence split at `take` is not counted as an error (it lies past the cut).
    QString text = decoder.decode(bytes.first(take));
    const qsizetype units = text.size();
    text = cutText(std::move(text), maxChars);
    if (changed) *changed = take < bytes.size() || text.size() < units || decoder.hasError();
    return text;
}

} // namespace zarvo
