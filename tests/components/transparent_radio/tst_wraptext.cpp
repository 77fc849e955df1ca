#include "tests/fakes/qtcompare.h"
#include "components/transparent_radio/wraptext.h"

#include <QTest>

// The caption wrapping of the transparent radio button, without fonts or widgets.
class tst_WrapText : public QObject {
    Q_OBJECT

private slots:
    void wrapText_data();
    void wrapText();
    void wrapCaption_data();
    void wrapCaption();
    void trimControls_data();
    void trimControls();
    void longTextIsLinear();
};

namespace {
const QString CrLf = QStringLiteral("\r\n");
const QString Breaks = QStringLiteral("\t -.");
}

void tst_WrapText::wrapText_data()
{
    QTest::addColumn<QString>("Text");
    QTest::addColumn<int>("MaxCol");
    QTest::addColumn<QString>("Expected");

    QTest::newRow("narrower than the limit: unchanged") << "Alerte Sonnore" << 20 << "Alerte Sonnore";
    QTest::newRow("as long as the limit: unchanged") << "abc def" << 7 << "abc def";
    QTest::newRow("empty") << "" << 5 << "";
    QTest::newRow("breaks after the last blank before the limit")
        << "abc def ghi" << 5 << "abc \r\ndef \r\nghi";
    QTest::newRow("a rest of one character joins the line") << "abc d" << 3 << "abc d";
    QTest::newRow("a rest of two characters gets its own line") << "abc de" << 3 << "abc \r\nde";
    QTest::newRow("hyphen and full stop are break characters")
        << "ab-cd.ef" << 3 << "ab-\r\ncd.\r\nef";
    QTest::newRow("tab is a break character") << "ab\tcd" << 2 << "ab\t\r\ncd";
    QTest::newRow("no break character: unchanged") << "abcdefgh" << 3 << "abcdefgh";
    QTest::newRow("a break at the line's first character does not count")
        << " abcdef" << 2 << " abcdef";
    QTest::newRow("blanks after the break move to the next line")
        << "ab   cd" << 2 << "ab \r\n  cd";
    QTest::newRow("double quotes keep their run on one line")
        << "a \"b c d\" e" << 2 << "a \r\n\"b c d\" e";
    QTest::newRow("apostrophes keep their run on one line too")
        << "a 'b c d' e" << 2 << "a \r\n'b c d' e";
    QTest::newRow("a quote never closed holds the rest") << "a \"b c" << 1 << "a \r\n\"b c";
    QTest::newRow("a line break of the text ends the line")
        << "ab\r\ncd" << 1 << "ab\r\ncd";
    QTest::newRow("a line break of the text inside quotes is kept, not counted")
        << "\"a\r\nb\" c d" << 2 << "\"a\r\nb\" \r\nc d";
    QTest::newRow("a line break right after the break adds no empty line")
        << "aaa \r\nbbb" << 4 << "aaa \r\nbbb";
    QTest::newRow("column limit 0 breaks at every break character")
        << "ab cd ef" << 0 << "ab \r\ncd \r\nef";
    QTest::newRow("negative column limit as 0") << "ab cd ef" << -3 << "ab \r\ncd \r\nef";
}

void tst_WrapText::wrapText()
{
    QFETCH(QString, Text);
    QFETCH(int, MaxCol);
    QFETCH(QString, Expected);
    QCOMPARE(WrapText(Text, CrLf, Breaks, MaxCol), Expected);
}

void tst_WrapText::wrapCaption_data()
{
    QTest::addColumn<QString>("Caption");
    QTest::addColumn<int>("MaxCol");
    QTest::addColumn<QStringList>("Lines");

    QTest::newRow("fits: one line") << "Extinction  du PC" << 17 << QStringList { "Extinction  du PC" };
    QTest::newRow("two blanks: the second opens the next line")
        << "Extinction  du PC" << 11 << QStringList { "Extinction ", " du PC" };
    QTest::newRow("an apostrophe does not stop the wrapping")
        << "a 'b c d' e" << 2 << QStringList { "a ", "'b ", "c ", "d' e" };
    QTest::newRow("a double quote stops it until the run closes")
        << "a \"b c d\" e" << 2 << QStringList { "a ", "\"b c d\" e" };
    QTest::newRow("a bar of the caption is drawn as an apostrophe")
        << "l|heure" << 20 << QStringList { "l'heure" };
    QTest::newRow("a bar never opens a quoted run")
        << "a |b c" << 1 << QStringList { "a ", "'b c" };
    QTest::newRow("the caption's own line breaks split it")
        << "Alerte\r\nSonnore" << 40 << QStringList { "Alerte", "Sonnore" };
    QTest::newRow("a lone line feed is no line break")
        << "Alerte\nSonnore" << 40 << QStringList { "Alerte\nSonnore" };
}

void tst_WrapText::wrapCaption()
{
    QFETCH(QString, Caption);
    QFETCH(int, MaxCol);
    QFETCH(QStringList, Lines);
    QCOMPARE(WrapCaption(Caption, MaxCol), Lines);
}

void tst_WrapText::trimControls_data()
{
    QTest::addColumn<QString>("Text");
    QTest::addColumn<QString>("Expected");
    QTest::newRow("blanks and controls at both ends") << " \t du PC\r " << "du PC";
    QTest::newRow("inner blanks stay") << "Extinction  du" << "Extinction  du";
    QTest::newRow("only blanks") << " \t " << "";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("non-breaking space is kept") << QStringLiteral("\u00A0a") << QStringLiteral("\u00A0a");
}

void tst_WrapText::trimControls()
{
    QFETCH(QString, Text);
    QFETCH(QString, Expected);
    QCOMPARE(TrimControls(Text), Expected);
}

void tst_WrapText::longTextIsLinear()
{
    // 200 000 words: a quadratic wrap would not finish in reasonable time; the result
    // keeps every character and breaks after each word.
    const QString Word = QStringLiteral("mot ");
    const QString Text = Word.repeated(200000);
    const QString Result = WrapText(Text, CrLf, Breaks, 3);
    QCOMPARE(Result.count(CrLf), 200000 - 1);
    QString Joined = Result;
    QCOMPARE(Joined.remove(CrLf), Text);
}

QTEST_APPLESS_MAIN(tst_WrapText)
#include "tst_wraptext.moc"
