#pragma once

#include "core/SoundPlayer.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

class QSoundEffect;

namespace zarvo {

// The sound player over QSoundEffect (PulseAudio or PipeWire). Nothing here ever waits.
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

Q_SIGNALS:
    // A source has been decoded and handed to the sound server.
    void started(const QString& source);
    // The player was busy and has nothing left to play or wait for.
    void idle();

private:
    void startNext();
    bool begin(const QString& source);
    void onStatusChanged();
    void onPlayingChanged();
    void finishCurrent();
    void abandonEffect();
    QSoundEffect* effect();

    QSoundEffect* m_effect = nullptr;
    QStringList m_queue;
    QString m_current;
    bool m_started = false;
    bool m_givenUp = false;
    QTimer m_guard;
};

} // namespace zarvo
