#pragma once

#include "toolkit/text/datetime.h"
#include "toolkit/threads/thread.h"

#include <array>
#include <cstdint>

// The stopwatch worker: one per run. Its loop hands UpdateDisplay over to the window
// thread again and again, with no pause, until its stop flag is set; then it destroys
// itself on its own thread. It never touches a control itself.
class TChronoThread final : public TThread {
public:
    // Created suspended, self-disposing, at normal priority, with StartTime read from the
    // clock; then started. Throws EThread when the system cannot create the thread.
    // Reference, when given, receives the reference to the worker before it starts: once
    // started, the worker may end and destroy itself at any moment, even before the
    // constructor has returned, so the object itself must not be used afterwards.
    explicit TChronoThread(bool CreateSuspended, TThread::TReference* Reference = nullptr);

    // The local date and time at which the run started: written before the thread
    // starts, only read afterwards.
    TDateTime StartTime = 0;

    // On the window thread: writes the time elapsed since StartTime to the main
    // window's three stopwatch labels.
    void UpdateDisplay();

    // Milliseconds on Label11, seconds on Label10, hours and minutes on Label7, in that
    // order, each from a reading of the clock of its own. A clock put back before
    // AStartTime shows the distance to it; the display wraps every 24 hours.
    static void ShowElapsed(TDateTime AStartTime);

protected:
    void Execute() override;
};

// The stopwatch's window-side state (Unit1), alive as long as the process; only the
// window thread touches it.

// Button3's captions: index 0 starts a run, index 1 stops it.
extern const std::array<TString, 2> ChronoCaptions;
// 1 while stopped, 0 while running; also the index into ChronoCaptions read at a press.
extern std::uint8_t ChronoState;
// The worker of the run in progress. A reference that shares only the worker's stop
// flag and end marker, never the object: a worker that has ended (after a stop or an
// error in an update) has destroyed itself, and stopping it through this reference then
// does nothing.
extern TThread::TReference ChronoWorker;
