#include "DesktopDefaults.h"

#include "KeyFile.h"
#include "ShellWords.h"
#include "XdgPaths.h"

#include <QFileInfo>
#include <QHash>

namespace zarvo::DesktopDefaults {

namespace {

using KeyFile::Group;
using KeyFile::read;
using KeyFile::unescapeValue;

QStringList configDirs()
{
    return QStringList{xdgConfigHome()} + xdgConfigDirs();
}

QStringList applicationDirs()
{
    QStringList dirs{xdgDataHome() + QStringLiteral("/applications")};
    for (const QString& d : xdgDataDirs())
        dirs << d + QStringLiteral("/applications");
    return dirs;
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
    return execWordsOf(read(desktopFile));
}

std::optional<QStringList> execWordsFromText(QByteArrayView entryText)
{
    return execWordsOf(KeyFile::parse(entryText));
}

QStringList defaultIdsFromText(QByteArrayView listText, const QString& mimeType)
{
    return defaultIdsOf(KeyFile::parse(listText), mimeType);
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
        for (const QString& id : defaultIdsOf(read(list), mimeType)) {
            const QString file = findDesktopEntry(id);
            if (!file.isEmpty() && execWords(file)) return file;
        }
    }
    return {};
}

} // namespace zarvo::DesktopDefaults
