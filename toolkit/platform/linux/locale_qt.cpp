// The locale data behind the date formatting on Linux: Qt's own locale data, so no
// system locale needs to be installed.
#include "toolkit/platform/locale.h"

#include "toolkit/qt/qtconvert.h"

#include <QDate>
#include <QLocale>

namespace {

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

QDate DateOf(const TDateTimeFields& Date)
{
    return QDate(Date.Year, Date.Month, Date.Day);
}

} // namespace

TLocaleFormats UserLocaleFormats()
{
    const QString Name = UserLocaleName();
    const QLocale Locale(Name);
    return { FromQt(Name), TimeSeparatorOf(Locale).unicode(),
        FromQt(Locale.dateFormat(QLocale::LongFormat)), Locale.decimalPoint().at(0).unicode() };
}

TString LocaleMonthName(const TString& LocaleName, int Month, bool Short)
{
    return FromQt(
        LocaleOf(LocaleName).monthName(Month, Short ? QLocale::ShortFormat : QLocale::LongFormat));
}

TString LocaleDayName(const TString& LocaleName, int DayOfWeek, bool Short)
{
    return FromQt(LocaleOf(LocaleName)
                      .dayName(DayOfWeek, Short ? QLocale::ShortFormat : QLocale::LongFormat));
}

TString LocaleShortDate(const TString& LocaleName, const TDateTimeFields& Date)
{
    return FromQt(LocaleOf(LocaleName).toString(DateOf(Date), QLocale::ShortFormat));
}

TString LocaleLongDate(
    const TString& LocaleName, const TDateTimeFields& Date, const TString& Format)
{
    return FromQt(LocaleOf(LocaleName).toString(DateOf(Date), ToQt(Format)));
}
