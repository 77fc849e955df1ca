#include "toolkit/platform/threadpriority.h"

#include <system_error>

#include <windows.h>

namespace {

int WindowsPriority(TThreadPriority Value)
{
    switch (Value) {
    case TThreadPriority::tpIdle:
        return THREAD_PRIORITY_IDLE;
    case TThreadPriority::tpLowest:
        return THREAD_PRIORITY_LOWEST;
    case TThreadPriority::tpLower:
        return THREAD_PRIORITY_BELOW_NORMAL;
    case TThreadPriority::tpNormal:
        return THREAD_PRIORITY_NORMAL;
    case TThreadPriority::tpHigher:
        return THREAD_PRIORITY_ABOVE_NORMAL;
    case TThreadPriority::tpHighest:
        return THREAD_PRIORITY_HIGHEST;
    case TThreadPriority::tpTimeCritical:
        return THREAD_PRIORITY_TIME_CRITICAL;
    }
    return THREAD_PRIORITY_NORMAL;
}

std::string SystemMessage(DWORD Code)
{
    return std::error_code(int(Code), std::system_category()).message();
}

} // namespace

TSystemThread CurrentSystemThread()
{
    return { std::uint64_t(GetCurrentThreadId()), 0 };
}

bool SetSystemThreadPriority(const TSystemThread& Thread, TThreadPriority Value, std::string& Why)
{
    // The thread is named by its id, so the owner can change it from another thread
    // without holding a handle for the thread's whole life.
    HANDLE Handle
        = OpenThread(THREAD_SET_INFORMATION | THREAD_QUERY_INFORMATION, FALSE, DWORD(Thread.Id));
    if (Handle == nullptr) {
        Why = SystemMessage(GetLastError());
        return false;
    }
    const int Wanted = WindowsPriority(Value);
    const bool Done = GetThreadPriority(Handle) == Wanted || SetThreadPriority(Handle, Wanted) != 0;
    if (!Done) {
        Why = SystemMessage(GetLastError());
    }
    CloseHandle(Handle);
    return Done;
}
