#include "toolkit/text/datetime.h"

#include "toolkit/core/sysutils.h"
#include "toolkit/platform/clocksource.h"
#include "toolkit/platform/locale.h"

#include <algorithm>

namespace {

// Appends a count that is never negative, with leading zeros up to Digits digits,
// without building a string of its own: the stopwatch formats thousands of times a second.
void AppendNumber(TString& Result, int Value, int Digits)
{
    char16_t Buffer[12];
    int Size = 0;
    do {
        Buffer[Size++] = char16_t(u'0' + Value % 10);
        Value /= 10;
    } while (Value > 0 && Size < 12);
    while (Size < Digits && Size < 12) {
        Buffer[Size++] = u'0';
    }
    std::reverse(Buffer, Buffer + Size);
    Result.append(Buffer, size_t(Size));
}

// The long date of a day in the given settings, kept for the last day asked on each
// thread: the clock shows it at every tick, and the locale's pattern formatting of a
// date costs more than all the rest of the tick. The text is built again when the day,
// the pattern or the locale changes.
const TString& LongDate(long long Day, const TDateTimeFields& Date, const TFormatSettings& Settings)
{
    struct TKept {
        bool Valid = false;
        long long Day = 0;
        TString Format;
        TString LocaleName;
        TString Text;
    };
    thread_local TKept Kept;
    if (!Kept.Valid || Kept.Day != Day || Kept.Format != Settings.LongDateFormat
        || Kept.LocaleName != Settings.LocaleName) {
        Kept.Text = LocaleLongDate(Settings.LocaleName, Date, Settings.LongDateFormat);
        Kept.Valid = true;
        Kept.Day = Day;
        Kept.Format = Settings.LongDateFormat;
        Kept.LocaleName = Settings.LocaleName;
    }
    return Kept.Text;
}

} // namespace

TDateTime Now()
{
    return ClockSource().Now();
}

TDateTime EncodeTime(int Hour, int Min, int Sec, int MSec)
{
    if (Hour < 0 || Hour > 23 || Min < 0 || Min > 59 || Sec < 0 || Sec > 59 || MSec < 0
        || MSec > 999) {
        throw EConvertError(u"Argument incorrect pour le codage d'une heure");
    }
    return double(((Hour * 60 + Min) * 60 + Sec) * 1000 + MSec) / 86400000.0;
}

TFormatSettings UserFormatSettings()
{
    const TLocaleFormats Locale = UserLocaleFormats();
    return { Locale.TimeSeparator, Locale.LongDateFormat, Locale.LocaleName,
        Locale.DecimalSeparator };
}

TFormatSettings& FormatSettings()
{
    static TFormatSettings Settings = UserFormatSettings();
    return Settings;
}

TString FormatDateTime(TStringView Format, TDateTime Value)
{
    TString Result;
    FormatDateTime(Result, Format, Value);
    return Result;
}

void FormatDateTime(TString& Result, TStringView Format, TDateTime Value)
{
    const TDayAndTime D = SplitDateTime(Value);
    const TFormatSettings& Settings = FormatSettings();
    const TDateTimeFields Date = DateOfDay(D.Day);
    // 1899-12-30, day 0, was a Saturday; 1 is Monday, 7 Sunday.
    const int DayOfWeek = int(((D.Day % 7 + 7) % 7 + 5) % 7) + 1;
    // The buffer keeps its storage for the next use.
    Result.clear();
    char16_t LastToken = 0;
    size_t i = 0;
    while (i < Format.size()) {
        const char16_t C = Format[i];
        if (C == u'"' || C == u'\'') {
            size_t End = Format.find(C, i + 1);
            if (End == TStringView::npos) {
                End = Format.size();
            }
            Result += Format.substr(i + 1, End - i - 1);
            i = End + 1;
            continue;
        }
        if (C == u':') {
            Result += Settings.TimeSeparator;
            ++i;
            continue;
        }
        const bool Letter = (C >= u'a' && C <= u'z') || (C >= u'A' && C <= u'Z');
        if (!Letter) {
            Result += C;
            ++i;
            continue;
        }
        // A run of the same letter is one token; its length picks the variant.
        size_t Count = 1;
        while (i + Count < Format.size() && Format[i + Count] == C) {
            ++Count;
        }
        char16_t Token = C >= u'a' ? char16_t(C - u'a' + u'A') : C;
        if (Token == u'M' && LastToken == u'H') {
            Token = u'N';
        }
        LastToken = Token;
        switch (Token) {
        case u'Y':
            if (Count <= 2) {
                AppendNumber(Result, Date.Year % 100, 2);
            } else {
                AppendNumber(Result, Date.Year, 4);
            }
            break;
        case u'M':
            if (Count <= 2) {
                AppendNumber(Result, Date.Month, int(Count));
            } else {
                Result += LocaleMonthName(Settings.LocaleName, Date.Month, Count == 3);
            }
            break;
        case u'D':
            if (Count <= 2) {
                AppendNumber(Result, Date.Day, int(Count));
            } else if (Count <= 4) {
                Result += LocaleDayName(Settings.LocaleName, DayOfWeek, Count == 3);
            } else if (Count == 5) {
                Result += LocaleShortDate(Settings.LocaleName, Date);
            } else {
                Result += LongDate(D.Day, Date, Settings);
            }
            break;
        case u'H':
            AppendNumber(Result, D.Hour, Count == 1 ? 1 : 2);
            break;
        case u'N':
            AppendNumber(Result, D.Minute, Count == 1 ? 1 : 2);
            break;
        case u'S':
            AppendNumber(Result, D.Second, Count == 1 ? 1 : 2);
            break;
        case u'Z':
            AppendNumber(Result, D.MSec, Count < 3 ? 1 : 3);
            break;
        default:
            Result += Format.substr(i, Count);
            break;
        }
        i += Count;
    }
}

TDateTime StrToTime(TStringView S)
{
    const char16_t Separator = FormatSettings().TimeSeparator;
    size_t Pos = 0;
    auto SkipBlanks = [&] {
        while (Pos < S.size() && S[Pos] == u' ') {
            ++Pos;
        }
    };
    // Reads a decimal number of ASCII digits; the value stops growing once it is far
    // out of range, so a string of a million digits neither overflows nor passes.
    auto ScanNumber = [&](int& Number) {
        SkipBlanks();
        const size_t Start = Pos;
        Number = 0;
        while (Pos < S.size() && S[Pos] >= u'0' && S[Pos] <= u'9') {
            if (Number < 100000) {
                Number = Number * 10 + (S[Pos] - u'0');
            }
            ++Pos;
        }
        return Pos > Start;
    };
    auto ScanSeparator = [&] {
        SkipBlanks();
        if (Pos < S.size() && S[Pos] == Separator) {
            ++Pos;
            return true;
        }
        return false;
    };

    int Hour = 0, Min = 0, Sec = 0;
    bool Ok = ScanNumber(Hour) && ScanSeparator() && ScanNumber(Min);
    if (Ok && ScanSeparator()) {
        Ok = ScanNumber(Sec);
    }
    SkipBlanks();
    if (!Ok || Pos != S.size() || Hour > 23 || Min > 59 || Sec > 59) {
        throw EConvertError(FormatMessage(u"'%s' n'est pas une heure correcte", { S }));
    }
    return EncodeTime(Hour, Min, Sec, 0);
}
