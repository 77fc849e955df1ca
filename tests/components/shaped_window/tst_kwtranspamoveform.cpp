// The shaped-window component: its colour rules, when the window is re-shaped, the shape
// of crafted pictures, and the press hook driven through the real event path (presses
// sent to the window, picked and filtered by Qt as a user's would be) on the offscreen
// platform, where the system move is refused and the component's own drag runs.
#include "tests/fakes/qtcompare.h"
#include "tests/fakes/widgetof.h"
#include "components/shaped_window/kwtranspamoveform.h"
#include "components/shaped_window/opaqueregion.h"
#include "toolkit/controls/extctrls.h"
#include "toolkit/controls/forms.h"
#include "toolkit/controls/spin.h"
#include "toolkit/controls/stdctrls.h"
#include "toolkit/platform/windowmanager.h"
#include "toolkit/qt/qtconvert.h"

#include <QPainter>
#include <QRandomGenerator>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

constexpr TColor Brown = RGBColor(153, 102, 51);

// A window laid out as a stored layout is: controls and components created in the
// loading state, then every Loaded.
class TTestForm : public TForm {
public:
    using TLayout = std::function<void(TTestForm&)>;
    explicit TTestForm(const TLayout& Layout, bool Designing = false)
        : TForm(Application)
    {
        SetName(u"Form1");
        SetDesigning(Designing);
        BeginLayout();
        SetBorderStyle(TBorderStyle::bsNone);
        SetBounds(100, 100, 551, 185);
        Layout(*this);
        EndLayout();
    }

    template <class T> T* Add(const char* Name, QRect Bounds, bool Visible = true)
    {
        T* C = new T(this);
        C->SetName(Latin1ToString(Name));
        C->SetParent(this);
        C->SetBounds(Bounds.x(), Bounds.y(), Bounds.width(), Bounds.height());
        C->SetVisible(Visible);
        C->OnClick = [this, Name](TObject*) { Clicks << QString::fromLatin1(Name); };
        return C;
    }
    TImage* AddPicture(const char* Name, QPoint At, const QImage& Content, bool Visible = true)
    {
        TImage* I = Add<TImage>(Name, QRect(At, Content.size()), Visible);
        I->SetAutoSize(true);
        I->SetImage(FromQt(Content));
        return I;
    }
    // The component with the stored values of the main window, linked to Picture.
    TKwTranspaMoveForm* AddShape(TImage* Picture, bool Transparent = true)
    {
        auto* K = new TKwTranspaMoveForm(this);
        K->SetName(u"KwTranspaMoveForm1");
        K->SetImageLinked(Picture);
        K->SetTransparent(Transparent);
        K->SetTransparentColor(clWhite);
        K->RGVTransparentColor()->SetR(255);
        K->RGVTransparentColor()->SetG(255);
        K->RGVTransparentColor()->SetB(255);
        K->XYTransparentColor()->SetX(3);
        K->XYTransparentColor()->SetY(-1);
        K->SetDeplacement(true);
        return K;
    }

    QRegion Mask() const { return WidgetOf(this)->mask(); }
    TKwTranspaMoveForm* Shape() const
    {
        return static_cast<TKwTranspaMoveForm*>(
            FindComponent(u"KwTranspaMoveForm1"));
    }
    QStringList Clicks;
};

// 20 x 10 on white: a brown block, a blue pixel at (5, 7), a grey top-left pixel.
QImage ColourPicture()
{
    QImage I(20, 10, QImage::Format_RGB32);
    I.fill(Qt::white);
    QPainter(&I).fillRect(2, 2, 8, 4, QColor(153, 102, 51));
    I.setPixel(5, 7, qRgb(0, 0, 255));
    I.setPixel(0, 0, qRgb(10, 20, 30));
    return I;
}

// The pixels not of Colour, found one pixel at a time (independently of the scan).
QRegion NotOfColour(const QImage& Image, TColor Colour, QPoint Offset = {})
{
    QRegion R;
    for (int Y = 0; Y < Image.height(); ++Y) {
        for (int X = 0; X < Image.width(); ++X) {
            const QRgb P = Image.pixel(X, Y);
            if (RGBColor(qRed(P), qGreen(P), qBlue(P)) != Colour) {
                R += QRect(Offset.x() + X, Offset.y() + Y, 1, 1);
            }
        }
    }
    return R;
}

bool SamePixels(const QRegion& A, const QRegion& B) { return (A ^ B).isEmpty(); }

QImage Rows(const QStringList& Lines) // '#' opaque (black), '.' white
{
    QImage I(Lines.isEmpty() ? 0 : int(Lines[0].size()), int(Lines.size()), QImage::Format_RGB32);
    for (int Y = 0; Y < I.height(); ++Y) {
        for (int X = 0; X < I.width(); ++X) {
            I.setPixel(X, Y, Lines[Y][X] == QLatin1Char('#') ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
        }
    }
    return I;
}

enum TWrite { SetColour, SetRGB, SetX, SetXThenY, Relink };

// A window manager that takes move requests (or refuses them) and records them.
struct TRecordingWindowManager : IWindowManager {
    bool Takes = true;
    QList<QPoint> Asked;
    int Cancelled = 0;
    void TrackPositions() override { }
    bool StartSystemMove(TWindowHandle, TPoint PressPoint) override
    {
        Asked << ToQt(PressPoint);
        return Takes;
    }
    void CancelSystemMove(TWindowHandle) override { ++Cancelled; }
    bool CutsToShape() const override { return false; }
};

} // namespace

class TstKwTranspaMoveForm : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void colourRules_data();
    void colourRules();
    void rebuildTable_data();
    void rebuildTable();
    void designMode();
    void builtinPictureShapesWindow();
    void region_data();
    void region();
    void bandsKeepPixels();
    void pictureNotABitmap();

    void hook_data();
    void hook();
    void cursorReadAtPress();
    void dragFollowsMouse();
    void moveStartsAtFirstMotion_data();
    void moveStartsAtFirstMotion();
    void dragEnds_data();
    void dragEnds();
    void deplacementToggled();
    void linkedPictureDestroyed();
    void twoWindows();

private:
    // Places the cursor on the window point and presses (and releases) there.
    void Click(TTestForm& Form, QPoint At, Qt::MouseButton Button = Qt::LeftButton);
    std::unique_ptr<TTestForm> MainLike(bool ImagesVisible);

    std::unique_ptr<TApplication> FApp;
};

void TstKwTranspaMoveForm::init() { FApp = std::make_unique<TApplication>(); }

void TstKwTranspaMoveForm::cleanup() { FApp.reset(); }

void TstKwTranspaMoveForm::colourRules_data()
{
    QTest::addColumn<int>("write");
    QTest::addColumn<qint64>("value");
    QTest::addColumn<TColor>("colour");
    QTest::addColumn<QList<int>>("rgbxy");
    QTest::addColumn<bool>("rebuilt");
    const QList<int> White { 255, 255, 255, 3, -1 };
    QTest::newRow("colour 153,102,51: mirrored, Y cleared, X kept")
        << int(SetColour) << qint64(Brown) << Brown << QList<int> { 153, 102, 51, 3, -1 } << true;
    QTest::newRow("R,G,B written: colour composed")
        << int(SetRGB) << qint64(0) << Brown << QList<int> { 153, 102, 51, 3, -1 } << true;
    QTest::newRow("system colour: mirrored low bytes, no pixel matches")
        << int(SetColour) << qint64(clBtnFace) << clBtnFace << QList<int> { 15, 0, 0, 3, -1 }
        << true;
    QTest::newRow("-1: no pixel matches") << int(SetColour) << qint64(-1) << TColor(-1)
                                          << QList<int> { 255, 255, 255, 3, -1 } << true;
    QTest::newRow("X = 5 while Y is -1: nothing")
        << int(SetX) << qint64(5) << clWhite << QList<int> { 255, 255, 255, 5, -1 } << false;
    QTest::newRow("X = 5 then Y = 7: colour of pixel (5, 7)")
        << int(SetXThenY) << qint64(7) << RGBColor(0, 0, 255) << QList<int> { 0, 0, 255, 5, 7 }
        << true;
    QTest::newRow("pick outside the picture: invalid colour")
        << int(SetXThenY) << qint64(50) << clInvalid << QList<int> { 255, 255, 255, 5, 50 } << true;
    QTest::newRow("pick at -2: read like any other, outside")
        << int(SetXThenY) << qint64(-2) << clInvalid << QList<int> { 255, 255, 255, 5, -2 } << true;
    QTest::newRow("picture linked again: top-left colour")
        << int(Relink) << qint64(0) << RGBColor(10, 20, 30) << QList<int> { 10, 20, 30, 3, -1 }
        << true;
}

void TstKwTranspaMoveForm::colourRules()
{
    QFETCH(int, write);
    QFETCH(qint64, value);
    QFETCH(TColor, colour);
    QFETCH(QList<int>, rgbxy);
    QFETCH(bool, rebuilt);
    TImage* Skin = nullptr;
    TKwTranspaMoveForm* K = nullptr;
    TTestForm Form([&](TTestForm& F) {
        Skin = F.AddPicture("Image1", {}, ColourPicture());
        K = F.AddShape(Skin);
    });
    const QRegion Loaded = Form.Mask();
    QVERIFY(SamePixels(Loaded, NotOfColour(ColourPicture(), clWhite)));

    switch (write) {
    case SetColour:
        K->SetTransparentColor(TColor(value));
        break;
    case SetRGB:
        K->RGVTransparentColor()->SetR(153);
        K->RGVTransparentColor()->SetG(102);
        K->RGVTransparentColor()->SetB(51);
        break;
    case SetX:
        K->XYTransparentColor()->SetX(int(value));
        break;
    case SetXThenY:
        K->XYTransparentColor()->SetX(5);
        K->XYTransparentColor()->SetY(int(value));
        break;
    case Relink:
        K->SetImageLinked(Skin);
        break;
    }
    QCOMPARE(K->TransparentColor(), colour);
    const QList<int> Actual { K->RGVTransparentColor()->R(), K->RGVTransparentColor()->G(),
        K->RGVTransparentColor()->B(), K->XYTransparentColor()->X(), K->XYTransparentColor()->Y() };
    QCOMPARE(Actual, rgbxy);
    QVERIFY(SamePixels(Form.Mask(), rebuilt ? NotOfColour(ColourPicture(), colour) : Loaded));
}

void TstKwTranspaMoveForm::rebuildTable_data()
{
    QTest::addColumn<bool>("transparent");
    QTest::addColumn<bool>("atRunTime"); // created outside a stored layout
    QTest::addColumn<bool>("shaped");
    QTest::newRow("stored layout: shaped at Loaded and at each write") << true << false << true;
    QTest::newRow("Transparent false: never shaped") << false << false << false;
    QTest::newRow("created at run time: never Loaded, never shaped") << true << true << false;
}

void TstKwTranspaMoveForm::rebuildTable()
{
    QFETCH(bool, transparent);
    QFETCH(bool, atRunTime);
    QFETCH(bool, shaped);
    TImage* Skin = nullptr;
    TKwTranspaMoveForm* K = nullptr;
    TTestForm Form([&](TTestForm& F) {
        Skin = F.AddPicture("Image1", {}, ColourPicture());
        if (!atRunTime) {
            K = F.AddShape(Skin, transparent);
            // Loading: values recorded, nothing spreads, nothing shaped.
            QCOMPARE(K->RGVTransparentColor()->R(), quint8(255));
            QCOMPARE(K->TransparentColor(), clWhite);
            QVERIFY(F.Mask().isEmpty());
        }
    });
    if (atRunTime) {
        K = Form.AddShape(Skin, transparent);
        K->SetImageLinked(Skin); // the top-left colour is taken even so
        QCOMPARE(K->TransparentColor(), RGBColor(10, 20, 30));
    }
    QCOMPARE(Form.Mask().isEmpty(), !shaped);
    QCOMPARE(WidgetOf(&Form)->size(), shaped ? QSize(20, 10) : QSize(551, 185));
    K->SetTransparentColor(Brown);
    QCOMPARE(SamePixels(Form.Mask(), NotOfColour(ColourPicture(), Brown)), shaped);

    // Transparent written after loading counts at the next build only: false keeps the shape.
    const QRegion Before = Form.Mask();
    K->SetTransparent(false);
    K->SetTransparentColor(clWhite);
    QVERIFY(SamePixels(Form.Mask(), Before));
}

void TstKwTranspaMoveForm::designMode()
{
    TImage* Skin = nullptr;
    TKwTranspaMoveForm* K = nullptr;
    TTestForm Form(
        [&](TTestForm& F) {
            F.SetBorderStyle(TBorderStyle::bsSingle);
            Skin = F.AddPicture("Image1", {}, ColourPicture());
            K = new TKwTranspaMoveForm(&F);
        },
        true);
    QVERIFY(!FApp->OnMessage);
    QCOMPARE(Form.BorderStyle(), TBorderStyle::bsNone);
    QCOMPARE(K->TransparentColor(), TColor(-1));
    QCOMPARE(K->XYTransparentColor()->X(), -1);
    QCOMPARE(K->XYTransparentColor()->Y(), -1);
    QCOMPARE(K->RGVTransparentColor()->B(), quint8(0));

    K->SetImageLinked(Skin);
    QVERIFY(K->Transparent());
    QVERIFY(K->Deplacement());
    QCOMPARE(K->TransparentColor(), RGBColor(10, 20, 30));
    K->SetTransparentColor(Brown); // spreads, but a layout editor's window is never cut
    QCOMPARE(K->RGVTransparentColor()->R(), quint8(153));
    QVERIFY(Form.Mask().isEmpty());
}

void TstKwTranspaMoveForm::builtinPictureShapesWindow()
{
    TImage* Skin = nullptr;
    TTestForm Form([&](TTestForm& F) {
        Skin = F.Add<TImage>("Image1", QRect(0, 0, 220, 100));
        Skin->SetAutoSize(true);
        Skin->LoadFromFile(FromQt(QStringLiteral(VELUDOR_ASSETS "/builtin/image1.bmp")));
        F.AddShape(Skin);
    });
    const QImage Builtin = ToQt(Skin->Picture().Image());
    QCOMPARE(WidgetOf(&Form)->size(), QSize(220, 100));
    QVERIFY(SamePixels(Form.Mask(), NotOfColour(Builtin, clWhite)));
    // Drawn with the white at alpha 0 on a see-through window, where no shape cuts it
    // (Wayland), and exactly as the picture is everywhere else.
    QVERIFY(WidgetOf(&Form)->testAttribute(Qt::WA_TranslucentBackground));
    // The drawn pixels; each must have the picture's colour.
    bool PictureColours = true;
    const auto Drawn = [&] {
        QRegion R;
        for (int Y = 0; Y < Skin->Face().Height(); ++Y) {
            for (int X = 0; X < Skin->Face().Width(); ++X) {
                const QRgb P = Skin->Face().Pixel(X, Y);
                if (qAlpha(P) == 0) {
                    continue;
                }
                R += QRect(X, Y, 1, 1);
                PictureColours = PictureColours && P == Skin->Picture().Image().Pixel(X, Y);
            }
        }
        return R;
    };
    QVERIFY(SamePixels(Drawn(), Form.Mask()));
    QVERIFY(PictureColours);

    // Another skin shows through the same outline, as it is (its white inside the outline
    // too): no re-shaping, no resizing, nothing drawn outside the outline.
    QImage Other(300, 150, QImage::Format_RGB32);
    Other.fill(Qt::white);
    QPainter(&Other).fillRect(10, 10, 20, 20, QColor(153, 102, 51));
    Skin->SetImage(FromQt(Other));
    QCOMPARE(WidgetOf(&Form)->size(), QSize(220, 100));
    QVERIFY(SamePixels(Form.Mask(), NotOfColour(Builtin, clWhite)));
    QVERIFY(SamePixels(Drawn(), Form.Mask()));
    QVERIFY(PictureColours);
}

void TstKwTranspaMoveForm::region_data()
{
    QTest::addColumn<QImage>("picture");
    QTest::addColumn<QRect>("control");
    QTest::addColumn<QList<QRect>>("runs");
    QTest::addColumn<QSize>("window");
    QTest::newRow("a full row: one rectangle")
        << Rows({ "####" }) << QRect(0, 0, 4, 1) << QList<QRect> { { 0, 0, 4, 1 } } << QSize(4, 1);
    QTest::newRow("a single opaque pixel")
        << Rows({ ".#..." }) << QRect(0, 0, 5, 1) << QList<QRect> { { 1, 0, 1, 1 } } << QSize(5, 1);
    QTest::newRow("opaque last pixel included")
        << Rows({ "#..##", "....#" }) << QRect(0, 0, 5, 2)
        << QList<QRect> { { 0, 0, 1, 1 }, { 3, 0, 2, 1 }, { 4, 1, 1, 1 } } << QSize(5, 2);
    QImage Corners = Rows(QStringList(40, QString(30, QLatin1Char('.'))));
    Corners.setPixel(0, 0, 0);
    Corners.setPixel(29, 39, 0);
    QTest::newRow("picture at (10, 20), 30 x 40: window 40 x 60, shifted")
        << Corners << QRect(10, 20, 30, 40) << QList<QRect> { { 10, 20, 1, 1 }, { 39, 59, 1, 1 } }
        << QSize(40, 60);
    QTest::newRow("control larger than its bitmap")
        << Rows({ "##", "##" }) << QRect(0, 0, 50, 30)
        << QList<QRect> { { 0, 0, 2, 1 }, { 0, 1, 2, 1 } } << QSize(50, 30);
    QTest::newRow("no opaque pixel: shape kept")
        << Rows({ "...", "..." }) << QRect(0, 0, 3, 2) << QList<QRect> {} << QSize(3, 2);
}

void TstKwTranspaMoveForm::region()
{
    QFETCH(QImage, picture);
    QFETCH(QRect, control);
    QFETCH(QList<QRect>, runs);
    QFETCH(QSize, window);
    QList<QRect> Scanned;
    for (const TRect& Run : OpaqueRuns(FromQt(picture), clWhite, FromQt(control.topLeft()))) {
        Scanned << ToQt(Run);
    }
    QCOMPARE(Scanned, runs);

    const QRegion Previous(0, 0, 1, 1);
    TTestForm Form([&](TTestForm& F) {
        WidgetOf(&F)->setMask(Previous);
        TImage* Skin = F.Add<TImage>("Image1", control);
        Skin->SetImage(FromQt(picture));
        F.AddShape(Skin);
    });
    QCOMPARE(WidgetOf(&Form)->size(), window);
    QRegion Expected;
    for (const QRect& R : runs) {
        Expected += R;
    }
    QVERIFY(SamePixels(Form.Mask(), runs.isEmpty() ? Previous : Expected));
}

void TstKwTranspaMoveForm::bandsKeepPixels()
{
    // Equal rows merged into bands, empty rows, rows that change back: the region must
    // cover exactly the runs.
    QRandomGenerator Random(20240501);
    for (int Round = 0; Round < 50; ++Round) {
        QStringList Lines;
        QString Row;
        for (int Y = 0; Y < 24; ++Y) {
            if (Y == 0 || Random.bounded(3) == 0) {
                Row.clear();
                for (int X = 0; X < 16; ++X) {
                    Row += Random.bounded(2) ? QLatin1Char('#') : QLatin1Char('.');
                }
            }
            Lines << Row;
        }
        const QImage Picture = Rows(Lines);
        const TRegion Shape = OpaqueRegion(FromQt(Picture), clWhite, { 3, 4 });
        const QRegion Expected = NotOfColour(Picture, clWhite, { 3, 4 });
        QVERIFY2(SamePixels(ToQt(Shape), Expected), qPrintable(Lines.join(QLatin1Char('\n'))));
        // The bands come out in the region's own order: the same rectangles as the
        // toolkit's region united run by run, so comparing and combining regions stays exact.
        TRegion United;
        for (const TRect& Run : OpaqueRuns(FromQt(Picture), clWhite, { 3, 4 })) {
            United = United.United(TRegion(Run));
        }
        QVERIFY2(Shape == United, qPrintable(Lines.join(QLatin1Char('\n'))));
    }
}

void TstKwTranspaMoveForm::pictureNotABitmap()
{
    // An icon gives nothing to cut along: the window keeps its shape and the picture
    // keeps its content; a pixel pick fails with the picture's own error.
    const QRegion Previous(0, 0, 1, 1);
    TImage* Skin = nullptr;
    TKwTranspaMoveForm* K = nullptr;
    TTestForm Form([&](TTestForm& F) {
        WidgetOf(&F)->setMask(Previous);
        Skin = F.Add<TImage>("Image1", QRect(0, 0, 4, 2));
        Skin->Picture().Assign(FromQt(Rows({ "##..", "...." })), TGraphicKind::Icon);
        Skin->PictureChanged();
        K = F.AddShape(Skin);
    });
    QVERIFY(SamePixels(Form.Mask(), Previous));
    QCOMPARE(Skin->Picture().Kind(), TGraphicKind::Icon);
    QCOMPARE(Skin->Picture().Width(), 4);
    QVERIFY_THROWS_EXCEPTION(Exception, K->XYTransparentColor()->SetY(1));
    QCOMPARE(K->TransparentColor(), clWhite);
}

std::unique_ptr<TTestForm> TstKwTranspaMoveForm::MainLike(bool ImagesVisible)
{
    QImage Skin(120, 60, QImage::Format_RGB32);
    Skin.fill(QColor(20, 30, 90));
    QImage Icon(12, 12, QImage::Format_RGB32);
    Icon.fill(Qt::yellow);
    auto Form = std::make_unique<TTestForm>([&](TTestForm& F) {
        TImage* Image1 = F.AddPicture("Image1", {}, Skin);
        TLabel* Label = F.Add<TLabel>("Label1", {});
        Label->SetAutoSize(false);
        Label->SetCaption(u"Heure");
        Label->SetBounds(5, 5, 20, 10);
        F.AddPicture("Image4", { 70, 30 }, Icon, ImagesVisible);
        F.AddPicture("Image5", { 90, 30 }, Icon, ImagesVisible);
        F.Add<TSpinEdit>("SpinEdit1", QRect(5, 25, 40, 22));
        F.Add<TButton>("Button1", QRect(60, 5, 40, 16));
        F.AddShape(Image1);
    });
    Form->Show();
    if (!QTest::qWaitForWindowExposed(WidgetOf(Form))) {
        return nullptr;
    }
    return Form;
}

void TstKwTranspaMoveForm::Click(TTestForm& Form, QPoint At, Qt::MouseButton Button)
{
    QWindow* Window = WidgetOf(&Form)->windowHandle();
    QCursor::setPos(WidgetOf(&Form)->mapToGlobal(At));
    QCoreApplication::processEvents(); // the offscreen cursor reports its move as an event
    QTest::mousePress(Window, Button, {}, At);
    QTest::mouseRelease(Window, Button, {}, At);
}

void TstKwTranspaMoveForm::hook_data()
{
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<bool>("imagesVisible");
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("moved");
    QTest::addColumn<int>("formPresses"); // presses the window itself received
    QTest::addColumn<QStringList>("clicks");
    const int Left = Qt::LeftButton;
    QTest::newRow("left on the skin: move, press swallowed")
        << QPoint(50, 50) << false << Left << true << 0 << QStringList {};
    QTest::newRow("left on a label: move, no click")
        << QPoint(8, 8) << false << Left << true << 0 << QStringList {};
    QTest::newRow("left on a push button: its click")
        << QPoint(70, 10) << false << Left << false << 0 << QStringList { "Button1" };
    QTest::newRow("left on a spin box: passes")
        << QPoint(10, 30) << false << Left << false << 0 << QStringList {};
    QTest::newRow("left on Image4: its click")
        << QPoint(72, 32) << true << Left << false << 1 << QStringList { "Image4" };
    QTest::newRow("left on Image5: its click")
        << QPoint(95, 40) << true << Left << false << 1 << QStringList { "Image5" };
    QTest::newRow("left inside hidden Image4: passes to the skin")
        << QPoint(72, 32) << false << Left << false << 1 << QStringList { "Image1" };
    QTest::newRow("left inside hidden Image5: passes to the skin")
        << QPoint(95, 40) << false << Left << false << 1 << QStringList { "Image1" };
    QTest::newRow("right on the skin: passes, for the pop-up menu")
        << QPoint(50, 50) << false << int(Qt::RightButton) << false << 1 << QStringList {};
}

void TstKwTranspaMoveForm::hook()
{
    QFETCH(QPoint, at);
    QFETCH(bool, imagesVisible);
    QFETCH(int, button);
    QFETCH(bool, moved);
    QFETCH(int, formPresses);
    QFETCH(QStringList, clicks);
    auto Form = MainLike(imagesVisible);
    QVERIFY(Form);
    TKwTranspaMoveForm* K = Form->Shape();
    struct TPressCount : QObject {
        int N = 0;
        bool eventFilter(QObject*, QEvent* E) override
        {
            N += E->type() == QEvent::MouseButtonPress;
            return false;
        }
    } Presses;
    WidgetOf(Form)->installEventFilter(&Presses);

    Click(*Form, at, Qt::MouseButton(button));
    QCOMPARE(K->PressesTaken(), moved ? 1 : 0);
    QCOMPARE(K->MovesStarted(), 0); // released without motion
    QVERIFY(!K->Dragging()); // the release ends our drag
    QCOMPARE(Presses.N, formPresses);
    QCOMPARE(Form->Clicks, clicks);
}

void TstKwTranspaMoveForm::cursorReadAtPress()
{
    // The press is queued on the skin, but by the time it is taken the cursor is over
    // Image4's place: the picture wins.
    auto Form = MainLike(false);
    QVERIFY(Form);
    TKwTranspaMoveForm* K = Form->Shape();
    QCursor::setPos(WidgetOf(Form)->mapToGlobal(QPoint(72, 32)));
    QCoreApplication::processEvents();
    QTest::mousePress(WidgetOf(Form)->windowHandle(), Qt::LeftButton, {}, QPoint(50, 50));
    QTest::mouseRelease(WidgetOf(Form)->windowHandle(), Qt::LeftButton, {}, QPoint(50, 50));
    QCOMPARE(K->PressesTaken(), 0);
}

void TstKwTranspaMoveForm::dragFollowsMouse()
{
    auto Form = MainLike(false);
    QVERIFY(Form);
    TKwTranspaMoveForm* K = Form->Shape();
    QWindow* Window = WidgetOf(Form)->windowHandle();
    const QPoint Origin = WidgetOf(Form)->pos();
    QCursor::setPos(WidgetOf(Form)->mapToGlobal(QPoint(50, 50)));
    QCoreApplication::processEvents();
    QTest::mousePress(Window, Qt::LeftButton, {}, QPoint(50, 50));
    QVERIFY(!K->Dragging()); // not before the mouse moves
    QTest::mouseMove(Window, QPoint(50 + 37, 50 - 12));
    QVERIFY(K->Dragging()); // the offscreen platform refuses the system move
    QCOMPARE(WidgetOf(Form)->pos(), Origin + QPoint(37, -12));
    QTest::mouseRelease(Window, Qt::LeftButton, {}, QPoint(50, 50));
    QVERIFY(!K->Dragging());
    QTest::mouseMove(Window, QPoint(50, 50)); // buttons up: the window stays
    QCoreApplication::processEvents();
    QCOMPARE(WidgetOf(Form)->pos(), Origin + QPoint(37, -12));
    QCOMPARE(ToQt(Form->BoundsRect()).topLeft(), Origin + QPoint(37, -12));
}

void TstKwTranspaMoveForm::moveStartsAtFirstMotion_data()
{
    // Steps: p press at (50, 50), m move by (37, -12) with the button down, u release,
    // d a move with no button (the window manager's move ended, or the release went
    // elsewhere). With the window manager taking requests, our release after the request
    // means the window manager had not taken the pointer over yet.
    QTest::addColumn<QString>("steps");
    QTest::addColumn<bool>("takes");
    QTest::addColumn<int>("asked");
    QTest::addColumn<int>("cancelled");
    QTest::addColumn<QPoint>("moved");
    QTest::newRow("click") << "pu" << true << 0 << 0 << QPoint();
    QTest::newRow("drag, the window manager moves") << "pmmd" << true << 1 << 0 << QPoint();
    QTest::newRow("release before its grab: cancelled") << "pmu" << true << 1 << 1 << QPoint();
    QTest::newRow("a release after its move") << "pmdu" << true << 1 << 0 << QPoint();
    QTest::newRow("release elsewhere, then motion") << "pdm" << true << 0 << 0 << QPoint();
    QTest::newRow("refused: our drag") << "pmu" << false << 1 << 0 << QPoint(37, -12);
    QTest::newRow("refused: click") << "pu" << false << 0 << 0 << QPoint();
}

void TstKwTranspaMoveForm::moveStartsAtFirstMotion()
{
    QFETCH(QString, steps);
    QFETCH(bool, takes);
    QFETCH(int, asked);
    QFETCH(int, cancelled);
    QFETCH(QPoint, moved);
    TRecordingWindowManager Manager;
    Manager.Takes = takes;
    SetWindowManager(&Manager);
    auto Restore = qScopeGuard([] { SetWindowManager(nullptr); });
    auto Form = MainLike(false);
    QVERIFY(Form);
    QWindow* Window = WidgetOf(Form)->windowHandle();
    const QPoint Origin = WidgetOf(Form)->pos();
    const QPoint Press = WidgetOf(Form)->mapToGlobal(QPoint(50, 50));
    QCursor::setPos(Press);
    QCoreApplication::processEvents();
    // Sent as they come from the window system: QTest would add moves of its own.
    QPoint At = Press;
    for (const QChar Step : steps) {
        if (Step == u'p') {
            QTest::mousePress(Window, Qt::LeftButton, {}, QPoint(50, 50));
            continue;
        }
        At = Step == u'u' ? At : Press + QPoint(37, -12);
        const auto Type = Step == u'u' ? QEvent::MouseButtonRelease : QEvent::MouseMove;
        QMouseEvent Mouse(Type, Window->mapFromGlobal(At), At,
            Step == u'u' ? Qt::LeftButton : Qt::NoButton,
            Step == u'm' ? Qt::LeftButton : Qt::NoButton, {});
        QCoreApplication::sendEvent(Window, &Mouse);
    }
    QCOMPARE(Manager.Asked, QList<QPoint>(asked, Press));
    QCOMPARE(Manager.Cancelled, cancelled);
    QCOMPARE(WidgetOf(Form)->pos(), Origin + moved);
}

void TstKwTranspaMoveForm::dragEnds_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("the window hidden") << "hide";
    QTest::newRow("the focus lost") << "focus";
    QTest::newRow("another press") << "press";
    QTest::newRow("released under a handler chained in front") << "chained";
}

// Our drag ends with whatever ends a press's grab; motion with the button down after it
// leaves the window where it was. A handler the program chained in front of the drag's
// watcher keeps it: it only passes messages on, even once the component is gone.
void TstKwTranspaMoveForm::dragEnds()
{
    QFETCH(QString, how);
    auto Form = MainLike(false);
    QVERIFY(Form);
    TKwTranspaMoveForm* K = Form->Shape();
    QWindow* Window = WidgetOf(Form)->windowHandle();
    const QPoint Press = WidgetOf(Form)->mapToGlobal(QPoint(50, 50));
    QCursor::setPos(Press);
    QCoreApplication::processEvents();
    auto MoveBy = [&](QPoint Delta) {
        const QPoint At = Press + Delta;
        QMouseEvent Mouse(
            QEvent::MouseMove, Window->mapFromGlobal(At), At, Qt::NoButton, Qt::LeftButton, {});
        QCoreApplication::sendEvent(Window, &Mouse);
    };
    QTest::mousePress(Window, Qt::LeftButton, {}, QPoint(50, 50));
    MoveBy({ 37, -12 });
    QVERIFY(K->Dragging());
    const QPoint Dragged = WidgetOf(Form)->pos();
    if (how == "hide") {
        Form->Hide();
    } else if (how == "focus") {
        QFocusEvent Out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
        QCoreApplication::sendEvent(WidgetOf(Form), &Out);
    } else if (how == "press") {
        QTest::mousePress(Window, Qt::RightButton, {}, QPoint(50, 50));
    } else {
        Form->WindowProc = [Previous = Form->WindowProc](TMessage& M) { Previous(M); };
        QTest::mouseRelease(Window, Qt::LeftButton, {}, QPoint(50, 50));
    }
    QVERIFY(!K->Dragging());
    MoveBy({ 60, 40 });
    QCOMPARE(WidgetOf(Form)->pos(), Dragged);
    delete K;
    MoveBy({ 10, 10 });
    QCOMPARE(WidgetOf(Form)->pos(), Dragged);
}

void TstKwTranspaMoveForm::deplacementToggled()
{
    auto Form = MainLike(false);
    QVERIFY(Form);
    TKwTranspaMoveForm* K = Form->Shape();
    K->SetDeplacement(false);
    Click(*Form, { 8, 8 });
    QCOMPARE(K->PressesTaken(), 0);
    QCOMPARE(Form->Clicks, QStringList { "Label1" });
    K->SetDeplacement(true);
    Click(*Form, { 52, 50 });
    QCOMPARE(K->PressesTaken(), 1);
}

void TstKwTranspaMoveForm::linkedPictureDestroyed()
{
    auto Form = MainLike(false);
    QVERIFY(Form);
    TKwTranspaMoveForm* K = Form->Shape();
    const QRegion Shape = Form->Mask();
    delete Form->FindComponent(u"Image1");
    QVERIFY(!K->ImageLinked());
    QVERIFY(SamePixels(Form->Mask(), Shape));
    K->SetTransparentColor(Brown); // nothing to shape from
    QVERIFY(SamePixels(Form->Mask(), Shape));

    Click(*Form, { 50, 50 });
    QCOMPARE(K->PressesTaken(), 1);
    Click(*Form, { 72, 32 }); // hidden Image4 still blocks
    QCOMPARE(K->PressesTaken(), 1);
}

void TstKwTranspaMoveForm::twoWindows()
{
    auto First = MainLike(false);
    auto Second = MainLike(false);
    QVERIFY(First && Second);
    WidgetOf(Second)->move(400, 300);
    Click(*First, { 50, 50 });
    Click(*Second, { 50, 50 });
    QCOMPARE(First->Shape()->PressesTaken(), 0); // the hook is the second one's
    QCOMPARE(Second->Shape()->PressesTaken(), 1);
    QCOMPARE(First->Clicks, QStringList { "Image1" });

    First.reset(); // not the installed hook: it stays
    QVERIFY(FApp->OnMessage);
    Click(*Second, { 52, 50 });
    QCOMPARE(Second->Shape()->PressesTaken(), 2);
    Second.reset(); // the installed hook goes with its component
    QVERIFY(!FApp->OnMessage);
}

QTEST_MAIN(TstKwTranspaMoveForm)
#include "tst_kwtranspamoveform.moc"
