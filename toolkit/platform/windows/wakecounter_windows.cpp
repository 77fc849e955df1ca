#include "toolkit/platform/wakecounter.h"
#include "toolkit/platform/windows/wintext.h"

#include <windows.h>

namespace {

// A manual-reset event: signalled until the watching thread resets it, so that signals
// made meanwhile merge into one wake-up. The window thread's loop waits for the handle
// beside its messages (MsgWaitForMultipleObjectsEx); "readable" is "signalled" here.
// Setting an event neither allocates nor blocks, and it never fills up.
class TEventCounter : public IWakeCounter {
public:
    explicit TEventCounter(HANDLE Event)
        : FEvent(Event)
    {
    }
    ~TEventCounter() override { CloseHandle(FEvent); }

    std::intptr_t Handle() const override { return reinterpret_cast<std::intptr_t>(FEvent); }
    void Signal() override { SetEvent(FEvent); }
    void Drain() override { ResetEvent(FEvent); }

private:
    HANDLE FEvent;
};

} // namespace

std::unique_ptr<IWakeCounter> CreateWakeCounter(TString& Error)
{
    HANDLE Event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!Event) {
        Error = SystemErrorText(GetLastError());
        return nullptr;
    }
    return std::make_unique<TEventCounter>(Event);
}
