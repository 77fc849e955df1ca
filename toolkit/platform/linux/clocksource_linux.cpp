#include "toolkit/platform/clocksource.h"
#include "toolkit/platform/serviceslot.h"
#include "toolkit/qt/qtconvert.h"

namespace {
class TSystemClock : public IClockSource {
public:
    TDateTime Now() const override { return DateTimeFromQt(QDateTime::currentDateTime()); }
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
