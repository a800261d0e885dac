#include "platform/QtSoundPlayer.h"

namespace zarvo {

QtSoundPlayer::QtSoundPlayer(QObject* parent) : QObject(parent)
{
    for (SoundChannel* c : {&m_now, &m_queued}) {
        connect(c, &SoundChannel::started, this, &QtSoundPlayer::started);
        connect(c, &SoundChannel::idle, this, &QtSoundPlayer::channelIdle);
    }
}

void QtSoundPlayer::play(const QString& source)
{
    m_now.play(source);
}

void QtSoundPlayer::enqueue(const QString& source)
{
    m_queued.enqueue(source);
}

void QtSoundPlayer::stop()
{
    m_now.stop();
    m_queued.stop();
}

void QtSoundPlayer::channelIdle()
{
    if (!isBusy()) Q_EMIT idle();
}

} // namespace zarvo
