#include "toolkit/platform/serviceslot.h"
#include "toolkit/platform/taskbar.h"

#include <windows.h>

namespace {

// On Windows a top-level window handle is the window itself (types.h).
HWND WindowOf(TWindowHandle TopLevel)
{
    HWND Window = reinterpret_cast<HWND>(TopLevel);
    return Window && IsWindow(Window) ? Window : nullptr;
}

// The taskbar gives a button to top-level windows that are not tool windows; it reads
// the style when a window is shown, so a visible window is hidden and shown again
// (without taking the focus) for the change to show. Flashing is FlashWindowEx's, on the
// button only, until the window comes to the foreground.
class TShellTaskbar : public ITaskbar {
public:
    void SetSkipTaskbar(TWindowHandle TopLevel, bool Skip) override
    {
        HWND Window = WindowOf(TopLevel);
        if (!Window) {
            return;
        }
        const LONG_PTR Style = GetWindowLongPtrW(Window, GWL_EXSTYLE);
        const LONG_PTR Wanted = Skip ? (Style | WS_EX_TOOLWINDOW) & ~LONG_PTR(WS_EX_APPWINDOW)
                                     : Style & ~LONG_PTR(WS_EX_TOOLWINDOW);
        if (Wanted == Style) {
            return;
        }
        const bool Visible = IsWindowVisible(Window);
        if (Visible) {
            ShowWindow(Window, SW_HIDE);
        }
        SetWindowLongPtrW(Window, GWL_EXSTYLE, Wanted);
        if (Visible) {
            ShowWindow(Window, SW_SHOWNA);
        }
    }

    void SetUrgent(TWindowHandle TopLevel, bool Urgent) override
    {
        HWND Window = WindowOf(TopLevel);
        if (!Window) {
            return;
        }
        FLASHWINFO Flash { sizeof(FLASHWINFO), Window,
            Urgent ? DWORD(FLASHW_TRAY | FLASHW_TIMERNOFG) : DWORD(FLASHW_STOP), 0, 0 };
        FlashWindowEx(&Flash);
    }
};
TShellTaskbar ShellTaskbar;
TServiceSlot<ITaskbar> Slot(ShellTaskbar);
}

ITaskbar& Taskbar()
{
    return Slot.Get();
}
void SetTaskbar(ITaskbar* Taskbar)
{
    Slot.Set(Taskbar);
}
