#include "toolkit/platform/serviceslot.h"
#include "toolkit/platform/shell.h"
#include "toolkit/platform/windows/loader/systemfunction.h"
#include "toolkit/platform/windows/wintext.h"

#include <windows.h>

#include <objbase.h>
#include <shellapi.h>

namespace {
// The address goes to the shell's "open" verb, which starts the user's browser. The
// shell may hand the work to extensions that need COM, so the calling thread has it
// for the call (a thread that already had it keeps its own). The shell's library is
// loaded with the first address and stays: what it started may still run.
class TShellExecute : public IShell {
public:
    void OpenUrl(const TString& Url) override
    {
        if (Url.empty() || Url.find(u'\0') != TString::npos) {
            return;
        }
        static const auto Execute
            = SystemFunction<HINSTANCE(WINAPI*)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT)>(
                L"shell32.dll", "ShellExecuteW");
        if (!Execute) {
            return;
        }
        const HRESULT Com
            = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        Execute(GetActiveWindow(), L"open", WideOf(Url).c_str(), nullptr, nullptr, SW_SHOWDEFAULT);
        if (SUCCEEDED(Com)) {
            CoUninitialize();
        }
    }
};
TShellExecute ShellExecuteShell;
TServiceSlot<IShell> Slot(ShellExecuteShell);
}

IShell& Shell()
{
    return Slot.Get();
}
void SetShell(IShell* Shell)
{
    Slot.Set(Shell);
}
