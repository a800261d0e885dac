#include "DesktopDefaults.h"

#include "ShellWords.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

namespace zarvo::DesktopDefaults {

namespace {

using Group = QHash<QString, QString>;

// Relative entries in the XDG variables are invalid and ignored, as the base-directory rules say.
QString absoluteOr(const QString& value, const QString& fallback)
{
    return QDir::isAbsolutePath(value) ? value : fallback;
}

QStringList absoluteOnly(const QStringList& dirs)
{
    QStringList out;
    for (const QString& d : dirs)
        if (QDir::isAbsolutePath(d)) out << d;
    return out;
}

// The groups of a key file. Hand-written because the keys of mimeapps.list are MIME types with
// '/' in them, which general settings readers take for nested groups. Damaged lines are skipped.
QHash<QString, Group> parseKeyFile(QByteArrayView text)
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

QHash<QString, Group> readKeyFile(const QString& path)
{
    QFile file(path);
    // Desktop entries and these lists are a few kilobytes; anything far larger is not one.
    if (file.size() > 1024 * 1024 || !file.open(QIODevice::ReadOnly)) return {};
    return parseKeyFile(file.read(1024 * 1024));
}

QStringList configDirs()
{
    QStringList dirs;
    const QString home = qEnvironmentVariable("XDG_CONFIG_HOME");
    dirs << absoluteOr(home, QDir::homePath() + QStringLiteral("/.config"));
    const QStringList sys =
        absoluteOnly(qEnvironmentVariable("XDG_CONFIG_DIRS").split(u':', Qt::SkipEmptyParts));
    dirs << (sys.isEmpty() ? QStringList{QStringLiteral("/etc/xdg")} : sys);
    return dirs;
}

QStringList applicationDirs()
{
    QStringList dirs;
    const QString home = qEnvironmentVariable("XDG_DATA_HOME");
    dirs << absoluteOr(home, QDir::homePath() + QStringLiteral("/.local/share")) +
                QStringLiteral("/applications");
    const QStringList sys =
        absoluteOnly(qEnvironmentVariable("XDG_DATA_DIRS").split(u':', Qt::SkipEmptyParts));
    const QStringList data =
        sys.isEmpty() ? QStringList{QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")} : sys;
    for (const QString& d : data)
        dirs << d + QStringLiteral("/applications");
    return dirs;
}

// General escapes of key-file values; the Exec line has its own quoting on top.
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

} // namespace

QStringList mimeAppsFiles()
{
    QStringList desktops;
    for (const QString& d : qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(u':', Qt::SkipEmptyParts))
        desktops << d.toLower() + QStringLiteral("-mimeapps.list");
    desktops << QStringLiteral("mimeapps.list");
    QStringList files;
    for (const QStringList& dirs : {configDirs(), applicationDirs()})
        for (const QString& dir : dirs)
            for (const QString& name : desktops)
                files << dir + u'/' + name;
    return files;
}

QString findDesktopEntry(const QString& desktopId)
{
    // A desktop id never names a path; one that tries to is not ours to follow.
    if (desktopId.isEmpty() || desktopId.contains(u'/') || !desktopId.endsWith(QStringLiteral(".desktop")))
        return {};
    for (const QString& dir : applicationDirs()) {
        // "vendor-web.desktop" may live as "vendor/web.desktop": try each dash as a folder.
        QString relative = desktopId;
        for (;;) {
            const QString candidate = dir + u'/' + relative;
            if (QFileInfo(candidate).isFile()) return candidate;
            const qsizetype dash = relative.indexOf(u'-');
            if (dash < 0) break;
            relative[dash] = u'/';
        }
    }
    return {};
}

namespace {

std::optional<QStringList> execWordsOf(const QHash<QString, Group>& groups)
{
    const auto entry = groups.constFind(QStringLiteral("Desktop Entry"));
    if (entry == groups.cend()) return std::nullopt;
    if (entry->value(QStringLiteral("Hidden")) == QStringLiteral("true")) return std::nullopt;
    const QString type = entry->value(QStringLiteral("Type"), QStringLiteral("Application"));
    if (type != QStringLiteral("Application")) return std::nullopt;
    const QStringList words = splitShellWords(unescapeValue(entry->value(QStringLiteral("Exec"))));
    if (words.isEmpty() || words.first().isEmpty()) return std::nullopt;
    return words;
}

QStringList defaultIdsOf(const QHash<QString, Group>& groups, const QString& mimeType)
{
    QStringList ids;
    for (const QString& id : groups.value(QStringLiteral("Default Applications")).value(mimeType).split(u';'))
        if (!id.trimmed().isEmpty()) ids << id.trimmed();
    return ids;
}

} // namespace

std::optional<QStringList> execWords(const QString& desktopFile)
{
    return execWordsOf(readKeyFile(desktopFile));
}

std::optional<QStringList> execWordsFromText(QByteArrayView entryText)
{
    return execWordsOf(parseKeyFile(entryText));
}

QStringList defaultIdsFromText(QByteArrayView listText, const QString& mimeType)
{
    return defaultIdsOf(parseKeyFile(listText), mimeType);
}

QStringList withoutFieldCodes(const QStringList& words)
{
    QStringList out;
    for (const QString& word : words) {
        QString kept;
        bool hadCode = false;
        for (qsizetype i = 0; i < word.size(); ++i) {
            if (word.at(i) != u'%') {
                kept += word.at(i);
            } else if (i + 1 < word.size() && word.at(i + 1) == u'%') {
                kept += u'%';
                ++i;
            } else {
                hadCode = true;
                ++i; // the code letter; a '%' at the very end goes alone
            }
        }
        if (!(hadCode && kept.isEmpty())) out << kept;
    }
    return out;
}

QString defaultApplication(const QString& mimeType)
{
    for (const QString& list : mimeAppsFiles()) {
        // The first installed, usable entry of the list wins; a damaged one is passed over.
        for (const QString& id : defaultIdsOf(readKeyFile(list), mimeType)) {
            const QString file = findDesktopEntry(id);
            if (!file.isEmpty() && execWords(file)) return file;
        }
    }
    return {};
}

} // namespace zarvo::DesktopDefaults
