#include "toolkit/core/datetimevalue.h"

#include "toolkit/core/sysutils.h"

#include <chrono>
#include <cmath>

namespace {

constexpr long long MsPerDay = 86400000;
// Day numbers of 0001-01-01 and 9999-12-31.
constexpr double MinDay = -693593;
constexpr double MaxDay = 2958465;
constexpr std::chrono::sys_days Epoch = std::chrono::year { 1899 } / 12 / 30;

} // namespace

TDayAndTime SplitDateTime(TDateTime Value)
{
    if (!std::isfinite(Value) || Value <= MinDay - 1 || Value >= MaxDay + 1) {
        throw EConvertError(u"Valeur de date et heure incorrecte");
    }
    // Rounding the magnitude gives the time of day of negative values too.
    const long long Total = std::llround(std::fabs(Value) * double(MsPerDay));
    long long Day = Total / MsPerDay;
    const int Ms = int(Total % MsPerDay);
    if (Value < 0) {
        Day = -Day;
    }
    return { Day, Ms / 3600000, Ms / 60000 % 60, Ms / 1000 % 60, Ms % 1000 };
}

long long DayNumber(int Year, int Month, int Day)
{
    const std::chrono::sys_days Date = std::chrono::year { Year } / Month / Day;
    return (Date - Epoch).count();
}

TDateTimeFields DateOfDay(long long Day)
{
    const std::chrono::year_month_day Date { Epoch + std::chrono::days { Day } };
    return { int(Date.year()), int(unsigned(Date.month())), int(unsigned(Date.day())) };
}

TDateTimeFields DecodeDateTime(TDateTime Value)
{
    const TDayAndTime Split = SplitDateTime(Value);
    TDateTimeFields Fields = DateOfDay(Split.Day);
    Fields.Hour = Split.Hour;
    Fields.Minute = Split.Minute;
    Fields.Second = Split.Second;
    Fields.MSec = Split.MSec;
    return Fields;
}

TDateTime EncodeDateTime(const TDateTimeFields& F)
{
    const std::chrono::year_month_day Date = std::chrono::year { F.Year } / F.Month / F.Day;
    if (!Date.ok() || F.Year < 1 || F.Year > 9999 || F.Hour < 0 || F.Hour > 23 || F.Minute < 0
        || F.Minute > 59 || F.Second < 0 || F.Second > 59 || F.MSec < 0 || F.MSec > 999) {
        throw EConvertError(u"Argument incorrect pour le codage d'une date");
    }
    const double Days = double(DayNumber(F.Year, F.Month, F.Day));
    const double Time
        = double(((F.Hour * 60 + F.Minute) * 60 + F.Second) * 1000 + F.MSec) / double(MsPerDay);
    return Days >= 0 ? Days + Time : Days - Time;
}
