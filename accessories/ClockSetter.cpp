#include "accessories/ClockSetter.h"

#include <ctime>

bool TSystemClockSetter::SetSystemClock(const QDateTime& instant)
{
    if (!instant.isValid())
        return false;
    // The clock window sets whole seconds.
    timespec time {};
    time.tv_sec = static_cast<time_t>(instant.toSecsSinceEpoch());
    return clock_settime(CLOCK_REALTIME, &time) == 0;
}
