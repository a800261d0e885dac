#include "platform/SoundTheme.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <optional>

namespace zarvo::SoundTheme {

namespace {

// Themes may inherit from each other in circles, or be nested absurdly deep by a broken file.
constexpr int kMaxThemes = 16;
// What counts as a sound of a theme, in the order tried. ".disabled" silences a sound.
const char* const kExtensions[] = {"disabled", "wav", "oga", "ogg"};

// One value of an ini-style file (index.theme, settings.ini, kdeglobals); nothing when the file,
// the group or the key is missing.
std::optional<QString> iniValue(const QString& path, const QString& group, const QString& key)
{
    QFile f(path);
    // A settings file is a few lines; a huge one is not one.
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text) || f.size() > 1 << 20) return std::nullopt;
    bool inGroup = false;
    while (!f.atEnd()) {
        const QString line = QString::fromUtf8(f.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = line == QLatin1Char('[') + group + QLatin1Char(']');
            continue;
        }
        if (!inGroup) continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0 && line.left(eq).trimmed() == key) return line.mid(eq + 1).trimmed();
    }
    return std::nullopt;
}

QStringList listValue(const std::optional<QString>& value)
{
    QStringList out;
    if (!value) return out;
    // Lists are comma-separated; older themes separate directories with blanks.
    for (const QString& part :
         value->split(QRegularExpression(QStringLiteral("[,\\s]+")), Qt::SkipEmptyParts))
        out << part;
    return out;
}

// Theme and directory names become parts of paths: nothing that could climb out of them.
bool isPlainName(const QString& name)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_.+@-]+$"));
    return plain.match(name).hasMatch() && name != QLatin1String(".") && name != QLatin1String("..");
}

QString indexFile(const QString& theme, const Places& places)
{
    for (const QString& base : places.baseDirs) {
        const QString index = base + QLatin1Char('/') + theme + QStringLiteral("/index.theme");
        if (QFileInfo(index).isFile()) return index;
    }
    return {};
}

// The theme, everything it inherits (depth first, each once), and "freedesktop" last.
QStringList themeChain(const Places& places)
{
    QStringList chain;
    QSet<QString> seen;
    const auto visit = [&](const QString& theme, auto&& self) -> void {
        if (chain.size() >= kMaxThemes || !isPlainName(theme) || seen.contains(theme)) return;
        seen.insert(theme);
        if (theme == QLatin1String("freedesktop")) return; // always last
        const QString index = indexFile(theme, places);
        if (index.isEmpty()) return;
        chain << theme;
        for (const QString& parent :
             listValue(iniValue(index, QStringLiteral("Sound Theme"), QStringLiteral("Inherits"))))
            self(parent, self);
    };
    if (!places.theme.isEmpty()) visit(places.theme, visit);
    chain << QStringLiteral("freedesktop");
    return chain;
}

// The theme's sound directories, those for stereo output first.
QStringList themeDirs(const QString& theme, const Places& places)
{
    const QString index = indexFile(theme, places);
    if (index.isEmpty()) return {};
    QStringList stereo, other;
    for (const QString& dir :
         listValue(iniValue(index, QStringLiteral("Sound Theme"), QStringLiteral("Directories")))) {
        if (!isPlainName(dir)) continue;
        const auto profile = iniValue(index, dir, QStringLiteral("OutputProfile"));
        (profile.value_or(QString()) == QLatin1String("stereo") ? stereo : other) << dir;
    }
    return stereo + other;
}

// "de_DE.UTF-8@euro" -> "de_DE@euro", "de_DE", "de", "C", and "" for sounds in no language.
QStringList localeFolders(const QString& locale)
{
    QString name = locale;
    const qsizetype at = name.indexOf(QLatin1Char('@'));
    const QString modifier = at >= 0 ? name.mid(at) : QString();
    if (at >= 0) name.truncate(at);
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0) name.truncate(dot);
    QStringList out;
    const auto add = [&out](const QString& n) {
        if (isPlainName(n) && !out.contains(n)) out << n;
    };
    if (!name.isEmpty() && name != QLatin1String("C") && name != QLatin1String("POSIX")) {
        if (!modifier.isEmpty()) add(name + modifier);
        add(name);
        const qsizetype under = name.indexOf(QLatin1Char('_'));
        if (under > 0) add(name.left(under));
    }
    add(QStringLiteral("C"));
    out << QString();
    return out;
}

std::optional<Found> fileIn(const QString& dir, const QString& name)
{
    for (const char* ext : kExtensions) {
        const QString path = dir + QLatin1Char('/') + name + QLatin1Char('.') + QLatin1String(ext);
        if (!QFileInfo(path).isFile()) continue;
        if (qstrcmp(ext, "disabled") == 0) return Found{QString(), true};
        return Found{path, false};
    }
    return std::nullopt;
}

std::optional<Found> findInTheme(const QString& theme, const QString& name, const Places& places,
                                 const QStringList& locales)
{
    for (const QString& dir : themeDirs(theme, places)) {
        for (const QString& base : places.baseDirs) {
            const QString folder = base + QLatin1Char('/') + theme + QLatin1Char('/') + dir;
            if (!QFileInfo(folder).isDir()) continue;
            for (const QString& locale : locales) {
                if (auto found = fileIn(locale.isEmpty() ? folder : folder + QLatin1Char('/') + locale, name))
                    return found;
            }
        }
    }
    return std::nullopt;
}

QString configHome()
{
    const QString home = qEnvironmentVariable("XDG_CONFIG_HOME");
    return home.isEmpty() ? QDir::homePath() + QStringLiteral("/.config") : home;
}

QString desktopThemeName()
{
    QStringList gtk;
    for (const char* version : {"gtk-4.0", "gtk-3.0"})
        gtk << configHome() + QLatin1Char('/') + QLatin1String(version) + QStringLiteral("/settings.ini");
    QString dirs = qEnvironmentVariable("XDG_CONFIG_DIRS");
    if (dirs.isEmpty()) dirs = QStringLiteral("/etc/xdg");
    for (const QString& dir : dirs.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        gtk << dir + QStringLiteral("/gtk-3.0/settings.ini");
    gtk << QStringLiteral("/etc/gtk-3.0/settings.ini");

    const auto fromGtk = [&gtk]() -> QString {
        for (const QString& f : gtk) {
            if (auto v = iniValue(f, QStringLiteral("Settings"), QStringLiteral("gtk-sound-theme-name")))
                return *v;
        }
        return {};
    };
    const auto fromKde = [] {
        return iniValue(configHome() + QStringLiteral("/kdeglobals"), QStringLiteral("Sounds"),
                        QStringLiteral("Theme"))
            .value_or(QString());
    };
    const bool kde =
        qEnvironmentVariable("XDG_CURRENT_DESKTOP").contains(QLatin1String("KDE"), Qt::CaseInsensitive);
    const QString name = kde ? fromKde() : fromGtk();
    return name.isEmpty() ? (kde ? fromGtk() : fromKde()) : name;
}

} // namespace

Places desktopPlaces()
{
    Places p;
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty()) dataHome = QDir::homePath() + QStringLiteral("/.local/share");
    p.baseDirs << QDir::cleanPath(dataHome + QStringLiteral("/sounds"));
    QString dirs = qEnvironmentVariable("XDG_DATA_DIRS");
    if (dirs.isEmpty()) dirs = QStringLiteral("/usr/local/share:/usr/share");
    for (const QString& dir : dirs.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        p.baseDirs << QDir::cleanPath(dir + QStringLiteral("/sounds"));
    p.baseDirs.removeDuplicates();
    p.theme = desktopThemeName();
    for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        p.locale = qEnvironmentVariable(var);
        if (!p.locale.isEmpty()) break;
    }
    return p;
}

Found find(const QString& name, const Places& places)
{
    if (!isPlainName(name)) return {};
    const QStringList chain = themeChain(places);
    const QStringList locales = localeFolders(places.locale);
    // The whole name in every theme before a shorter one anywhere: a theme's own specific sound
    // is better than a generic one, and so is the freedesktop theme's.
    for (QString n = name; !n.isEmpty();) {
        for (const QString& theme : chain) {
            if (auto found = findInTheme(theme, n, places, locales)) return *found;
        }
        for (const QString& base : places.baseDirs) {
            if (auto found = fileIn(base, n)) return *found;
        }
        const qsizetype dash = n.lastIndexOf(QLatin1Char('-'));
        n = dash > 0 ? n.left(dash) : QString();
    }
    return {};
}

} // namespace zarvo::SoundTheme
