#include "toolkit/text/datetime.h"

#include "tests/fakes/fakeclock.h"
#include "toolkit/core/sysutils.h"
#include "toolkit/qt/qtconvert.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <QTest>

#include <limits>

class tst_DateTime : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void defaultSettingsAreFrench();
    void userSettings_data();
    void userSettings();
    void format_data();
    void format();
    void longDateFollowsDayPatternAndLocale();
    void formatRefusesValuesOutOfRange_data();
    void formatRefusesValuesOutOfRange();
    void nowReadsTheClockWithMilliseconds();
    void qtConversionRoundTrip_data();
    void qtConversionRoundTrip();
    void encodeTimeRefusesFieldsOutOfRange();
    void strToTime_data();
    void strToTime();
    void strToTimeSurvivesHostileText();

private:
    TFormatSettings FDefault;
};

namespace {

const QDateTime Start(QDate(2026, 12, 7), QTime(7, 4, 58, 123));

// A stopwatch reading: the difference of two clock values Ms apart, taken late in
// history so that the rounding of large day counts is part of the test.
TDateTime Elapsed(qint64 Ms)
{
    return DateTimeFromQt(Start.addMSecs(Ms)) - DateTimeFromQt(Start);
}

TDateTime At(int Y, int M, int D, int H, int N, int S, int Z)
{
    return DateTimeFromQt(QDateTime(QDate(Y, M, D), QTime(H, N, S, Z)));
}

} // namespace

// The rows are written in Qt's text; these take them to the toolkit's and back.
static QString FormatDateTime(const QString& Format, TDateTime Value)
{
    return ToQt(FormatDateTime(FromQt(Format), Value));
}
static TDateTime StrToTime(const QString& Text)
{
    return StrToTime(FromQt(Text));
}

void tst_DateTime::initTestCase()
{
    FDefault = FormatSettings();
}

void tst_DateTime::init()
{
    FormatSettings() = { u':', u"dddd d MMMM yyyy", u"fr_FR", u',' };
}

void tst_DateTime::defaultSettingsAreFrench()
{
    QCOMPARE(QLocale(ToQt(FDefault.LocaleName)).language(), QLocale::French);
    QCOMPARE(FDefault.TimeSeparator, u':');
    QCOMPARE(FDefault.DecimalSeparator, u',');
    QCOMPARE(QLocale(ToQt(FDefault.LocaleName)).toString(QDate(2026, 12, 7), ToQt(FDefault.LongDateFormat)),
        QStringLiteral("lundi 7 décembre 2026"));
}

void tst_DateTime::userSettings_data()
{
    QTest::addColumn<QByteArray>("Lang");
    QTest::addColumn<QChar>("Separator");
    QTest::addColumn<QString>("Date");
    const QString French = QStringLiteral("lundi 7 décembre 2026");
    QTest::newRow("no locale: French") << QByteArray("POSIX") << QChar(':') << French;
    QTest::newRow("unknown to Qt: French") << QByteArray("xx_YY.UTF-8") << QChar(':') << French;
    QTest::newRow("Canadian French: \"HH 'h' mm\" has no separator, the colon serves")
        << QByteArray("fr_CA.UTF-8") << QChar(':') << French;
}

void tst_DateTime::userSettings()
{
    QFETCH(QByteArray, Lang);
    QFETCH(QChar, Separator);
    QFETCH(QString, Date);
    const QByteArray All = qgetenv("LC_ALL"), Time = qgetenv("LC_TIME"), Saved = qgetenv("LANG");
    qunsetenv("LC_ALL");
    qunsetenv("LC_TIME");
    qputenv("LANG", Lang);
    const TFormatSettings Settings = UserFormatSettings();
    qputenv("LC_ALL", All);
    qputenv("LC_TIME", Time);
    qputenv("LANG", Saved);
    QCOMPARE(QChar(Settings.TimeSeparator), Separator);
    QCOMPARE(QLocale(ToQt(Settings.LocaleName)).toString(QDate(2026, 12, 7), ToQt(Settings.LongDateFormat)),
        Date);
}

void tst_DateTime::format_data()
{
    QTest::addColumn<QString>("Format");
    QTest::addColumn<double>("Value");
    QTest::addColumn<QChar>("Separator");
    QTest::addColumn<QString>("Expected");

    const TDateTime Morning = At(2026, 12, 7, 7, 5, 9, 7);
    const QChar Colon = QLatin1Char(':');
    QTest::newRow("hh:nn pads") << "hh:nn" << Morning << Colon << "07:05";
    QTest::newRow("h:n:s:z do not pad") << "h:n:s:z" << Morning << Colon << "7:5:9:7";
    QTest::newRow("zzz three digits") << "ss.zzz" << Morning << Colon << "09.007";
    QTest::newRow("upper case tokens") << "HH:NN:SS" << Morning << Colon << "07:05:09";
    QTest::newRow("mm after hh is the minute") << "hh:mm" << Morning << Colon << "07:05";
    QTest::newRow("mm after h and quoted text is the minute") << "h' h 'mm" << Morning << Colon << "7 h 05";
    QTest::newRow("letters outside ASCII and a surrogate pair are copied")
        << "hh\u00E9\u00DFnn \U0001F514 ss" << Morning << Colon << "07\u00E9\u00DF05 \U0001F514 09";
    QTest::newRow("short and long names in the settings' locale")
        << "ddd dddd mmm mmmm" << Morning << Colon << "lun. lundi déc. décembre";
    QTest::newRow("a separator outside ASCII") << "hh:nn" << Morning << QChar(0x2236) << "07\u223605";
    QTest::newRow("mm alone is the month") << "dd/mm/yyyy" << Morning << Colon << "07/12/2026";
    QTest::newRow("mm after nn is the month") << "nn mm" << Morning << Colon << "05 12";
    QTest::newRow("mm after another letter is the month") << "hhxmm" << Morning << Colon << "07x12";
    QTest::newRow("colon is the locale's separator") << "hh:nn" << Morning << QChar(u'.') << "07.05";
    QTest::newRow("quoted colon stays a colon") << "hh':'nn" << Morning << QChar(u'.') << "07:05";
    QTest::newRow("quoted tokens copied") << "'hh' \"nn\" hh" << Morning << Colon << "hh nn 07";
    QTest::newRow("unterminated quote runs to the end") << "hh'nn" << Morning << Colon << "07nn";
    QTest::newRow("other characters copied") << "[hh]-é nn!" << Morning << Colon << "[07]-é 05!";
    QTest::newRow("dddddd long date") << "dddddd" << Morning << Colon << "lundi 7 décembre 2026";
    QTest::newRow("ddddd short date") << "ddddd" << Morning << Colon << "07/12/2026";
    QTest::newRow("day and month names") << "dddd d mmmm yy" << Morning << Colon << "lundi 7 décembre 26";
    QTest::newRow("midnight") << "hh:nn:ss" << At(2026, 12, 8, 0, 0, 0, 0) << Colon << "00:00:00";
    QTest::newRow("last millisecond of the day") << "hh:nn:ss.zzz" << At(2026, 12, 7, 23, 59, 59, 999)
                                                << Colon << "23:59:59.999";

    // Durations, as the stopwatch shows them.
    const QString Full = QStringLiteral("hh:mm ss zzz");
    QTest::newRow("zero") << Full << Elapsed(0) << Colon << "00:00 00 000";
    QTest::newRow("1 h 1 min 5.25 s") << Full << Elapsed(3665250) << Colon << "01:01 05 250";
    QTest::newRow("1 h 1 min 5.25 s on its own") << Full << 3665.25 / 86400 << Colon << "01:01 05 250";
    QTest::newRow("exactly 24 h wraps to zero") << Full << Elapsed(86400000) << Colon << "00:00 00 000";
    QTest::newRow("25 h drops the day") << Full << Elapsed(90000000) << Colon << "01:00 00 000";
    QTest::newRow("negative shows its magnitude") << Full << Elapsed(-3665250) << Colon << "01:01 05 250";
    QTest::newRow("0.4 ms rounds down") << Full << 0.4 / 86400000 << Colon << "00:00 00 000";
    QTest::newRow("0.6 ms rounds up") << Full << 0.6 / 86400000 << Colon << "00:00 00 001";
    QTest::newRow("999.6 ms carries into the second") << Full << 999.6 / 86400000 << Colon << "00:00 01 000";
    QTest::newRow("0.4 ms before 24 h wraps") << Full << (86400000 - 0.4) / 86400000 << Colon << "00:00 00 000";
    QTest::newRow("one day less 1 ms") << Full << Elapsed(86399999) << Colon << "23:59 59 999";
}

void tst_DateTime::format()
{
    QFETCH(QString, Format);
    QFETCH(double, Value);
    QFETCH(QChar, Separator);
    QFETCH(QString, Expected);
    FormatSettings().TimeSeparator = Separator.unicode();
    QCOMPARE(FormatDateTime(Format, Value), Expected);
    // Into a kept buffer: the text replaces whatever the buffer held.
    TString Buffer = u"a previous text, longer than any of the results";
    FormatDateTime(Buffer, FromQt(Format), Value);
    QCOMPARE(ToQt(Buffer), Expected);
}

// The long date is kept from one call to the next: it must follow the day, the pattern
// and the locale all the same.
void tst_DateTime::longDateFollowsDayPatternAndLocale()
{
    const QString Long = QStringLiteral("dddddd");
    QCOMPARE(FormatDateTime(Long, At(2026, 12, 7, 23, 59, 59, 999)),
        QStringLiteral("lundi 7 décembre 2026"));
    QCOMPARE(FormatDateTime(Long, At(2026, 12, 8, 0, 0, 0, 0)), QStringLiteral("mardi 8 décembre 2026"));
    FormatSettings().LongDateFormat = u"d MMMM yyyy";
    QCOMPARE(FormatDateTime(Long, At(2026, 12, 8, 7, 0, 0, 0)), QStringLiteral("8 décembre 2026"));
    FormatSettings().LocaleName = u"de_DE";
    QCOMPARE(FormatDateTime(Long, At(2026, 12, 8, 7, 0, 0, 0)), QStringLiteral("8 Dezember 2026"));
}

void tst_DateTime::formatRefusesValuesOutOfRange_data()
{
    QTest::addColumn<double>("Value");
    QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity();
    QTest::newRow("after the year 9999") << 3e6;
    QTest::newRow("huge negative") << -1e300;
}

void tst_DateTime::formatRefusesValuesOutOfRange()
{
    QFETCH(double, Value);
    QVERIFY_THROWS_EXCEPTION(EConvertError, FormatDateTime(QStringLiteral("hh"), Value));
}

void tst_DateTime::nowReadsTheClockWithMilliseconds()
{
    TFakeClock Clock(Start);
    QCOMPARE(FormatDateTime(QStringLiteral("dddddd hh:nn:ss.zzz"), Now()),
        QStringLiteral("lundi 7 décembre 2026 07:04:58.123"));
    Clock.AdvanceMs(1877);
    QCOMPARE(FormatDateTime(QStringLiteral("hh:nn:ss.zzz"), Now()), QStringLiteral("07:05:00.000"));
}

void tst_DateTime::qtConversionRoundTrip_data()
{
    QTest::addColumn<QDateTime>("Time");
    QTest::addColumn<double>("Value");
    QTest::newRow("epoch") << QDateTime(QDate(1899, 12, 30), QTime(0, 0)) << 0.0;
    QTest::newRow("1900-01-01 18:00") << QDateTime(QDate(1900, 1, 1), QTime(18, 0)) << 2.75;
    QTest::newRow("before the epoch counts the time away from zero")
        << QDateTime(QDate(1899, 12, 29), QTime(6, 0)) << -1.25;
    QTest::newRow("2026-12-07 12:00") << QDateTime(QDate(2026, 12, 7), QTime(12, 0)) << 46363.5;
}

void tst_DateTime::qtConversionRoundTrip()
{
    QFETCH(QDateTime, Time);
    QFETCH(double, Value);
    QCOMPARE(DateTimeFromQt(Time), Value);
    QCOMPARE(DateTimeToQt(Value), Time);
}

void tst_DateTime::encodeTimeRefusesFieldsOutOfRange()
{
    QCOMPARE(EncodeTime(12, 0, 0, 0), 0.5);
    QVERIFY_THROWS_EXCEPTION(EConvertError, EncodeTime(24, 0, 0, 0));
    QVERIFY_THROWS_EXCEPTION(EConvertError, EncodeTime(0, 60, 0, 0));
    QVERIFY_THROWS_EXCEPTION(EConvertError, EncodeTime(0, 0, -1, 0));
    QVERIFY_THROWS_EXCEPTION(EConvertError, EncodeTime(0, 0, 0, 1000));
}

void tst_DateTime::strToTime_data()
{
    QTest::addColumn<QString>("Text");
    QTest::addColumn<QChar>("Separator");
    QTest::addColumn<bool>("Accepted");
    QTest::addColumn<QString>("Expected"); // hh:nn:ss of the result

    const QChar Colon = QLatin1Char(':');
    QTest::newRow("spin box text 7 : 5") << "7 : 5" << Colon << true << "07:05:00";
    QTest::newRow("two digits") << "07:05" << Colon << true << "07:05:00";
    QTest::newRow("blanks around everything") << "  23  :  59  " << Colon << true << "23:59:00";
    QTest::newRow("midnight") << "0:0" << Colon << true << "00:00:00";
    QTest::newRow("with seconds") << "7 : 5 : 9" << Colon << true << "07:05:09";
    QTest::newRow("leading zeros") << "0007:0005" << Colon << true << "07:05:00";
    QTest::newRow("dot separator locale") << "7 . 5" << QChar(u'.') << true << "07:05:00";

    QTest::newRow("empty") << "" << Colon << false << "";
    QTest::newRow("blank") << "   " << Colon << false << "";
    QTest::newRow("hour only") << "7" << Colon << false << "";
    QTest::newRow("no minute") << "7 :" << Colon << false << "";
    QTest::newRow("no hour") << ": 5" << Colon << false << "";
    QTest::newRow("leading plus on the hour") << "+7 : 5" << Colon << false << "";
    QTest::newRow("leading plus on the minute") << "7 : +5" << Colon << false << "";
    QTest::newRow("minus one") << "-1 : 0" << Colon << false << "";
    QTest::newRow("hour 24") << "24 : 0" << Colon << false << "";
    QTest::newRow("minute 60") << "7 : 60" << Colon << false << "";
    QTest::newRow("second 60") << "7 : 5 : 60" << Colon << false << "";
    QTest::newRow("trailing text") << "7 : 5 h" << Colon << false << "";
    QTest::newRow("trailing separator") << "7:5:" << Colon << false << "";
    QTest::newRow("double separator") << "7 :: 5" << Colon << false << "";
    QTest::newRow("four fields") << "1:2:3:4" << Colon << false << "";
    QTest::newRow("other separator") << "7;5" << Colon << false << "";
    QTest::newRow("tab is no blank") << "7\t: 5" << Colon << false << "";
    QTest::newRow("line break") << "7:5\n" << Colon << false << "";
    QTest::newRow("colon in a dot locale") << "7 : 5" << QChar(u'.') << false << "";
    QTest::newRow("huge hour") << "99999999999999999999999 : 5" << Colon << false << "";
    QTest::newRow("huge minute") << "1 : 4294967301" << Colon << false << "";
    QTest::newRow("Arabic-Indic digits") << QString::fromUtf8("٧:٥") << Colon << false << "";
    QTest::newRow("full-width digits") << QString::fromUtf8("７:５") << Colon << false << "";
    QTest::newRow("decimal minute") << "7:5.5" << Colon << false << "";
}

void tst_DateTime::strToTime()
{
    QFETCH(QString, Text);
    QFETCH(QChar, Separator);
    QFETCH(bool, Accepted);
    QFETCH(QString, Expected);
    FormatSettings().TimeSeparator = Separator.unicode();
    if (Accepted) {
        const TDateTime Value = StrToTime(Text);
        FormatSettings().TimeSeparator = u':';
        QCOMPARE(FormatDateTime(QStringLiteral("hh:nn:ss"), Value), Expected);
        QVERIFY(Value >= 0 && Value < 1);
    } else {
        try {
            StrToTime(Text);
            QFAIL("accepted");
        } catch (const EConvertError& E) {
            QCOMPARE(ToQt(E.Message()), QLatin1Char('\'') + Text + QStringLiteral("' n'est pas une heure correcte"));
        }
    }
}

void tst_DateTime::strToTimeSurvivesHostileText()
{
    // A million digits, then random texts from an alphabet that reaches every branch.
    QVERIFY_THROWS_EXCEPTION(EConvertError, StrToTime(QString(1000000, QLatin1Char('9')) + QStringLiteral(":0")));
    const QString Alphabet = QString::fromUtf8(" 0123456789::++--\t.é٧\U0001F600");
    QRandomGenerator Random(20261207);
    int AcceptedCount = 0;
    for (int i = 0; i < 20000; ++i) {
        QString Text;
        const int Length = Random.bounded(12);
        for (int j = 0; j < Length; ++j) {
            Text += Alphabet[Random.bounded(int(Alphabet.size()))];
        }
        try {
            const TDateTime Value = StrToTime(Text);
            QVERIFY2(Value >= 0 && Value < 1, qPrintable(Text));
            ++AcceptedCount;
        } catch (const EConvertError&) {
        }
    }
    QVERIFY(AcceptedCount > 0);
}

QTEST_GUILESS_MAIN(tst_DateTime)
#include "tst_datetime.moc"
