#include "tests/fakes/qtcompare.h"
#include "components/tray_icon/separateurs.h"

#include <QTest>

class tst_Separateurs : public QObject {
    Q_OBJECT

private slots:
    void apresSeparateur_data();
    void apresSeparateur();
    void compterSeparateurs_data();
    void compterSeparateurs();
    void champNumero_data();
    void champNumero();
    void longTextIsCountedInOnePass();
};

void tst_Separateurs::apresSeparateur_data()
{
    QTest::addColumn<QString>("Sep");
    QTest::addColumn<QString>("Text");
    QTest::addColumn<QString>("Expected");

    QTest::newRow("3,0,2 -> 0,2") << "," << "3,0,2" << "0,2";
    QTest::newRow("no separator -> empty") << "," << "302" << "";
    QTest::newRow("trailing separator -> empty") << "," << "3," << "";
    QTest::newRow("leading separator -> the rest") << "," << ",5" << "5";
    QTest::newRow("longer separator") << "::" << "a::b::c" << "b::c";
    QTest::newRow("empty separator occurs nowhere") << "" << "3,0" << "";
}

void tst_Separateurs::apresSeparateur()
{
    QFETCH(QString, Sep);
    QFETCH(QString, Text);
    QFETCH(QString, Expected);
    QCOMPARE(ApresSeparateur(Sep, Text), Expected);
}

void tst_Separateurs::compterSeparateurs_data()
{
    QTest::addColumn<QString>("Sep");
    QTest::addColumn<QString>("Text");
    QTest::addColumn<int>("Expected");

    QTest::newRow("3,0,2 -> 2") << "," << "3,0,2" << 2;
    QTest::newRow("3,0,2, -> 3") << "," << "3,0,2," << 3;
    QTest::newRow("empty text -> 0") << "," << "" << 0;
    QTest::newRow("a lone comma -> 1") << "," << "," << 1;
    QTest::newRow("3,,5 -> 2") << "," << "3,,5" << 2;
    QTest::newRow("occurrences do not overlap") << "aa" << "aaaaa" << 2;
    QTest::newRow("empty separator -> 0, no endless loop") << "" << "1,2" << 0;
}

void tst_Separateurs::compterSeparateurs()
{
    QFETCH(QString, Sep);
    QFETCH(QString, Text);
    QFETCH(int, Expected);
    QCOMPARE(CompterSeparateurs(Sep, Text), Expected);
}

void tst_Separateurs::champNumero_data()
{
    QTest::addColumn<QString>("Sep");
    QTest::addColumn<QString>("Text");
    QTest::addColumn<int>("N");
    QTest::addColumn<QString>("Expected");

    QTest::newRow("3,0,2 field 0 -> 3") << "," << "3,0,2" << 0 << "3";
    QTest::newRow("3,0,2 field 1 -> 0") << "," << "3,0,2" << 1 << "0";
    QTest::newRow("3,0,2 field 2 -> 2") << "," << "3,0,2" << 2 << "2";
    QTest::newRow("3,0,2 field 3 -> empty") << "," << "3,0,2" << 3 << "";
    QTest::newRow("far past the end -> empty") << "," << "3,0,2" << 1000000 << "";
    QTest::newRow("3,,5 field 1: the empty field") << "," << "3,,5" << 1 << "";
    QTest::newRow("3,,5 field 2 -> 5") << "," << "3,,5" << 2 << "5";
    QTest::newRow("1,2, field 2: the empty last field") << "," << "1,2," << 2 << "";
    QTest::newRow("negative number -> the first field") << "," << "7,8" << -1 << "7";
    QTest::newRow("empty text field 0 -> empty") << "," << "" << 0 << "";
    QTest::newRow("multi-character separator") << "--" << "12--34--56" << 1 << "34";
    QTest::newRow("empty separator -> empty") << "" << "12" << 0 << "";
}

void tst_Separateurs::champNumero()
{
    QFETCH(QString, Sep);
    QFETCH(QString, Text);
    QFETCH(int, N);
    QFETCH(QString, Expected);
    QCOMPARE(ChampNumero(Sep, Text, N), Expected);
}

void tst_Separateurs::longTextIsCountedInOnePass()
{
    // Cutting the text again after each comma would copy about 10^12 characters here.
    const QString Text = QString(QLatin1Char(',')).repeated(2000000);
    QCOMPARE(CompterSeparateurs(QStringLiteral(","), Text), 2000000);
    QCOMPARE(ChampNumero(QStringLiteral(","), Text, 1999999), QString());
}

QTEST_APPLESS_MAIN(tst_Separateurs)
#include "tst_separateurs.moc"
