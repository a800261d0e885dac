#include "KeyFile.h"

#include <QFile>

namespace zarvo::KeyFile {

QHash<QString, Group> read(const QString& path)
{
    QFile file(path);
    // Desktop entries and these lists are a few kilobytes; anything far larger is not one.
    if (file.size() > 1024 * 1024 || !file.open(QIODevice::ReadOnly)) return {};
    return parse(file.read(1024 * 1024));
}

QHash<QString, Group> parse(QByteArrayView text)
{
    QHash<QString, Group> groups;
    QString current;
    bool haveGroup = false;
    while (!text.isEmpty()) {
        const qsizetype end = text.indexOf('\n');
        const QString line = QString::fromUtf8(end < 0 ? text : text.first(end)).trimmed();
        text = end < 0 ? QByteArrayView() : text.sliced(end + 1);
        if (line.isEmpty() || line.startsWith(u'#')) continue;
        if (line.startsWith(u'[')) {
            haveGroup = line.endsWith(u']');
            current = haveGroup ? line.mid(1, line.size() - 2) : QString();
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (!haveGroup || eq <= 0) continue;
        const QString key = line.left(eq).trimmed();
        // The first occurrence of a key counts, as in every reader of these files.
        Group& g = groups[current];
        if (!g.contains(key)) g.insert(key, line.mid(eq + 1).trimmed());
    }
    return groups;
}

QString unescapeValue(const QString& value)
{
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != u'\\' || i + 1 >= value.size()) {
            out += c;
            continue;
        }
        const QChar e = value.at(++i);
        if (e == u's')
            out += u' ';
        else if (e == u'n')
            out += u'\n';
        else if (e == u't')
            out += u'\t';
        else if (e == u'r')
            out += u'\r';
        else if (e == u'\\')
            out += u'\\';
        else // not a general escape: left for the Exec quoting
            out += c, out += e;
    }
    return out;
}

} // namespace zarvo::KeyFile
