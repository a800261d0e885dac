#pragma once

#include "core/SoundPlayer.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

class QSoundEffect;

namespace zarvo {

class SoundConverter;

// The sound player over QSoundEffect (PulseAudio or PipeWire). Nothing here ever waits.
// Besides files and the program's recordings it plays the sounds of the desktop's sound theme
// ("theme:alarm-clock-elapsed"), and the program's recording of the same name where no theme
// has the sound.
class QtSoundPlayer : public QObject, public ISoundPlayer
{
    Q_OBJECT
public:
    explicit QtSoundPlayer(QObject* parent = nullptr);
    ~QtSoundPlayer() override;

    void play(const QString& source) override;
    void enqueue(const QString& source) override;
    void stop() override;

    bool isBusy() const { return !m_current.isEmpty(); }
    // The file that plays or is about to: for a theme's sound, the file it was found in (or
    // the WAV made from it).
    QString currentFile() const { return m_file; }

Q_SIGNALS:
    // A source has been decoded and handed to the sound server.
    void started(const QString& source);
    // The player was busy and has nothing left to play or wait for.
    void idle();

private:
    void startNext();
    bool begin(const QString& source);
    bool startEffect(const QString& source, const QString& file);
    void onConverted(const QString& file, bool ok);
    SoundConverter* converter();
    void onStatusChanged();
    void onPlayingChanged();
    void finishCurrent();
    void abandonEffect();
    QSoundEffect* effect();

    QSoundEffect* m_effect = nullptr;
    QStringList m_queue;
    QString m_current;
    QString m_file;       // what m_current plays
    QString m_converting; // the theme's file being decoded for m_current
    SoundConverter* m_converter = nullptr;
    bool m_started = false;
    bool m_givenUp = false;
    QTimer m_guard;
};

} // namespace zarvo
