// The Qt widget set seen from the model's side: Qt's input arrives as the messages the
// model expects (numbers, packed positions, notifications), the model's answers decide
// what Qt does, and the application hook sees each press once.
#include "toolkit/qt/qtconvert.h"
#include "toolkit/qt/qttranslation.h"
#include "toolkit/widgetset/qt/qtaccess.h"
#include "toolkit/widgetset/qt/qtcanvas.h"
#include "toolkit/widgetset/qt/qtfont.h"
#include "toolkit/widgetset/widgetset.h"

#include <QAbstractSpinBox>
#include <QFontDatabase>
#include <QPainter>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <thread>

#include <unistd.h>

namespace {
// Records what a window object reports and answers as told.
struct TRecordingClient : IWSClient {
    std::vector<TMessage> Messages;
    bool Handle = false;
    std::intptr_t CloseAnswer = 1;
    int Paints = 0;
    bool WSMessage(TMessage& M) override
    {
        if (M.Msg == WM_CLOSE) {
            M.Result = CloseAnswer;
        }
        Messages.push_back(M);
        return Handle;
    }
    void WSPaint(IWSCanvas&, const TRect&) override { ++Paints; }
    const TMessage* Last(std::uint32_t Msg) const
    {
        for (auto It = Messages.rbegin(); It != Messages.rend(); ++It) {
            if (It->Msg == Msg) {
                return &*It;
            }
        }
        return nullptr;
    }
};

struct TRecordingApplication : IWSApplicationClient {
    std::vector<TMsg> Queued;
    bool Swallow = false;
    bool WSQueuedMessage(TMsg& Msg) override
    {
        Queued.push_back(Msg);
        return Swallow;
    }
    void WSActivated() override { }
};

// A shown form of 200 x 100 with the client's messages recorded.
struct TShownForm {
    TRecordingClient Client;
    std::unique_ptr<TWSForm> Form = WidgetSet().CreateForm(&Client);
    TShownForm()
    {
        Form->SetBounds(TRect::FromSize(0, 0, 200, 100));
        Form->SetVisible(true);
    }
    QWidget* Widget() const { return QtWidgetOf(Form.get()); }
};
}

class tst_QtWidgetSet : public QObject {
    Q_OBJECT

private slots:
    void mouseMessages_data();
    void mouseMessages();
    void closeFollowsTheModel_data();
    void closeFollowsTheModel();
    void notifications_data();
    void notifications();
    void hookSeesEachPressOnce_data();
    void hookSeesEachPressOnce();
    void labelKeepsTwoCaptions();
    void fontFaces_data();
    void fontFaces();
    void radioShowsTheModelsState_data();
    void radioShowsTheModelsState();
    void startNamesTheProgram();
    void wakeHandleWatched();
    void bitmapPartsOnTheCanvas_data();
    void bitmapPartsOnTheCanvas();
};

void tst_QtWidgetSet::mouseMessages_data()
{
    QTest::addColumn<int>("Button");
    QTest::addColumn<bool>("Double");
    QTest::addColumn<bool>("Release");
    QTest::addColumn<uint>("Expected");
    QTest::addRow("left press") << int(Qt::LeftButton) << false << false << uint(WM_LBUTTONDOWN);
    QTest::addRow("left release") << int(Qt::LeftButton) << false << true << uint(WM_LBUTTONUP);
    QTest::addRow("left double") << int(Qt::LeftButton) << true << false << uint(WM_LBUTTONDBLCLK);
    QTest::addRow("right press") << int(Qt::RightButton) << false << false << uint(WM_RBUTTONDOWN);
    QTest::addRow("right release") << int(Qt::RightButton) << false << true << uint(WM_RBUTTONUP);
    QTest::addRow("middle press") << int(Qt::MiddleButton) << false << false
                                  << uint(WM_MBUTTONDOWN);
}

// The message number and the client position packed in LParam.
void tst_QtWidgetSet::mouseMessages()
{
    QFETCH(int, Button);
    QFETCH(bool, Double);
    QFETCH(bool, Release);
    QFETCH(uint, Expected);
    TShownForm F;
    const QPoint At(150, 70);
    const auto B = Qt::MouseButton(Button);
    if (Double) {
        QTest::mouseDClick(F.Widget(), B, {}, At);
    } else if (Release) {
        QTest::mouseClick(F.Widget(), B, {}, At);
    } else {
        QTest::mousePress(F.Widget(), B, {}, At);
    }
    const TMessage* M = F.Client.Last(Expected);
    QVERIFY(M);
    QCOMPARE(LParamX(M->LParam), 150);
    QCOMPARE(LParamY(M->LParam), 70);
}

void tst_QtWidgetSet::closeFollowsTheModel_data()
{
    QTest::addColumn<int>("Answer");
    QTest::addColumn<bool>("Closed");
    QTest::addRow("model lets it close") << 1 << true;
    QTest::addRow("model keeps it open") << 0 << false;
}

void tst_QtWidgetSet::closeFollowsTheModel()
{
    QFETCH(int, Answer);
    QFETCH(bool, Closed);
    TShownForm F;
    F.Client.CloseAnswer = Answer;
    F.Form->Close();
    QVERIFY(F.Client.Last(WM_CLOSE));
    QCOMPARE(F.Form->IsVisible(), !Closed);
}

void tst_QtWidgetSet::notifications_data()
{
    QTest::addColumn<int>("Kind");
    QTest::addColumn<int>("Code");
    QTest::addRow("button clicked") << 0 << BN_CLICKED;
    QTest::addRow("edit changed") << 1 << EN_CHANGE;
    QTest::addRow("radio checked") << 2 << BN_CLICKED;
    QTest::addRow("spin text changed") << 3 << EN_CHANGE;
}

// A native control's change reaches the model as WM_COMMAND with the code in the high
// word; the spin box's arrows as the Up key.
void tst_QtWidgetSet::notifications()
{
    QFETCH(int, Kind);
    QFETCH(int, Code);
    TShownForm F;
    TRecordingClient Client;
    std::unique_ptr<TWSControl> C;
    switch (Kind) {
    case 0:
        C = WidgetSet().CreateButton(&Client);
        break;
    case 1:
        C = WidgetSet().CreateEdit(&Client);
        break;
    case 2:
        C = WidgetSet().CreateRadioButton(&Client);
        break;
    default:
        C = WidgetSet().CreateSpinEdit(&Client);
        break;
    }
    C->SetParent(F.Form.get(), nullptr);
    C->SetBounds(TRect::FromSize(10, 10, 80, 24));
    C->SetVisible(true);
    QWidget* W = QtWidgetOf(C.get());
    switch (Kind) {
    case 0:
        QTest::mouseClick(W, Qt::LeftButton);
        break;
    case 1:
        static_cast<TWSEdit*>(C.get())->SetText(u"alarm.mp3");
        break;
    case 2:
        static_cast<TWSRadioButton*>(C.get())->SetChecked(true);
        break;
    default:
        static_cast<QAbstractSpinBox*>(W)->stepUp();
        QCOMPARE(Client.Last(WM_KEYDOWN) ? Client.Last(WM_KEYDOWN)->WParam : 0, VK_UP);
        static_cast<TWSSpinEdit*>(C.get())->SetText(u"12");
        break;
    }
    const TMessage* M = Client.Last(WM_COMMAND);
    QVERIFY(M);
    QCOMPARE(int(M->WParam >> 16), Code);
}

void tst_QtWidgetSet::hookSeesEachPressOnce_data()
{
    QTest::addColumn<bool>("Swallow");
    QTest::addRow("hook passes the press on") << false;
    QTest::addRow("hook swallows the press") << true;
}

// A press on a child that ignores it travels up to the form: the hook still sees it
// once, addressed to the child's top-level window; swallowed, the control never sees it.
void tst_QtWidgetSet::hookSeesEachPressOnce()
{
    QFETCH(bool, Swallow);
    TRecordingApplication App;
    App.Swallow = Swallow;
    WidgetSet().Initialize(&App);
    TShownForm F;
    TRecordingClient Client;
    auto Picture = WidgetSet().CreateGraphicControl(&Client);
    Picture->SetParent(F.Form.get(), nullptr);
    Picture->SetBounds(TRect::FromSize(0, 0, 50, 50));
    Picture->SetVisible(true);
    QTest::mousePress(F.Widget(), Qt::LeftButton, {}, QPoint(20, 30));
    WidgetSet().Initialize(nullptr);
    QCOMPARE(int(App.Queued.size()), 1);
    QCOMPARE(App.Queued[0].message, WM_LBUTTONDOWN);
    QCOMPARE(App.Queued[0].hwnd, F.Form->Handle());
    QCOMPARE(LParamX(App.Queued[0].lParam), 20);
    QCOMPARE(F.Client.Last(WM_LBUTTONDOWN) == nullptr, Swallow);
}

// The label keeps the shapes of its last two captions (a blinking colon): going back to
// the first, and a change of font, give the sizes measured afresh.
void tst_QtWidgetSet::labelKeepsTwoCaptions()
{
    TRecordingClient Client;
    auto Label = WidgetSet().CreateLabel(&Client);
    TFont Small;
    Small.Height = 12;
    TFont Large = Small;
    Large.Height = 40;
    const TSize Colon = Label->TextSize(u"12:34", Small);
    const TSize Wide = Label->TextSize(u"12 WW 34", Small);
    QVERIFY(Wide.Width > Colon.Width);
    QCOMPARE(Label->TextSize(u"12:34", Small).Width, Colon.Width);
    QCOMPARE(Label->TextSize(u"12 WW 34", Small).Width, Wide.Width);
    QVERIFY(Label->TextSize(u"12:34", Large).Width > Colon.Width);
    QCOMPARE(Label->TextSize(u"12:34", Small).Width, Colon.Width);
    QCOMPARE(Label->Metrics(Small).Height, WidgetSet().FontMetrics(Small).Height);
}


void tst_QtWidgetSet::fontFaces_data()
{
    QTest::addColumn<QString>("Face");
    QTest::addColumn<bool>("Has");
    const QString Installed = QFontDatabase::families().value(0);
    QTest::addRow("an installed face") << Installed << !Installed.isEmpty();
    QTest::addRow("in other letter case") << Installed.toUpper() << !Installed.isEmpty();
    QTest::addRow("a face the layouts name, only substituted here") << "MS Sans Serif" << false;
    QTest::addRow("no such face") << "Veludor Sans Nulle Part" << false;
}

// Only a face the system has counts, not the one a substitution would draw with.
void tst_QtWidgetSet::fontFaces()
{
    QFETCH(QString, Face);
    QFETCH(bool, Has);
    InstallQtFontSubstitutions();
    QCOMPARE(WidgetSet().HasFontFace(Face.toStdU16String()), Has);
}

void tst_QtWidgetSet::radioShowsTheModelsState_data()
{
    QTest::addColumn<bool>("OwnerDraw");
    QTest::addRow("native face") << false;
    QTest::addRow("owner-drawn: the model paints it") << true;
}

// A radio button's window shows what it is told: a click checks it once (told as
// BN_CLICKED), a click on the checked one changes nothing, and checking another leaves
// it checked (the group is the model's).
void tst_QtWidgetSet::radioShowsTheModelsState()
{
    QFETCH(bool, OwnerDraw);
    TShownForm F;
    TRecordingClient OneClient, TwoClient;
    auto One = WidgetSet().CreateRadioButton(&OneClient);
    auto Two = WidgetSet().CreateRadioButton(&TwoClient);
    for (TWSRadioButton* R : { One.get(), Two.get() }) {
        R->SetParent(F.Form.get(), nullptr);
        R->SetOwnerDraw(OwnerDraw);
        R->SetVisible(true);
    }
    One->SetBounds(TRect::FromSize(10, 10, 80, 20));
    Two->SetBounds(TRect::FromSize(10, 40, 80, 20));
    auto Clicks = [](const TRecordingClient& C) {
        return std::count_if(C.Messages.begin(), C.Messages.end(),
            [](const TMessage& M) { return M.Msg == WM_COMMAND && (M.WParam >> 16) == BN_CLICKED; });
    };
    QWidget* W = QtWidgetOf(One.get());
    QTest::mouseClick(W, Qt::LeftButton, {}, QPoint(6, 10));
    QVERIFY(One->Checked());
    QCOMPARE(Clicks(OneClient), 1);
    QTest::mouseClick(W, Qt::LeftButton, {}, QPoint(6, 10));
    QVERIFY(One->Checked());
    QCOMPARE(Clicks(OneClient), 1);
    Two->SetChecked(true);
    QVERIFY(One->Checked());
    QCOMPARE(Clicks(TwoClient), 1);

    OneClient.Paints = 0;
    W->grab();
    QCOMPARE(OneClient.Paints > 0, OwnerDraw);
    // Owner-drawn, it takes the focus from the keyboard only.
    QCOMPARE(bool(W->focusPolicy() & Qt::ClickFocus), !OwnerDraw);
}

// Started where an application exists already (the test's): the program's names and
// the language of Qt's own texts are set, and the session's end leaves the application.
void tst_QtWidgetSet::startNamesTheProgram()
{
    QCoreApplication* Before = QCoreApplication::instance();
    int Argc = 1;
    char Name[] = "veludor";
    char* Argv[] = { Name, nullptr };
    auto Session = WidgetSet().Start(Argc, Argv, u"réveil", u"fr");
    QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("réveil"));
    QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("réveil"));
    LoadQtTranslation();
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Annuler"));
    Session.reset();
    QCOMPARE(QCoreApplication::instance(), Before);
}

// A wake-up handle is watched on the window thread only, until the loop ends: then the
// end is told once and the handle is watched no more (the caller may close it).
void tst_QtWidgetSet::wakeHandleWatched()
{
    bool OffThread = true;
    std::thread([&] { OffThread = WidgetSet().WatchWakeHandle(0, {}, {}, {}); }).join();
    QVERIFY(!OffThread);
    int Pipe[2];
    QCOMPARE(pipe(Pipe), 0);
    int Wakes = 0, Ends = 0;
    QVERIFY(WidgetSet().WatchWakeHandle(
        Pipe[0],
        [&] {
            char C;
            Wakes += int(read(Pipe[0], &C, 1));
        },
        [] {}, [&] { ++Ends; }));
    QCOMPARE(write(Pipe[1], "x", 1), 1);
    QTRY_COMPARE(Wakes, 1);
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
    QCOMPARE(Ends, 1);
    QCOMPARE(write(Pipe[1], "y", 1), 1);
    QCoreApplication::processEvents();
    QCOMPARE(Wakes, 1);
    close(Pipe[0]);
    close(Pipe[1]);
}

void tst_QtWidgetSet::bitmapPartsOnTheCanvas_data()
{
    QTest::addColumn<QRect>("Source");
    QTest::addColumn<QPoint>("At");
    QTest::addColumn<quint32>("Alpha");
    QTest::addColumn<bool>("Opaque");
    QTest::addColumn<QPoint>("Target");
    QTest::addColumn<QPoint>("From"); // the bitmap's pixel expected there; (-1, -1): none
    QTest::newRow("whole bitmap, rows from the top") << QRect(0, 0, 3, 2) << QPoint(1, 1) << 0xFFu
                                                     << true << QPoint(3, 2) << QPoint(2, 1);
    QTest::newRow("a part, placed by its own corner") << QRect(1, 1, 2, 1) << QPoint(0, 0) << 0xFFu
                                                      << true << QPoint(1, 0) << QPoint(2, 1);
    QTest::newRow("nothing drawn past the part") << QRect(1, 1, 2, 1) << QPoint(0, 0) << 0xFFu
                                                 << true << QPoint(0, 1) << QPoint(-1, -1);
    QTest::newRow("a source past the bitmap is cut, not shifted")
        << QRect(2, -1, 3, 2) << QPoint(0, 0) << 0xFFu << false << QPoint(0, 1) << QPoint(2, 0);
    QTest::newRow("blended by its alpha") << QRect(0, 0, 3, 2) << QPoint(0, 0) << 0x00u << false
                                          << QPoint(0, 0) << QPoint(-1, -1);
}

// The canvas draws the asked part of a bitmap from the bitmap's own pixels, rows from the
// top, blending by alpha unless told the part is opaque.
void tst_QtWidgetSet::bitmapPartsOnTheCanvas()
{
    QFETCH(QRect, Source);
    QFETCH(QPoint, At);
    QFETCH(quint32, Alpha);
    QFETCH(bool, Opaque);
    QFETCH(QPoint, Target);
    QFETCH(QPoint, From);
    TBitmap32 Bitmap(3, 2);
    for (int Y = 0; Y < 2; ++Y) {
        for (int X = 0; X < 3; ++X) {
            Bitmap.SetPixel(X, Y, Alpha << 24 | std::uint32_t(X * 80) << 16 | std::uint32_t(Y * 200));
        }
    }
    QImage Surface(5, 4, QImage::Format_ARGB32);
    Surface.fill(0xFFFFFFFFu);
    {
        QPainter P(&Surface);
        TQtCanvas Canvas(P);
        Canvas.DrawBitmap(At.x(), At.y(), Bitmap, FromQt(Source), Opaque);
    }
    const QRgb Want = From.x() < 0 ? 0xFFFFFFFFu : Bitmap.Pixel(From.x(), From.y()) | 0xFF000000u;
    QCOMPARE(Surface.pixel(Target), Want);
}

QTEST_MAIN(tst_QtWidgetSet)
#include "tst_qtwidgetset.moc"
