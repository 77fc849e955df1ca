// The main window: start-up (settings, skin, placement, skin list, first time display),
// the clock tick, the views and the menu commands, driven with a fake clock and fake
// screen metrics on the offscreen platform.
#include "tests/fakes/qtcompare.h"
#include "tests/fakes/widgetof.h"
#include "app/chronothread.h"
#include "app/programentry.h"
#include "app/unit1.h"
#include "app/unit3.h"
#include "components/transparent_radio/vqtrradiobutton.h"
#include "tests/fakes/fakeclock.h"
#include "tests/fakes/fakescreen.h"
#include "tests/fakes/recordingerrorbox.h"
#include "toolkit/controls/extctrls.h"
#include "toolkit/controls/menus.h"
#include "toolkit/controls/spin.h"
#include "toolkit/controls/stdctrls.h"
#include "toolkit/platform/screen.h"
#include "toolkit/qt/qtconvert.h"
#include "toolkit/text/datetime.h"
#include "toolkit/text/profile.h"

#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QTemporaryDir>
#include <QtTest>

namespace {
QStringList Captions(TMenuItem* Parent)
{
    QStringList Result;
    for (int i = 0; i < Parent->Count(); ++i) {
        Result << Parent->Items(i)->Caption();
    }
    return Result;
}
}

class TstUnit1 : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startsWithDefaultSkinAndNoSettingsFile();
    void missingSkinShowsErrorAndKeepsDesign();
    void skinListHoldsEveryMatchingEntry();
    void skinCommandSavesChoice();
    void skinCommandKeepsAmpersand();
    void skinCommandFailureKeepsSettings();
    void unwritableSettingsReported();
    void placement_data();
    void placement();
    void firstTimeDisplay();
    void clockTickBlinks();
    void views_data();
    void views();
    void stopwatchControlsMoveOutOfPicture();
    void aboutDialogShownOnce();
    void digitFaceInstalled();
    void errorBoxFullStop_data();
    void errorBoxFullStop();
    void userLocale_data();
    void userLocale();

private:
    void Start();
    void Stop();
    void WriteSkin(const QString& Name, QColor Colour);

    std::unique_ptr<QTemporaryDir> FDir;
    std::unique_ptr<TFakeClock> FClock;
    std::unique_ptr<TFakeScreen> FScreen;
    std::unique_ptr<TRecordingErrorBox> FErrors;
    std::unique_ptr<TApplication> FApp;
    QString FFolder;
};

void TstUnit1::init()
{
    FDir = std::make_unique<QTemporaryDir>();
    FFolder = FDir->path() + QLatin1Char('/');
    QDir().mkpath(FFolder + QStringLiteral("skin"));
    const QDir Skins(QStringLiteral(VELUDOR_ASSETS "/skin"));
    for (const QString& Name : Skins.entryList(QDir::Files)) {
        QFile::copy(Skins.filePath(Name), FFolder + QStringLiteral("skin/") + Name);
    }
    QFile::copy(QStringLiteral(VELUDOR_ASSETS "/DS-DIGI.TTF"), FFolder + QStringLiteral("DS-DIGI.TTF"));
    QDir::setCurrent(FFolder);
    SetProgramFolder(FromQt(FFolder));
    FClock = std::make_unique<TFakeClock>(QDateTime(QDate(2026, 12, 7), QTime(7, 4, 58, 0)));
    FScreen = std::make_unique<TFakeScreen>();
    FErrors = std::make_unique<TRecordingErrorBox>();
}

void TstUnit1::cleanup()
{
    Stop();
    FErrors.reset();
    FScreen.reset();
    FClock.reset();
    SetProgramFolder(TString());
    QDir::setCurrent(QDir::tempPath());
    FDir.reset();
}

void TstUnit1::Start()
{
    FApp = std::make_unique<TApplication>();
    FApp->SetTitle(u"Veludor");
    CreateVeludorForms();
}

void TstUnit1::Stop()
{
    FApp.reset();
}

void TstUnit1::WriteSkin(const QString& Name, QColor Colour)
{
    QImage Image(220, 100, QImage::Format_RGB32);
    Image.fill(Colour);
    QVERIFY(Image.save(FFolder + QStringLiteral("skin/") + Name, "BMP"));
}

void TstUnit1::startsWithDefaultSkinAndNoSettingsFile()
{
    Start();
    QVERIFY(FErrors->Texts.isEmpty());
    TPicture Expected;
    Expected.LoadFromFile(FromQt(FFolder + QStringLiteral("skin/horlnoirrose.bmp")));
    QCOMPARE(Form1->Image1->Picture().Image(), Expected.Image());
    QVERIFY(!QFile::exists(FFolder + QStringLiteral("parametre.ini")));
    // The window keeps the built-in picture's size whatever the skin.
    QCOMPARE(Form1->Width(), 220);
    QCOMPARE(Form1->Height(), 100);
}

void TstUnit1::missingSkinShowsErrorAndKeepsDesign()
{
    QVERIFY(WritePrivateProfileString(u"form", u"couleur", u"absent.bmp", FromQt(FFolder + QStringLiteral("parametre.ini"))));
    Start();
    QCOMPARE(FErrors->Texts,
        QStringList { QStringLiteral("Impossible d'ouvrir le fichier %1skin/absent.bmp.").arg(FFolder) });
    QCOMPARE(FErrors->Titles, QStringList { QStringLiteral("Veludor") });
    QCOMPARE(Form1->Left(), 310);
    QCOMPARE(Form1->Top(), 541);
    QCOMPARE(Form1->couleur1->Count(), 0);
    QCOMPARE(Form1->SpinEdit1->Value(), 0);
    QCOMPARE(Form1->Label2->Caption(), QStringLiteral("00"));
}

void TstUnit1::skinListHoldsEveryMatchingEntry()
{
    QDir(FFolder + QStringLiteral("skin")).removeRecursively();
    QDir().mkpath(FFolder + QStringLiteral("skin/old.bmp"));
    WriteSkin(QStringLiteral("red.bmp"), Qt::red);
    WriteSkin(QStringLiteral("blue.BMP"), Qt::blue);
    WriteSkin(QStringLiteral("notes.txt"), Qt::green);
    QVERIFY(WritePrivateProfileString(u"form", u"couleur", u"red.bmp", FromQt(FFolder + QStringLiteral("parametre.ini"))));
    Start();
    QVERIFY(FErrors->Texts.isEmpty());
    QCOMPARE(Captions(Form1->PopupMenu1->Items()->Items(3)),
        (QStringList { QStringLiteral("blue.BMP"), QStringLiteral("old.bmp"), QStringLiteral("red.bmp") }));
    // A folder named like a skin cannot be opened as a picture.
    Form1->couleur1->Items(1)->Click();
    QCOMPARE(FErrors->Texts.size(), 1);
    QVERIFY(FErrors->Texts.first().startsWith(QStringLiteral("Impossible d'ouvrir le fichier ")));
    QCOMPARE(ToQt(GetPrivateProfileString(u"form", u"couleur", u"", FromQt(FFolder + QStringLiteral("parametre.ini")))),
        QStringLiteral("red.bmp"));
}

void TstUnit1::skinCommandSavesChoice()
{
    Start();
    TMenuItem* Item = nullptr;
    for (int i = 0; i < Form1->couleur1->Count(); ++i) {
        if (Form1->couleur1->Items(i)->Caption() == u"argent.bmp") {
            Item = Form1->couleur1->Items(i);
        }
    }
    QVERIFY(Item);
    Item->Click();
    QVERIFY(FErrors->Texts.isEmpty());
    QCOMPARE(ToQt(GetPrivateProfileString(u"form", u"couleur", u"", FromQt(FFolder + QStringLiteral("parametre.ini")))),
        QStringLiteral("argent.bmp"));
    // The next start shows the saved skin.
    Stop();
    Start();
    TPicture Expected;
    Expected.LoadFromFile(FromQt(FFolder + QStringLiteral("skin/argent.bmp")));
    QCOMPARE(Form1->Image1->Picture().Image(), Expected.Image());
}

void TstUnit1::skinCommandKeepsAmpersand()
{
    WriteSkin(QStringLiteral("rock&roll.bmp"), Qt::darkRed);
    Start();
    const QStringList Names = Captions(Form1->couleur1);
    const int Index = int(Names.indexOf(QStringLiteral("rock&roll.bmp")));
    QVERIFY(Index >= 0);
    Form1->couleur1->Items(Index)->Click();
    QVERIFY(FErrors->Texts.isEmpty());
    QFile Settings(FFolder + QStringLiteral("parametre.ini"));
    QVERIFY(Settings.open(QIODevice::ReadOnly));
    QVERIFY(Settings.readAll().contains("couleur=rock&roll.bmp"));
}

void TstUnit1::skinCommandFailureKeepsSettings()
{
    WriteSkin(QStringLiteral("gone.bmp"), Qt::gray);
    Start();
    const int Index = int(Captions(Form1->couleur1).indexOf(QStringLiteral("gone.bmp")));
    QVERIFY(Index >= 0);
    const TBitmap32 Before = Form1->Image1->Picture().Image();
    QFile::remove(FFolder + QStringLiteral("skin/gone.bmp"));
    Form1->couleur1->Items(Index)->Click();
    QCOMPARE(FErrors->Texts, QStringList { QStringLiteral("Impossible d'ouvrir le fichier %1skin/gone.bmp.").arg(FFolder) });
    QCOMPARE(Form1->Image1->Picture().Image(), Before);
    QVERIFY(!QFile::exists(FFolder + QStringLiteral("parametre.ini")));
}

void TstUnit1::unwritableSettingsReported()
{
    const QString Settings = FFolder + QStringLiteral("parametre.ini");
    QFile File(Settings);
    QVERIFY(File.open(QIODevice::WriteOnly));
    File.write("[form]\r\ncouleur=argent.bmp\r\n");
    File.close();
    QFile::setPermissions(Settings, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    Start();
    const int Index = int(Captions(Form1->couleur1).indexOf(QStringLiteral("bleunuit.bmp")));
    QVERIFY(Index >= 0);
    Form1->couleur1->Items(Index)->Click();
    QCOMPARE(FErrors->Texts, QStringList { QStringLiteral("Impossible d'écrire dans %1.").arg(Settings) });
    TPicture Expected;
    Expected.LoadFromFile(FromQt(FFolder + QStringLiteral("skin/bleunuit.bmp")));
    QCOMPARE(Form1->Image1->Picture().Image(), Expected.Image());
    QVERIFY(File.open(QIODevice::ReadOnly));
    QCOMPARE(File.readAll(), QByteArray("[form]\r\ncouleur=argent.bmp\r\n"));
    QFile::setPermissions(Settings, QFile::ReadOwner | QFile::WriteOwner);
}

void TstUnit1::placement_data()
{
    QTest::addColumn<QSize>("primary");
    QTest::addColumn<QRect>("virtualScreen");
    QTest::addColumn<QRect>("work");
    QTest::addColumn<QPoint>("expected");
    QTest::newRow("1920x1080, 40-pixel panel at the bottom -> 1680, 920")
        << QSize(1920, 1080) << QRect(0, 0, 1920, 1080) << QRect(0, 0, 1920, 1040) << QPoint(1680, 920);
    QTest::newRow("no panel -> 20 pixels above the bottom edge")
        << QSize(1920, 1080) << QRect(0, 0, 1920, 1080) << QRect(0, 0, 1920, 1080) << QPoint(1680, 960);
    QTest::newRow("30-pixel panel at the top: still 20 above the bottom edge")
        << QSize(1280, 1024) << QRect(0, 0, 1280, 1024) << QRect(0, 30, 1280, 994) << QPoint(1040, 904);
    QTest::newRow("panels at the top (25) and the bottom (24) -> 20 above the bottom one")
        << QSize(1920, 1080) << QRect(0, 0, 1920, 1080) << QRect(0, 25, 1920, 1031) << QPoint(1680, 936);
    QTest::newRow("stacked, primary below with a top panel: inside the work area's corner")
        << QSize(1920, 1080) << QRect(0, 0, 1920, 2160) << QRect(0, 1110, 1920, 1050) << QPoint(1680, 2040);
    QTest::newRow("two monitors side by side, same height")
        << QSize(1920, 1080) << QRect(0, 0, 3840, 1080) << QRect(0, 0, 1920, 1040) << QPoint(1680, 920);
    QTest::newRow("stacked monitors would give -160: inside the work area's corner instead")
        << QSize(1920, 1080) << QRect(0, 0, 1920, 2160) << QRect(0, 0, 1920, 1040) << QPoint(1680, 920);
}

void TstUnit1::placement()
{
    QFETCH(QSize, primary);
    QFETCH(QRect, virtualScreen);
    QFETCH(QRect, work);
    QFETCH(QPoint, expected);
    FScreen->Primary = primary;
    FScreen->Virtual = virtualScreen;
    FScreen->Work = work;
    Start();
    QVERIFY(FErrors->Texts.isEmpty());
    QCOMPARE(QPoint(Form1->Left(), Form1->Top()), expected);
    // One size, so that tiling window managers float the clock rather than stretch it.
    QCOMPARE(WidgetOf(Form1)->minimumSize(), QSize(220, 100));
    QCOMPARE(WidgetOf(Form1)->maximumSize(), QSize(220, 100));
}

void TstUnit1::firstTimeDisplay()
{
    FClock->Set(QDateTime(QDate(2026, 12, 7), QTime(7, 5, 30)));
    Start();
    QCOMPARE(Form1->Label2->Caption(), QStringLiteral("07"));
    QCOMPARE(Form1->Label4->Caption(), QStringLiteral("05"));
    QCOMPARE(Form1->Label3->Caption(), QStringLiteral(":"));
    QCOMPARE(Form1->Label1->Caption(), QStringLiteral("lundi 7 décembre 2026"));
    QCOMPARE(Form1->SpinEdit1->Value(), 7);
    QCOMPARE(Form1->SpinEdit2->Value(), 5);
    QVERIFY(Form1->Label1->Visible());
    QVERIFY(!Form1->SpinEdit1->Visible());
}

void TstUnit1::clockTickBlinks()
{
    Start();
    QStringList Colons;
    for (int i = 0; i < 4; ++i) {
        FClock->AdvanceMs(1000);
        Form1->Timer1->Tick();
        Colons << Form1->Label3->Caption();
    }
    QCOMPARE(Colons, (QStringList { ":", " ", ":", " " }));
    QCOMPARE(Form1->Label4->Caption(), QStringLiteral("05")); // 07:04:58 + 4 s
    // A reset of the phase (as a cancelled countdown does) shows the colon next.
    Form1->Tag = 0;
    Form1->Timer1->Tick();
    QCOMPARE(Form1->Label3->Caption(), QStringLiteral(":"));
    QVERIFY(Form1->Timer1->Enabled());
    QCOMPARE(Form1->Timer1->Interval(), 1000);
}

void TstUnit1::views_data()
{
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<QString>("view");
    QTest::newRow("start: clock") << QStringList {} << "clock";
    QTest::newRow("alarm setting") << QStringList { "config1" } << "alarm";
    QTest::newRow("stopwatch") << QStringList { "Chronometre1" } << "stopwatch";
    QTest::newRow("alarm, then clock: all six clock labels back") << QStringList { "config1", "Veludor1" } << "clock";
    QTest::newRow("stopwatch, then alarm") << QStringList { "Chronometre1", "config1" } << "alarm";
    QTest::newRow("alarm, then Valider") << QStringList { "config1", "Button2" } << "clock";
    QTest::newRow("alarm, then Annuler") << QStringList { "config1", "Button1" } << "clock";
}

void TstUnit1::views()
{
    QFETCH(QStringList, commands);
    QFETCH(QString, view);
    Start();
    for (const QString& Name : commands) {
        if (auto* Item = dynamic_cast<TMenuItem*>(Form1->PopupMenu1->FindComponent(FromQt(Name)))) {
            Item->Click();
        } else {
            dynamic_cast<TControl*>(Form1->FindComponent(FromQt(Name)))->Click();
        }
    }
    const bool Clock = view == QLatin1String("clock");
    const bool Alarm = view == QLatin1String("alarm");
    const bool Stopwatch = view == QLatin1String("stopwatch");
    for (TControl* C : std::initializer_list<TControl*> { Form1->Label1, Form1->Label2, Form1->Label3,
             Form1->Label4, Form1->Label8, Form1->Label9 }) {
        QVERIFY2(C->Visible() == Clock, qPrintable(ToQt(C->Name())));
    }
    for (TControl* C : std::initializer_list<TControl*> { Form1->Label5, Form1->SpinEdit1, Form1->SpinEdit2,
             Form1->Image4, Form1->Image5, Form1->Button1, Form1->Button2, Form1->VqTrRadioButton1,
             Form1->VqTrRadioButton2 }) {
        QVERIFY2(C->Visible() == Alarm, qPrintable(ToQt(C->Name())));
    }
    for (TControl* C : std::initializer_list<TControl*> { Form1->Label7, Form1->Label10, Form1->Label11, Form1->Button3 }) {
        QVERIFY2(C->Visible() == Stopwatch, qPrintable(ToQt(C->Name())));
    }
    QVERIFY(Form1->Image1->Visible());
}

void TstUnit1::stopwatchControlsMoveOutOfPicture()
{
    Start();
    Form1->Chronometre1->Click();
    QCOMPARE(ToQt(Form1->Label7->BoundsRect()).topLeft(), QPoint(22, 10));
    QCOMPARE(ToQt(Form1->Label10->BoundsRect()).topLeft(), QPoint(160, 37));
    QCOMPARE(ToQt(Form1->Label11->BoundsRect()).topLeft(), QPoint(168, 20));
    QCOMPARE(ToQt(Form1->Button3->BoundsRect()).topLeft(), QPoint(27, 63));
    Form1->Veludor1->Click();
    for (TControl* C : std::initializer_list<TControl*> { Form1->Label7, Form1->Label10, Form1->Label11, Form1->Button3 }) {
        QCOMPARE(C->Left(), 240);
    }
}

void TstUnit1::aboutDialogShownOnce()
{
    Start();
    QVERIFY(!Form3->Visible());
    Form1->A1->Click();
    Form1->A1->Click();
    QVERIFY(Form3->Visible());
    QCOMPARE(Form3->Caption(), QStringLiteral("A propos de Veludor !"));
    QCOMPARE(Form3->Label1->Caption(), QStringLiteral("Quorvane a ete realiser par Morvek"));
    int Shown = 0;
    for (QWidget* W : QApplication::topLevelWidgets()) {
        Shown += W->isVisible() && W->windowTitle() == Form3->Caption();
    }
    QCOMPARE(Shown, 1);
    // The labels stand on the dialog's black: their own background is black too.
    const QImage Shot = WidgetOf(Form3)->grab().toImage();
    for (const TLabel* L : { Form3->Label1, Form3->Label2 }) {
        QCOMPARE(Shot.pixelColor(L->Left(), L->Top()), QColor(Qt::black));
    }
    Form3->Button1->Click();
    QVERIFY(!Form3->Visible());
    Form1->A1->Click();
    QVERIFY(Form3->Visible());
}

void TstUnit1::digitFaceInstalled()
{
    Start();
    QVERIFY(QFile::exists(QDir::homePath() + QStringLiteral("/.local/share/fonts/DS-DIGI.TTF")));
    const QFontInfo Info(WidgetOf(Form1->Label2)->font().resolve(ToQFont(Form1->Label2->Font())));
    QCOMPARE(QFontInfo(ToQFont(Form1->Label2->Font())).family(), QStringLiteral("DSEG7 Classic"));
    Q_UNUSED(Info);
}

void TstUnit1::errorBoxFullStop_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter: full stop added") << "Image bitmap incorrecte" << "Image bitmap incorrecte.";
    QTest::newRow("already ends with a full stop") << "Fin." << "Fin.";
    QTest::newRow("'!' sorts before '.': kept") << "Alarme !" << "Alarme !";
    QTest::newRow("')' sorts before '.': kept") << "(.bmp)" << "(.bmp)";
    QTest::newRow("accented letter: full stop added") << "Extension inconnue (.é" << "Extension inconnue (.é.";
    QTest::newRow("no-break space after a colon: full stop added") << "Heure :\u00A0" << "Heure :\u00A0.";
    QTest::newRow("outside the basic plane (surrogate pair): full stop added")
        << "Son \U0001F514" << "Son \U0001F514.";
    QTest::newRow("'-' sorts before '.': kept") << "Alarme -" << "Alarme -";
    QTest::newRow("empty") << "" << "";
}

void TstUnit1::errorBoxFullStop()
{
    QFETCH(QString, message);
    QFETCH(QString, shown);
    TApplication App;
    App.SetTitle(u"Veludor");
    App.Guard([&] { throw Exception(FromQt(message)); });
    QCOMPARE(FErrors->Texts, QStringList { shown });
    QCOMPARE(FErrors->Titles, QStringList { QStringLiteral("Veludor") });
}

void TstUnit1::userLocale_data()
{
    QTest::addColumn<QStringList>("Environment"); // LC_ALL, LC_TIME, LANG
    QTest::addColumn<QString>("Date");
    QTest::addColumn<QString>("Alarm");
    QTest::addColumn<QString>("Stopwatch");
    QTest::newRow("fr_FR from LANG")
        << QStringList { "", "", "fr_FR.UTF-8" } << "lundi 7 décembre 2026" << "07:05" << "01:01";
    QTest::newRow("en_US from LC_ALL, before LC_TIME and LANG")
        << QStringList { "en_US.UTF-8", "fi_FI.UTF-8", "de_DE.UTF-8" } << "Monday, December 7, 2026"
        << "07:05" << "01:01";
    QTest::newRow("de_DE from LC_TIME, before LANG")
        << QStringList { "", "de_DE@euro", "fi_FI.UTF-8" } << "Montag, 7. Dezember 2026" << "07:05"
        << "01:01";
    QTest::newRow("fi_FI: the separator is a full stop")
        << QStringList { "", "", "fi_FI.UTF-8" } << "maanantaina 7. joulukuuta 2026" << "07.05"
        << "01.01";
    QTest::newRow("C: French")
        << QStringList { "", "", "C.UTF-8" } << "lundi 7 décembre 2026" << "07:05" << "01:01";
}

// The long date, the armed alarm's time and the stopwatch in the user's locale, read
// from the environment as at a real start; arming works whatever the separator.
void TstUnit1::userLocale()
{
    QFETCH(QStringList, Environment);
    QFETCH(QString, Date);
    QFETCH(QString, Alarm);
    QFETCH(QString, Stopwatch);
    const char* const Names[] = { "LC_ALL", "LC_TIME", "LANG" };
    QList<QByteArray> Saved;
    for (int i = 0; i < 3; ++i) {
        Saved << qgetenv(Names[i]);
        qputenv(Names[i], Environment[i].toUtf8());
    }
    const TFormatSettings Before = FormatSettings();
    FormatSettings() = UserFormatSettings();
    auto Restore = qScopeGuard([&] {
        FormatSettings() = Before;
        for (int i = 0; i < 3; ++i) {
            qputenv(Names[i], Saved[i]);
        }
    });

    Start();
    QCOMPARE(Form1->Label1->Caption(), Date);
    Form1->config1->Click();
    Form1->SpinEdit1->SetValue(7);
    Form1->SpinEdit2->SetValue(5);
    Form1->Button2->Click();
    QCOMPARE(FErrors->Texts, QStringList());
    QCOMPARE(Form1->Label9->Caption(), Alarm);
    QVERIFY(Form1->Timer2->Enabled());
    TChronoThread::ShowElapsed(DateTimeFromQt(FClock->Current().addSecs(-3665)));
    QCOMPARE(Form1->Label7->Caption(), Stopwatch);
}

QTEST_MAIN(TstUnit1)
#include "tst_unit1.moc"
