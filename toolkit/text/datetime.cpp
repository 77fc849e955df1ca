#include "toolkit/text/datetime.h"

#include "toolkit/core/sysutils.h"
#include "toolkit/platform/clocksource.h"
#include "toolkit/qt/qtconvert.h"

#include <QDateTime>
#include <QLocale>

#include <algorithm>

namespace {

const QDate Epoch(1899, 12, 30);

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

// The locale's time separator: the one character between the hour and the minute of
// its short time format ("HH:mm", "h:mm AP", Finnish "H.mm"). A format with more than
// one character or a quoted text there (Canadian French "HH 'h' mm") has none of its
// own; the colon serves.
QChar TimeSeparatorOf(const QLocale& Locale)
{
    const QString Format = Locale.timeFormat(QLocale::ShortFormat);
    qsizetype Begin = 0;
    while (Begin < Format.size() && Format[Begin].toLower() != QLatin1Char('h')) {
        ++Begin;
    }
    while (Begin < Format.size() && Format[Begin].toLower() == QLatin1Char('h')) {
        ++Begin;
    }
    const qsizetype End = Format.indexOf(QLatin1Char('m'), Begin);
    const QString Between = Format.mid(Begin, End - Begin).trimmed();
    if (End < 0 || Between.size() != 1 || Between[0].isLetterOrNumber()
        || Between[0] == QLatin1Char('\'')) {
        return QLatin1Char(':');
    }
    return Between[0];
}

// The user's locale for dates and times, by the POSIX rule: the first of LC_ALL,
// LC_TIME and LANG that is set names it ("de_DE.UTF-8", "fi_FI@euro", "fr"), given by
// that name without encoding and modifier. Qt's own locale data gives its formats, so no
// system locale needs to be installed. No locale ("C", "POSIX", unset or unknown to Qt)
// reads as French (France), the language of every other text of the program.
QString UserLocaleName()
{
    QByteArray Name;
    for (const char* Variable : { "LC_ALL", "LC_TIME", "LANG" }) {
        Name = qgetenv(Variable);
        if (!Name.isEmpty()) {
            break;
        }
    }
    for (char End : { '.', '@' }) {
        if (const qsizetype At = Name.indexOf(End); At >= 0) {
            Name.truncate(At);
        }
    }
    const QString Result = QString::fromLatin1(Name);
    if (Name.isEmpty() || QLocale(Result).language() == QLocale::C) {
        return QStringLiteral("fr_FR");
    }
    return Result;
}

// The Qt locale of a name, kept for the last name asked on each thread.
const QLocale& LocaleOf(const TString& Name)
{
    struct TKept {
        TString Name;
        QLocale Locale;
    };
    thread_local TKept Kept { u"fr_FR", QLocale(QLocale::French, QLocale::France) };
    if (Kept.Name != Name) {
        Kept.Locale = QLocale(ToQt(Name));
        Kept.Name = Name;
    }
    return Kept.Locale;
}

void Append(TString& Result, const QString& Text)
{
    Result.append(reinterpret_cast<const char16_t*>(Text.utf16()), size_t(Text.size()));
}

// The long date of a day in the given settings, kept for the last day asked on each
// thread: the clock shows it at every tick, and Qt's pattern formatting of a date costs
// more than all the rest of the tick. The text is built again when the day, the
// pattern or the locale changes.
const TString& LongDate(const QDate& Date, const TFormatSettings& Settings)
{
    struct TKept {
        QDate Date;
        TString Format;
        TString LocaleName;
        TString Text;
    };
    thread_local TKept Kept;
    if (Kept.Date != Date || Kept.Format != Settings.LongDateFormat
        || Kept.LocaleName != Settings.LocaleName || !Kept.Date.isValid()) {
        Kept.Text
            = FromQt(LocaleOf(Settings.LocaleName).toString(Date, ToQt(Settings.LongDateFormat)));
        Kept.Date = Date;
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
    const QString Name = UserLocaleName();
    const QLocale Locale(Name);
    return { TimeSeparatorOf(Locale).unicode(), FromQt(Locale.dateFormat(QLocale::LongFormat)),
        FromQt(Name), Locale.decimalPoint().at(0).unicode() };
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
    const QDate Date = Epoch.addDays(D.Day);
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
                AppendNumber(Result, Date.year() % 100, 2);
            } else {
                AppendNumber(Result, Date.year(), 4);
            }
            break;
        case u'M':
            if (Count <= 2) {
                AppendNumber(Result, Date.month(), int(Count));
            } else {
                Append(Result,
                    LocaleOf(Settings.LocaleName)
                        .monthName(
                            Date.month(), Count == 3 ? QLocale::ShortFormat : QLocale::LongFormat));
            }
            break;
        case u'D':
            if (Count <= 2) {
                AppendNumber(Result, Date.day(), int(Count));
            } else if (Count <= 4) {
                Append(Result,
                    LocaleOf(Settings.LocaleName)
                        .dayName(Date.dayOfWeek(),
                            Count == 3 ? QLocale::ShortFormat : QLocale::LongFormat));
            } else if (Count == 5) {
                Append(Result, LocaleOf(Settings.LocaleName).toString(Date, QLocale::ShortFormat));
            } else {
                Result += LongDate(Date, Settings);
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
