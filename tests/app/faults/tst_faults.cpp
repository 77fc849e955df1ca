// The clock in a hostile run folder: parametre.ini missing, empty, garbage, huge, in
// every line-end style, read-only, in a read-only folder or not a file at all; skins
// missing, broken, replaced after start, named absurdly; the digit font or the fonts
// folder unusable. Each time the clock starts, shows the right French error box (or
// none), keeps the settings file byte for byte when it cannot write it, and keeps
// ticking. Driven on the real main window with a fake clock on the offscreen platform.
#include "tests/fakes/qtcompare.h"
#include "app/programentry.h"
#include "app/unit1.h"
#include "tests/fakes/fakeclock.h"
#include "tests/fakes/recordingerrorbox.h"
#include "toolkit/controls/extctrls.h"
#include "toolkit/controls/menus.h"
#include "toolkit/controls/stdctrls.h"
#include "toolkit/qt/qtconvert.h"
#include "toolkit/text/profile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

namespace {

const QByteArray ArgentCrLf = "[form]\r\ncouleur=argent.bmp\r\n";

// Bytes that no reader takes for a settings entry or a picture: no "[", "=" or line
// end, from a fixed seed so that every run sees the same file.
QByteArray Garbage(int Size, quint32 Seed = 7)
{
    QRandomGenerator Random(Seed);
    QByteArray Bytes(Size, Qt::Uninitialized);
    for (char& C : Bytes) {
        do {
            C = char(Random.bounded(256));
        } while (C == '[' || C == '=' || C == '\n' || C == '\r');
    }
    return Bytes;
}

// A bitmap that declares 8192 x 8192 pixels (256 MB of pixels) in a few bytes of
// run-length data: past the decoders' size bound.
QByteArray HugeDeclaredBitmap()
{
    QByteArray Info(40, '\0');
    auto Put = [](QByteArray& B, int Pos, quint32 V, int Size) {
        for (int i = 0; i < Size; ++i) {
            B[Pos + i] = char(V >> (8 * i) & 0xFF);
        }
    };
    Put(Info, 0, 40, 4);
    Put(Info, 4, 8192, 4);
    Put(Info, 8, 8192, 4);
    Put(Info, 12, 1, 2);
    Put(Info, 14, 8, 2);
    Put(Info, 16, 1, 4); // RLE8
    const QByteArray Palette(256 * 4, '\0');
    const QByteArray Pixels("\0\1", 2); // end of bitmap
    QByteArray File("BM");
    File += QByteArray(12, '\0');
    Put(File, 2, quint32(14 + 40 + Palette.size() + Pixels.size()), 4);
    Put(File, 10, quint32(14 + 40 + Palette.size()), 4);
    return File + Info + Palette + Pixels;
}

QByteArray PngBytes()
{
    QImage Image(4, 4, QImage::Format_RGB32);
    Image.fill(Qt::green);
    QByteArray Bytes;
    QBuffer Buffer(&Bytes);
    Buffer.open(QIODevice::WriteOnly);
    Image.save(&Buffer, "PNG");
    return Bytes;
}

QByteArray JpegBytes()
{
    QImage Image(220, 100, QImage::Format_RGB32);
    Image.fill(qRgb(30, 120, 200));
    QByteArray Bytes;
    QBuffer Buffer(&Bytes);
    Buffer.open(QIODevice::WriteOnly);
    Image.save(&Buffer, "JPEG");
    return Bytes;
}

QByteArray FileBytes(const QString& Path)
{
    QFile File(Path);
    return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray();
}

void WriteBytes(const QString& Path, const QByteArray& Bytes)
{
    QFile File(Path);
    QVERIFY2(File.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(Path));
    QCOMPARE(File.write(Bytes), Bytes.size());
}

constexpr QFile::Permissions ReadOnly = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
constexpr QFile::Permissions ReadOnlyFolder = ReadOnly | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
constexpr QFile::Permissions Writable = ReadOnlyFolder | QFile::WriteOwner;

} // namespace

class TstFaults : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void settingsAtStart_data();
    void settingsAtStart();
    void settingsWriteFails_data();
    void settingsWriteFails();
    void skinAtStart_data();
    void skinAtStart();
    void skinBrokenAfterStart_data();
    void skinBrokenAfterStart();
    void digitFont_data();
    void digitFont();

private:
    void Start();
    // Makes parametre.ini what a row asks for: a file with Content (plain, read-only, in
    // a read-only folder), absent, a folder, the endless device or a named pipe.
    void MakeSettings(const QString& Kind, const QByteArray& Content);
    void MakeSkin(const QString& Kind, const QString& Name);
    void ClickSkin(const QString& Name);
    TBitmap32 SkinImage(const QString& Name) const;
    // The clock ticks on: the next tick shows the fake clock's new date and time.
    void VerifyClockRuns();

    std::unique_ptr<QTemporaryDir> FDir;
    std::unique_ptr<TFakeClock> FClock;
    std::unique_ptr<TRecordingErrorBox> FErrors;
    std::unique_ptr<TApplication> FApp;
    QString FFolder;
    QString FSettings;
};

void TstFaults::init()
{
    FDir = std::make_unique<QTemporaryDir>();
    FFolder = FDir->path() + QStringLiteral("/run/");
    FSettings = FFolder + QStringLiteral("parametre.ini");
    QDir().mkpath(FFolder + QStringLiteral("skin"));
    const QDir Skins(QStringLiteral(VELUDOR_ASSETS "/skin"));
    for (const QString& Name : Skins.entryList(QDir::Files)) {
        QFile::copy(Skins.filePath(Name), FFolder + QStringLiteral("skin/") + Name);
    }
    QFile::copy(QStringLiteral(VELUDOR_ASSETS "/DS-DIGI.TTF"), FFolder + QStringLiteral("DS-DIGI.TTF"));
    // A fonts folder of this test's own, so that no earlier test has installed the face.
    qputenv("XDG_DATA_HOME", QFile::encodeName(FDir->path() + QStringLiteral("/data")));
    QDir::setCurrent(FFolder);
    SetProgramFolder(FromQt(FFolder));
    FClock = std::make_unique<TFakeClock>(QDateTime(QDate(2026, 12, 7), QTime(7, 4, 58)));
    FErrors = std::make_unique<TRecordingErrorBox>();
}

void TstFaults::cleanup()
{
    FApp.reset();
    FErrors.reset();
    FClock.reset();
    SetProgramFolder(TString());
    QDir::setCurrent(QDir::tempPath());
    // Give write permission back so that the folder can be removed by anyone.
    for (const QString& Path :
        { FFolder, FFolder + QStringLiteral("skin"), FSettings, FDir->path() + QStringLiteral("/data") }) {
        const QFileInfo Info(Path);
        if (Info.exists() && !Info.isSymLink() && (Info.isDir() || Info.isFile())) {
            QFile::setPermissions(Path, Writable);
        }
    }
    FDir.reset();
}

void TstFaults::Start()
{
    FApp = std::make_unique<TApplication>();
    FApp->SetTitle(u"Veludor");
    CreateVeludorForms();
}

void TstFaults::MakeSettings(const QString& Kind, const QByteArray& Content)
{
    if (Kind == QLatin1String("missing")) {
        return;
    }
    if (Kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkdir(FSettings));
    } else if (Kind == QLatin1String("device")) {
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), FSettings));
    } else if (Kind == QLatin1String("pipe")) {
        QCOMPARE(::mkfifo(QFile::encodeName(FSettings).constData(), 0644), 0);
    } else {
        WriteBytes(FSettings, Content);
        if (Kind == QLatin1String("read-only file")) {
            QVERIFY(QFile::setPermissions(FSettings, ReadOnly));
        }
    }
    if (Kind == QLatin1String("read-only folder")) {
        QVERIFY(QFile::setPermissions(FFolder, ReadOnlyFolder));
    }
}

void TstFaults::MakeSkin(const QString& Kind, const QString& Name)
{
    const QString Path = FFolder + QStringLiteral("skin/") + Name;
    QFile::remove(Path);
    if (Kind == QLatin1String("deleted")) {
        return;
    }
    if (Kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkdir(Path));
    } else if (Kind == QLatin1String("pipe")) {
        QCOMPARE(::mkfifo(QFile::encodeName(Path).constData(), 0644), 0);
    } else if (Kind == QLatin1String("device")) {
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), Path));
    } else if (Kind == QLatin1String("garbage")) {
        WriteBytes(Path, Garbage(5000, 11));
    } else if (Kind == QLatin1String("empty")) {
        WriteBytes(Path, QByteArray());
    } else if (Kind == QLatin1String("png")) {
        WriteBytes(Path, PngBytes());
    } else if (Kind == QLatin1String("huge")) {
        WriteBytes(Path, HugeDeclaredBitmap());
    } else if (Kind == QLatin1String("truncated")) {
        WriteBytes(Path, FileBytes(QStringLiteral(VELUDOR_ASSETS "/skin/argent.bmp")).left(20000));
    } else if (Kind == QLatin1String("jpeg")) {
        WriteBytes(Path, JpegBytes());
    } else if (Kind == QLatin1String("text")) {
        WriteBytes(Path, "Ceci n'est pas une image");
    } else {
        QFAIL(qPrintable(QStringLiteral("unknown skin kind ") + Kind));
    }
}

void TstFaults::ClickSkin(const QString& Name)
{
    for (int i = 0; i < Form1->couleur1->Count(); ++i) {
        if (Form1->couleur1->Items(i)->Caption() == Name) {
            Form1->couleur1->Items(i)->Click();
            return;
        }
    }
    QFAIL(qPrintable(QStringLiteral("no skin item ") + Name));
}

TBitmap32 TstFaults::SkinImage(const QString& Name) const
{
    TPicture Picture;
    Picture.LoadFromFile(FromQt(QStringLiteral(VELUDOR_ASSETS "/skin/") + Name));
    return Picture.Image();
}

void TstFaults::VerifyClockRuns()
{
    QVERIFY(Form1);
    QVERIFY(Form1->Timer1->Enabled());
    FClock->Set(QDateTime(QDate(2026, 12, 8), QTime(21, 37, 5)));
    Form1->Timer1->Tick();
    QCOMPARE(Form1->Label2->Caption(), QStringLiteral("21"));
    QCOMPARE(Form1->Label4->Caption(), QStringLiteral("37"));
    QCOMPARE(Form1->Label1->Caption(), QStringLiteral("mardi 8 décembre 2026"));
}

void TstFaults::settingsAtStart_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("skin");

    const QByteArray Entry = "[form]\ncouleur=argent.bmp\n";
    QTest::newRow("missing: default skin") << "missing" << QByteArray() << "horlnoirrose.bmp";
    QTest::newRow("empty: default skin") << "file" << QByteArray() << "horlnoirrose.bmp";
    QTest::newRow("binary garbage: default skin") << "file" << Garbage(4096) << "horlnoirrose.bmp";
    QTest::newRow("garbage lines around the entry: the entry")
        << "file" << Garbage(3000) + "\n" + Entry + Garbage(3000, 9) << "argent.bmp";
    QTest::newRow("NUL bytes everywhere: default skin")
        << "file" << QByteArray(5000, '\0') << "horlnoirrose.bmp";
    QTest::newRow("10 MB of comments, then the entry")
        << "file" << QByteArray(";" + QByteArray(98, 'x') + "\n").repeated(100000) + Entry << "argent.bmp";
    QTest::newRow("10 MB on one line, then the entry")
        << "file"
        << "[form]\n" + QByteArray(10 * 1024 * 1024, 'x') + "\ncouleur=argent.bmp\n"
        << "argent.bmp";
    // Each line without "=" is searched to its own end only: read at once.
    const QByteArray Short = "ligne sans signe\r\n";
    QTest::newRow("16 MB of short lines without =, then the entry")
        << "file" << Short.repeated((ProfileMaxSize - Entry.size()) / Short.size()) + Entry
        << "argent.bmp";
    QTest::newRow("lone CR line ends")
        << "file" << QByteArray("[form]\rcouleur=argent.bmp\r") << "argent.bmp";
    QTest::newRow("20 MB, past the reader's bound: default skin")
        << "file" << Entry + QByteArray(20 * 1024 * 1024, ';') << "horlnoirrose.bmp";
    QTest::newRow("no final line end")
        << "file" << QByteArray("[form]\r\ncouleur=argent.bmp") << "argent.bmp";
    QTest::newRow("CR LF") << "file" << ArgentCrLf << "argent.bmp";
    QTest::newRow("LF") << "file" << Entry << "argent.bmp";
    QTest::newRow("UTF-8 byte order mark") << "file"
                                           << "\xEF\xBB\xBF" + ArgentCrLf << "argent.bmp";
    QTest::newRow("byte order mark, LF, no final line end")
        << "file" << QByteArray("\xEF\xBB\xBF[form]\ncouleur=argent.bmp") << "argent.bmp";
    QTest::newRow("section without the key: default skin")
        << "file" << QByteArray("[form]\r\n") << "horlnoirrose.bmp";
    QTest::newRow("key in another section: default skin")
        << "file" << QByteArray("[autre]\r\ncouleur=argent.bmp\r\n") << "horlnoirrose.bmp";
    QTest::newRow("read-only file: read as usual") << "read-only file" << ArgentCrLf << "argent.bmp";
    QTest::newRow("in a read-only folder: read as usual") << "read-only folder" << ArgentCrLf << "argent.bmp";
    QTest::newRow("a folder: default skin") << "folder" << QByteArray() << "horlnoirrose.bmp";
    QTest::newRow("the endless device: default skin") << "device" << QByteArray() << "horlnoirrose.bmp";
    QTest::newRow("a named pipe without writer: default skin, no wait")
        << "pipe" << QByteArray() << "horlnoirrose.bmp";
}

void TstFaults::settingsAtStart()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, content);
    QFETCH(QString, skin);
    MakeSettings(kind, content);
    Start();
    QCOMPARE(FErrors->Texts, QStringList());
    QCOMPARE(Form1->Image1->Picture().Image(), SkinImage(skin));
    QCOMPARE(Form1->couleur1->Count(), 4);
    VerifyClockRuns();
    if (kind != QLatin1String("missing") && kind != QLatin1String("folder") && kind != QLatin1String("pipe")
        && kind != QLatin1String("device")) {
        QCOMPARE(FileBytes(FSettings), content); // reading never writes
    } else if (kind == QLatin1String("missing")) {
        QVERIFY(!QFileInfo::exists(FSettings));
    }
}

void TstFaults::settingsWriteFails_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("content");

    QTest::newRow("read-only file, CR LF") << "read-only file" << ArgentCrLf;
    QTest::newRow("read-only file, byte order mark, LF, no final line end")
        << "read-only file" << QByteArray("\xEF\xBB\xBF; choix\n[form]\ncouleur=argent.bmp");
    QTest::newRow("read-only folder, file present") << "read-only folder" << ArgentCrLf;
    QTest::newRow("read-only folder, no file") << "read-only folder" << QByteArray();
    QTest::newRow("a folder in its place") << "folder" << QByteArray();
    QTest::newRow("20 MB, past the reader's bound")
        << "file" << ArgentCrLf + QByteArray(20 * 1024 * 1024, ';');
    QTest::newRow("the endless device in its place") << "device" << QByteArray();
    QTest::newRow("a named pipe in its place") << "pipe" << QByteArray();
}

void TstFaults::settingsWriteFails()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, content);
    const bool NoFile = kind == QLatin1String("read-only folder") && content.isEmpty();
    if (NoFile) {
        QVERIFY(QFile::setPermissions(FFolder, ReadOnlyFolder));
    } else {
        MakeSettings(kind, content);
    }
    Start();
    QCOMPARE(FErrors->Texts, QStringList());
    ClickSkin(QStringLiteral("bleunuit.bmp"));
    // The picture is taken first, then saving it fails.
    QCOMPARE(FErrors->Texts, QStringList { QStringLiteral("Impossible d'écrire dans %1.").arg(FSettings) });
    QCOMPARE(FErrors->Titles, QStringList { QStringLiteral("Veludor") });
    QCOMPARE(Form1->Image1->Picture().Image(), SkinImage(QStringLiteral("bleunuit.bmp")));
    const QFileInfo Info(FSettings);
    if (NoFile) {
        QVERIFY(!Info.exists());
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(Info.isDir());
        QVERIFY(QDir(FSettings).isEmpty());
    } else if (kind == QLatin1String("device")) {
        QCOMPARE(Info.symLinkTarget(), QStringLiteral("/dev/zero"));
    } else if (kind == QLatin1String("pipe")) {
        QVERIFY(!Info.isFile() && Info.exists());
    } else {
        QCOMPARE(FileBytes(FSettings), content);
    }
    // No temporary file is left beside it.
    QCOMPARE(QDir(FFolder)
                 .entryList(QDir::Files | QDir::Hidden | QDir::System)
                 .filter(QStringLiteral("parametre")),
        (NoFile || kind == QLatin1String("folder") ? QStringList()
                                                   : QStringList { QStringLiteral("parametre.ini") }));
    VerifyClockRuns();
}

void TstFaults::skinAtStart_data()
{
    QTest::addColumn<QString>("setup"); // what is done to the skin folder
    QTest::addColumn<QString>("value"); // the settings value, empty for none
    QTest::addColumn<QString>("error"); // %1 stands for the skin folder

    const QString Long2047 = QString(2043, u'a') + QStringLiteral(".bmp");
    const QString Long3000 = QString(2996, u'b') + QStringLiteral(".bmp");
    QTest::newRow("skin folder missing") << "no folder"
                                         << ""
                                         << "Impossible d'ouvrir le fichier %1horlnoirrose.bmp.";
    QTest::newRow("skin folder empty") << "empty folder"
                                       << ""
                                       << "Impossible d'ouvrir le fichier %1horlnoirrose.bmp.";
    QTest::newRow("a folder named like a skin") << "folder"
                                                << "old.bmp"
                                                << "Impossible d'ouvrir le fichier %1old.bmp.";
    QTest::newRow("a skin name of 2,047 characters")
        << "" << Long2047 << "Impossible d'ouvrir le fichier %1" + Long2047 + ".";
    QTest::newRow("a longer name is cut to 2,047 characters, extension lost")
        << "" << Long3000 << "Extension de fichier image inconnue (.)";
    QTest::newRow("binary garbage") << "garbage"
                                    << "garbage.bmp"
                                    << "Image bitmap incorrecte.";
    QTest::newRow("empty skin file") << "empty"
                                     << "empty.bmp"
                                     << "Image bitmap incorrecte.";
    QTest::newRow("bitmap cut short") << "truncated"
                                      << "truncated.bmp"
                                      << "Image bitmap incorrecte.";
    QTest::newRow("a PNG named .bmp") << "png"
                                      << "png.bmp"
                                      << "Image bitmap incorrecte.";
    QTest::newRow("8192 x 8192 declared in a few bytes") << "huge"
                                                         << "huge.bmp"
                                                         << "Image bitmap incorrecte.";
    QTest::newRow("a named pipe named like a skin: no wait") << "pipe"
                                                             << "pipe.bmp"
                                                             << "Impossible d'ouvrir le fichier %1pipe.bmp.";
    QTest::newRow("the endless device named like a skin") << "device"
                                                          << "device.bmp"
                                                          << "Impossible d'ouvrir le fichier %1device.bmp.";
    QTest::newRow("an extension no decoder knows") << "png"
                                                   << "png.png"
                                                   << "Extension de fichier image inconnue (.png)";
    QTest::newRow("a broken JPEG") << "text"
                                   << "photo.jpg"
                                   << "Image JPEG incorrecte.";
    QTest::newRow("a hand-edited value naming a JPEG skin: no error") << "jpeg"
                                                                      << "photo.jpg"
                                                                      << "";
}

void TstFaults::skinAtStart()
{
    QFETCH(QString, setup);
    QFETCH(QString, value);
    QFETCH(QString, error);
    const QString Skins = FFolder + QStringLiteral("skin/");
    if (setup == QLatin1String("no folder")) {
        QVERIFY(QDir(Skins).removeRecursively());
    } else if (setup == QLatin1String("empty folder")) {
        QVERIFY(QDir(Skins).removeRecursively());
        QVERIFY(QDir().mkpath(Skins));
    } else if (!setup.isEmpty()) {
        MakeSkin(setup, value);
    }
    if (!value.isEmpty()) {
        const QByteArray Settings = "[form]\r\ncouleur=" + value.toUtf8() + "\r\n";
        WriteBytes(FSettings, Settings);
    }
    Start();
    if (error.isEmpty()) {
        QCOMPARE(FErrors->Texts, QStringList());
        QCOMPARE(Form1->Image1->Picture().Kind(), TGraphicKind::Jpeg);
    } else {
        QCOMPARE(FErrors->Texts, QStringList { error.arg(Skins) });
        QCOMPARE(FErrors->Titles, QStringList { QStringLiteral("Veludor") });
        // The rest of the start-up is skipped: no skin list yet.
        QCOMPARE(Form1->couleur1->Count(), 0);
    }
    VerifyClockRuns();
}

void TstFaults::skinBrokenAfterStart_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("error"); // %1 stands for the skin's path

    QTest::newRow("deleted") << "deleted"
                             << "Impossible d'ouvrir le fichier %1.";
    QTest::newRow("replaced by garbage") << "garbage"
                                         << "Image bitmap incorrecte.";
    QTest::newRow("emptied") << "empty"
                             << "Image bitmap incorrecte.";
    QTest::newRow("cut short") << "truncated"
                               << "Image bitmap incorrecte.";
    QTest::newRow("replaced by a PNG") << "png"
                                       << "Image bitmap incorrecte.";
    QTest::newRow("replaced by a huge declared size") << "huge"
                                                      << "Image bitmap incorrecte.";
    QTest::newRow("replaced by a folder") << "folder"
                                          << "Impossible d'ouvrir le fichier %1.";
    QTest::newRow("replaced by a named pipe") << "pipe"
                                              << "Impossible d'ouvrir le fichier %1.";
}

void TstFaults::skinBrokenAfterStart()
{
    QFETCH(QString, kind);
    QFETCH(QString, error);
    const QByteArray Settings = "\xEF\xBB\xBF[form]\ncouleur=argent.bmp";
    WriteBytes(FSettings, Settings);
    Start();
    QCOMPARE(FErrors->Texts, QStringList());
    const TBitmap32 Before = Form1->Image1->Picture().Image();
    QCOMPARE(Before, SkinImage(QStringLiteral("argent.bmp")));
    MakeSkin(kind, QStringLiteral("vertforet.bmp"));
    ClickSkin(QStringLiteral("vertforet.bmp"));
    QCOMPARE(FErrors->Texts, QStringList { error.arg(FFolder + QStringLiteral("skin/vertforet.bmp")) });
    QCOMPARE(Form1->Image1->Picture().Image(), Before);
    QCOMPARE(FileBytes(FSettings), Settings);
    VerifyClockRuns();
    // The other skins still work and are saved.
    ClickSkin(QStringLiteral("bleunuit.bmp"));
    QCOMPARE(FErrors->Texts.size(), 1);
    QCOMPARE(Form1->Image1->Picture().Image(), SkinImage(QStringLiteral("bleunuit.bmp")));
    QCOMPARE(FileBytes(FSettings), QByteArray("\xEF\xBB\xBF[form]\ncouleur=bleunuit.bmp"));
}

void TstFaults::digitFont_data()
{
    QTest::addColumn<bool>("fontFile"); // DS-DIGI.TTF in the current folder
    QTest::addColumn<QString>("fonts"); // the fonts folder: usual, unwritable, unknown
    QTest::addColumn<bool>("installed"); // the face's file lands in the fonts folder

    QTest::newRow("font file missing") << false << "usual" << false;
    QTest::newRow("fonts folder unwritable") << true << "unwritable" << false;
    QTest::newRow("fonts folder unknown") << true << "unknown" << false;
    QTest::newRow("font file missing, fonts folder unknown") << false << "unknown" << false;
    QTest::newRow("font file a folder") << false << "usual" << false;
    QTest::newRow("font file a named pipe: no wait") << false << "usual" << false;
    QTest::newRow("all well") << true << "usual" << true;
}

void TstFaults::digitFont()
{
    QFETCH(bool, fontFile);
    QFETCH(QString, fonts);
    QFETCH(bool, installed);
    const QString Data = FDir->path() + QStringLiteral("/data");
    if (!fontFile) {
        QVERIFY(QFile::remove(FFolder + QStringLiteral("DS-DIGI.TTF")));
        const QString Tag = QString::fromLatin1(QTest::currentDataTag());
        if (Tag.startsWith(QLatin1String("font file a folder"))) {
            QVERIFY(QDir().mkdir(FFolder + QStringLiteral("DS-DIGI.TTF")));
        } else if (Tag.startsWith(QLatin1String("font file a named pipe"))) {
            QCOMPARE(
                ::mkfifo(QFile::encodeName(FFolder + QStringLiteral("DS-DIGI.TTF")).constData(), 0644), 0);
        }
    }
    if (fonts == QLatin1String("unwritable")) {
        // A file where the fonts folder should be: not even the superuser can write in it.
        QVERIFY(QDir().mkpath(Data));
        WriteBytes(Data + QStringLiteral("/fonts"), "pas un dossier");
        QVERIFY(QFile::setPermissions(Data, ReadOnlyFolder));
    } else if (fonts == QLatin1String("unknown")) {
        // A relative data folder cannot be placed: the fonts folder is unknown.
        qputenv("XDG_DATA_HOME", "relatif");
    }
    Start();
    QCOMPARE(FErrors->Texts, QStringList());
    QCOMPARE(QFileInfo(Data + QStringLiteral("/fonts/DS-DIGI.TTF")).isFile(), installed);
    QVERIFY(!QFileInfo::exists(FFolder + QStringLiteral("relatif")));
    QCOMPARE(Form1->Image1->Picture().Image(), SkinImage(QStringLiteral("horlnoirrose.bmp")));
    QCOMPARE(Form1->couleur1->Count(), 4);
    VerifyClockRuns();
}

QTEST_MAIN(TstFaults)
#include "tst_faults.moc"
