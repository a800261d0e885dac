#pragma once

#include <QDateTime>

namespace zarvo {

// Sets the machine's clock. A refusal (no permission, no service) is not reported: the caller
// goes on as if the clock had been set.
class ISystemTimeSetter
{
public:
    virtual ~ISystemTimeSetter() = default;
    virtual void setSystemTime(const QDateTime& instant) = 0;
};

} // namespace zarvo
