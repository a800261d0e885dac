#pragma once

#include "Clock.h"
#include "ClockAlarm.h"
#include "Settings.h"
#include "SoundPlayer.h"

#include <QObject>

namespace zarvo {

// The quarter, half-hour and hourly chimes on the alarm of the visible clock (DingClock): one
// chime armed at a time, each chime arming the next. Spoken time and the strikes of the hour
// are queued on the sound player, so nothing here ever waits for a sound to end.
class Chimes : public QObject
{
    Q_OBJECT
public:
    Chimes(const IClock& clock, const Settings& settings, ClockAlarm& dingClock, ISoundPlayer& sound,
           QObject* parent = nullptr);

    // Arms DingClock for the next chime (or switches its alarm off when no chime is on).
    void zarCheckDing();
    // DingClock's alarm went off: play the armed chime, then arm the next one. The owner
    // connects DingClock's OnAlarm to it.
    void DingClockAlarm();
    // "ZARWTIS", the hour (24-hour clock), and the minutes unless they are 0.
    void SpeakTime(int hour, int minute);
    // The hour's sound file once per hour of the 12-hour clock, one after another.
    void StrikeHour(int hour);

    // The values of ChimeKind.
    static constexpr int KindQuarter = 0; // :15 or :45
    static constexpr int KindHalf = 1;    // :30
    static constexpr int KindHour = 2;    // :00

    // The kind of the armed chime; written only together with an arming.
    int ChimeKind = KindQuarter;

private:
    bool enabled(int kind) const;
    void playFile(const QString& file);

    const IClock& m_clock;
    const Settings& m_settings;
    ClockAlarm& m_ding;
    ISoundPlayer& m_sound;
};

} // namespace zarvo
