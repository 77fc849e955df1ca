#pragma once

#include "toolkit/core/datetimevalue.h"

#include <memory>
#include <vector>

class TWSTimer;
class TTimer;

// The beat of the timers that follow the clock's seconds: it wakes once just after each
// second of the local clock and ticks every enabled second-aligned timer, in the order
// they joined, so the clock's face changes with the second and the alarm watch sees the
// new minute in the same wake-up. The wait is computed anew from the clock source at each
// wake-up, so the beat finds the boundary again after the wall clock is set (an NTP step,
// the user changing the time), across a change of time zone and after a suspend.
class TSecondBeat {
public:
    // The beat the aligned timers share; made with the first, gone with the last.
    static void Join(TTimer* Timer);
    static void Leave(TTimer* Timer);
    // Re-arms the beat after a timer's Enabled changed.
    static void Changed();

    // How long to wait from Now to just after the next second boundary, in ms. A wake-up
    // a few milliseconds before a boundary (timers round to the millisecond) waits for
    // that boundary instead of ticking with the second that is ending; one a few
    // milliseconds after its aim waits a whole second, keeping the timer's period.
    static int DelayAfter(TDateTime Now);
    // Whether a wake-up at Now should tick: not when it comes just before a boundary.
    static bool TicksAt(TDateTime Now);

    // For tests: the wait armed last (-1 when the beat sleeps), and a wake-up now.
    static int ArmedDelay();
    static void WakeNow();

private:
    TSecondBeat();
    ~TSecondBeat();
    void Arm();
    void Wake();
    std::unique_ptr<TWSTimer> FTimer;
    std::vector<TTimer*> FTimers;
    int FArmed = -1;
    bool FWaking = false;
};
