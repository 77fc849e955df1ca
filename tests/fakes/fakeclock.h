#pragma once

#include "toolkit/platform/clocksource.h"
#include "toolkit/qt/qtconvert.h"

// A clock that stands still until the test moves it. Installs itself on construction
// and puts the system clock back on destruction.
class TFakeClock : public IClockSource {
public:
    explicit TFakeClock(const QDateTime& Start = QDateTime(QDate(2026, 12, 7), QTime(7, 4, 58, 0)));
    ~TFakeClock() override;
    TDateTime Now() const override { return DateTimeFromQt(FNow); }
    const QDateTime& Current() const { return FNow; }
    void Set(const QDateTime& Value) { FNow = Value; }
    void AdvanceMs(qint64 Ms) { FNow = FNow.addMSecs(Ms); }

private:
    QDateTime FNow;
};
