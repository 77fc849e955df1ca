#include "tests/fakes/fakeclock.h"

TFakeClock::TFakeClock(const QDateTime& Start)
    : FNow(Start)
{
    SetClockSource(this);
}

TFakeClock::~TFakeClock()
{
    SetClockSource(nullptr);
}
