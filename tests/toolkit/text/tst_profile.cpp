#include "toolkit/text/profile.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include "toolkit/qt/qtconvert.h"

// The rows are written in Qt's text; these take them to the toolkit's and back.
static QString GetPrivateProfileString(const QString& Section, const QString& Key,
    const QString& Default, const QString& FileName, int BufferSize = 2048)
{
    return ToQt(GetPrivateProfileString(
        FromQt(Section), FromQt(Key), FromQt(Default), FromQt(FileName), BufferSize));
}
static bool WritePrivateProfileString(
    const QString& Section, const QString& Key, const QString& Value, const QString& FileName)
{
    return WritePrivateProfileString(FromQt(Section), FromQt(Key), FromQt(Value), FromQt(FileName));
}

class tst_Profile : public QObject {
    Q_OBJECT

private slots:
    void init();
    void read_data();
    void read();
    void readMissingOrUnreadableFile();
    void readLargeFiles();
    void write_data();
    void write();
    void writeReadRoundTrip_data();
    void writeReadRoundTrip();
    void writeRefusesTextThatWouldCorruptTheFile_data();
    void writeRefusesTextThatWouldCorruptTheFile();
    void writeKeepsPermissionsAndLeavesNoTemporaryFile();
    void writeFailsOnReadOnlyFile();
    void writeFailsInReadOnlyFolder();

private:
    QString Path(const QString& Name = QStringLiteral("parametre.ini")) const { return FDir->filePath(Name); }
    void Put(const QByteArray& Bytes, const QString& Name = QStringLiteral("parametre.ini")) const;
    QByteArray Get(const QString& Name = QStringLiteral("parametre.ini")) const;

    std::unique_ptr<QTemporaryDir> FDir;
};

void tst_Profile::init()
{
    FDir = std::make_unique<QTemporaryDir>();
    QVERIFY(FDir->isValid());
}

void tst_Profile::Put(const QByteArray& Bytes, const QString& Name) const
{
    QFile File(Path(Name));
    QVERIFY(File.open(QIODevice::WriteOnly));
    QCOMPARE(File.write(Bytes), Bytes.size());
}

QByteArray tst_Profile::Get(const QString& Name) const
{
    QFile File(Path(Name));
    return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray("<missing>");
}

void tst_Profile::read_data()
{
    QTest::addColumn<QByteArray>("Content");
    QTest::addColumn<QString>("Section");
    QTest::addColumn<QString>("Key");
    QTest::addColumn<QString>("Default");
    QTest::addColumn<int>("BufferSize");
    QTest::addColumn<QString>("Expected");

    const QString F = QStringLiteral("form"), C = QStringLiteral("couleur"), D = QStringLiteral("horlnoirrose.bmp");
    QTest::newRow("CR LF") << QByteArray("[form]\r\ncouleur=bleu.bmp\r\n") << F << C << D << 2048 << "bleu.bmp";
    QTest::newRow("LF") << QByteArray("[form]\ncouleur=bleu.bmp\n") << F << C << D << 2048 << "bleu.bmp";
    QTest::newRow("lone CR") << QByteArray("[form]\rcouleur=bleu.bmp\r") << F << C << D << 2048 << "bleu.bmp";
    QTest::newRow("lone CR inside a CR LF file") << QByteArray("[form]\r\nx=1\rcouleur=bleu.bmp\r\n") << F << C << D
                                                << 2048 << "bleu.bmp";
    QTest::newRow("BOM, no final line end") << QByteArray("\xEF\xBB\xBF[form]\r\ncouleur=bleu.bmp") << F << C << D
                                           << 2048 << "bleu.bmp";
    QTest::newRow("names ignore case") << QByteArray("[FoRm]\nCOULEUR=bleu.bmp\n") << F << C << D << 2048 << "bleu.bmp";
    QTest::newRow("asked names ignore case and blanks") << QByteArray("[form]\ncouleur=bleu.bmp\n")
                                                       << " FORM " << "\tCouleur " << D << 2048 << "bleu.bmp";
    QTest::newRow("blanks around names and values") << QByteArray(" \t[ form ] \n  couleur \t=  bleu  clair.bmp \t\r\n")
                                                   << F << C << D << 2048 << "bleu  clair.bmp";
    QTest::newRow("double quotes removed") << QByteArray("[form]\ncouleur=\" a.bmp \"\n") << F << C << D << 2048 << " a.bmp ";
    QTest::newRow("single quotes removed") << QByteArray("[form]\ncouleur='a.bmp'\n") << F << C << D << 2048 << "a.bmp";
    QTest::newRow("only one pair of quotes") << QByteArray("[form]\ncouleur=\"\"a\"\"\n") << F << C << D << 2048 << "\"a\"";
    QTest::newRow("unmatched quotes kept") << QByteArray("[form]\ncouleur='a\"\n") << F << C << D << 2048 << "'a\"";
    QTest::newRow("lone quote kept") << QByteArray("[form]\ncouleur=\"\n") << F << C << D << 2048 << "\"";
    QTest::newRow("value holding =") << QByteArray("[form]\ncouleur=a=b\n") << F << C << D << 2048 << "a=b";
    QTest::newRow("empty value is no default") << QByteArray("[form]\ncouleur=\n") << F << C << D << 2048 << "";
    QTest::newRow("key without =") << QByteArray("[form]\ncouleur\n") << F << C << D << 2048 << "";
    QTest::newRow("UTF-8 value") << QByteArray("[form]\ncouleur=\xC3\xA9t\xC3\xA9 & co.bmp\n") << F << C << D << 2048
                                 << QString::fromUtf8("été & co.bmp");
    QTest::newRow("Latin-1 file") << QByteArray("[form]\ncouleur=\xE9t\xE9.bmp\n") << F << C << D << 2048
                                  << QString::fromUtf8("été.bmp");
    QTest::newRow("comment ignored") << QByteArray("[form]\n;couleur=a.bmp\n  ; couleur=b.bmp\ncouleur=c.bmp\n") << F << C
                                     << D << 2048 << "c.bmp";
    QTest::newRow("first key wins") << QByteArray("[form]\ncouleur=a.bmp\ncouleur=b.bmp\n") << F << C << D << 2048 << "a.bmp";
    QTest::newRow("only the first section is searched") << QByteArray("[form]\nx=1\n[form]\ncouleur=b.bmp\n") << F << C
                                                       << D << 2048 << D;
    QTest::newRow("key of another section") << QByteArray("[autre]\ncouleur=a.bmp\n[form]\n") << F << C << D << 2048 << D;
    QTest::newRow("key before any section") << QByteArray("couleur=a.bmp\n[form]\n") << F << C << D << 2048 << D;
    QTest::newRow("missing section") << QByteArray("[autre]\ncouleur=a.bmp\n") << F << C << D << 2048 << D;
    QTest::newRow("missing key") << QByteArray("[form]\nautre=a.bmp\n") << F << C << D << 2048 << D;
    QTest::newRow("section header without ]") << QByteArray("[form\ncouleur=a.bmp\n") << F << C << D << 2048 << D;
    QTest::newRow("empty file") << QByteArray() << F << C << D << 2048 << D;
    QTest::newRow("garbage around a good entry") << QByteArrayLiteral("\x00\xFF\xFE\x01\n[form]\ncouleur=a.bmp\n\x80\x00\n")
                                                 << F << C << D << 2048 << "a.bmp";
    QTest::newRow("2047 characters kept of 3000") << "[form]\ncouleur=" + QByteArray(3000, 'x') << F << C << D << 2048
                                                 << QString(2047, QLatin1Char('x'));
    QTest::newRow("buffer of 4") << QByteArray("[form]\ncouleur=abcdef\n") << F << C << D << 4 << "abc";
    QTest::newRow("buffer of 1") << QByteArray("[form]\ncouleur=abcdef\n") << F << C << D << 1 << "";
    QTest::newRow("buffer of 0") << QByteArray("[form]\ncouleur=abcdef\n") << F << C << D << 0 << "";
    QTest::newRow("truncation keeps whole characters") << QByteArray("[form]\ncouleur=a\xF0\x9F\x98\x80\n") << F << C << D
                                                      << 3 << "a";
    QTest::newRow("default loses trailing blanks") << QByteArray() << F << C << "a.bmp \t " << 2048 << "a.bmp";
    QTest::newRow("default truncated") << QByteArray() << F << C << "abcdef" << 3 << "ab";
}

void tst_Profile::read()
{
    QFETCH(QByteArray, Content);
    QFETCH(QString, Section);
    QFETCH(QString, Key);
    QFETCH(QString, Default);
    QFETCH(int, BufferSize);
    QFETCH(QString, Expected);
    Put(Content);
    QCOMPARE(GetPrivateProfileString(Section, Key, Default, Path(), BufferSize), Expected);
}

void tst_Profile::readMissingOrUnreadableFile()
{
    const QString D = QStringLiteral("horlnoirrose.bmp");
    QCOMPARE(GetPrivateProfileString("form", "couleur", D, Path("absent.ini")), D);
    QVERIFY(QDir(FDir->path()).mkdir("dossier.ini"));
    QCOMPARE(GetPrivateProfileString("form", "couleur", D, Path("dossier.ini")), D);
    if (QFile::exists("/dev/zero")) {
        QCOMPARE(GetPrivateProfileString("form", "couleur", D, "/dev/zero"), D); // endless, no size
    }
    QRandomGenerator Random(7);
    QByteArray Garbage(100000, Qt::Uninitialized);
    for (char& Byte : Garbage) {
        Byte = char(Random.bounded(256));
    }
    Put(Garbage);
    QCOMPARE(GetPrivateProfileString("form", "couleur", D, Path()), D);
}

void tst_Profile::readLargeFiles()
{
    // 10 MB of entries before the one asked for is read; past the size bound the
    // file is not read at all and the default comes back.
    QByteArray Big = "[autre]\n" + QByteArray("cle=valeur quelconque\n").repeated(10 * 1024 * 1024 / 22);
    Put(Big + "[form]\ncouleur=loin.bmp\n");
    QCOMPARE(GetPrivateProfileString("form", "couleur", "d", Path()), QStringLiteral("loin.bmp"));
    QVERIFY(WritePrivateProfileString("form", "couleur", "pres.bmp", Path()));
    QCOMPARE(GetPrivateProfileString("form", "couleur", "d", Path()), QStringLiteral("pres.bmp"));

    // Sixteen million empty lines just under the bound are scanned, not stored.
    Put(QByteArray(ProfileMaxSize - 64, '\n') + "[form]\ncouleur=fin.bmp\n");
    QCOMPARE(GetPrivateProfileString("form", "couleur", "d", Path()), QStringLiteral("fin.bmp"));

    Put("[form]\ncouleur=loin.bmp\n" + QByteArray(ProfileMaxSize, '\n'));
    QCOMPARE(GetPrivateProfileString("form", "couleur", "d", Path()), QStringLiteral("d"));
    QVERIFY(!WritePrivateProfileString("form", "couleur", "pres.bmp", Path()));
}

void tst_Profile::write_data()
{
    QTest::addColumn<QByteArray>("Before"); // null: no file
    QTest::addColumn<QString>("Section");
    QTest::addColumn<QString>("Key");
    QTest::addColumn<QString>("Value");
    QTest::addColumn<QByteArray>("After");

    const QString F = QStringLiteral("form"), C = QStringLiteral("couleur");
    QTest::newRow("new file") << QByteArray() << F << C << "a.bmp" << QByteArray("[form]\r\ncouleur=a.bmp\r\n");
    QTest::newRow("empty file") << QByteArray("") << F << C << "a.bmp" << QByteArray("[form]\r\ncouleur=a.bmp\r\n");
    QTest::newRow("BOM-only file keeps its BOM") << QByteArray("\xEF\xBB\xBF") << F << C << "a.bmp"
                                                << QByteArray("\xEF\xBB\xBF[form]\r\ncouleur=a.bmp\r\n");
    QTest::newRow("replace in place, CR LF")
        << QByteArray("; reglages\r\n[x]\r\ny=1\r\n\r\n[form]\r\ncouleur=old.bmp\r\nautre=2\r\n") << F << C << "new.bmp"
        << QByteArray("; reglages\r\n[x]\r\ny=1\r\n\r\n[form]\r\ncouleur=new.bmp\r\nautre=2\r\n");
    QTest::newRow("replace keeps the key's spelling and blanks")
        << QByteArray("[FORM]\n  Couleur = \"old.bmp\"  \nz=0") << F << C << "new.bmp"
        << QByteArray("[FORM]\n  Couleur = new.bmp\nz=0");
    QTest::newRow("replace the first of two") << QByteArray("[form]\ncouleur=a\ncouleur=b\n") << F << C << "c"
                                             << QByteArray("[form]\ncouleur=c\ncouleur=b\n");
    QTest::newRow("replace an empty value") << QByteArray("[form]\ncouleur=   \n") << F << C << "c"
                                           << QByteArray("[form]\ncouleur=c\n");
    QTest::newRow("replace a key without =") << QByteArray("[form]\ncouleur\n") << F << C << "c"
                                            << QByteArray("[form]\ncouleur=c\n");
    QTest::newRow("replace on the last line without line end") << QByteArray("[form]\ncouleur=a") << F << C << "bb"
                                                              << QByteArray("[form]\ncouleur=bb");
    QTest::newRow("replace with the BOM kept") << QByteArray("\xEF\xBB\xBF[form]\r\ncouleur=a\r\n") << F << C << "b"
                                              << QByteArray("\xEF\xBB\xBF[form]\r\ncouleur=b\r\n");
    QTest::newRow("new key before the blank lines ending the section")
        << QByteArray("[form]\na=1\n\n\n[next]\nb=2\n") << F << C << "c"
        << QByteArray("[form]\na=1\ncouleur=c\n\n\n[next]\nb=2\n");
    QTest::newRow("new key after a header-only section") << QByteArray("[form]\r\n[next]\r\n") << F << C << "c"
                                                        << QByteArray("[form]\r\ncouleur=c\r\n[next]\r\n");
    QTest::newRow("new key after a last line without line end") << QByteArray("[form]\na=1") << F << C << "c"
                                                               << QByteArray("[form]\na=1\ncouleur=c\n");
    QTest::newRow("new key after a last line ending in a lone CR") << QByteArray("[form]\na=1\r") << F << C << "c"
                                                                 << QByteArray("[form]\na=1\rcouleur=c\n");
    QTest::newRow("lone CR line ends: replace in place")
        << QByteArray("[x]\rcouleur=x\r[form]\rcouleur=old\rautre=2\r") << F << C << "new"
        << QByteArray("[x]\rcouleur=x\r[form]\rcouleur=new\rautre=2\r");
    QTest::newRow("lone CR inside a CR LF file ends a line") << QByteArray("[form]\r\nx=1\rcouleur=a\r\n") << F << C
                                                            << "b" << QByteArray("[form]\r\nx=1\rcouleur=b\r\n");
    QTest::newRow("lone CR line ends: new key")
        << QByteArray("[form]\ra=1\r[next]\r") << F << "nouvelle" << "c"
        << QByteArray("[form]\ra=1\rnouvelle=c\r[next]\r");
    QTest::newRow("lone CR line ends: new section") << QByteArray("[x]\ry=1\r") << F << C << "c"
                                                   << QByteArray("[x]\ry=1\r[form]\rcouleur=c\r");
    QTest::newRow("new key of a CR file before an LF: the LF keeps its line")
        << QByteArray("[form]\ra=1\r\n\n") << F << C << "c" << QByteArray("[form]\ra=1\r\ncouleur=c\r\n\n");
    QTest::newRow("new section right after the others") << QByteArray("[x]\r\ny=1\r\n") << F << C << "c"
                                                        << QByteArray("[x]\r\ny=1\r\n[form]\r\ncouleur=c\r\n");
    QTest::newRow("new section after a blank line") << QByteArray("[x]\ny=1\n\n") << F << C << "c"
                                                   << QByteArray("[x]\ny=1\n\n[form]\ncouleur=c\n");
    QTest::newRow("new section after no final line end") << QByteArray("[x]\ny=1") << F << C << "c"
                                                        << QByteArray("[x]\ny=1\n[form]\ncouleur=c\n");
    QTest::newRow("new section after one line without line end, NUL bytes kept")
        << QByteArrayLiteral("a\0b=\0") << F << C << "c" << QByteArrayLiteral("a\0b=\0\r\n[form]\r\ncouleur=c\r\n");
    QTest::newRow("section header with the name's case of the call") << QByteArray() << "Form" << "Couleur" << "c"
                                                                     << QByteArray("[Form]\r\nCouleur=c\r\n");
    QTest::newRow("names written without their blanks") << QByteArray() << " form " << " couleur " << "c"
                                                        << QByteArray("[form]\r\ncouleur=c\r\n");
    QTest::newRow("UTF-8 file gets UTF-8") << QByteArray("[form]\ncouleur=a\n") << F << C << QString::fromUtf8("été")
                                           << QByteArray("[form]\ncouleur=\xC3\xA9t\xC3\xA9\n");
    QTest::newRow("outside the basic plane: one four-byte character")
        << QByteArray("[form]\ncouleur=a\n") << F << C << QString::fromUtf8("\xF0\x9F\x94\x94.bmp")
        << QByteArray("[form]\ncouleur=\xF0\x9F\x94\x94.bmp\n");
    QTest::newRow("Latin-1 file stays Latin-1") << QByteArray("; r\xE9glages\n[form]\ncouleur=a\n") << F << C
                                                << QString::fromUtf8("été")
                                                << QByteArray("; r\xE9glages\n[form]\ncouleur=\xE9t\xE9\n");
    QTest::newRow("garbage bytes kept") << QByteArrayLiteral("\x00\x01\xFF\n[form]\ncouleur=a\n\x80") << F << C << "b"
                                        << QByteArrayLiteral("\x00\x01\xFF\n[form]\ncouleur=b\n\x80");
}

void tst_Profile::write()
{
    QFETCH(QByteArray, Before);
    QFETCH(QString, Section);
    QFETCH(QString, Key);
    QFETCH(QString, Value);
    QFETCH(QByteArray, After);
    if (!Before.isNull()) {
        Put(Before);
    }
    QVERIFY(WritePrivateProfileString(Section, Key, Value, Path()));
    QCOMPARE(Get(), After);
}

void tst_Profile::writeReadRoundTrip_data()
{
    QTest::addColumn<QString>("Value");
    QTest::newRow("plain") << "horlnoirrose.bmp";
    QTest::newRow("ampersand") << "noir & rose.bmp";
    QTest::newRow("accents and symbols") << QString::fromUtf8("été ☀ 😀.bmp");
    QTest::newRow("equals and semicolon") << "a=b;c.bmp";
    QTest::newRow("brackets") << "[form].bmp";
    QTest::newRow("inner quotes") << "l'horloge \"bleue\".bmp";
    QTest::newRow("empty") << "";
    QTest::newRow("2047 characters") << QString(2047, QLatin1Char('k'));
}

void tst_Profile::writeReadRoundTrip()
{
    QFETCH(QString, Value);
    Put("[autre]\ncouleur=x\n[form]\ncouleur=avant\n");
    QVERIFY(WritePrivateProfileString("form", "couleur", Value, Path()));
    QCOMPARE(GetPrivateProfileString("form", "couleur", "d", Path()), Value);
    QCOMPARE(GetPrivateProfileString("autre", "couleur", "d", Path()), QStringLiteral("x"));
}

void tst_Profile::writeRefusesTextThatWouldCorruptTheFile_data()
{
    QTest::addColumn<QString>("Section");
    QTest::addColumn<QString>("Key");
    QTest::addColumn<QString>("Value");
    QTest::newRow("line feed in the value") << "form" << "couleur" << "a\n[form]\ncouleur=b";
    QTest::newRow("carriage return in the value") << "form" << "couleur" << "a\rb";
    QTest::newRow("NUL in the value") << "form" << "couleur" << QString(QChar(0));
    QTest::newRow("line break in the key") << "form" << "cou\nleur" << "a";
    QTest::newRow("= in the key") << "form" << "a=b" << "a";
    QTest::newRow("key starting with [") << "form" << "[x" << "a";
    QTest::newRow("key starting with ;") << "form" << ";x" << "a";
    QTest::newRow("blank key") << "form" << "  " << "a";
    QTest::newRow("] in the section") << "fo]rm" << "couleur" << "a";
    QTest::newRow("Latin-1 file, character beyond Latin-1") << "form" << "couleur" << QString::fromUtf8("ħ");
}

void tst_Profile::writeRefusesTextThatWouldCorruptTheFile()
{
    QFETCH(QString, Section);
    QFETCH(QString, Key);
    QFETCH(QString, Value);
    const QByteArray Before("[form]\ncouleur=caf\xE9\n");
    Put(Before);
    QVERIFY(!WritePrivateProfileString(Section, Key, Value, Path()));
    QCOMPARE(Get(), Before);
}

void tst_Profile::writeKeepsPermissionsAndLeavesNoTemporaryFile()
{
    Put("[form]\ncouleur=a\n");
    const auto Mode = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
    QVERIFY(QFile::setPermissions(Path(), Mode));
    QVERIFY(WritePrivateProfileString("form", "couleur", "b", Path()));
    QCOMPARE(QFile::permissions(Path()) & QFileDevice::Permissions(0x7077), Mode); // owner, group, other
    QCOMPARE(QDir(FDir->path()).entryList(QDir::Files | QDir::Hidden), QStringList { "parametre.ini" });
}

void tst_Profile::writeFailsOnReadOnlyFile()
{
    // A read-only file is kept as it is, also for the superuser.
    const QByteArray Before("[form]\r\ncouleur=a.bmp\r\n");
    Put(Before);
    QVERIFY(QFile::setPermissions(Path(), QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    QVERIFY(!WritePrivateProfileString("form", "couleur", "b.bmp", Path()));
    QCOMPARE(Get(), Before);
    QCOMPARE(QDir(FDir->path()).entryList(QDir::Files | QDir::Hidden), QStringList { "parametre.ini" });
}

void tst_Profile::writeFailsInReadOnlyFolder()
{
    QDir Root(FDir->path());
    QVERIFY(Root.mkdir("ro"));
    const QString Existing = Path("ro/parametre.ini"), Absent = Path("ro/nouveau.ini");
    Put("[form]\ncouleur=a\n", "ro/parametre.ini");
    const auto ReadExecute = QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadUser | QFileDevice::ExeUser;
    QVERIFY(QFile::setPermissions(Path("ro"), ReadExecute));
    const bool WroteExisting = WritePrivateProfileString("form", "couleur", "b", Existing);
    const bool WroteAbsent = WritePrivateProfileString("form", "couleur", "b", Absent);
    QFile::setPermissions(Path("ro"), ReadExecute | QFileDevice::WriteOwner | QFileDevice::WriteUser);
    QVERIFY(!WroteExisting);
    QVERIFY(!WroteAbsent);
    QCOMPARE(Get("ro/parametre.ini"), QByteArray("[form]\ncouleur=a\n"));
    QVERIFY(!QFile::exists(Absent));
    QVERIFY(!WritePrivateProfileString("form", "couleur", "b", Path("pas/de/dossier.ini")));
}

QTEST_GUILESS_MAIN(tst_Profile)
#include "tst_profile.moc"
