#include "toolkit/platform/threadpriority.h"

#include <algorithm>
#include <cerrno>
#include <system_error>

#include <sys/resource.h>
#include <unistd.h>

namespace {

// The niceness step of each priority, added to the niceness the thread inherited.
int NiceStep(TThreadPriority Value)
{
    switch (Value) {
    case TThreadPriority::tpIdle:
        return 19;
    case TThreadPriority::tpLowest:
        return 10;
    case TThreadPriority::tpLower:
        return 5;
    case TThreadPriority::tpNormal:
        return 0;
    case TThreadPriority::tpHigher:
        return -5;
    case TThreadPriority::tpHighest:
        return -10;
    case TThreadPriority::tpTimeCritical:
        return -20;
    }
    return 0;
}

} // namespace

TSystemThread CurrentSystemThread()
{
    // Linux gives each thread its own niceness, addressed by its thread id.
    return { std::uint64_t(gettid()), getpriority(PRIO_PROCESS, 0) };
}

bool SetSystemThreadPriority(const TSystemThread& Thread, TThreadPriority Value, std::string& Why)
{
    const auto Id = id_t(Thread.Id);
    const int Wanted = std::clamp(Thread.Inherited + NiceStep(Value), -20, 19);
    errno = 0;
    const int Current = getpriority(PRIO_PROCESS, Id);
    if (errno == 0 && Current == Wanted) {
        return true;
    }
    if (setpriority(PRIO_PROCESS, Id, Wanted) != 0) {
        Why = std::error_code(errno, std::generic_category()).message();
        return false;
    }
    return true;
}
