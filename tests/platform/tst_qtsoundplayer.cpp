#include "platform/QtSoundPlayer.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

using zarvo::QtSoundPlayer;

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

} // namespace

class TestQtSoundPlayer : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
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

private:
    QString tone() const { return m_dir.filePath(QStringLiteral("tone.wav")); }
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestQtSoundPlayer)
#include "tst_qtsoundplayer.moc"
