#include "Chimes.h"

namespace zarvo {

Chimes::Chimes(const IClock& clock, const Settings& settings, ClockAlarm& dingClock, ISoundPlayer& sound,
               QObject* parent)
    : QObject(parent), m_clock(clock), m_settings(settings), m_ding(dingClock), m_sound(sound)
{
}

// Placeholder bodies until the chimes are written.
void Chimes::zarCheckDing() {}
void Chimes::DingClockAlarm() {}
void Chimes::SpeakTime(int, int) {}
void Chimes::StrikeHour(int) {}

} // namespace zarvo
