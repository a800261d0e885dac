#include "MailMime.h"

#include <QAtomicInteger>
#include <QLocale>
#include <QRandomGenerator>
#include <QUrl>

namespace zarvo::mime {

namespace {

// "=?UTF-8?B?" and "?=" around at most 60 base64 characters: 72 in all, within RFC 2047's 75.
constexpr qsizetype kWordBytes = 45;
constexpr qsizetype kQpLine = 76;

bool isDomainText(const QString& text)
{
    if (text.isEmpty() || text.startsWith(QLatin1Char('.')) || text.endsWith(QLatin1Char('.')) ||
        text.contains(QStringLiteral("..")))
        return false;
    for (const QChar c : text)
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != QLatin1Char('-') && c != QLatin1Char('.'))
            return false;
    return true;
}

} // namespace

bool isAscii(const QString& text)
{
    for (const QChar c : text)
        if (c.unicode() > 127) return false;
    return true;
}

QString encodedWords(const QString& text)
{
    if (isAscii(text)) return text;
    QStringList words;
    QByteArray chunk;
    auto flush = [&] {
        if (chunk.isEmpty()) return;
        words << QStringLiteral("=?UTF-8?B?") + QString::fromLatin1(chunk.toBase64()) + QStringLiteral("?=");
        chunk.clear();
    };
    // Whole characters (a surrogate pair counts as one) go into each word.
    for (qsizetype i = 0; i < text.size(); ++i) {
        qsizetype n =
            text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
        const QByteArray bytes = text.mid(i, n).toUtf8();
        i += n - 1;
        if (chunk.size() + bytes.size() > kWordBytes) flush();
        chunk += bytes;
    }
    flush();
    return words.join(QStringLiteral("\r\n "));
}

QString headerAddress(const QString& entry)
{
    const qsizetype lt = entry.indexOf(QLatin1Char('<'));
    if (lt <= 0) return entry;
    QString name = entry.left(lt).trimmed();
    if (isAscii(name)) return entry;
    // An encoded word cannot stand inside quotes.
    if (name.size() >= 2 && name.startsWith(QLatin1Char('"')) && name.endsWith(QLatin1Char('"')))
        name = name.mid(1, name.size() - 2);
    return encodedWords(name) + QLatin1Char(' ') + entry.mid(lt);
}

QList<QByteArray> quotedPrintable(const QByteArray& line)
{
    QList<QByteArray> out;
    QByteArray current;
    static const char hex[] = "0123456789ABCDEF";
    for (qsizetype i = 0; i < line.size(); ++i) {
        const auto c = uchar(line[i]);
        const bool last = i + 1 == line.size();
        // Spaces and tabs are literal except at the end of a line, where transport may lose them.
        const bool literal = (c >= 33 && c <= 126 && c != '=') || ((c == ' ' || c == '\t') && !last);
        QByteArray piece;
        if (literal) {
            piece = QByteArray(1, char(c));
        } else {
            piece = "=";
            piece += hex[c >> 4];
            piece += hex[c & 15];
        }
        // Room is kept for the "=" of a soft break, except on the line's last piece.
        const qsizetype room = last ? kQpLine : kQpLine - 1;
        if (current.size() + piece.size() > room) {
            out << current + '=';
            current.clear();
        }
        current += piece;
    }
    out << current;
    return out;
}

QString dateValue(const QDateTime& at)
{
    const int offset = at.offsetFromUtc() / 60;
    const int magnitude = offset < 0 ? -offset : offset;
    return QLocale::c().toString(at, QStringLiteral("ddd, d MMM yyyy HH:mm:ss ")) +
           (offset < 0 ? QLatin1Char('-') : QLatin1Char('+')) +
           QStringLiteral("%1%2")
               .arg(magnitude / 60, 2, 10, QLatin1Char('0'))
               .arg(magnitude % 60, 2, 10, QLatin1Char('0'));
}

QString messageId(const QString& returnAddress)
{
    QString domain = returnAddress.section(QLatin1Char('@'), -1).trimmed();
    if (domain.endsWith(QLatin1Char('>'))) domain.chop(1);
    if (!returnAddress.contains(QLatin1Char('@'))) domain.clear();
    if (!isAscii(domain)) domain = QString::fromLatin1(QUrl::toAce(domain));
    if (!isDomainText(domain)) domain = QStringLiteral("localhost");
    static QAtomicInteger<quint32> serial;
    const quint64 random = QRandomGenerator::system()->generate64();
    return QStringLiteral("<%1.%2.%3@%4>")
        .arg(QDateTime::currentMSecsSinceEpoch(), 0, 36)
        .arg(random, 0, 36)
        .arg(serial.fetchAndAddRelaxed(1), 0, 36)
        .arg(domain.toLower());
}

} // namespace zarvo::mime
