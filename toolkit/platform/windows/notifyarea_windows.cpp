// The notification area on Windows: Shell_NotifyIconW with the record's window, number,
// callback message, icon and tip. The shell sends each icon's mouse actions to its
// record's window as the callback message itself (WParam the number, LParam the mouse
// message), so nothing is translated here.
//
// Every record added is kept, with a copy of its icon, so that it can be put up again
// when the taskbar is made anew (Explorer restarted): the shell then broadcasts the
// registered message "TaskbarCreated" to the top-level windows, which a hidden window
// of the area's own receives.
#include "toolkit/platform/notifyarea.h"
#include "toolkit/platform/serviceslot.h"
#include "toolkit/platform/windows/loader/systemfunction.h"

#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <array>
#include <vector>

namespace {

const wchar_t HostWindowClass[] = L"VeludorNotifyAreaHost";
// The number of the registered message "TaskbarCreated", once the host window is made.
UINT TaskbarCreated = 0;

struct TKeptRecord {
    HWND Window = nullptr;
    UINT Id = 0;
    UINT CallbackMessage = 0;
    HICON Icon = nullptr; // the area's own copy, destroyed with the record
    std::array<char16_t, NotifyIconTipSize> Tip {};
    bool HasMessage = false;
};

class TShellNotifyArea : public INotifyArea {
public:
    bool ShellNotifyIcon(std::uint32_t Message, const TNotifyIconData& Data) override
    {
        HWND Window = reinterpret_cast<HWND>(Data.hWnd);
        auto Kept = std::find_if(FRecords.begin(), FRecords.end(),
            [&](const TKeptRecord& R) { return R.Window == Window && R.Id == Data.uID; });
        switch (Message) {
        case NIM_ADD: {
            // A window that is gone cannot receive the icon's clicks.
            if (Window && !IsWindow(Window)) {
                return false;
            }
            EnsureHostWindow();
            if (Kept == FRecords.end()) {
                FRecords.push_back({ Window, Data.uID });
                Kept = FRecords.end() - 1;
            }
            Update(*Kept, Data);
            // The shell refuses to add a record it has: such a record is updated and put
            // up again, as the interface promises after a restart of the tray.
            if (Show(NIM_ADD, *Kept) || Show(NIM_MODIFY, *Kept)) {
                return true;
            }
            Forget(Kept);
            return false;
        }
        case NIM_MODIFY:
            if (Kept == FRecords.end()) {
                return false;
            }
            Update(*Kept, Data);
            return Show(NIM_MODIFY, *Kept);
        case NIM_DELETE: {
            if (Kept == FRecords.end()) {
                return false;
            }
            const bool Deleted = Show(NIM_DELETE, *Kept);
            Forget(Kept);
            return Deleted;
        }
        default:
            return false;
        }
    }

    // Puts every kept record up again; the taskbar that held them is gone.
    void Restore()
    {
        for (const TKeptRecord& Record : FRecords) {
            Show(NIM_ADD, Record);
        }
    }

private:
    static void Update(TKeptRecord& Record, const TNotifyIconData& Data)
    {
        if (Data.uFlags & NIF_MESSAGE) {
            Record.CallbackMessage = Data.uCallbackMessage;
            Record.HasMessage = true;
        }
        if (Data.uFlags & NIF_ICON) {
            if (Record.Icon) {
                DestroyIcon(Record.Icon);
            }
            // The caller may destroy its icon after the command.
            Record.Icon = Data.hIcon ? CopyIcon(reinterpret_cast<HICON>(Data.hIcon)) : nullptr;
        }
        if (Data.uFlags & NIF_TIP) {
            Record.Tip = Data.szTip;
            Record.Tip.back() = 0;
        }
    }

    static bool Show(DWORD Command, const TKeptRecord& Record)
    {
        NOTIFYICONDATAW N {};
        N.cbSize = sizeof(N);
        N.hWnd = Record.Window;
        N.uID = Record.Id;
        if (Command != NIM_DELETE) {
            N.uFlags = NIF_ICON | NIF_TIP | (Record.HasMessage ? NIF_MESSAGE : 0);
            N.uCallbackMessage = Record.CallbackMessage;
            N.hIcon = Record.Icon;
            std::copy(Record.Tip.begin(), Record.Tip.end(), N.szTip);
        }
        // The shell's library only sends the record to the taskbar, and is let go again.
        const TSystemLibrary ShellLibrary(L"shell32.dll");
        const auto NotifyIcon
            = ShellLibrary.Function<BOOL(WINAPI*)(DWORD, PNOTIFYICONDATAW)>("Shell_NotifyIconW");
        return NotifyIcon && NotifyIcon(Command, &N) != FALSE;
    }

    void Forget(std::vector<TKeptRecord>::iterator Record)
    {
        if (Record->Icon) {
            DestroyIcon(Record->Icon);
        }
        FRecords.erase(Record);
    }

    static LRESULT CALLBACK HostProc(HWND Window, UINT Msg, WPARAM W, LPARAM L);

    // A hidden top-level window (a message-only window receives no broadcasts), made
    // with the first record on the thread that adds it.
    void EnsureHostWindow()
    {
        if (FHost) {
            return;
        }
        TaskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
        WNDCLASSW Class {};
        Class.lpfnWndProc = HostProc;
        Class.hInstance = GetModuleHandleW(nullptr);
        Class.lpszClassName = HostWindowClass;
        RegisterClassW(&Class);
        FHost = CreateWindowExW(WS_EX_TOOLWINDOW, HostWindowClass, L"", WS_POPUP, 0, 0, 0, 0,
            nullptr, nullptr, Class.hInstance, nullptr);
    }

    std::vector<TKeptRecord> FRecords;
    HWND FHost = nullptr;
};

TShellNotifyArea ShellNotifyArea;
TServiceSlot<INotifyArea> Slot(ShellNotifyArea);

LRESULT CALLBACK TShellNotifyArea::HostProc(HWND Window, UINT Msg, WPARAM W, LPARAM L)
{
    if (Msg != 0 && Msg == TaskbarCreated) {
        ShellNotifyArea.Restore();
        if (const auto& HostAppeared = NotifyAreaClient().HostAppeared) {
            HostAppeared();
        }
        return 0;
    }
    return DefWindowProcW(Window, Msg, W, L);
}

} // namespace

INotifyArea& NotifyArea()
{
    return Slot.Get();
}
void SetNotifyArea(INotifyArea* Area)
{
    Slot.Set(Area);
}
