#pragma once

#include "platform/SoundChannel.h"

namespace zarvo {

// The program's sound player. Two channels sound at once, mixed by the sound server: what is
// queued (the spoken time, the strikes of the hour) plays on in its own, and a sound started at
// once (an event's, a chime file, a Test button) in the other, so that an alarm neither waits
// for the chimes nor cuts them short. Nothing here ever waits.
class QtSoundPlayer : public QObject, public ISoundPlayer
{
    Q_OBJECT
public:
    explicit QtSoundPlayer(QObject* parent = nullptr);

    // Starts the sound at once, replacing what an earlier play() started; what was queued plays on.
    void play(const QString& source) override;
    void enqueue(const QString& source) override;
    void stop() override;

    bool isBusy() const { return m_now.isBusy() || m_queued.isBusy(); }
    // The file that plays or is about to (the sound started at once before the queue's): for a
    // theme's sound, the file it was found in (or the WAV made from it).
    QString currentFile() const { return m_now.isBusy() ? m_now.currentFile() : m_queued.currentFile(); }

Q_SIGNALS:
    // A source has been decoded and handed to the sound server.
    void started(const QString& source);
    // The player was busy and has nothing left to play or wait for.
    void idle();

private:
    void channelIdle();

    SoundChannel m_now;
    SoundChannel m_queued;
};

} // namespace zarvo
