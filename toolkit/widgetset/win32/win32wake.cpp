#include "toolkit/widgetset/win32/win32ws.h"

#include <thread>

namespace win32ws {

namespace {
    struct TWakeWatch;

    // On the window thread only.
    std::unique_ptr<TWakeWatch>& Watch()
    {
        static std::unique_ptr<TWakeWatch> Current;
        return Current;
    }

    void TakeWake();

    // The watched wake-up handle. A thread of its own waits for it (Windows' own modal
    // loops, a menu's or a message box's, run no wait of ours) and hands each wake-up to
    // the window thread as posted work, then waits until the window thread has taken it
    // (and reset the handle) before it waits for the handle again.
    struct TWakeWatch {
        HANDLE Handle = nullptr;
        HANDLE Taken = CreateEventW(nullptr, FALSE, FALSE, nullptr); // auto-reset
        HANDLE Stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        std::function<void()> OnWake;
        std::function<void()> OnEnd;
        std::thread Waiter;

        ~TWakeWatch()
        {
            for (HANDLE Event : { Taken, Stop }) {
                if (Event) {
                    CloseHandle(Event);
                }
            }
        }

        void Wait()
        {
            const HANDLE ForWake[] = { Stop, Handle };
            const HANDLE ForTaken[] = { Stop, Taken };
            while (WaitForMultipleObjects(2, ForWake, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
                WidgetSet().Post(TakeWake);
                if (WaitForMultipleObjects(2, ForTaken, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) {
                    return;
                }
            }
        }
    };

    // Posted by the waiter; looks the watch up when it runs, so that a wake-up posted
    // just before the watch ended finds none.
    void TakeWake()
    {
        if (TWakeWatch* W = Watch().get()) {
            W->OnWake();
            SetEvent(W->Taken);
        }
    }
}

bool WatchWake(std::intptr_t Handle, std::function<void()> OnWake, std::function<void()> OnEnd)
{
    if (Watch() || !TApp::Get().MessageWindow()
        || GetWindowThreadProcessId(TApp::Get().MessageWindow(), nullptr) != GetCurrentThreadId()) {
        return false;
    }
    auto Made = std::make_unique<TWakeWatch>();
    if (!Made->Taken || !Made->Stop) {
        return false;
    }
    Made->Handle = reinterpret_cast<HANDLE>(Handle);
    Made->OnWake = std::move(OnWake);
    Made->OnEnd = std::move(OnEnd);
    Made->Waiter = std::thread([W = Made.get()] { W->Wait(); });
    Watch() = std::move(Made);
    return true;
}

void EndWakeWatch()
{
    std::unique_ptr<TWakeWatch> Ended = std::move(Watch());
    if (!Ended) {
        return;
    }
    SetEvent(Ended->Stop);
    Ended->Waiter.join();
    Ended->OnEnd();
}

}
