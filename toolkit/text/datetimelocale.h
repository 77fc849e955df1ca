#pragma once

#include "toolkit/core/datetimevalue.h"
#include "toolkit/text/datetime.h"

// What the date formatting takes from the system's locale data, one implementation per
// system (datetime_qt.cpp, datetime_windows.cpp). LocaleName is TFormatSettings's; a
// date is one of the years 1 to 9999.
TString LocaleMonthName(const TString& LocaleName, int Month, bool Short);
// DayOfWeek: 1 Monday to 7 Sunday.
TString LocaleDayName(const TString& LocaleName, int DayOfWeek, bool Short);
TString LocaleShortDate(const TString& LocaleName, const TDateTimeFields& Date);
// Format is TFormatSettings's LongDateFormat.
TString LocaleLongDate(
    const TString& LocaleName, const TDateTimeFields& Date, const TString& Format);
