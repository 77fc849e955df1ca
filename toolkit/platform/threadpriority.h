#pragma once

#include <cstdint>
#include <string>

// A thread's scheduling priority, from the idle band to time-critical.
enum class TThreadPriority {
    tpIdle,
    tpLowest,
    tpLower,
    tpNormal,
    tpHigher,
    tpHighest,
    tpTimeCritical
};

// The calling system thread, as the priority calls name it: its id and what it
// inherited (on Linux the niceness the priorities step from; unused on Windows).
struct TSystemThread {
    std::uint64_t Id = 0;
    int Inherited = 0;
};

TSystemThread CurrentSystemThread();

// Sets Thread's priority from any thread; false, with the system's reason in Why, when
// the system refuses (raising a thread above normal needs a right a user seldom has).
bool SetSystemThreadPriority(const TSystemThread& Thread, TThreadPriority Value, std::string& Why);
