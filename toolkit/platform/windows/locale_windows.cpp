// The locale data behind the date formatting on Windows: the user's default locale
// through GetLocaleInfoEx, its dates through GetDateFormatEx.
#include "toolkit/platform/locale.h"

#include <windows.h>

#include <string>

namespace {

const wchar_t* Wide(const TString& Text)
{
    return reinterpret_cast<const wchar_t*>(Text.c_str());
}

TString Text(const wchar_t* Value)
{
    return TString(reinterpret_cast<const char16_t*>(Value));
}

// One of the locale's texts; empty when the locale has none.
TString LocaleInfo(const TString& LocaleName, LCTYPE Type)
{
    wchar_t Buffer[256] = {};
    if (GetLocaleInfoEx(Wide(LocaleName), Type, Buffer, 256) <= 0) {
        return {};
    }
    return Text(Buffer);
}

// The time separator of a short time format ("HH:mm", "h:mm tt", Finnish "H.mm"): the
// one character between the hours and the minutes. Quoted text or more than one
// character there ("HH 'h' mm") is no separator of its own; the colon serves.
char16_t TimeSeparatorOf(const TString& Format)
{
    size_t Begin = Format.find_first_of(u"hH");
    Begin = Begin == TString::npos ? Format.size() : Format.find_first_not_of(u"hH", Begin);
    const size_t End = Begin == TString::npos ? TString::npos : Format.find(u'm', Begin);
    if (End == TString::npos) {
        return u':';
    }
    TString Between = Format.substr(Begin, End - Begin);
    while (!Between.empty() && Between.back() == u' ') {
        Between.pop_back();
    }
    while (!Between.empty() && Between.front() == u' ') {
        Between.erase(0, 1);
    }
    const char16_t C = Between.size() == 1 ? Between[0] : u'\'';
    const bool Alphanumeric = (C >= u'0' && C <= u'9') || (C >= u'a' && C <= u'z')
        || (C >= u'A' && C <= u'Z') || IsCharAlphaNumericW(wchar_t(C));
    return C == u'\'' || Alphanumeric ? u':' : C;
}

TString FormatDate(
    const TString& LocaleName, const TDateTimeFields& Date, DWORD Flags, const wchar_t* Format)
{
    SYSTEMTIME Time {};
    Time.wYear = WORD(Date.Year);
    Time.wMonth = WORD(Date.Month);
    Time.wDay = WORD(Date.Day);
    wchar_t Buffer[256] = {};
    if (GetDateFormatEx(Wide(LocaleName), Flags, &Time, Format, Buffer, 256, nullptr) <= 0) {
        return {};
    }
    return Text(Buffer);
}

} // namespace

TLocaleFormats UserLocaleFormats()
{
    wchar_t Name[LOCALE_NAME_MAX_LENGTH] = {};
    TLocaleFormats Settings;
    if (GetUserDefaultLocaleName(Name, LOCALE_NAME_MAX_LENGTH) > 0) {
        Settings.LocaleName = Text(Name);
    } else {
        Settings.LocaleName = u"fr-FR";
    }
    Settings.TimeSeparator = TimeSeparatorOf(LocaleInfo(Settings.LocaleName, LOCALE_SSHORTTIME));
    Settings.LongDateFormat = LocaleInfo(Settings.LocaleName, LOCALE_SLONGDATE);
    const TString Decimal = LocaleInfo(Settings.LocaleName, LOCALE_SDECIMAL);
    Settings.DecimalSeparator = Decimal.size() == 1 ? Decimal[0] : u',';
    return Settings;
}

TString LocaleMonthName(const TString& LocaleName, int Month, bool Short)
{
    return LocaleInfo(
        LocaleName, LCTYPE((Short ? LOCALE_SABBREVMONTHNAME1 : LOCALE_SMONTHNAME1) + (Month - 1)));
}

TString LocaleDayName(const TString& LocaleName, int DayOfWeek, bool Short)
{
    return LocaleInfo(
        LocaleName, LCTYPE((Short ? LOCALE_SABBREVDAYNAME1 : LOCALE_SDAYNAME1) + (DayOfWeek - 1)));
}

TString LocaleShortDate(const TString& LocaleName, const TDateTimeFields& Date)
{
    return FormatDate(LocaleName, Date, DATE_SHORTDATE, nullptr);
}

TString LocaleLongDate(
    const TString& LocaleName, const TDateTimeFields& Date, const TString& Format)
{
    return Format.empty() ? FormatDate(LocaleName, Date, DATE_LONGDATE, nullptr)
                          : FormatDate(LocaleName, Date, 0, Wide(Format));
}
