#pragma once

// A local date and time as a count of days since 1899-12-30 00:00, the fraction being
// the time of day. The difference of two values is a duration in days. Dates before
// the epoch are negative with the time of day counted away from zero (-1.25 is
// 1899-12-29 06:00), so the time of day is always the magnitude of the fraction.
using TDateTime = double;

// A value as its day number (days since 1899-12-30, negative before it) and its time of
// day, rounded to the millisecond once so that every field reads the same instant; a
// value a fraction of a millisecond short of midnight carries into the next day.
struct TDayAndTime {
    long long Day = 0;
    int Hour = 0, Minute = 0, Second = 0, MSec = 0;
};

// Throws EConvertError for values outside the years 1 to 9999 or not finite.
TDayAndTime SplitDateTime(TDateTime Value);

// A calendar date and time of day (proleptic Gregorian calendar).
struct TDateTimeFields {
    int Year = 1899, Month = 12, Day = 30;
    int Hour = 0, Minute = 0, Second = 0, MSec = 0;
    friend bool operator==(const TDateTimeFields&, const TDateTimeFields&) = default;
};

// Throws EConvertError as SplitDateTime does.
TDateTimeFields DecodeDateTime(TDateTime Value);
// Throws EConvertError for a date that does not exist, a year outside 1 to 9999 or a
// time field out of its range.
TDateTime EncodeDateTime(const TDateTimeFields& Fields);
// The day number of a date, and the date of a day number (no range check).
long long DayNumber(int Year, int Month, int Day);
TDateTimeFields DateOfDay(long long Day);
