#pragma once

#include "toolkit/core/datetimevalue.h"

// Where the program reads the local date and time (with milliseconds). Tests install a
// fake and move it instead of waiting.
class IClockSource {
public:
    virtual ~IClockSource() = default;
    virtual TDateTime Now() const = 0;
};

IClockSource& ClockSource();
// Installs a clock source (not owned); nullptr puts the system clock back.
void SetClockSource(IClockSource* Source);
