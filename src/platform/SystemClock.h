#pragma once

#include "core/Clock.h"

namespace zarvo {

class SystemClock : public IClock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

} // namespace zarvo
