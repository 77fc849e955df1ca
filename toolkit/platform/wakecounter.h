#pragma once

#include "toolkit/core/tstring.h"

#include <cstdint>
#include <memory>

// A wake-up counter for an event loop: any thread signals it without allocating or
// blocking, and signals made before the watching thread drains it merge into one. The
// watching thread's loop watches Handle() for reading (a QSocketNotifier on Qt's side).
class IWakeCounter {
public:
    // Closes the counter; whoever watches its handle stops first.
    virtual ~IWakeCounter() = default;
    virtual std::intptr_t Handle() const = 0;
    // Any thread; only fails, harmlessly, when the counter is full.
    virtual void Signal() = 0;
    // On the watching thread: makes the handle unreadable until the next signal.
    virtual void Drain() = 0;
};

// A new counter; nullptr, with the system's reason in Error, when the system refuses one.
std::unique_ptr<IWakeCounter> CreateWakeCounter(TString& Error);
