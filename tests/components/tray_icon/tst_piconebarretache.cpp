#include "tests/fakes/qtcompare.h"
#include "tests/fakes/widgetof.h"
#include "components/tray_icon/piconebarretache.h"

#include "components/tray_icon/exceptionnumsimagelistaffiche.h"
#include "components/tray_icon/pourhandle.h"
#include "tests/fakes/recordingerrorbox.h"
#include "tests/fakes/recordingnotifyarea.h"
#include "toolkit/controls/extctrls.h"
#include "toolkit/controls/imglist.h"
#include "toolkit/controls/menus.h"
#include "toolkit/graphics/graphicerror.h"
#include "toolkit/qt/qtconvert.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QMenu>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

QStringList Log; // what the handlers, the opening and the menu did, in order

// A window whose stored layout is a PopupMenu1 with one item, then whatever the test
// gives it (by default the main window's PiconeBarreTache1 values).
class TTrayForm : public TCustomForm {
public:
    using TLayout = std::function<void(TTrayForm*)>;
    static TLayout NextLayout;

    explicit TTrayForm(TComponent* AOwner)
        : TCustomForm(AOwner)
    {
        BeginLayout();
        SetBorderStyle(TBorderStyle::bsNone);
        OnClose = [](TObject*, TCloseAction&) { Log << QStringLiteral("FormClose"); };
        OnShow = [](TObject*) { Log << QStringLiteral("open"); };
        Menu = new TPopupMenu(this);
        auto* Item = new TMenuItem(Menu);
        Item->SetCaption(u"&Quitter");
        Menu->Items()->Add(Item);
        if (NextLayout) {
            NextLayout(this);
        }
        EndLayout();
    }

    TPopupMenu* Menu = nullptr;
    TPiconeBarreTache* Tray = nullptr;
};
TTrayForm::TLayout TTrayForm::NextLayout;

// The values the main window's layout gives PiconeBarreTache1, in the stored order.
void StandardLayout(TTrayForm* F)
{
    F->Tray = new TPiconeBarreTache(F);
    F->Tray->SetReduireSiFin(false);
    F->Tray->SetCacherSiMinimize(false);
    F->Tray->SetPetiteIconeVisible(true);
    F->Tray->SetGrandeIconeVisible(false);
    F->Tray->SetApplicationCachee(false);
    F->Tray->SetIntervalAnimation(1000);
    F->Tray->SetAnimation(false);
    F->Tray->SetNumIconeImageList(0);
    F->Tray->SetGrandeIconBlink(false);
    F->Tray->SetIntervalGrandeIconeBlink(1000);
    F->Tray->SetOuvreSiClicGauche(true);
    F->Tray->SetOuvreSiDblClick(false);
    F->Tray->SetMenuSiClicDroit(true);
    F->Tray->SetMenuSiClicGauche(false);
    F->Tray->SetMenuPop(F->Menu);
}

// Logs each pop-up menu as it is shown, with its place, and closes it again.
class TMenuCloser : public QObject {
public:
    TMenuCloser() { qApp->installEventFilter(this); }
    ~TMenuCloser() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject* Watched, QEvent* Event) override
    {
        auto* Menu = qobject_cast<QMenu*>(Watched);
        if (Menu && Event->type() == QEvent::Show) {
            Log << QStringLiteral("menu");
            Places << Menu->pos();
            QMetaObject::invokeMethod(Menu, &QMenu::close, Qt::QueuedConnection);
        }
        return false;
    }
    QList<QPoint> Places;
};

TIcon ColourIcon(QRgb Colour)
{
    return TIcon({ TBitmap32(16, 16, Colour) });
}

// The images of the test lists carry their index in their colour (blue 99).
QRgb ImageColour(int Index)
{
    return qRgb(Index % 256, Index / 256, 99);
}

int ImageOf(const QIcon& Icon)
{
    if (Icon.isNull()) {
        return -1;
    }
    const QRgb P = Icon.pixmap(QSize(16, 16)).toImage().pixel(0, 0);
    return qBlue(P) == 99 ? qRed(P) + 256 * qGreen(P) : -1;
}
int ImageOf(const TIcon& Icon)
{
    if (Icon.IsEmpty()) {
        return -1;
    }
    const QRgb P = Icon.Images().front().Pixel(0, 0);
    return qBlue(P) == 99 ? qRed(P) + 256 * qGreen(P) : -1;
}

TImageList* MakeImages(TComponent* Owner, int Count)
{
    auto* List = new TImageList(Owner);
    for (int i = 0; i < Count; ++i) {
        List->Add(TBitmap32(16, 16, ImageColour(i)));
    }
    return List;
}

QString ButtonName(TMouseButton Button)
{
    switch (Button) {
    case TMouseButton::mbLeft:
        return QStringLiteral("left");
    case TMouseButton::mbRight:
        return QStringLiteral("right");
    case TMouseButton::mbMiddle:
        return QStringLiteral("middle");
    }
    return {};
}

QString ShiftName(TShiftState Shift)
{
    QStringList Names;
    const std::pair<TShiftStateFlag, const char*> Flags[] = { { ssShift, "ssShift" }, { ssAlt, "ssAlt" },
        { ssCtrl, "ssCtrl" }, { ssLeft, "ssLeft" }, { ssRight, "ssRight" }, { ssMiddle, "ssMiddle" },
        { ssDouble, "ssDouble" } };
    for (const auto& [Flag, Name] : Flags) {
        if (Shift & Flag) {
            Names << QString::fromLatin1(Name);
        }
    }
    return Names.join(QLatin1Char('+'));
}

using TAction = std::function<void(TTrayForm*)>;

const QPoint Cursor(100, 120);

} // namespace

Q_DECLARE_METATYPE(TAction)

class tst_PiconeBarreTache : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void runTimeStartValues();
    void designModeDefaults();
    void ownerMustBeAWindow();
    void loadingVersusLoaded();
    void layoutWithoutSmallIconNeverAdds();
    void petiteIconeVisibleOffAndOn();
    void propertyTable_data();
    void propertyTable();
    void tip_data();
    void tip();
    void iconFile_data();
    void iconFile();
    void taskbarCreated_data();
    void taskbarCreated();
    void destructionRemovesIconAndRestoresHandlers();
    void destructionAfterTheMessageWindowIsGone();
    void handlersOfOursPutBackLaterPassThrough();
    void reduireSiFin_data();
    void reduireSiFin();
    void activateAndMinimize_data();
    void activateAndMinimize();
    void applicationCachee();
    void applicationCacheeInTheMainWindowLayout_data();
    void applicationCacheeInTheMainWindowLayout();
    void grandeIconeVisibleActsOnEverySetting();
    void clickMatrix_data();
    void clickMatrix();
    void menuOpensWhereTheCursorWas();
    void menuForHostsThatDrawIt();
    void failingHandlerSkipsTheRest();
    void messageWindowHook_data();
    void messageWindowHook();
    void orderText_data();
    void orderText();
    void orderTextErrorIsShownDecoded();
    void animation_data();
    void animation();
    void animationOverThreeHundredImages();
    void animationStopShowsRestingImage();
    void removedReferencesAreDropped();
    void blinking();

private:
    TTrayForm* MainWindow(const TTrayForm::TLayout& Layout = StandardLayout);

    std::unique_ptr<TRecordingErrorBox> FBox;
    std::unique_ptr<TRecordingNotifyArea> FArea;
    std::unique_ptr<TApplication> FApplication;
};

void tst_PiconeBarreTache::init()
{
    Log.clear();
    FBox = std::make_unique<TRecordingErrorBox>();
    FArea = std::make_unique<TRecordingNotifyArea>();
    FApplication = std::make_unique<TApplication>();
    FApplication->SetTitle(u"Veludor");
    FApplication->SetIcon(ColourIcon(qRgb(1, 2, 3)));
    QCursor::setPos(Cursor);
}

void tst_PiconeBarreTache::cleanup()
{
    FApplication.reset();
    FArea.reset();
    FBox.reset();
    TTrayForm::NextLayout = nullptr;
}

TTrayForm* tst_PiconeBarreTache::MainWindow(const TTrayForm::TLayout& Layout)
{
    TTrayForm::NextLayout = Layout;
    TTrayForm* Form = nullptr;
    Application->CreateForm(Form);
    return Form;
}

void tst_PiconeBarreTache::runTimeStartValues()
{
    TTrayForm* F = MainWindow(nullptr);
    auto* T = new TPiconeBarreTache(F);

    QCOMPARE(T->MenuPop(), nullptr);
    QVERIFY(!T->ReduireSiFin() && !T->CacherSiMinimize() && !T->PetiteIconeVisible());
    QVERIFY(!T->GrandeIconeVisible() && !T->ApplicationCachee() && !T->Animation());
    QVERIFY(!T->GrandeIconBlink() && !T->OuvreSiClicGauche() && !T->OuvreSiDblClick());
    QVERIFY(!T->MenuSiClicDroit() && !T->MenuSiClicGauche());
    QCOMPARE(T->IntervalAnimation(), 0);
    QCOMPARE(T->IntervalGrandeIconeBlink(), 0);
    QCOMPARE(T->NumIconeImageList(), 0);
    QVERIFY(T->Hint().empty() && T->IconeFileName().empty() && T->OrdreImageListAffiche().empty());
    QCOMPARE(T->ImageList(), nullptr);
    QVERIFY(T->Icone() == Application->Icon());

    // Both timers exist, stopped, at the timer's own interval.
    QVERIFY(!T->MinuteurAnimation()->Enabled() && !T->MinuteurClignotement()->Enabled());
    QCOMPARE(T->MinuteurAnimation()->Interval(), 1000);
    QCOMPARE(T->MinuteurClignotement()->Interval(), 1000);

    // The message window: a child of the owner, of no size.
    QCOMPARE(T->FenetreMessages()->Parent(), F);
    QCOMPARE(T->FenetreMessages()->Owner(), T);
    QCOMPARE(WidgetOf(T->FenetreMessages()->Handle())->parentWidget(), WidgetOf(F));
    QCOMPARE(WidgetOf(T->FenetreMessages()->Handle())->size(), QSize(0, 0));

    QCOMPARE(T->MessageTaskbarCreated(), Application->RegisterWindowMessage(u"TaskbarCreated"));
    QVERIFY(!T->IconeAjoutee() && !T->ChargementFini());
    QCOMPARE(T->DonneesIcone().cbSize, 0u);
    QCOMPARE(T->DonneesIcone().hWnd, nullptr);
    QVERIFY(FArea->Calls.empty());
}

void tst_PiconeBarreTache::designModeDefaults()
{
    bool ActivateCalled = false;
    Application->OnActivate = [&](TObject*) { ActivateCalled = true; };
    Application->Handle().WindowProc = [](quint32, quintptr, qintptr) -> qintptr { return 42; };
    Application->Handle().SetVisible(true);

    TTrayForm* F = MainWindow(nullptr);
    F->SetDesigning(true);
    auto* T = new TPiconeBarreTache(F);
    TImageList* Images = MakeImages(F, 3);

    // The designed defaults of a newly dropped component.
    QVERIFY(T->PetiteIconeVisible() && T->GrandeIconeVisible() && T->OuvreSiClicGauche() && T->MenuSiClicDroit());
    QVERIFY(!T->ReduireSiFin() && !T->ApplicationCachee() && !T->OuvreSiDblClick() && !T->MenuSiClicGauche());
    QCOMPARE(T->IntervalAnimation(), 1000);
    QCOMPARE(T->IntervalGrandeIconeBlink(), 1000);
    QVERIFY(T->Icone().IsEmpty());

    // No handler installed.
    Application->Activated();
    QVERIFY(ActivateCalled);
    QCOMPARE(Application->Handle().Perform(T->MessageTaskbarCreated()), 42);

    // Nothing sent, shown, hidden or flashed.
    T->Loaded();
    T->SetGrandeIconeVisible(false);
    T->SetApplicationCachee(true);
    T->SetHint(u"astuce");
    T->SetGrandeIconBlink(true);
    T->ClignoterUneFois();
    QVERIFY(FArea->Calls.empty());
    QVERIFY(Application->Handle().Visible());
    QVERIFY(!Application->Handle().Flashing());

    // Still copies the resting image and still checks the order text.
    T->SetImageList(Images);
    T->SetNumIconeImageList(2);
    QCOMPARE(ImageOf(T->Icone()), 2);
    QVERIFY_THROWS_EXCEPTION(ExceptionNumsImageLIstAffiche, T->SetOrdreImageListAffiche(u"1 2"));

    delete T;
    QVERIFY(FArea->Calls.empty());
    QCOMPARE(Application->Handle().Perform(1), 42);
    ActivateCalled = false;
    Application->Activated();
    QVERIFY(ActivateCalled);
}

void tst_PiconeBarreTache::ownerMustBeAWindow()
{
    TComponent Plain(nullptr);
    for (TComponent* Owner : { static_cast<TComponent*>(nullptr), &Plain }) {
        try {
            new TPiconeBarreTache(Owner);
            QFAIL("no error");
        } catch (const Exception& E) {
            QCOMPARE(ToQt(E.Message()), QStringLiteral("PiconeBarreTache doit appartenir à une fiche"));
        }
    }
    QCOMPARE(Plain.ComponentCount(), 0);
}

void tst_PiconeBarreTache::loadingVersusLoaded()
{
    size_t SentWhileLoading = 99;
    TTrayForm* F = MainWindow([&](TTrayForm* F) {
        StandardLayout(F);
        F->Tray->SetHint(u"Veludor");
        F->Tray->SetIcone(ColourIcon(ImageColour(7)));
        F->Tray->SetPetiteIconeVisible(false);
        F->Tray->SetPetiteIconeVisible(true);
        SentWhileLoading = FArea->Calls.size();
    });
    TPiconeBarreTache* T = F->Tray;

    QCOMPARE(SentWhileLoading, size_t(0));
    QCOMPARE(FArea->Commands(), QStringList { "add" });
    const TNotifyIconData& D = FArea->Last().Data;
    QCOMPARE(D.cbSize, 88u);
    QCOMPARE(WidgetOf(D.hWnd), WidgetOf(T->FenetreMessages()->Handle()));
    QCOMPARE(D.uID, 1u);
    QCOMPARE(D.uFlags, 7u);
    QCOMPARE(D.uCallbackMessage, 0x464u);
    QCOMPARE(ImageOf(IconOf(D.hIcon)), 7);
    QCOMPARE(ToQt(D.Tip()), QStringLiteral("Veludor"));
    QVERIFY(T->IconeAjoutee() && T->ChargementFini());
    QCOMPARE(T->MenuPop(), F->Menu);
    // The main window is not known while its own layout is applied.
    QCOMPARE(Application->MainForm(), F);
}

void tst_PiconeBarreTache::layoutWithoutSmallIconNeverAdds()
{
    TTrayForm* F = MainWindow([](TTrayForm* F) {
        StandardLayout(F);
        F->Tray->SetPetiteIconeVisible(false);
    });
    QVERIFY(FArea->Calls.empty());
    Application->Handle().Perform(F->Tray->MessageTaskbarCreated());
    QVERIFY(FArea->Calls.empty());
    QVERIFY(!F->Tray->IconeAjoutee());
    // The record is filled all the same.
    QCOMPARE(F->Tray->DonneesIcone().uFlags, 7u);
}

void tst_PiconeBarreTache::petiteIconeVisibleOffAndOn()
{
    TTrayForm* F = MainWindow();
    TPiconeBarreTache* T = F->Tray;
    FArea->Clear();

    T->SetPetiteIconeVisible(false);
    T->SetPetiteIconeVisible(false);
    QCOMPARE(FArea->Commands(), QStringList { "delete" });
    QCOMPARE(WidgetOf(FArea->Last().Data.hWnd), WidgetOf(T->FenetreMessages()->Handle()));
    QCOMPARE(FArea->Last().Data.uID, 1u);
    QVERIFY(!T->IconeAjoutee());

    // Comes back with what has changed meanwhile.
    T->SetHint(u"nouvelle astuce");
    T->SetIcone(ColourIcon(ImageColour(4)));
    QCOMPARE(FArea->Commands(), QStringList { "delete" });
    T->SetPetiteIconeVisible(true);
    T->SetPetiteIconeVisible(true);
    QCOMPARE(FArea->Commands(), (QStringList { "delete", "add" }));
    QCOMPARE(ToQt(FArea->Last().Data.Tip()), QStringLiteral("nouvelle astuce"));
    QCOMPARE(ImageOf(FArea->Last().Icon), 4);
    QCOMPARE(WidgetOf(FArea->Last().Data.hWnd), WidgetOf(T->FenetreMessages()->Handle()));
    QVERIFY(T->IconeAjoutee());
}

void tst_PiconeBarreTache::propertyTable_data()
{
    QTest::addColumn<TAction>("Action");
    QTest::addColumn<QStringList>("Commands");

    const QStringList None;
    const QStringList Modify { "modify" };
    QTest::newRow("MenuPop: reference only") << TAction([](TTrayForm* F) { F->Tray->SetMenuPop(nullptr); }) << None;
    QTest::newRow("ReduireSiFin: stored") << TAction([](TTrayForm* F) { F->Tray->SetReduireSiFin(true); }) << None;
    QTest::newRow("CacherSiMinimize: stored")
        << TAction([](TTrayForm* F) { F->Tray->SetCacherSiMinimize(true); }) << None;
    QTest::newRow("PetiteIconeVisible false: removed")
        << TAction([](TTrayForm* F) { F->Tray->SetPetiteIconeVisible(false); }) << QStringList { "delete" };
    QTest::newRow("GrandeIconeVisible: no record")
        << TAction([](TTrayForm* F) { F->Tray->SetGrandeIconeVisible(true); }) << None;
    QTest::newRow("ApplicationCachee: no record")
        << TAction([](TTrayForm* F) { F->Tray->SetApplicationCachee(true); }) << None;
    QTest::newRow("IconeFileName empty: nothing loaded")
        << TAction([](TTrayForm* F) { F->Tray->SetIconeFileName(TString()); }) << None;
    QTest::newRow("Icone: changed in the area")
        << TAction([](TTrayForm* F) { F->Tray->SetIcone(ColourIcon(ImageColour(3))); }) << Modify;
    QTest::newRow("Icone none: an empty icon sent")
        << TAction([](TTrayForm* F) { F->Tray->SetIcone(TIcon()); }) << Modify;
    QTest::newRow("ImageList: reference only")
        << TAction([](TTrayForm* F) { F->Tray->SetImageList(MakeImages(F, 2)); }) << None;
    QTest::newRow("OrdreImageListAffiche: stored")
        << TAction([](TTrayForm* F) { F->Tray->SetOrdreImageListAffiche(u"1,0"); }) << None;
    QTest::newRow("IntervalAnimation: timer only")
        << TAction([](TTrayForm* F) { F->Tray->SetIntervalAnimation(250); }) << None;
    QTest::newRow("Animation without list: nothing shown")
        << TAction([](TTrayForm* F) { F->Tray->SetAnimation(true); }) << None;
    QTest::newRow("NumIconeImageList with a list: image shown")
        << TAction([](TTrayForm* F) {
               F->Tray->SetImageList(MakeImages(F, 2));
               F->Tray->SetNumIconeImageList(1);
           })
        << Modify;
    QTest::newRow("Hint: changed in the area")
        << TAction([](TTrayForm* F) { F->Tray->SetHint(u"x"); }) << Modify;
    QTest::newRow("GrandeIconBlink: no record")
        << TAction([](TTrayForm* F) { F->Tray->SetGrandeIconBlink(true); }) << None;
    QTest::newRow("IntervalGrandeIconeBlink: timer only")
        << TAction([](TTrayForm* F) { F->Tray->SetIntervalGrandeIconeBlink(300); }) << None;
    QTest::newRow("click options: stored")
        << TAction([](TTrayForm* F) {
               F->Tray->SetOuvreSiClicGauche(false);
               F->Tray->SetOuvreSiDblClick(true);
               F->Tray->SetMenuSiClicDroit(false);
               F->Tray->SetMenuSiClicGauche(true);
           })
        << None;
    QTest::newRow("events: stored") << TAction([](TTrayForm* F) {
        F->Tray->OnMouseDown = [](TObject*, TMouseButton, TShiftState, int, int) {};
        F->Tray->OnDblClick = [](TObject*) {};
    }) << None;
}

void tst_PiconeBarreTache::propertyTable()
{
    QFETCH(TAction, Action);
    QFETCH(QStringList, Commands);
    TTrayForm* F = MainWindow();
    FArea->Clear();
    Action(F);
    QCOMPARE(FArea->Commands(), Commands);
    // A change always carries the whole record.
    for (const auto& Call : FArea->Calls) {
        QCOMPARE(Call.Data.uFlags, 7u);
        QCOMPARE(Call.Data.uCallbackMessage, 0x464u);
        if (Call.Message == NIM_MODIFY) {
            QCOMPARE(ImageOf(Call.Icon), ImageOf(F->Tray->Icone()));
        }
    }
}

void tst_PiconeBarreTache::tip_data()
{
    QTest::addColumn<QString>("Hint");
    QTest::addColumn<QString>("Shown");

    const QString Seventy = QString(QLatin1Char('a')).repeated(60) + QStringLiteral("0123456789");
    QTest::newRow("70 characters: stored whole, 63 shown") << Seventy << Seventy.left(63);
    QTest::newRow("63 characters: all shown") << Seventy.left(63) << Seventy.left(63);
    QTest::newRow("64 characters: 63 shown") << Seventy.left(64) << Seventy.left(63);
    QTest::newRow("empty: an empty tip") << QString() << QString();
    QTest::newRow("accented text kept") << QStringLiteral("Réveil à 07:05") << QStringLiteral("Réveil à 07:05");
    const QString Emoji = QString(QLatin1Char('b')).repeated(62) + QString::fromUtf8("\xF0\x9F\x98\x80");
    QTest::newRow("cut inside a surrogate pair drops the whole character") << Emoji << Emoji.left(62);
}

void tst_PiconeBarreTache::tip()
{
    QFETCH(QString, Hint);
    QFETCH(QString, Shown);
    TTrayForm* F = MainWindow();
    F->Tray->SetHint(u"avant");
    FArea->Clear();

    F->Tray->SetHint(FromQt(Hint));
    QCOMPARE(ToQt(F->Tray->Hint()), Hint);
    QCOMPARE(FArea->Commands(), QStringList { "modify" });
    const TNotifyIconData& D = FArea->Last().Data;
    QCOMPARE(ToQt(D.Tip()), Shown);
    QVERIFY(D.szTip[size_t(Shown.size())] == 0);
    QVERIFY(D.uFlags & NIF_TIP);
}

void tst_PiconeBarreTache::iconFile_data()
{
    QTest::addColumn<QString>("Name");
    QTest::addColumn<QString>("Error");

    QTest::newRow("an icon file: loaded and sent") << QStringLiteral("bleu.ico") << QString();
    QTest::newRow("a missing file: open error, icon kept")
        << QStringLiteral("absent.ico") << QStringLiteral("Impossible d'ouvrir le fichier %1");
    QTest::newRow("not an icon: graphic error, icon kept")
        << QStringLiteral("texte.ico") << QStringLiteral("Icône incorrecte");
    QTest::newRow("a folder: open error, icon kept")
        << QStringLiteral("dossier.ico") << QStringLiteral("Impossible d'ouvrir le fichier %1");
    QTest::newRow("past the size bound: refused unread, icon kept")
        << QStringLiteral("enorme.ico") << QStringLiteral("Icône incorrecte");
}

void tst_PiconeBarreTache::iconFile()
{
    QFETCH(QString, Name);
    QFETCH(QString, Error);
    QTemporaryDir Dir;
    QImage Blue(16, 16, QImage::Format_ARGB32);
    Blue.fill(ImageColour(9));
    QVERIFY(Blue.save(Dir.filePath(QStringLiteral("bleu.ico")), "ICO"));
    QFile Text(Dir.filePath(QStringLiteral("texte.ico")));
    QVERIFY(Text.open(QIODevice::WriteOnly));
    Text.write("pas une icone");
    Text.close();
    QVERIFY(QDir(Dir.path()).mkdir(QStringLiteral("dossier.ico")));
    // Sparse: 16 MiB and one byte of nothing, past what an icon file may hold.
    QFile Huge(Dir.filePath(QStringLiteral("enorme.ico")));
    QVERIFY(Huge.open(QIODevice::WriteOnly) && Huge.resize(16 * 1024 * 1024 + 1));
    Huge.close();

    TTrayForm* F = MainWindow();
    FArea->Clear();
    const QString Path = Dir.filePath(Name);
    const TIcon Before = F->Tray->Icone();
    try {
        F->Tray->SetIconeFileName(FromQt(Path));
        QVERIFY(Error.isEmpty());
        QCOMPARE(ImageOf(F->Tray->Icone()), 9);
        QCOMPARE(FArea->Commands(), QStringList { "modify" });
        QCOMPARE(ImageOf(FArea->Last().Icon), 9);
    } catch (const Exception& E) {
        QCOMPARE(ToQt(E.Message()), Error.contains(QLatin1String("%1")) ? Error.arg(Path) : Error);
        QVERIFY(F->Tray->Icone() == Before);
        QVERIFY(FArea->Calls.empty());
    }
    QCOMPARE(ToQt(F->Tray->IconeFileName()), Path);
}

void tst_PiconeBarreTache::taskbarCreated_data()
{
    QTest::addColumn<bool>("Visible");
    QTest::newRow("icon visible: added again with its image and tip") << true;
    QTest::newRow("icon hidden: nothing added") << false;
}

void tst_PiconeBarreTache::taskbarCreated()
{
    QFETCH(bool, Visible);
    QList<quint32> Before;
    Application->Handle().WindowProc = [&](quint32 Msg, quintptr, qintptr) -> qintptr {
        Before << Msg;
        return 7;
    };
    TTrayForm* F = MainWindow();
    TPiconeBarreTache* T = F->Tray;
    T->SetHint(u"Veludor");
    T->SetIcone(ColourIcon(ImageColour(5)));
    T->SetPetiteIconeVisible(Visible);
    FArea->Clear();

    QCOMPARE(Application->Handle().Perform(T->MessageTaskbarCreated()), 7);
    QCOMPARE(Before, QList<quint32> { T->MessageTaskbarCreated() });
    if (Visible) {
        QCOMPARE(FArea->Commands(), QStringList { "add" });
        QCOMPARE(ToQt(FArea->Last().Data.Tip()), QStringLiteral("Veludor"));
        QCOMPARE(ImageOf(FArea->Last().Icon), 5);
        QCOMPARE(WidgetOf(FArea->Last().Data.hWnd), WidgetOf(T->FenetreMessages()->Handle()));
    } else {
        QVERIFY(FArea->Calls.empty());
    }
}

void tst_PiconeBarreTache::destructionRemovesIconAndRestoresHandlers()
{
    QStringList Calls;
    Application->OnActivate = [&](TObject*) { Calls << "activate"; };
    Application->OnMinimize = [&](TObject*) { Calls << "minimize"; };
    Application->Handle().WindowProc = [&](quint32, quintptr, qintptr) -> qintptr {
        Calls << "proc";
        return 3;
    };
    TTrayForm* F = MainWindow();
    TPiconeBarreTache* T = F->Tray;
    QWidget* Window = WidgetOf(T->FenetreMessages()->Handle());

    // Someone installs others after the component.
    Application->OnActivate = [&](TObject*) { Calls << "later activate"; };
    Application->OnMinimize = nullptr;
    Application->Handle().WindowProc = [&](quint32, quintptr, qintptr) -> qintptr { return -1; };
    F->OnClose = nullptr;
    FArea->Clear();

    delete T;
    QCOMPARE(FArea->Commands(), QStringList { "delete" });
    QCOMPARE(WidgetOf(FArea->Last().Data.hWnd), Window);
    QCOMPARE(FArea->Last().Data.uID, 1u);

    // What was there before the component is back.
    Application->Activated();
    Application->OnMinimize(Application);
    QCOMPARE(Application->Handle().Perform(WM_NULL), 3);
    TCloseAction Action = TCloseAction::caHide;
    F->OnClose(F, Action);
    QCOMPARE(Calls, (QStringList { "activate", "minimize", "proc" }));
    QCOMPARE(Log, QStringList { "FormClose" });
    QCOMPARE(F->ComponentCount(), 1); // the menu only
}

void tst_PiconeBarreTache::destructionAfterTheMessageWindowIsGone()
{
    TTrayForm* F = MainWindow();
    TPiconeBarreTache* T = F->Tray;
    QWidget* Window = WidgetOf(T->FenetreMessages()->Handle());
    delete Window; // the owner window destroys its child windows first
    QCOMPARE(WidgetOf(T->FenetreMessages()->Handle()), nullptr);
    FArea->Clear();

    delete T;
    QCOMPARE(FArea->Commands(), QStringList { "delete" });
    QCOMPARE(WidgetOf(FArea->Last().Data.hWnd), Window);
}

void tst_PiconeBarreTache::handlersOfOursPutBackLaterPassThrough()
{
    QStringList Calls;
    Application->OnActivate = [&](TObject*) { Calls << "first"; };
    TTrayForm* F = MainWindow();
    TPiconeBarreTache* T = F->Tray;

    // Another component chains onto ours and, destroyed after us, puts ours back.
    TNotifyEvent Ours = Application->OnActivate;
    TApplicationWindow::TWndProc OurProc = Application->Handle().WindowProc;
    TCloseEvent OurClose = F->OnClose;
    delete T;
    Application->OnActivate = Ours;
    Application->Handle().WindowProc = OurProc;
    F->OnClose = OurClose;

    Application->Activated();
    QCOMPARE(Calls, QStringList { "first" });
    QCOMPARE(Application->Handle().Perform(Application->RegisterWindowMessage(u"TaskbarCreated")), 0);
    TCloseAction Action = TCloseAction::caHide;
    F->OnClose(F, Action);
    QCOMPARE(Log, QStringList { "FormClose" });
    QCOMPARE(FArea->Commands(), (QStringList { "add", "delete" }));
}

void tst_PiconeBarreTache::reduireSiFin_data()
{
    QTest::addColumn<bool>("Reduire");
    QTest::newRow("ReduireSiFin: the window hides and stays open") << true;
    QTest::newRow("without: the close goes on") << false;
}

void tst_PiconeBarreTache::reduireSiFin()
{
    QFETCH(bool, Reduire);
    TTrayForm* F = MainWindow();
    F->Tray->SetReduireSiFin(Reduire);
    F->Show();
    Application->Handle().SetVisible(true);
    Log.clear();

    TCloseAction Action = TCloseAction::caFree;
    F->OnClose(F, Action);
    QCOMPARE(Log, QStringList { "FormClose" }); // the window's own handler first
    QCOMPARE(Action, Reduire ? TCloseAction::caNone : TCloseAction::caFree);
    QCOMPARE(F->Visible(), !Reduire);
    QCOMPARE(Application->Handle().Visible(), !Reduire);
    // The stored value is not touched by the hiding.
    QVERIFY(!F->Tray->ApplicationCachee());
}

void tst_PiconeBarreTache::activateAndMinimize_data()
{
    QTest::addColumn<bool>("GrandeIcone");
    QTest::addColumn<bool>("CacherSiMinimize");
    QTest::addColumn<bool>("VisibleAfterActivate");
    QTest::addColumn<bool>("VisibleAfterMinimize");

    QTest::newRow("no taskbar button: hidden again on activation") << false << false << false << true;
    QTest::newRow("taskbar button: left alone") << true << false << true << true;
    QTest::newRow("CacherSiMinimize: hidden on minimising") << true << true << true << false;
}

void tst_PiconeBarreTache::activateAndMinimize()
{
    QFETCH(bool, GrandeIcone);
    QFETCH(bool, CacherSiMinimize);
    QFETCH(bool, VisibleAfterActivate);
    QFETCH(bool, VisibleAfterMinimize);
    QStringList Calls;
    Application->OnActivate = [&](TObject* S) {
        Calls << "activate";
        QCOMPARE(S, Application);
        QVERIFY(Application->Handle().Visible()); // ours runs after
    };
    Application->OnMinimize = [&](TObject*) {
        Calls << "minimize";
        QVERIFY(Application->Handle().Visible());
    };
    TTrayForm* F = MainWindow();
    F->Tray->SetGrandeIconeVisible(GrandeIcone);
    F->Tray->SetCacherSiMinimize(CacherSiMinimize);

    Application->Handle().SetVisible(true); // the framework shows it with a window
    Application->Activated();
    QCOMPARE(Application->Handle().Visible(), VisibleAfterActivate);
    Application->Handle().SetVisible(true);
    Application->OnMinimize(Application);
    QCOMPARE(Application->Handle().Visible(), VisibleAfterMinimize);
    QCOMPARE(Calls, (QStringList { "activate", "minimize" }));
}

void tst_PiconeBarreTache::applicationCachee()
{
    TTrayForm* F = MainWindow();
    TPiconeBarreTache* T = F->Tray;
    F->Show();
    Application->Handle().SetVisible(true);

    T->SetApplicationCachee(true);
    QVERIFY(!F->Visible() && !Application->Handle().Visible());
    QVERIFY(Application->ShowMainForm);

    // False brings it back, also when it already reads false.
    for (int Round = 0; Round < 2; ++Round) {
        WidgetOf(F)->showMinimized();
        F->Hide();
        Log.clear();
        Application->Handle().SetVisible(true);
        T->SetApplicationCachee(false);
        QVERIFY(F->Visible() && WidgetOf(F)->isVisible());
        QVERIFY(!Application->Minimized());
        QCOMPARE(Log, QStringList { "open" });
        // And the taskbar button follows GrandeIconeVisible again.
        QVERIFY(!Application->Handle().Visible());
    }
}

void tst_PiconeBarreTache::applicationCacheeInTheMainWindowLayout_data()
{
    QTest::addColumn<bool>("Cachee");
    QTest::newRow("true: the program starts with its icon only") << true;
    QTest::newRow("false: nothing to show yet") << false;
}

void tst_PiconeBarreTache::applicationCacheeInTheMainWindowLayout()
{
    QFETCH(bool, Cachee);
    Application->Handle().SetVisible(true);
    TTrayForm* F = MainWindow([&](TTrayForm* F) {
        StandardLayout(F);
        F->Tray->SetGrandeIconeVisible(true);
        F->Tray->SetApplicationCachee(Cachee);
    });
    QCOMPARE(Application->ShowMainForm, !Cachee);
    QCOMPARE(Application->Handle().Visible(), !Cachee);
    QVERIFY(!WidgetOf(F)->isVisible());
    QVERIFY(Log.isEmpty());
}

void tst_PiconeBarreTache::grandeIconeVisibleActsOnEverySetting()
{
    TTrayForm* F = MainWindow(); // the layout hides the button at once
    QVERIFY(!Application->Handle().Visible());
    Application->Handle().SetVisible(true);
    F->Tray->SetGrandeIconeVisible(false);
    QVERIFY(!Application->Handle().Visible());
    F->Tray->SetGrandeIconeVisible(true);
    QVERIFY(Application->Handle().Visible());
    // Reading gives the stored value, not the screen's.
    Application->Handle().SetVisible(false);
    QVERIFY(F->Tray->GrandeIconeVisible());
}

void tst_PiconeBarreTache::clickMatrix_data()
{
    QTest::addColumn<int>("Mouse");
    QTest::addColumn<bool>("OuvreGauche");
    QTest::addColumn<bool>("OuvreDouble");
    QTest::addColumn<bool>("MenuDroit");
    QTest::addColumn<bool>("MenuGauche");
    QTest::addColumn<bool>("WithMenu");
    QTest::addColumn<QStringList>("Expected");

    using L = QStringList;
    QTest::newRow("left press, OuvreSiClicGauche: event, then open")
        << 0x201 << true << false << true << false << true << L { "down:left:ssLeft", "open" };
    QTest::newRow("left press, both left options: event, open, then menu")
        << 0x201 << true << false << true << true << true << L { "down:left:ssLeft", "open", "menu" };
    QTest::newRow("left press, MenuSiClicGauche only: event, menu")
        << 0x201 << false << false << false << true << true << L { "down:left:ssLeft", "menu" };
    QTest::newRow("left press, MenuSiClicGauche without menu: event only")
        << 0x201 << false << false << false << true << false << L { "down:left:ssLeft" };
    QTest::newRow("left press, no option: event only")
        << 0x201 << false << true << true << false << true << L { "down:left:ssLeft" };
    QTest::newRow("left release never opens")
        << 0x202 << true << true << true << true << true << L { "up:left:ssLeft" };
    QTest::newRow("left double-click, OuvreSiDblClick: event, then open")
        << 0x203 << false << true << true << true << true << L { "dblclick", "open" };
    QTest::newRow("left double-click without OuvreSiDblClick: event only")
        << 0x203 << true << false << true << true << true << L { "dblclick" };
    QTest::newRow("right press, MenuSiClicDroit: event, then menu")
        << 0x204 << true << true << true << false << true << L { "down:right:ssRight", "menu" };
    QTest::newRow("right press, MenuSiClicDroit but no MenuPop: event only")
        << 0x204 << true << true << true << false << false << L { "down:right:ssRight" };
    QTest::newRow("right press without MenuSiClicDroit: event only")
        << 0x204 << true << true << false << true << true << L { "down:right:ssRight" };
    QTest::newRow("right release") << 0x205 << true << true << true << true << true << L { "up:right:ssRight" };
    QTest::newRow("right double-click 0x206: nothing") << 0x206 << true << true << true << true << true << L {};
    QTest::newRow("middle press") << 0x207 << true << true << true << true << true << L { "down:middle:ssMiddle" };
    QTest::newRow("middle release") << 0x208 << true << true << true << true << true << L { "up:middle:ssMiddle" };
    QTest::newRow("middle double-click 0x209: nothing") << 0x209 << true << true << true << true << true << L {};
    QTest::newRow("mouse move: left-button flag with no button held")
        << 0x200 << true << true << true << true << true << L { "move:ssLeft" };
    QTest::newRow("another message: nothing") << 0x20A << true << true << true << true << true << L {};
}

void tst_PiconeBarreTache::clickMatrix()
{
    QFETCH(int, Mouse);
    QFETCH(bool, OuvreGauche);
    QFETCH(bool, OuvreDouble);
    QFETCH(bool, MenuDroit);
    QFETCH(bool, MenuGauche);
    QFETCH(bool, WithMenu);
    QFETCH(QStringList, Expected);

    TTrayForm* F = MainWindow();
    TPiconeBarreTache* T = F->Tray;
    T->SetOuvreSiClicGauche(OuvreGauche);
    T->SetOuvreSiDblClick(OuvreDouble);
    T->SetMenuSiClicDroit(MenuDroit);
    T->SetMenuSiClicGauche(MenuGauche);
    if (!WithMenu) {
        T->SetMenuPop(nullptr);
    }
    const auto Check = [T](TObject* Sender, int X, int Y) {
        QCOMPARE(Sender, T);
        QCOMPARE(QPoint(X, Y), Cursor);
    };
    T->OnMouseDown = [&](TObject* S, TMouseButton B, TShiftState Sh, int X, int Y) {
        Check(S, X, Y);
        Log << QStringLiteral("down:%1:%2").arg(ButtonName(B), ShiftName(Sh));
    };
    T->OnMouseUp = [&](TObject* S, TMouseButton B, TShiftState Sh, int X, int Y) {
        Check(S, X, Y);
        Log << QStringLiteral("up:%1:%2").arg(ButtonName(B), ShiftName(Sh));
    };
    T->OnMouseMove = [&](TObject* S, TShiftState Sh, int X, int Y) {
        Check(S, X, Y);
        Log << QStringLiteral("move:%1").arg(ShiftName(Sh));
    };
    T->OnDblClick = [&](TObject* S) {
        QCOMPARE(S, T);
        Log << QStringLiteral("dblclick");
    };
    TMenuCloser Closer;

    FArea->SendMouse(Mouse);
    QCOMPARE(Log, Expected);
    for (const QPoint& Place : Closer.Places) {
        QCOMPARE(Place, Cursor);
    }
    QVERIFY(FBox->Texts.isEmpty());
}

// Tray hosts that draw the menu themselves get MenuPop's Qt menu, whose items run the
// same commands; none while a right click shows no menu, and none once we are gone.
void tst_PiconeBarreTache::menuForHostsThatDrawIt()
{
    TTrayForm* F = MainWindow();
    F->Menu->Items()->Items(0)->OnClick = [](TObject*) { Log << QStringLiteral("Quitter"); };
    const std::function<TMenuHandle()> Handle = FArea->Last().Data.Menu;
    const auto Menu = [&] { return MenuOf(Handle()); };
    QVERIFY(Handle);
    QMenu* Shown = Menu();
    QVERIFY(Shown);
    QCOMPARE(Menu(), Shown); // asked again: the same menu, not a new one
    QCOMPARE(Shown->actions().size(), 1);
    QCOMPARE(Shown->actions().first()->text(), QStringLiteral("&Quitter"));
    Shown->actions().first()->trigger();
    QCOMPARE(Log.filter(QStringLiteral("Quitter")), QStringList { "Quitter" });

    F->Tray->SetMenuSiClicDroit(false);
    QCOMPARE(Menu(), nullptr);
    F->Tray->SetMenuSiClicDroit(true);
    delete F->Tray;
    QCOMPARE(Menu(), nullptr);
}

void tst_PiconeBarreTache::menuOpensWhereTheCursorWas()
{
    MainWindow();
    TMenuCloser Closer;
    // Moved by a message that is still pending when the right press is handled.
    QMetaObject::invokeMethod(qApp, [] { QCursor::setPos(300, 200); }, Qt::QueuedConnection);
    FArea->SendMouse(WM_RBUTTONDOWN);
    QCOMPARE(Closer.Places, QList<QPoint> { Cursor });
    QCOMPARE(QCursor::pos(), QPoint(300, 200));
}

// The notification area's callbacks go through the message window's WindowProc, so a
// handler put in front sees them and decides whether the tray icon gets them.
void tst_PiconeBarreTache::messageWindowHook_data()
{
    QTest::addColumn<bool>("PassOn");
    QTest::addColumn<QStringList>("Expected");
    QTest::newRow("passed on: the tray icon handles the press")
        << true << QStringList { "hook:1124:513", "down:left:", "open" };
    QTest::newRow("kept: the tray icon never sees it") << false << QStringList { "hook:1124:513" };
}

void tst_PiconeBarreTache::messageWindowHook()
{
    QFETCH(bool, PassOn);
    QFETCH(QStringList, Expected);
    TTrayForm* F = MainWindow();
    TPourHandle* Window = F->Tray->FenetreMessages();
    F->Tray->OnMouseDown = [](TObject*, TMouseButton B, TShiftState, int, int) {
        Log << QStringLiteral("down:%1:").arg(ButtonName(B));
    };
    const auto Previous = Window->WindowProc;
    Window->WindowProc = [&](TMessage& M) {
        Log << QStringLiteral("hook:%1:%2").arg(M.Msg).arg(M.LParam);
        if (PassOn) {
            Previous(M);
        }
    };
    FArea->SendMouse(WM_LBUTTONDOWN);
    QVERIFY2(Log == Expected, qPrintable(Log.join(QLatin1Char(' '))));
}

void tst_PiconeBarreTache::failingHandlerSkipsTheRest()
{
    TTrayForm* F = MainWindow();
    F->Tray->SetMenuSiClicGauche(true);
    F->Tray->OnMouseDown = [](TObject*, TMouseButton, TShiftState, int, int) {
        throw Exception(u"Échec du gestionnaire");
    };
    TMenuCloser Closer;
    FArea->SendMouse(WM_LBUTTONDOWN);
    QVERIFY(Log.isEmpty()); // neither opened nor the menu
    QCOMPARE(FBox->Texts, QStringList { "Échec du gestionnaire." });
    QCOMPARE(FBox->Titles, QStringList { "Veludor" });
}

void tst_PiconeBarreTache::orderText_data()
{
    QTest::addColumn<QString>("Text");
    QTest::addColumn<bool>("Accepted");
    QTest::addColumn<int>("Entries");

    QTest::newRow("1, 2 with a space: refused") << QStringLiteral("1, 2") << false << 0;
    QTest::newRow("1,2, with a trailing comma: 3 entries") << QStringLiteral("1,2,") << true << 3;
    QTest::newRow("empty: no entry") << QString() << true << 0;
    QTest::newRow("3,,5: 3 entries") << QStringLiteral("3,,5") << true << 3;
    QTest::newRow("a lone comma: 2 entries") << QStringLiteral(",") << true << 2;
    QTest::newRow("0,1,2,1: 4 entries") << QStringLiteral("0,1,2,1") << true << 4;
    QTest::newRow("a minus sign: refused") << QStringLiteral("-1") << false << 0;
    QTest::newRow("a letter at the end: refused") << QStringLiteral("1,2a") << false << 0;
    QTest::newRow("a full-width digit: refused") << QStringLiteral("１") << false << 0;
}

void tst_PiconeBarreTache::orderText()
{
    QFETCH(QString, Text);
    QFETCH(bool, Accepted);
    QFETCH(int, Entries);
    TTrayForm* F = MainWindow();
    TPiconeBarreTache* T = F->Tray;
    T->SetImageList(MakeImages(F, 3));
    T->SetOrdreImageListAffiche(u"0,1");
    T->EtapeAnimation();
    QCOMPARE(T->PositionOrdre(), 1);

    if (Accepted) {
        T->SetOrdreImageListAffiche(FromQt(Text));
        QCOMPARE(ToQt(T->OrdreImageListAffiche()), Text);
        QCOMPARE(T->NombreEntrees(), Entries);
    } else {
        try {
            T->SetOrdreImageListAffiche(FromQt(Text));
            QFAIL("accepted");
        } catch (const ExceptionNumsImageLIstAffiche& E) {
            QCOMPARE(E.AnsiMessage(), ExceptionNumsImageLIstAffiche::MessageMauvaiseEntree());
        }
        QCOMPARE(T->OrdreImageListAffiche(), TString(u"0,1"));
        QCOMPARE(T->NombreEntrees(), 2);
    }
    QCOMPARE(T->PositionOrdre(), 1); // never reset by a new text
}

void tst_PiconeBarreTache::orderTextErrorIsShownDecoded()
{
    const QByteArray Ansi = QByteArray::fromStdString(ExceptionNumsImageLIstAffiche::MessageMauvaiseEntree());
    QCOMPARE(Ansi.count('\xE9'), 5);
    QVERIFY(!Ansi.contains("\xC3\xA9")); // not UTF-8
    QCOMPARE(Ansi,
        QByteArray("Erreur dans PiconeBarreTache : Mauvaise entr\xE9"
                   "e dans NumsImageListAffiche. Mettre les num\xE9"
                   "ros des images de la liste (ImageList) que vous voulez voir d\xE9"
                   "filer s\xE9par\xE9s par des virgules"));

    TTrayForm* F = MainWindow();
    Application->Guard([&] { F->Tray->SetOrdreImageListAffiche(u"1; 2"); });
    QCOMPARE(FBox->Texts,
        QStringList { QStringLiteral("Erreur dans PiconeBarreTache : Mauvaise entrée dans NumsImageListAffiche. "
                                     "Mettre les numéros des images de la liste (ImageList) que vous voulez voir "
                                     "défiler séparés par des virgules.") });

    QCOMPARE(ToQt(DecodeWindows1252("\x80\x92\x9F\xA0\xFF\x81")),
        QString::fromUtf8("\u20AC\u2019\u0178\u00A0\u00FF\u0081"));
}

void tst_PiconeBarreTache::animation_data()
{
    QTest::addColumn<int>("Images");
    QTest::addColumn<QString>("Order");
    QTest::addColumn<int>("Resting");
    QTest::addColumn<QList<int>>("Shown"); // the icon's image after each tick (-1: not a list image)
    QTest::addColumn<QList<int>>("Current"); // ImageCourante after each tick
    QTest::addColumn<int>("Modifies"); // changes sent to the notification area

    using I = QList<int>;
    QTest::newRow("2,0,1 over 3 images shows 0, 1, 2, 0, 1, 2")
        << 3 << QStringLiteral("2,0,1") << 0 << I { 0, 1, 2, 0, 1, 2 } << I { 0, 1, 2, 0, 1, 2 } << 8;
    QTest::newRow("order 5 over 3 images shows 2 at every tick")
        << 3 << QStringLiteral("5") << 0 << I { 2, 2, 2 } << I { 2, 2, 2 } << 3;
    QTest::newRow("an entry naming the last image sets it twice")
        << 3 << QStringLiteral("2") << 0 << I { 2, 2 } << I { 2, 2 } << 4;
    QTest::newRow("1,2, with its empty last entry as 0")
        << 3 << QStringLiteral("1,2,") << 0 << I { 2, 0, 1, 2 } << I { 2, 0, 1, 2 } << 6;
    QTest::newRow("an entry too large for 32 bits counts as 0")
        << 3 << QStringLiteral("1,99999999999") << 0 << I { 0, 1, 0 } << I { 0, 1, 0 } << 3;
    QTest::newRow("no order: every image in turn from the one after the resting one")
        << 3 << QString() << 1 << I { 2, 0, 1, 2 } << I { 2, 0, 1, 2 } << 4;
    QTest::newRow("negative resting index: 3 ticks before image 0")
        << 3 << QString() << -3 << I { -1, -1, 0, 1 } << I { -2, -1, 0, 1 } << 2;
    QTest::newRow("a single image") << 1 << QString() << 0 << I { 0, 0 } << I { 0, 0 } << 2;
}

void tst_PiconeBarreTache::animation()
{
    QFETCH(int, Images);
    QFETCH(QString, Order);
    QFETCH(int, Resting);
    QFETCH(QList<int>, Shown);
    QFETCH(QList<int>, Current);
    QFETCH(int, Modifies);

    TTrayForm* F = MainWindow([&](TTrayForm* F) {
        StandardLayout(F);
        F->Tray->SetOrdreImageListAffiche(FromQt(Order));
        F->Tray->SetIntervalAnimation(250);
        F->Tray->SetNumIconeImageList(Resting);
        F->Tray->SetAnimation(true);
        F->Tray->SetImageList(MakeImages(F, Images));
    });
    TPiconeBarreTache* T = F->Tray;
    QVERIFY(T->MinuteurAnimation()->Enabled());
    QCOMPARE(T->MinuteurAnimation()->Interval(), 250);
    // The resting image is shown once loaded, before any tick.
    QCOMPARE(ImageOf(T->Icone()), Resting >= 0 ? Resting : -1);
    FArea->Clear();

    QList<int> SeenShown;
    QList<int> SeenCurrent;
    for (int i = 0; i < Shown.size(); ++i) {
        T->MinuteurAnimation()->Tick();
        SeenShown << ImageOf(T->Icone());
        SeenCurrent << T->ImageCourante();
    }
    QCOMPARE(SeenShown, Shown);
    QCOMPARE(SeenCurrent, Current);
    QCOMPARE(FArea->Calls.size(), size_t(Modifies));
    QCOMPARE(FArea->Commands().count(QStringLiteral("modify")), Modifies);
}

void tst_PiconeBarreTache::animationOverThreeHundredImages()
{
    TTrayForm* F = MainWindow();
    TPiconeBarreTache* T = F->Tray;
    T->SetImageList(MakeImages(F, 300));
    T->SetAnimation(true);

    QList<int> Shown;
    for (int i = 1; i <= 301; ++i) {
        T->EtapeAnimation();
        Shown << ImageOf(T->Icone());
        QCOMPARE(T->ImageCourante(), i % 300);
    }
    QList<int> Expected;
    for (int i = 1; i <= 255; ++i) {
        Expected << i;
    }
    for (int i = 256; i <= 299; ++i) {
        Expected << 255; // 44 ticks on image 255
    }
    Expected << 0 << 1;
    QCOMPARE(Shown, Expected);
}

void tst_PiconeBarreTache::animationStopShowsRestingImage()
{
    TTrayForm* F = MainWindow();
    TPiconeBarreTache* T = F->Tray;
    T->SetImageList(MakeImages(F, 4));
    T->SetNumIconeImageList(1);
    QCOMPARE(ImageOf(T->Icone()), 1);

    T->SetAnimation(true);
    T->EtapeAnimation();
    T->EtapeAnimation();
    QCOMPARE(ImageOf(T->Icone()), 3);
    T->SetNumIconeImageList(0); // taken up when the animation stops
    QCOMPARE(ImageOf(T->Icone()), 3);

    T->SetAnimation(false);
    QVERIFY(!T->MinuteurAnimation()->Enabled());
    QCOMPARE(T->ImageCourante(), 0);
    QCOMPARE(ImageOf(T->Icone()), 0);
    T->SetNumIconeImageList(2); // stopped: at once
    QCOMPARE(ImageOf(T->Icone()), 2);

    // Out of the list, or above 255: recorded, icon unchanged.
    T->ChoisirImage(4);
    QCOMPARE(T->ImageCourante(), 4);
    QCOMPARE(ImageOf(T->Icone()), 2);
}

void tst_PiconeBarreTache::removedReferencesAreDropped()
{
    TTrayForm* F = MainWindow();
    TPiconeBarreTache* T = F->Tray;
    auto* Images = MakeImages(F, 3);
    T->SetImageList(Images);
    T->SetAnimation(true);
    T->EtapeAnimation();
    delete Images;
    QCOMPARE(T->ImageList(), nullptr);
    T->EtapeAnimation(); // does nothing
    QCOMPARE(ImageOf(T->Icone()), 1);

    delete F->Menu;
    QCOMPARE(T->MenuPop(), nullptr);
    FArea->SendMouse(WM_RBUTTONDOWN); // no menu, no failure

    // A menu of another window is dropped too.
    TTrayForm::NextLayout = nullptr;
    auto* Other = new TTrayForm(Application);
    T->SetMenuPop(Other->Menu);
    delete Other;
    QCOMPARE(T->MenuPop(), nullptr);
}

void tst_PiconeBarreTache::blinking()
{
    TTrayForm* F = MainWindow();
    TPiconeBarreTache* T = F->Tray;
    QVERIFY(!T->MinuteurClignotement()->Enabled()); // no timer runs while not blinking

    T->SetIntervalGrandeIconeBlink(400);
    T->SetGrandeIconBlink(true);
    QVERIFY(T->MinuteurClignotement()->Enabled());
    QCOMPARE(T->MinuteurClignotement()->Interval(), 400);
    QVERIFY(!Application->Handle().Flashing()); // nothing before the first tick

    QList<bool> Looks;
    for (int i = 0; i < 3; ++i) {
        T->MinuteurClignotement()->Tick();
        Looks << Application->Handle().Flashing();
    }
    QCOMPARE(Looks, (QList<bool> { true, false, true }));

    // Stopping in the flashed look leaves the normal look.
    T->SetGrandeIconBlink(false);
    QVERIFY(!T->MinuteurClignotement()->Enabled());
    QVERIFY(!Application->Handle().Flashing());
}

QTEST_MAIN(tst_PiconeBarreTache)
#include "tst_piconebarretache.moc"
