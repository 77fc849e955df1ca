#pragma once

#include "toolkit/core/datetimevalue.h"
#include "toolkit/core/tstring.h"

// The current local date and time, with its milliseconds, from the clock source.
TDateTime Now();

// A time of day; throws EConvertError when a field is out of its range.
TDateTime EncodeTime(int Hour, int Min, int Sec, int MSec);

// What the formatting and parsing routines take from the user's locale.
struct TFormatSettings {
    char16_t TimeSeparator = u':';
    // The locale's date pattern, e.g. "dddd d MMMM yyyy": Qt's pattern syntax on Linux,
    // Windows' (GetDateFormatEx's) on Windows.
    TString LongDateFormat;
    // The locale of the day and month names: on Linux its POSIX name without encoding
    // or modifier ("fr_FR", "de_DE", "fi"), the names from Qt's locale data; on Windows
    // the system's locale name ("fr-FR"), the names from the system's locale data.
    TString LocaleName = u"fr_FR";
    char16_t DecimalSeparator = u',';
};

// The user's settings, read anew: on Linux the locale named by the first of LC_ALL,
// LC_TIME and LANG that is set (French when none is, or for "C" and "POSIX"); on Windows
// the user's default locale. Its long date format and the time separator of its time
// format.
TFormatSettings UserFormatSettings();

// The program-wide settings, UserFormatSettings at first use; tests may change them.
TFormatSettings& FormatSettings();

// Formats Value by tokens (letters are case-insensitive):
//   d, dd           day of the month, without / with a leading zero
//   ddd, dddd       short / long day name
//   ddddd           the short date; dddddd (and longer runs) the long date format
//   m, mm           month number; after an hour token (h or hh, other text between
//                   them allowed) the minute instead
//   mmm, mmmm       short / long month name
//   yy, yyyy        two-digit / four-digit year
//   h, hh           hour 0-23, without / with a leading zero
//   n, nn           minute;  s, ss  second;  z, zzz  millisecond (zzz: three digits)
//   :               the time separator of the settings
//   "..." or '...'  copied as written
// Every other character is copied. The value is rounded to the millisecond first, so
// a duration (a difference of two values) reads as a time of day with whole days
// dropped. A negative value reads by its magnitude: when the system clock is put back
// past a stopwatch's start, the stopwatch shows how far it is from the start.
TString FormatDateTime(TStringView Format, TDateTime Value);
// The same, written into Result (replacing its text). A caller that keeps Result between
// calls formats without allocating once the buffer has grown to its size.
void FormatDateTime(TString& Result, TStringView Format, TDateTime Value);

// Reads a time of day written as hour, time separator, minute and optionally another
// separator and the second, blanks allowed around the numbers. Anything else, or an
// hour above 23, a minute or second above 59, throws EConvertError with
// "'<text>' n'est pas une heure correcte".
TDateTime StrToTime(TStringView S);
