#include "toolkit/platform/power.h"
#include "toolkit/platform/serviceslot.h"

#include <windows.h>

#include <thread>

namespace {
// The shutdown privilege, which a user's token holds but leaves disabled, is enabled
// for the process; then the system is asked to end the session and power off.
void RequestPowerOff()
{
    HANDLE Token = nullptr;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &Token)) {
        TOKEN_PRIVILEGES Privileges {};
        Privileges.PrivilegeCount = 1;
        Privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        if (LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &Privileges.Privileges[0].Luid)) {
            AdjustTokenPrivileges(Token, FALSE, &Privileges, 0, nullptr, nullptr);
        }
        CloseHandle(Token);
    }
    ExitWindowsEx(EWX_POWEROFF,
        SHTDN_REASON_MAJOR_OTHER | SHTDN_REASON_MINOR_OTHER | SHTDN_REASON_FLAG_PLANNED);
}

// ExitWindowsEx asks every top-level window, this program's too, whether the session may
// end (WM_QUERYENDSESSION) and waits for the answers; some systems (Wine) wait for the
// whole session's end before returning. The request therefore runs on a thread of its
// own, and the window thread goes on answering its messages.
class TExitWindowsPower : public IPowerService {
public:
    void PowerOff() override { std::thread(RequestPowerOff).detach(); }
};
TExitWindowsPower ExitWindowsPower;
TServiceSlot<IPowerService> Slot(ExitWindowsPower);
}

IPowerService& PowerService()
{
    return Slot.Get();
}
void SetPowerService(IPowerService* Service)
{
    Slot.Set(Service);
}
