#include "toolkit/platform/screen.h"
#include "toolkit/platform/serviceslot.h"

#include <windows.h>

namespace {
// The system's metrics: the primary monitor's size, the virtual screen's rectangle and
// the primary monitor's work area (what the taskbar and docked bars leave), all in
// the system's pixels.
class TSystemScreenMetrics : public IScreenMetrics {
public:
    TSize PrimaryScreenSize() const override
    {
        return { GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN) };
    }
    TRect VirtualScreen() const override
    {
        return TRect::FromSize(GetSystemMetrics(SM_XVIRTUALSCREEN),
            GetSystemMetrics(SM_YVIRTUALSCREEN), GetSystemMetrics(SM_CXVIRTUALSCREEN),
            GetSystemMetrics(SM_CYVIRTUALSCREEN));
    }
    TRect WorkArea() const override
    {
        RECT R {};
        if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &R, 0)) {
            const TSize S = PrimaryScreenSize();
            return TRect::FromSize(0, 0, S.Width, S.Height);
        }
        return { R.left, R.top, R.right, R.bottom };
    }
};
TSystemScreenMetrics SystemScreenMetrics;
TServiceSlot<IScreenMetrics> Slot(SystemScreenMetrics);
}

IScreenMetrics& ScreenMetrics()
{
    return Slot.Get();
}
void SetScreenMetrics(IScreenMetrics* Metrics)
{
    Slot.Set(Metrics);
}
