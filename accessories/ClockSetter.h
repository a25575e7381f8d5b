#pragma once
// Setting the computer's clock, behind an interface so that tests record the
// request instead of changing the machine.

#include <QDateTime>

class TClockSetter {
public:
    virtual ~TClockSetter() = default;
    // Sets the system clock to the given instant; false when the system
    // refuses (no right to change the clock).
    virtual bool SetSystemClock(const QDateTime& instant) = 0;
};

// The real clock, through clock_settime(CLOCK_REALTIME). Without the right to
// set it, it fails quietly and the clock is left as it was.
class TSystemClockSetter final : public TClockSetter {
public:
    bool SetSystemClock(const QDateTime& instant) override;
};
