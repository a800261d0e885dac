#pragma once

#include <QDeadlineTimer>

#include <algorithm>
#include <functional>

namespace zarvo {

// Every wait of the network clients wakes at least this often to see whether it is to end: the
// program may be ended at any moment, and no wait may hold it up.
inline constexpr int kWaitSliceMs = 50;

// Asked between the slices of a wait: true ends it.
using StopCheck = std::function<bool()>;

// How long the next slice of a wait for `until` may be: the time left, at most one slice.
inline int nextSlice(const QDeadlineTimer& until)
{
    if (until.isForever()) return kWaitSliceMs;
    return int(std::clamp<qint64>(until.remainingTime(), 0, kWaitSliceMs));
}

} // namespace zarvo
