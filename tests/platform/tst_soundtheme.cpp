#include "platform/SoundTheme.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace zarvo;

namespace {

// Two base folders, as a user's own data folder and the system's would be:
//   user/   mine (inherits "middle"), half of "freedesktop" (one overriding sound)
//   system/ middle (inherits "mine": a loop), freedesktop, a 5.1-only theme, a sound of no theme
class ThemeFixture
{
public:
    ThemeFixture()
    {
        theme(user(), "mine", "Inherits=middle\nDirectories=stereo\n[stereo]\nOutputProfile=stereo\n");
        file(user() + "/mine/stereo/bell.oga");
        file(user() + "/mine/stereo/de/bell.oga");
        file(user() + "/mine/stereo/de_DE@euro/message.oga");
        file(user() + "/mine/stereo/alarm.wav");
        file(user() + "/mine/stereo/dialog-warning.disabled");
        file(user() + "/freedesktop/stereo/complete.wav"); // no index.theme of its own here
        theme(system(), "middle", "Inherits=mine\nDirectories=stereo\n[stereo]\nOutputProfile=stereo\n");
        file(system() + "/middle/stereo/camera-shutter.oga");
        file(system() + "/middle/stereo/bell.oga");
        theme(system(), "freedesktop",
              "Directories=5.1,stereo\n[5.1]\nOutputProfile=5.1\n[stereo]\nOutputProfile=stereo\n");
        file(system() + "/freedesktop/5.1/alarm-clock-elapsed.oga");
        file(system() + "/freedesktop/stereo/alarm-clock-elapsed.oga");
        file(system() + "/freedesktop/stereo/complete.oga");
        file(system() + "/freedesktop/stereo/dialog-warning.oga");
        file(system() + "/freedesktop/stereo/phone.oga");
        file(system() + "/loose-sound.wav");
    }
    QString user() const { return m_dir.path() + "/user"; }
    QString system() const { return m_dir.path() + "/system"; }
    SoundTheme::Places places(const QString& theme, const QString& locale = {}) const
    {
        return {{user(), system()}, theme, locale};
    }
    QString rel(const QString& path) const
    {
        return path.isEmpty() ? path : QDir(m_dir.path()).relativeFilePath(path);
    }

private:
    static void theme(const QString& base, const QString& name, const QByteArray& body)
    {
        file(base + '/' + name + "/index.theme", "[Sound Theme]\nName=" + name.toUtf8() + '\n' + body);
    }
    static void file(const QString& path, const QByteArray& body = "x")
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(body);
    }
    QTemporaryDir m_dir;
};

} // namespace

class TestSoundTheme : public QObject
{
    Q_OBJECT
private slots:
    void lookup_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("theme");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("expected"); // relative to the fixture; "disabled" for silence
        QTest::newRow("the freedesktop theme's, stereo before 5.1")
            << "alarm-clock-elapsed"
            << ""
            << ""
            << "system/freedesktop/stereo/alarm-clock-elapsed.oga";
        QTest::newRow("the desktop's theme before the ones it inherits") << "bell"
                                                                         << "mine"
                                                                         << ""
                                                                         << "user/mine/stereo/bell.oga";
        // "middle" inherits "mine" in turn: the loop is followed once.
        QTest::newRow("an inherited theme") << "camera-shutter"
                                            << "mine"
                                            << ""
                                            << "system/middle/stereo/camera-shutter.oga";
        QTest::newRow("the user's language") << "bell"
                                             << "mine"
                                             << "de_DE.UTF-8"
                                             << "user/mine/stereo/de/bell.oga";
        QTest::newRow("language with its modifier") << "message"
                                                    << "mine"
                                                    << "de_DE.UTF-8@euro"
                                                    << "user/mine/stereo/de_DE@euro/message.oga";
        QTest::newRow("another language's sound is not used") << "message"
                                                              << "mine"
                                                              << "fr_FR.UTF-8"
                                                              << "";
        QTest::newRow("a WAV of the user's own in a system theme") << "complete"
                                                                   << ""
                                                                   << ""
                                                                   << "user/freedesktop/stereo/complete.wav";
        QTest::newRow("silenced by the desktop's theme") << "dialog-warning"
                                                         << "mine"
                                                         << ""
                                                         << "disabled";
        QTest::newRow("not silenced for another theme") << "dialog-warning"
                                                        << ""
                                                        << ""
                                                        << "system/freedesktop/stereo/dialog-warning.oga";
        QTest::newRow("a shorter name where none has the whole one")
            << "alarm-clock-elapsed-twice"
            << ""
            << ""
            << "system/freedesktop/stereo/alarm-clock-elapsed.oga";
        QTest::newRow("the whole name anywhere before a shorter one")
            << "alarm-clock-elapsed"
            << "mine"
            << ""
            << "system/freedesktop/stereo/alarm-clock-elapsed.oga";
        QTest::newRow("shortened down to its first word") << "alarm-bells"
                                                          << "mine"
                                                          << ""
                                                          << "user/mine/stereo/alarm.wav";
        QTest::newRow("a sound of no theme") << "loose-sound"
                                             << "mine"
                                             << ""
                                             << "system/loose-sound.wav";
        QTest::newRow("unknown theme: freedesktop") << "phone-incoming-call"
                                                    << "nosuch"
                                                    << ""
                                                    << "system/freedesktop/stereo/phone.oga";
        QTest::newRow("nothing anywhere") << "trash-empty"
                                          << "mine"
                                          << ""
                                          << "";
        QTest::newRow("a theme name that climbs out") << "bell"
                                                      << "../system/middle"
                                                      << ""
                                                      << "";
        QTest::newRow("a sound name that climbs out") << "../loose-sound"
                                                      << ""
                                                      << ""
                                                      << "";
    }
    void lookup()
    {
        QFETCH(QString, name);
        QFETCH(QString, theme);
        QFETCH(QString, locale);
        QFETCH(QString, expected);
        ThemeFixture fx;
        const SoundTheme::Found found = SoundTheme::find(name, fx.places(theme, locale));
        QCOMPARE(found.disabled ? QStringLiteral("disabled") : fx.rel(found.file), expected);
    }

    // The theme the desktop names: GTK's settings (the newer version first), or KDE's on a KDE
    // desktop; the data folders as the XDG variables give them.
    void desktopPlaces()
    {
        QTemporaryDir dir;
        const QString config = dir.path() + "/config";
        const auto write = [](const QString& path, const QByteArray& body) {
            QDir().mkpath(QFileInfo(path).absolutePath());
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(body);
        };
        write(config + "/gtk-3.0/settings.ini",
              "[Settings]\ngtk-theme-name=Adwaita\ngtk-sound-theme-name=old\n");
        write(config + "/gtk-4.0/settings.ini", "[Settings]\ngtk-sound-theme-name = gtk4theme\n");
        write(config + "/kdeglobals", "[General]\nTheme=no\n[Sounds]\nTheme=ocean\n");
        qputenv("XDG_CONFIG_HOME", config.toUtf8());
        qputenv("XDG_CONFIG_DIRS", (dir.path() + "/nothing").toUtf8());
        qputenv("XDG_DATA_HOME", "/home/u/.local/share");
        qputenv("XDG_DATA_DIRS", "/usr/local/share:/usr/share:/usr/share/");
        qputenv("LC_ALL", "");
        qputenv("LC_MESSAGES", "pt_BR.UTF-8");
        qputenv("XDG_CURRENT_DESKTOP", "GNOME");
        SoundTheme::Places p = SoundTheme::desktopPlaces();
        QCOMPARE(p.theme, QStringLiteral("gtk4theme"));
        QCOMPARE(p.locale, QStringLiteral("pt_BR.UTF-8"));
        QCOMPARE(p.baseDirs, (QStringList{"/home/u/.local/share/sounds", "/usr/local/share/sounds",
                                          "/usr/share/sounds"}));
        qputenv("XDG_CURRENT_DESKTOP", "KDE");
        QCOMPARE(SoundTheme::desktopPlaces().theme, QStringLiteral("ocean"));
        QFile::remove(config + "/gtk-4.0/settings.ini");
        qputenv("XDG_CURRENT_DESKTOP", "XFCE");
        QCOMPARE(SoundTheme::desktopPlaces().theme, QStringLiteral("old"));
    }
};

QTEST_GUILESS_MAIN(TestSoundTheme)
#include "tst_soundtheme.moc"
