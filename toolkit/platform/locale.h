#pragma once

#include "toolkit/core/datetimevalue.h"
#include "toolkit/core/tstring.h"

// The system's locale data behind the date formatting, one implementation per system
// (linux/locale_qt.cpp: Qt's own locale data, so no system locale needs installing;
// windows/locale_windows.cpp: GetLocaleInfoEx and GetDateFormatEx). A date is one of the
// years 1 to 9999.

// The user's locale and its formats: its name as the functions below take it, the time
// separator of its time format, its long date format and its decimal separator.
struct TLocaleFormats {
    TString LocaleName;
    char16_t TimeSeparator = u':';
    TString LongDateFormat;
    char16_t DecimalSeparator = u',';
};
TLocaleFormats UserLocaleFormats();

TString LocaleMonthName(const TString& LocaleName, int Month, bool Short);
// DayOfWeek: 1 Monday to 7 Sunday.
TString LocaleDayName(const TString& LocaleName, int DayOfWeek, bool Short);
TString LocaleShortDate(const TString& LocaleName, const TDateTimeFields& Date);
// Format is a long date format of the locale's system (empty: the locale's own).
TString LocaleLongDate(
    const TString& LocaleName, const TDateTimeFields& Date, const TString& Format);
