#include "SoundRig.h"
#include "platform/QtSoundPlayer.h"
#include "platform/SoundConverter.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

using zarvo::QtSoundPlayer;
using zarvo::SoundConverter;

namespace {

// A 16-bit mono PCM tone (the sample format QSoundEffect decodes).
void writeTone(const QString& path, int ms)
{
    const int rate = 16000;
    const quint32 samples = quint32(rate * ms / 1000);
    QByteArray data(int(samples * 2), '\0');
    for (quint32 i = 0; i < samples; ++i)
        qToLittleEndian<qint16>(qint16((i / 10) % 2 ? 8000 : -8000), data.data() + 2 * i);
    QByteArray wav("RIFF");
    auto u32 = [&](quint32 v) { wav.append(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](quint16 v) { wav.append(reinterpret_cast<const char*>(&v), 2); };
    u32(36 + quint32(data.size()));
    wav.append("WAVEfmt ");
    u32(16);
    u16(1); // PCM
    u16(1);
    u32(rate);
    u32(rate * 2);
    u16(2);
    u16(16);
    wav.append("data");
    u32(quint32(data.size()));
    wav.append(data);
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(wav);
}

bool haveOutput()
{
    return !QMediaDevices::defaultAudioOutput().isNull();
}

void writeFile(const QString& path, const QByteArray& body)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(body);
}

// An Ogg Vorbis tone as the sound themes ship them; false without sox to make it.
bool writeOgg(const QString& path, double seconds)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QString ogg = path + QStringLiteral(".ogg");
    if (QProcess::execute(QStringLiteral("sox"), {"-n", "-r", "22050", "-c", "1", ogg, "synth",
                                                  QString::number(seconds), "sine", "660"}) != 0)
        return false;
    QFile::remove(path);
    return QFile::rename(ogg, path);
}

struct WavHeader
{
    int channels = 0, rate = 0, bits = 0;
    qint64 dataBytes = 0;
};

WavHeader readWavHeader(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QByteArray h = f.read(44);
    if (h.size() < 44 || !h.startsWith("RIFF") || h.mid(8, 8) != "WAVEfmt " || h.mid(36, 4) != "data")
        return {};
    return {qFromLittleEndian<quint16>(h.constData() + 22),
            int(qFromLittleEndian<quint32>(h.constData() + 24)),
            qFromLittleEndian<quint16>(h.constData() + 34), qFromLittleEndian<quint32>(h.constData() + 40)};
}

} // namespace

class TestQtSoundPlayer : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // A sound server of the test's own (before anything asks for a device), so what plays is
        // heard by the test and never by the machine's speakers.
        const QString why = m_rig.start();
        if (!why.isEmpty()) qInfo("%s", qPrintable(why));
        // The desktop as the theme tests see it: nothing but what they put there.
        for (const char* var :
             {"XDG_DATA_HOME", "XDG_DATA_DIRS", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_CACHE_HOME"})
            qputenv(var, (m_dir.path() + QLatin1Char('/') + QLatin1String(var)).toUtf8());
        qunsetenv("XDG_CURRENT_DESKTOP");
        writeTone(tone(), 200);
        // Files that promise more than they hold: the decoder would wait for the rest for ever.
        writeTone(m_dir.filePath(QStringLiteral("short.wav")), 200);
        QVERIFY(QFile::resize(m_dir.filePath(QStringLiteral("short.wav")), 3000));
        QFile f(m_dir.filePath(QStringLiteral("header.wav")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("RIFF\x10\0\0\0WAVEfmt ", 16));
        f.close();
        QFile junk(m_dir.filePath(QStringLiteral("junk.wav")));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("not a sound");
        if (!haveOutput())
            qInfo("no audio output: the queue must still run dry (start tools/rigs/sound.sh for more)");
    }

    // Sources that cannot play are passed over; with no sound server at all, everything is.
    void queueNeverStalls()
    {
        QtSoundPlayer player;
        QSignalSpy started(&player, &QtSoundPlayer::started);
        for (const QString& s :
             {m_dir.filePath(QStringLiteral("missing.wav")), QString(),
              m_dir.filePath(QStringLiteral("short.wav")), m_dir.filePath(QStringLiteral("header.wav")),
              m_dir.filePath(QStringLiteral("junk.wav")), tone(), tone()})
            player.enqueue(s);
        QTRY_VERIFY_WITH_TIMEOUT(!player.isBusy(), 3000);
        QCOMPARE(started.size(), haveOutput() ? 2 : 0);
    }

    void playReplacesTheQueue()
    {
        if (!haveOutput()) QSKIP("needs a sound server (tools/rigs/sound.sh)");
        QtSoundPlayer player;
        QSignalSpy started(&player, &QtSoundPlayer::started);
        QSignalSpy idle(&player, &QtSoundPlayer::idle);
        player.enqueue(tone());
        player.enqueue(tone());
        player.enqueue(tone());
        QTRY_COMPARE(started.size(), 1);
        player.play(tone());
        QTRY_COMPARE_WITH_TIMEOUT(idle.size(), 1, 3000);
        QCOMPARE(started.size(), 2);
    }

    // The themes' Ogg Vorbis becomes a 16-bit WAV in the cache; what cannot be decoded leaves
    // nothing there. No sound server is needed for this.
    void convertsToWav()
    {
        const QString oga = m_dir.filePath(QStringLiteral("tone.oga"));
        if (!writeOgg(oga, 0.6)) QSKIP("needs sox to make an Ogg Vorbis file");
        SoundConverter converter;
        QSignalSpy finished(&converter, &SoundConverter::finished);
        converter.convert(oga);
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 10000);
        QCOMPARE(finished.at(0), (QVariantList{oga, true}));
        const QString wav = SoundConverter::convertedPath(oga);
        QVERIFY(wav.startsWith(qEnvironmentVariable("XDG_CACHE_HOME") + QStringLiteral("/zarvo/sounds/")));
        const WavHeader h = readWavHeader(wav);
        QCOMPARE(h.bits, 16);
        QVERIFY2(h.rate > 0 && h.channels >= 1,
                 qPrintable(QStringLiteral("%1 Hz, %2 channels").arg(h.rate).arg(h.channels)));
        const double seconds = double(h.dataBytes) / (h.rate * h.channels * 2);
        QVERIFY2(qAbs(seconds - 0.6) < 0.1, qPrintable(QString::number(seconds)));
        QCOMPARE(QFileInfo(wav).size(), 44 + h.dataBytes);

        const QString junk = m_dir.filePath(QStringLiteral("junk.oga"));
        writeFile(junk, QByteArray(4096, 'j'));
        converter.convert(junk);
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 2, 10000);
        QCOMPARE(finished.at(1), (QVariantList{junk, false}));
        QVERIFY(!QFile::exists(SoundConverter::convertedPath(junk)));
    }

    // What an event that names no sound plays: the theme's Ogg Vorbis as the WAV made from it
    // (decoded once), a theme's WAV as it is, the program's own recording where no theme has
    // the sound, and nothing where the desktop's theme silences it.
    void desktopAlarmSound_data()
    {
        QTest::addColumn<QString>("theme");
        QTest::addColumn<QString>("plays"); // "cache", "theme", "own", or "" for nothing
        QTest::newRow("ogg vorbis") << "oga"
                                    << "cache";
        QTest::newRow("wav") << "wav"
                             << "theme";
        QTest::newRow("no theme has it") << "none"
                                         << "own";
        QTest::newRow("a broken wav") << "broken"
                                      << "own";
        QTest::newRow("silenced") << "disabled"
                                  << "";
    }
    void desktopAlarmSound()
    {
        QFETCH(QString, theme);
        QFETCH(QString, plays);
        if (!haveOutput()) QSKIP("needs a sound server (tools/rigs/sound.sh)");
        const QString data = qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/sounds");
        const QString stereo = data + QStringLiteral("/freedesktop/stereo/");
        QDir(data).removeRecursively();
        QDir(qEnvironmentVariable("XDG_CONFIG_HOME")).removeRecursively();
        writeFile(data + QStringLiteral("/freedesktop/index.theme"),
                  "[Sound Theme]\nName=Default\nDirectories=stereo\n[stereo]\nOutputProfile=stereo\n");
        QString themeFile;
        if (theme == QLatin1String("oga")) {
            themeFile = stereo + QStringLiteral("alarm-clock-elapsed.oga");
            if (!writeOgg(themeFile, 0.6)) QSKIP("needs sox to make an Ogg Vorbis file");
        } else if (theme == QLatin1String("wav")) {
            themeFile = stereo + QStringLiteral("alarm-clock-elapsed.wav");
            QDir().mkpath(stereo);
            writeTone(themeFile, 300);
        } else if (theme == QLatin1String("broken")) {
            writeFile(stereo + QStringLiteral("alarm-clock-elapsed.wav"), "RIFF....WAVE");
        } else if (theme == QLatin1String("disabled")) {
            writeFile(data + QStringLiteral("/quiet/index.theme"),
                      "[Sound Theme]\nName=Quiet\nDirectories=all\n");
            writeFile(data + QStringLiteral("/quiet/all/alarm-clock-elapsed.disabled"), "");
            writeFile(qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/gtk-3.0/settings.ini"),
                      "[Settings]\ngtk-sound-theme-name=quiet\n");
        }

        QtSoundPlayer player;
        QSignalSpy started(&player, &QtSoundPlayer::started);
        QSignalSpy idle(&player, &QtSoundPlayer::idle);
        const QString mark = m_rig.mark();
        player.play(zarvo::desktopAlarmSound());
        if (plays.isEmpty()) {
            QVERIFY(!player.isBusy());
            QCOMPARE(started.size(), 0);
            return;
        }
        QTRY_COMPARE_WITH_TIMEOUT(started.size(), 1, 10000);
        QCOMPARE(started.at(0).at(0).toString(), zarvo::desktopAlarmSound());
        const QString file = player.currentFile();
        if (plays == QLatin1String("cache")) {
            QCOMPARE(file, SoundConverter::convertedPath(themeFile));
        } else if (plays == QLatin1String("theme")) {
            QCOMPARE(file, themeFile);
        } else {
            QCOMPARE(file, zarvo::resourceSound(QStringLiteral("alarm-clock-elapsed")));
        }
        if (!mark.isEmpty()) {
            QTRY_COMPARE_WITH_TIMEOUT(idle.size(), 1, 10000);
            const double rms = m_rig.rmsSince(mark);
            QVERIFY2(rms > 0.001, qPrintable(QStringLiteral("rms %1").arg(rms)));
        }
        if (plays == QLatin1String("cache")) {
            // Decoded once: the next alarm plays the same WAV without decoding again.
            const QDateTime made = QFileInfo(file).lastModified();
            player.play(zarvo::desktopAlarmSound());
            QTRY_COMPARE(started.size(), 2);
            QCOMPARE(player.currentFile(), file);
            QCOMPARE(QFileInfo(file).lastModified(), made);
            player.stop();
        }
    }

private:
    QString tone() const { return m_dir.filePath(QStringLiteral("tone.wav")); }
    QTemporaryDir m_dir;
    SoundRig m_rig;
};

QTEST_GUILESS_MAIN(TestQtSoundPlayer)
#include "tst_qtsoundplayer.moc"
