#include "toolkit/platform/clocksource.h"
#include "toolkit/platform/serviceslot.h"

namespace {
class TSystemClock : public IClockSource {
public:
    QDateTime Now() const override { return QDateTime::currentDateTime(); }
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
