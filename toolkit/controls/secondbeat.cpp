#include "toolkit/controls/secondbeat.h"

#include "toolkit/controls/extctrls.h"
#include "toolkit/platform/clocksource.h"

#include "toolkit/widgetset/widgetset.h"

#include <algorithm>
#include <exception>

namespace {
// Where the beat aims: this long after the boundary, so that a timer that rounds its
// deadline to the millisecond does not wake before it.
constexpr int AfterBoundaryMs = 1;
// A wake-up this close before a boundary belongs to it.
constexpr int EarlyMs = 10;
// A wake-up at most this much after its aim waits a whole second: a timer armed again
// for the period it already runs with costs the window system nothing (Windows' timers
// run on from their deadline), where aiming anew at the millisecond would arm it for
// another period at nearly every tick. The face changes at most this much later.
constexpr int KeepPeriodMs = 3;

TSecondBeat* Beat = nullptr;

// The millisecond of the second; a value no calendar holds reads as the second's start.
int MSecOf(TDateTime Now)
{
    try {
        return SplitDateTime(Now).MSec;
    } catch (const std::exception&) {
        return 0;
    }
}
}

TSecondBeat::TSecondBeat()
    // Precise: a coalesced timer may fire up to 5 % of the wait away from its end.
    : FTimer(WidgetSet().CreateTimer([this] { Wake(); }))
{
}

TSecondBeat::~TSecondBeat() = default;

void TSecondBeat::Join(TTimer* Timer)
{
    if (!Beat) {
        Beat = new TSecondBeat;
    }
    Beat->FTimers.push_back(Timer);
    Beat->Arm();
}

void TSecondBeat::Leave(TTimer* Timer)
{
    if (!Beat) {
        return;
    }
    std::erase(Beat->FTimers, Timer);
    if (Beat->FTimers.empty()) {
        delete Beat;
        Beat = nullptr;
    } else {
        Beat->Arm();
    }
}

void TSecondBeat::Changed()
{
    if (Beat) {
        Beat->Arm();
    }
}

int TSecondBeat::DelayAfter(TDateTime Now)
{
    const int MSec = MSecOf(Now);
    if (MSec >= AfterBoundaryMs && MSec <= AfterBoundaryMs + KeepPeriodMs) {
        return 1000;
    }
    return 1000 - MSec + AfterBoundaryMs;
}

bool TSecondBeat::TicksAt(TDateTime Now)
{
    return MSecOf(Now) < 1000 - EarlyMs;
}

int TSecondBeat::ArmedDelay()
{
    return Beat ? Beat->FArmed : -1;
}

void TSecondBeat::WakeNow()
{
    if (Beat) {
        Beat->Wake();
    }
}

void TSecondBeat::Arm()
{
    const bool Wanted = std::any_of(
        FTimers.begin(), FTimers.end(), [](const TTimer* T) { return T->TicksOnBeat(); });
    if (!Wanted) {
        FTimer->Stop();
        FArmed = -1;
        return;
    }
    // An enabled timer that joins a running beat ticks with it, at the next boundary.
    if (FArmed < 0 && !FWaking) {
        FArmed = DelayAfter(ClockSource().Now());
        FTimer->Start(FArmed, true, true);
    }
}

void TSecondBeat::Wake()
{
    // The beat is armed again once every handler has returned: one that opens an error
    // box runs a nested event loop, where the next second must not tick it again.
    FArmed = -1;
    FWaking = true;
    if (TicksAt(ClockSource().Now())) {
        // A handler may enable, disable or destroy timers (and the beat with the last):
        // each is looked up again before it ticks.
        const std::vector<TTimer*> Timers = FTimers;
        for (TTimer* T : Timers) {
            if (Beat != this) {
                return;
            }
            if (std::find(FTimers.begin(), FTimers.end(), T) != FTimers.end() && T->TicksOnBeat()) {
                T->Tick();
            }
        }
    }
    if (Beat == this) {
        FWaking = false;
        Arm();
    }
}
