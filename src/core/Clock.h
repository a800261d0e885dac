#pragma once

#include <QDateTime>

namespace zarvo {

// Where the program gets the time from. Tests give a clock they advance by hand.
class IClock
{
public:
    virtual ~IClock() = default;
    // The current moment, as a local date-time with milliseconds.
    virtual QDateTime now() const = 0;
};

} // namespace zarvo
