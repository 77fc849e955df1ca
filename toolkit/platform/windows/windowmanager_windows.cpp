#include "toolkit/platform/serviceslot.h"
#include "toolkit/platform/windowmanager.h"

#include <windows.h>

namespace {

// Windows keeps each window's position itself and tells the window of every move
// (WM_MOVE), so there is nothing to track. A move with the pointer is the system's
// own: a press on the caption, posted so that the move loop runs from the window's
// message loop after this call has returned. A region given to a window
// (SetWindowRgn) cuts it: nothing outside it is drawn.
class TSystemWindowManager : public IWindowManager {
public:
    void TrackPositions() override { }

    bool StartSystemMove(TWindowHandle TopLevel, TPoint PressPoint) override
    {
        HWND Window = reinterpret_cast<HWND>(TopLevel);
        if (!Window || !IsWindow(Window)) {
            return false;
        }
        // The button is up already: there is nothing to move, and no drag of our own to
        // start either.
        if (!(GetAsyncKeyState(VK_LBUTTON) & 0x8000)) {
            return true;
        }
        ReleaseCapture();
        const LPARAM At = MAKELPARAM(short(PressPoint.X), short(PressPoint.Y));
        return PostMessageW(Window, WM_NCLBUTTONDOWN, HTCAPTION, At);
    }

    // The system's move loop ends with the button: a move never outlives the release.
    void CancelSystemMove(TWindowHandle) override { }

    bool CutsToShape() const override { return true; }
};
TSystemWindowManager SystemWindowManager;
TServiceSlot<IWindowManager> Slot(SystemWindowManager);
}

IWindowManager& WindowManager()
{
    return Slot.Get();
}
void SetWindowManager(IWindowManager* Manager)
{
    Slot.Set(Manager);
}
