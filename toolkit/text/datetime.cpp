#include "toolkit/text/datetime.h"

#include "toolkit/core/sysutils.h"
#include "toolkit/platform/clocksource.h"

#include <QDateTime>

#include <algorithm>

namespace {

const QDate Epoch(1899, 12, 30);

// Appends a count that is never negative, with leading zeros up to Digits digits,
// without building a string of its own: the stopwatch formats thousands of times a second.
void AppendNumber(QString& Result, int Value, int Digits)
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
    Result.append(reinterpret_cast<const QChar*>(Buffer), Size);
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
// LC_TIME and LANG that is set names it ("de_DE.UTF-8", "fi_FI@euro", "fr"). Qt's own
// locale data gives its formats, so no system locale needs to be installed. No locale
// ("C", "POSIX", unset or unknown to Qt) reads as French (France), the language of
// every other text of the program.
QLocale UserLocale()
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
    const QLocale Locale(QString::fromLatin1(Name));
    if (Name.isEmpty() || Locale.language() == QLocale::C) {
        return QLocale(QLocale::French, QLocale::France);
    }
    return Locale;
}

// The long date of a day in the given settings, kept for the last day asked on each
// thread: the clock shows it at every tick, and Qt's pattern formatting of a date costs
// more than all the rest of the tick. The text is built again when the day, the
// pattern or the locale changes.
const QString& LongDate(const QDate& Date, const TFormatSettings& Settings)
{
    struct TKept {
        QDate Date;
        QString Format;
        QLocale Locale;
        QString Text;
    };
    thread_local TKept Kept;
    if (Kept.Date != Date || Kept.Format != Settings.LongDateFormat
        || Kept.Locale != Settings.Locale || !Kept.Date.isValid()) {
        Kept.Text = Settings.Locale.toString(Date, Settings.LongDateFormat);
        Kept.Date = Date;
        Kept.Format = Settings.LongDateFormat;
        Kept.Locale = Settings.Locale;
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
    const QLocale Locale = UserLocale();
    return { TimeSeparatorOf(Locale), Locale.dateFormat(QLocale::LongFormat), Locale };
}

TFormatSettings& FormatSettings()
{
    static TFormatSettings Settings = UserFormatSettings();
    return Settings;
}

QString FormatDateTime(const QString& Format, TDateTime Value)
{
    QString Result;
    FormatDateTime(Result, Format, Value);
    return Result;
}

void FormatDateTime(QString& Result, const QString& Format, TDateTime Value)
{
    const TDayAndTime D = SplitDateTime(Value);
    const TFormatSettings& Settings = FormatSettings();
    const QDate Date = Epoch.addDays(D.Day);
    // Emptied, not cleared: an unshared buffer keeps its storage for the next use.
    Result.resize(0);
    char16_t LastToken = 0;
    qsizetype i = 0;
    while (i < Format.size()) {
        const QChar C = Format[i];
        if (C == QLatin1Char('"') || C == QLatin1Char('\'')) {
            qsizetype End = Format.indexOf(C, i + 1);
            if (End < 0) {
                End = Format.size();
            }
            Result += QStringView(Format).mid(i + 1, End - i - 1);
            i = End + 1;
            continue;
        }
        if (C == QLatin1Char(':')) {
            Result += Settings.TimeSeparator;
            ++i;
            continue;
        }
        if (C.unicode() > 0x7F || !C.isLetter()) {
            Result += C;
            ++i;
            continue;
        }
        // A run of the same letter is one token; its length picks the variant.
        qsizetype Count = 1;
        while (i + Count < Format.size() && Format[i + Count] == C) {
            ++Count;
        }
        char16_t Token = C.toUpper().unicode();
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
                Result += Settings.Locale.monthName(
                    Date.month(), Count == 3 ? QLocale::ShortFormat : QLocale::LongFormat);
            }
            break;
        case u'D':
            if (Count <= 2) {
                AppendNumber(Result, Date.day(), int(Count));
            } else if (Count <= 4) {
                Result += Settings.Locale.dayName(
                    Date.dayOfWeek(), Count == 3 ? QLocale::ShortFormat : QLocale::LongFormat);
            } else if (Count == 5) {
                Result += Settings.Locale.toString(Date, QLocale::ShortFormat);
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
            Result += QStringView(Format).mid(i, Count);
            break;
        }
        i += Count;
    }
}

TDateTime StrToTime(const QString& S)
{
    const QChar Separator = FormatSettings().TimeSeparator;
    qsizetype Pos = 0;
    auto SkipBlanks = [&] {
        while (Pos < S.size() && S[Pos] == QLatin1Char(' ')) {
            ++Pos;
        }
    };
    // Reads a decimal number of ASCII digits; the value stops growing once it is far
    // out of range, so a string of a million digits neither overflows nor passes.
    auto ScanNumber = [&](int& Number) {
        SkipBlanks();
        const qsizetype Start = Pos;
        Number = 0;
        while (Pos < S.size() && S[Pos] >= QLatin1Char('0') && S[Pos] <= QLatin1Char('9')) {
            if (Number < 100000) {
                Number = Number * 10 + (S[Pos].unicode() - u'0');
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
        throw EConvertError(
            FormatMessage(u"'%s' n'est pas une heure correcte", { S.toStdU16String() }));
    }
    return EncodeTime(Hour, Min, Sec, 0);
}
