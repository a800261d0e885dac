#pragma once

#include <QString>

namespace zarvo {

// Plays WAV sounds without ever making the caller wait. A source is a file path or the name
// of one of the program's own recordings (see resourceSound()).
class ISoundPlayer
{
public:
    virtual ~ISoundPlayer() = default;
    // Starts the sound at once, replacing whatever plays or waits in the queue. An empty or
    // unplayable source plays nothing.
    virtual void play(const QString& source) = 0;
    // Plays the sound after everything already playing or queued has ended: what a blocking
    // "play and wait" would have done, without blocking. Unplayable sources are skipped.
    virtual void enqueue(const QString& source) = 0;
    // Stops the sound and empties the queue.
    virtual void stop() = 0;
};

// The desktop's alarm sound: the sound theme's "alarm-clock-elapsed", or the program's own
// alarm recording where no theme has one. What an event plays when no file is named.
inline QString desktopAlarmSound()
{
    return QStringLiteral("theme:alarm-clock-elapsed");
}

// Source text of one of the program's own recordings, e.g. "ZARW14".
inline QString resourceSound(const QString& name)
{
    return QStringLiteral(":/sounds/") + name + QStringLiteral(".wav");
}

} // namespace zarvo
