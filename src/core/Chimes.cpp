#include "Chimes.h"

#include "LocalTime.h"

namespace zarvo {

namespace {

struct Choice
{
    int hourOffset; // 0 this hour, 1 the next one
    int minute;
    int kind;
};

constexpr Choice Quarter(int hourOffset, int minute)
{
    return {hourOffset, minute, Chimes::KindQuarter};
}
constexpr Choice Half(int hourOffset)
{
    return {hourOffset, 30, Chimes::KindHalf};
}
constexpr Choice Hour()
{
    return {1, 0, Chimes::KindHour};
}

// The coming chimes in the order they are preferred, by the quarter of the hour we are in. A call
// made inside a chime's own minute therefore never picks that chime again.
constexpr Choice Choices[4][3] = {
    {Quarter(0, 15), Half(0), Hour()},
    {Half(0), Quarter(0, 45), Hour()},
    {Quarter(0, 45), Hour(), Half(1)},
    {Hour(), Quarter(1, 15), Half(1)},
};

} // namespace

Chimes::Chimes(const IClock& clock, const Settings& settings, ClockAlarm& dingClock, ISoundPlayer& sound,
               QObject* parent)
    : QObject(parent), m_clock(clock), m_settings(settings), m_ding(dingClock), m_sound(sound)
{
}

bool Chimes::enabled(int kind) const
{
    switch (kind) {
    case KindQuarter:
        return m_settings.Ding15;
    case KindHalf:
        return m_settings.Ding30;
    case KindHour:
        return m_settings.Ding1h;
    default:
        return false;
    }
}

void Chimes::zarCheckDing()
{
    const QTime now = m_clock.now().time();
    const bool any = m_settings.Ding15 || m_settings.Ding30 || m_settings.Ding1h;
    m_ding.setAlarmEnabled(any);
    if (!any) return;

    for (const Choice& c : Choices[now.minute() / 15]) {
        if (!enabled(c.kind)) continue;
        ChimeKind = c.kind;
        m_ding.SetAlarmElement(1, (now.hour() + c.hourOffset) % 24);
        m_ding.SetAlarmElement(2, c.minute);
        m_ding.SetAlarmElement(3, 0);
        return;
    }
}

void Chimes::DingClockAlarm()
{
    int h = m_ding.GetAlarmElement(1);
    int m = m_ding.GetAlarmElement(2);
    // On the night the clocks go forward the alarm's time of day may not exist; the alarm then
    // goes off when the gap ends, and the chime must tell the time the clock shows, not the
    // one that was skipped.
    const QDateTime now = m_clock.now();
    if (hasOffsetChange(now.date()) && (now.time().hour() != h || now.time().minute() != m)) {
        h = now.time().hour();
        m = now.time().minute();
    }

    switch (ChimeKind) {
    case KindQuarter:
        if (m_settings.Sound15)
            playFile(m_settings.File15);
        else
            SpeakTime(h, m);
        break;
    case KindHalf:
        if (m_settings.Sound30)
            playFile(m_settings.File30);
        else
            SpeakTime(h, m);
        break;
    case KindHour:
        if (!m_settings.Sound1h)
            SpeakTime(h, m);
        else if (m_settings.Repeat)
            StrikeHour(h);
        else
            playFile(m_settings.File1h);
        break;
    default:
        break;
    }
    zarCheckDing();
}

void Chimes::SpeakTime(int hour, int minute)
{
    // Queued, not waited for: the clocks keep ticking while the words play one after another.
    // A recording that does not exist (an odd minute) is skipped by the player.
    m_sound.enqueue(resourceSound(QStringLiteral("ZARWTIS")));
    m_sound.enqueue(resourceSound(QStringLiteral("ZARW") + QString::number(hour)));
    if (minute != 0) m_sound.enqueue(resourceSound(QStringLiteral("ZARW%1M").arg(minute)));
}

void Chimes::StrikeHour(int hour)
{
    if (m_settings.File1h.isEmpty()) return;
    const int count = hour > 12 ? hour - 12 : hour == 0 ? 12 : hour;
    // Queued as well: twelve strikes of a long file would otherwise hold up the program well
    // past the minute of an event due at the same hour.
    for (int i = 0; i < count; ++i)
        m_sound.enqueue(m_settings.File1h);
}

void Chimes::playFile(const QString& file)
{
    // An empty name plays nothing, and must not cut short a sound that is playing either.
    if (!file.isEmpty()) m_sound.play(file);
}

} // namespace zarvo
