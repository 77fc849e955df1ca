// The folder listing behind the skin list: which names a pattern admits, with every kind
// of entry taken and the list in name order.
#include "toolkit/platform/filesearch.h"
#include "toolkit/qt/qtconvert.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class tst_FileSearch : public QObject {
    Q_OBJECT

private slots:
    void matches_data();
    void matches();
    void everyKindOfEntryInNameOrder();
    void missingFolder();
};

namespace {
// The names found, as Qt strings for the comparisons.
QStringList Found(const QString& Folder, const QString& Pattern)
{
    QStringList Names;
    for (const TString& Name : FileSearch().FindFiles(FromQt(Folder), FromQt(Pattern))) {
        Names << ToQt(Name);
    }
    return Names;
}
}

void tst_FileSearch::matches_data()
{
    QTest::addColumn<QString>("Pattern");
    QTest::addColumn<QString>("Name");
    QTest::addColumn<bool>("Listed");

    QTest::newRow("*.bmp: a skin") << "*.bmp" << "argent.bmp" << true;
    QTest::newRow("*.bmp: capitals") << "*.bmp" << "NUIT.BMP" << true;
    QTest::newRow("*.bmp: accented capitals fold too") << "*ÉTÉ.bmp" << "été.bmp" << true;
    QTest::newRow("*.bmp: another suffix") << "*.bmp" << "notes.txt" << false;
    QTest::newRow("*.bmp: a longer suffix") << "*.bmp" << "a.bmpx" << false;
    QTest::newRow("*.bmp: the suffix alone, a hidden file") << "*.bmp" << ".bmp" << true;
    QTest::newRow("*.bmp: two dots") << "*.bmp" << "a.b.bmp" << true;
    QTest::newRow("*.bmp: the suffix twice") << "*.bmp" << "a.bmp.bmp" << true;
    QTest::newRow("?: exactly one character") << "?.bmp" << "a.bmp" << true;
    QTest::newRow("?: not two") << "?.bmp" << "ab.bmp" << false;
    QTest::newRow("?: not none") << "?.bmp" << ".bmp" << false;
    QTest::newRow("*: everything") << "*" << "x" << true;
    QTest::newRow("star in the middle, going back") << "a*b*c" << "aXbYbZc" << true;
    QTest::newRow("star in the middle, no end") << "a*b*c" << "aXbYbZ" << false;
    QTest::newRow("brackets stand for themselves") << "[ab].bmp" << "a.bmp" << false;
    QTest::newRow("brackets match themselves") << "[ab].bmp" << "[ab].bmp" << true;
    QTest::newRow("no wildcard: the name itself") << "horloge.bmp" << "Horloge.BMP" << true;
}

void tst_FileSearch::matches()
{
    QFETCH(QString, Pattern);
    QFETCH(QString, Name);
    QFETCH(bool, Listed);

    QTemporaryDir Dir;
    QVERIFY(Dir.isValid());
    QFile File(Dir.filePath(Name));
    QVERIFY(File.open(QIODevice::WriteOnly));
    File.close();
    QCOMPARE(Found(Dir.path(), Pattern), Listed ? QStringList { Name } : QStringList {});
}

void tst_FileSearch::everyKindOfEntryInNameOrder()
{
    QTemporaryDir Dir;
    QVERIFY(Dir.isValid());
    for (const char* Name : { "b.bmp", "A.bmp", ".cache.bmp", "c.txt" }) {
        QFile File(Dir.filePath(QString::fromUtf8(Name)));
        QVERIFY(File.open(QIODevice::WriteOnly));
    }
    QVERIFY(QDir(Dir.path()).mkdir(QStringLiteral("dossier.bmp")));
    QCOMPARE(Found(Dir.path(), QStringLiteral("*.bmp")),
        (QStringList { ".cache.bmp", "A.bmp", "b.bmp", "dossier.bmp" }));
}

void tst_FileSearch::missingFolder()
{
    QTemporaryDir Dir;
    QCOMPARE(Found(Dir.filePath(QStringLiteral("absent")), QStringLiteral("*.bmp")), QStringList {});
}

QTEST_MAIN(tst_FileSearch)
#include "tst_filesearch.moc"
