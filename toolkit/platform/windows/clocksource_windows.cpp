#include "toolkit/platform/clocksource.h"
#include "toolkit/platform/serviceslot.h"

#include <windows.h>

#include <chrono>

namespace {
// The local time as the system keeps it (GetLocalTime, to the millisecond), as a count
// of days since 1899-12-30.
class TSystemClock : public IClockSource {
public:
    TDateTime Now() const override
    {
        SYSTEMTIME T;
        GetLocalTime(&T);
        using namespace std::chrono;
        const sys_days Date = year { T.wYear } / month { T.wMonth } / day { T.wDay };
        const long long Days = (Date - sys_days(year { 1899 } / 12 / 30)).count();
        const long long Ms
            = ((T.wHour * 60LL + T.wMinute) * 60 + T.wSecond) * 1000 + T.wMilliseconds;
        return double(Days) + double(Ms) / 86400000.0;
    }
};
TSystemClock SystemClock;
TServiceSlot<IClockSource> Slot(SystemClock);
}

IClockSource& ClockSource()
{
    return Slot.Get();
}
void SetClockSource(IClockSource* Source)
{
    Slot.Set(Source);
}
