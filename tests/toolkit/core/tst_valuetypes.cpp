// The toolkit's own text, region, bitmap and date values read as the Qt ones they replace.
#include "toolkit/core/classes.h"
#include "toolkit/core/sysutils.h"
#include "toolkit/qt/qtconvert.h"

#include <QTest>

Q_DECLARE_METATYPE(TString)

class tst_ValueTypes : public QObject {
    Q_OBJECT

private slots:
    void caseAndBlanksOfEveryUnitAsQt();
    void text_data();
    void text();
    void utf8_data();
    void utf8();
    void copyAndPos();
    void region_data();
    void region();
    void bitmapLaysOutAsQImage();
    void dateFields_data();
    void dateFields();
    void componentNamesAsQt_data();
    void componentNamesAsQt();
    void exceptionTextInUtf8();
};

void tst_ValueTypes::caseAndBlanksOfEveryUnitAsQt()
{
    for (char16_t C = 0; C <= 0x017F; ++C) {
        const QString Q(QChar { C });
        QCOMPARE(ToQt(UpperCase(TString(1, C))), Q.toUpper());
        QCOMPARE(ToQt(LowerCase(TString(1, C))), Q.toLower());
    }
    for (unsigned C = 0; C <= 0xFFFF; ++C) {
        QCOMPARE(IsBlank(char16_t(C)), QChar(char16_t(C)).isSpace());
    }
}

// Trimming and number parsing as the text fields did them through Qt.
void tst_ValueTypes::text_data()
{
    QTest::addColumn<TString>("Text");
    for (const char16_t* Row : { u"12", u" 12 ", u"\t-3\n", u"+7", u"-0", u"007", u"- 5", u"12a",
             u"", u" ", u"1 2", u"0x10", u"2147483647", u"2147483648", u"-2147483648",
             u"-2147483649", u"99999999999999999999", u"\u00A012\u3000", u"\u0001 1", u"\u0663",
             u"\uFF11", u"\U0001F600 x \U0001F600", u"\uFEFF12" }) {
        QTest::newRow(ToQt(Row).toUtf8().toPercentEncoding(" +-").constData()) << TString(Row);
    }
}

void tst_ValueTypes::text()
{
    QFETCH(TString, Text);
    const QString Q = ToQt(Text);
    QCOMPARE(ToQt(Trim(Text)), Q.trimmed());
    bool Ok = false;
    const int Expected = Q.toInt(&Ok);
    QCOMPARE(StrToIntDef(Text, -999), Ok ? Expected : -999);
    if (Ok) {
        QCOMPARE(StrToInt(Text), Expected);
    } else {
        QVERIFY_THROWS_EXCEPTION(EConvertError, StrToInt(Text));
    }
    QCOMPARE(FromQt(Q), Text);
}

void tst_ValueTypes::utf8_data()
{
    QTest::addColumn<QByteArray>("Utf8");
    QTest::addColumn<TString>("Utf16");
    QTest::newRow("accents and a pair")
        << QByteArray("\xC3\xA9t\xC3\xA9 \xF0\x9F\x98\x80") << TString(u"\u00E9t\u00E9 \U0001F600");
    QTest::newRow("lone high surrogate") << QByteArray()
                                         << TString(u"a\xD83D"
                                                    u"b");
    QTest::newRow("lone low surrogate at the end") << QByteArray() << TString(u"a\xDE00");
    for (const char* Bad : { "\xC3", "a\x80z", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80",
             "\xF4\x90\x80\x80", "\xF0\x9F\x98", "\xFF\xFE" }) {
        QTest::newRow(QByteArray(Bad).toHex().constData()) << QByteArray(Bad) << TString();
    }
}

// Either direction as Qt converts, ill-formed input included.
void tst_ValueTypes::utf8()
{
    QFETCH(QByteArray, Utf8);
    QFETCH(TString, Utf16);
    if (!Utf8.isEmpty()) {
        QCOMPARE(ToQt(Utf8ToString(Utf8.toStdString())), QString::fromUtf8(Utf8));
    }
    if (!Utf16.empty()) {
        QCOMPARE(QByteArray::fromStdString(StringToUtf8(Utf16)), ToQt(Utf16).toUtf8());
    }
    if (!Utf8.isEmpty() && !Utf16.empty()) {
        QCOMPARE(Utf8ToString(Utf8.toStdString()), Utf16);
        QCOMPARE(Utf16.size(), size_t(6)); // the pair counts twice
    }
}

void tst_ValueTypes::copyAndPos()
{
    const TString S = u"ab\U0001F600cd";
    QCOMPARE(Copy(S, 2, 3), TString(u"b\U0001F600"));
    QCOMPARE(Copy(S, 0, 2), TString(u"ab"));
    QCOMPARE(Copy(S, 6, 9), TString(u"d"));
    QCOMPARE(Copy(S, 7, 1), TString());
    QCOMPARE(Pos(u"cd", S), 5);
    QCOMPARE(Pos(u"", S), 0);
    QCOMPARE(Pos(u"x", S), 0);
    QCOMPARE(Format(u"%s:%s%%s%", { u"1", u"2" }), TString(u"1:2%%"));
}

// Shapes built by a sequence of operations, the rectangles compared with QRegion's own
// for the same steps (+ union, - subtraction, & intersection, starting from nothing).
void tst_ValueTypes::region_data()
{
    QTest::addColumn<QString>("Ops");
    QTest::addColumn<QList<QRect>>("Rects");
    const auto Row = [](const char* Name, const char* Ops, QList<QRect> Rects) {
        QTest::newRow(Name) << QString::fromLatin1(Ops) << Rects;
    };
    Row("overlapping", "++", { { 0, 0, 10, 10 }, { 5, 5, 10, 10 } });
    Row("side by side join", "++", { { 0, 0, 5, 8 }, { 5, 0, 5, 8 } });
    Row("stacked join", "++", { { 0, 0, 5, 4 }, { 0, 4, 5, 4 } });
    Row("hole", "+-", { { 0, 0, 20, 20 }, { 5, 5, 10, 10 } });
    Row("cut to nothing", "+-", { { 0, 0, 4, 4 }, { -1, -1, 9, 9 } });
    Row("cross", "++&", { { 10, 0, 5, 30 }, { 0, 10, 30, 5 }, { 5, 5, 20, 20 } });
    Row("far apart", "+++", { { 50, 50, 3, 3 }, { 0, 0, 3, 3 }, { 100, 0, 3, 60 } });
    Row("staircase less a notch", "+++-",
        { { 0, 0, 10, 3 }, { 0, 3, 20, 3 }, { 0, 6, 30, 3 }, { 8, 2, 4, 5 } });
    Row("empty rectangle", "+", { { 3, 3, 0, 5 } });
}

void tst_ValueTypes::region()
{
    QFETCH(QString, Ops);
    QFETCH(QList<QRect>, Rects);
    QRegion Expected;
    TRegion Actual;
    for (qsizetype i = 0; i < Ops.size(); ++i) {
        const TRegion R(FromQt(Rects[i]));
        switch (Ops[i].toLatin1()) {
        case '+':
            Expected = Expected.united(Rects[i]);
            Actual = Actual.United(R);
            break;
        case '-':
            Expected = Expected.subtracted(Rects[i]);
            Actual = Actual.Subtracted(R);
            break;
        default:
            Expected = Expected.intersected(Rects[i]);
            Actual = Actual.Intersected(R);
        }
    }
    QCOMPARE(ToQt(Actual), Expected);
    QCOMPARE(FromQt(Expected), Actual);
    QCOMPARE(FromQt(ToQt(Actual)), Actual);
    QCOMPARE(ToQt(Actual.BoundingRect()), Expected.boundingRect());
    QCOMPARE(Actual.Translated(3, -2), FromQt(Expected.translated(3, -2)));
}

void tst_ValueTypes::bitmapLaysOutAsQImage()
{
    TBitmap32 Bitmap(3, 2);
    const std::uint32_t Pixels[]
        = { 0xFF102030, 0x80FF0000, 0x00000000, 0x7F00FF00, 0xFFFFFFFF, 0x01020304 };
    for (int i = 0; i < 6; ++i) {
        Bitmap.SetPixel(i % 3, i / 3, Pixels[i]);
    }
    const QImage Image = ToQt(Bitmap);
    QCOMPARE(Image.format(), QImage::Format_ARGB32);
    for (int i = 0; i < 6; ++i) {
        QCOMPARE(Image.pixel(i % 3, i / 3), Pixels[i]);
    }
    QCOMPARE(FromQt(Image), Bitmap);
    // Another layout of the same colours comes back as ARGB32, premultiplied or not.
    QCOMPARE(FromQt(Image.convertToFormat(QImage::Format_ARGB32_Premultiplied)),
        FromQt(Image.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                   .convertToFormat(QImage::Format_ARGB32)));
    QImage View = QImageView(Bitmap);
    View.setPixel(2, 1, 0xFFABCDEF);
    QCOMPARE(Bitmap.Pixel(2, 1), std::uint32_t(0xFFABCDEF));
    QVERIFY(FromQt(QImage()).IsEmpty());
    QVERIFY(ToQt(TBitmap32(0, 5)).isNull());
}

void tst_ValueTypes::dateFields_data()
{
    QTest::addColumn<QDateTime>("Time");
    QTest::newRow("epoch") << QDateTime(QDate(1899, 12, 30), QTime(0, 0));
    QTest::newRow("before the epoch") << QDateTime(QDate(1899, 12, 29), QTime(6, 0));
    QTest::newRow("leap day") << QDateTime(QDate(2024, 2, 29), QTime(23, 59, 59, 999));
    QTest::newRow("first day") << QDateTime(QDate(1, 1, 1), QTime(12, 0));
    QTest::newRow("last day") << QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59, 999));
    QTest::newRow("century not leap") << QDateTime(QDate(1900, 3, 1), QTime(1, 2, 3, 4));
}

// The calendar of the toolkit's value against Qt's, both ways.
void tst_ValueTypes::dateFields()
{
    QFETCH(QDateTime, Time);
    const TDateTime Value = DateTimeFromQt(Time);
    const QDate D = Time.date();
    const QTime T = Time.time();
    const TDateTimeFields Fields { D.year(), D.month(), D.day(), T.hour(), T.minute(), T.second(),
        T.msec() };
    QCOMPARE(DecodeDateTime(Value), Fields);
    QCOMPARE(EncodeDateTime(Fields), Value);
    QCOMPARE(DayNumber(D.year(), D.month(), D.day()), QDate(1899, 12, 30).daysTo(D));
    QVERIFY_THROWS_EXCEPTION(EConvertError, EncodeDateTime({ 2023, 2, 29 }));
    QVERIFY_THROWS_EXCEPTION(EConvertError, DecodeDateTime(Value + 1e7));
}

void tst_ValueTypes::componentNamesAsQt_data()
{
    QTest::addColumn<QString>("Name");
    QTest::addColumn<QString>("Sought");
    QTest::newRow("same") << "Timer1" << "Timer1";
    QTest::newRow("other case") << "Timer1" << "tIMER1";
    QTest::newRow("accented, other case") << "ÉtiquetteÀ" << "étiquetteà";
    QTest::newRow("prefix only") << "Timer1" << "Timer";
    QTest::newRow("longer") << "Timer" << "Timer1";
    QTest::newRow("other letter") << "Label1" << "Label2";
}

// FindComponent finds what Qt's case-blind comparison of the names matched.
void tst_ValueTypes::componentNamesAsQt()
{
    QFETCH(QString, Name);
    QFETCH(QString, Sought);
    TComponent Owner(nullptr);
    auto* Other = new TComponent(&Owner);
    Other->SetName(u"Autre");
    auto* Named = new TComponent(&Owner);
    Named->SetName(FromQt(Name));
    const bool Same = Name.compare(Sought, Qt::CaseInsensitive) == 0;
    QCOMPARE(Owner.FindComponent(FromQt(Sought)), Same ? Named : nullptr);
}

void tst_ValueTypes::exceptionTextInUtf8()
{
    const EConvertError E(u"'25:00' n'est pas une heure correcte \u00E9\U0001F514");
    QCOMPARE(QByteArray(E.what()), ToQt(E.Message()).toUtf8());
}

QTEST_GUILESS_MAIN(tst_ValueTypes)
#include "tst_valuetypes.moc"
