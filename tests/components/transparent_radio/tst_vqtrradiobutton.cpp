#include "tests/fakes/qtcompare.h"
#include "tests/fakes/widgetof.h"
#include "components/transparent_radio/vqtrradiobutton.h"

#include "tests/fakes/recordingerrorbox.h"
#include "toolkit/controls/extctrls.h"
#include "toolkit/controls/forms.h"
#include "toolkit/core/sysutils.h"
#include "toolkit/qt/qtconvert.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QSet>
#include <QTest>

#include <memory>

// Records what the face is laid out into; can fail on demand.
class TProbeRadio : public TVqTrRadioButton {
public:
    using TVqTrRadioButton::TVqTrRadioButton;

    void DrawFace() override
    {
        ++Faces;
        if (Fail) {
            throw Exception(u"Dessin impossible");
        }
        TVqTrRadioButton::DrawFace();
    }
    void DrawCaption(const TRect& Area) override
    {
        LastArea = ToQt(Area);
        if (DrawsCaption) {
            TVqTrRadioButton::DrawCaption(Area);
        }
    }
    void DrawCheckGlyph(const TRect& Box) override
    {
        LastBox = ToQt(Box);
        TVqTrRadioButton::DrawCheckGlyph(Box);
    }

    int Faces = 0;
    QRect LastArea;
    QRect LastBox;
    bool DrawsCaption = true;
    bool Fail = false;
};

// The transparent radio button on a form with a skin picture, under the offscreen
// platform: its face checked on grabbed images, its message handling, its group.
class tst_VqTrRadioButton : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void createParams_data();
    void createParams();
    void geometry_data();
    void geometry();
    void firstRadioButtonOfTheMainWindow();
    void skinShowsAroundMarkAndCaption();
    void checkMark_data();
    void checkMark();
    void disabledCaption_data();
    void disabledCaption();
    void wordWrap_data();
    void wordWrap();
    void mouseMovesNeverReachTheButton_data();
    void mouseMovesNeverReachTheButton();
    void pressOnFocusedControlOnlyRepaints();
    void clickChecksOneOfAPair();
    void checkingInCodeUnchecksTheOther();
    void groupOfPlainAndTransparentButtons_data();
    void groupOfPlainAndTransparentButtons();
    void optionsWaitForTheNextPaint();
    void transparentOffAndOn();
    void fontChangeReachesTheFaceOnly();
    void parentOrigin();
    void failingPaintIsReportedAfterwards();
    void destroyedWhileFocused();

private:
    void ShowForm();
    static QImage Grab(QWidget* W);
    static QSet<QPoint> Ink(const QImage& Image);

    std::unique_ptr<TApplication> FApplication;
    std::unique_ptr<TRecordingErrorBox> FErrors;
    TForm* FForm = nullptr;
    TImage* FSkin = nullptr;
    TProbeRadio* FRadio = nullptr;
};

namespace {
TFont White11()
{
    TFont F;
    F.Name = u"MS Sans Serif";
    F.Height = 11;
    F.Color = clWhite;
    return F;
}

// A skin with no grey in it and a different colour at nearly every pixel.
QImage MakeSkin()
{
    QImage Skin(220, 100, QImage::Format_RGB32);
    for (int Y = 0; Y < Skin.height(); ++Y) {
        for (int X = 0; X < Skin.width(); ++X) {
            Skin.setPixel(X, Y, qRgb(40 + X % 80, 10 + (Y * 3) % 60, 120 + (X + Y) % 100));
        }
    }
    return Skin;
}

// Text drawn the way a control's canvas draws it: cell top-left at (X, Y), clipped.
struct TTextPart {
    QString Text;
    int X;
    int Y;
    TColor Color;
};

QImage ReferenceText(QSize Size, const QRect& Clip, const TFont& Font, const QList<TTextPart>& Parts)
{
    QImage Image(Size, QImage::Format_ARGB32_Premultiplied);
    Image.fill(Qt::transparent);
    QPainter P(&Image);
    const QFont F = ToQFont(Font);
    P.setFont(F);
    P.setClipRect(Clip);
    const int Ascent = QFontMetrics(F).ascent();
    for (const TTextPart& Part : Parts) {
        P.setPen(ToQColor(Part.Color));
        P.drawText(QPoint(Part.X, Part.Y + Ascent), Part.Text);
    }
    P.end();
    return Image.convertToFormat(QImage::Format_ARGB32);
}

// Compares the two images inside Region; returns the first difference as text.
QString Difference(const QImage& A, const QImage& B, const QRect& Region)
{
    for (int Y = Region.top(); Y <= Region.bottom(); ++Y) {
        for (int X = Region.left(); X <= Region.right(); ++X) {
            if (A.pixel(X, Y) != B.pixel(X, Y)) {
                return QStringLiteral("(%1, %2): %3 != %4")
                    .arg(X)
                    .arg(Y)
                    .arg(A.pixel(X, Y), 8, 16, QLatin1Char('0'))
                    .arg(B.pixel(X, Y), 8, 16, QLatin1Char('0'));
            }
        }
    }
    return QString();
}

QRect Bounds(const QSet<QPoint>& Points)
{
    QRect R;
    for (const QPoint& P : Points) {
        R = R.united(QRect(P, QSize(1, 1)));
    }
    return R;
}

// The dotted focus frame along Area: every other pixel of its edges.
QSet<QPoint> FocusFrame(const QRect& Area)
{
    const int L = Area.x(), T = Area.y(), R = Area.x() + Area.width(), B = Area.y() + Area.height();
    QSet<QPoint> Points;
    for (int X = L; X < R; X += 2) {
        Points << QPoint(X, T) << QPoint(X, B - 1);
    }
    for (int Y = T; Y < B - 1; Y += 2) {
        Points << QPoint(L, Y) << QPoint(R - 1, Y);
    }
    return Points;
}

QRgb Opaque(TColor C)
{
    return ToQColor(C).rgba();
}

void SendMouse(QWidget* W, QEvent::Type Type, QPoint Pos, Qt::MouseButtons Buttons, Qt::MouseButton Button = Qt::NoButton)
{
    QMouseEvent E(Type, QPointF(Pos), QPointF(W->mapToGlobal(Pos)), Button, Buttons, Qt::NoModifier);
    QApplication::sendEvent(W, &E);
}

// The Qt button that shows a radio button's state.
QAbstractButton* Button(TControl* Control)
{
    return qobject_cast<QAbstractButton*>(WidgetOf(Control));
}

// Counts the mouse moves that reach a widget.
class TMoveCounter : public QObject {
public:
    int Moves = 0;
    bool eventFilter(QObject*, QEvent* E) override
    {
        if (E->type() == QEvent::MouseMove) {
            ++Moves;
        }
        return false;
    }
};
}

void tst_VqTrRadioButton::initTestCase()
{
    InstallFontSubstitutions();
    FApplication = std::make_unique<TApplication>();
    FApplication->SetTitle(u"Veludor");
    FErrors = std::make_unique<TRecordingErrorBox>();
}

void tst_VqTrRadioButton::init()
{
    FErrors->Texts.clear();
    FForm = new TForm(nullptr);
    FForm->SetBorderStyle(TBorderStyle::bsNone);
    FForm->SetBounds(100, 100, 220, 100);
    FSkin = new TImage(FForm);
    FSkin->SetParent(FForm);
    FSkin->SetBounds(0, 0, 220, 100);
    FSkin->SetImage(FromQt(MakeSkin()));
    FRadio = new TProbeRadio(FForm);
    FRadio->SetName(u"VqTrRadioButton1");
    FRadio->SetParent(FForm);
    FRadio->SetBounds(20, 42, 89, 17);
    FRadio->SetFont(White11());
    FRadio->SetTransparent(true);
    FRadio->SetCaption(u"Alerte Sonnore");
}

void tst_VqTrRadioButton::cleanup()
{
    QGuiApplication::setLayoutDirection(Qt::LeftToRight);
    delete FForm;
    FForm = nullptr;
}

void tst_VqTrRadioButton::ShowForm()
{
    FForm->Show();
    QWidget* W = WidgetOf(FForm);
    W->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(W));
    // Qt gives the first control of an activated window the focus; start without it.
    if (QWidget* Focus = QApplication::focusWidget()) {
        Focus->clearFocus();
    }
}

QImage tst_VqTrRadioButton::Grab(QWidget* W)
{
    return W->grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

QSet<QPoint> tst_VqTrRadioButton::Ink(const QImage& Image)
{
    QSet<QPoint> Points;
    for (int Y = 0; Y < Image.height(); ++Y) {
        for (int X = 0; X < Image.width(); ++X) {
            if (qAlpha(Image.pixel(X, Y)) != 0) {
                Points << QPoint(X, Y);
            }
        }
    }
    return Points;
}

void tst_VqTrRadioButton::createParams_data()
{
    QTest::addColumn<bool>("Transparent");
    QTest::addColumn<TLeftRight>("Alignment");
    QTest::addColumn<bool>("RightToLeft");
    QTest::addColumn<std::uint32_t>("Style");

    QTest::newRow("plain, caption right") << false << TLeftRight::taRightJustify << false << std::uint32_t(0x04);
    QTest::newRow("plain, caption left") << false << TLeftRight::taLeftJustify << false << std::uint32_t(0x24);
    QTest::newRow("transparent: owner-draw bits over the radio type")
        << true << TLeftRight::taRightJustify << false << std::uint32_t(0x0F);
    QTest::newRow("transparent, caption left") << true << TLeftRight::taLeftJustify << false << std::uint32_t(0x2F);
    QTest::newRow("right-to-left, caption right: left text")
        << false << TLeftRight::taRightJustify << true << std::uint32_t(0x24);
    QTest::newRow("right-to-left, caption left") << false << TLeftRight::taLeftJustify << true << std::uint32_t(0x04);
}

void tst_VqTrRadioButton::createParams()
{
    QFETCH(bool, Transparent);
    QFETCH(TLeftRight, Alignment);
    QFETCH(bool, RightToLeft);
    QFETCH(std::uint32_t, Style);

    QGuiApplication::setLayoutDirection(RightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
    FRadio->SetTransparent(Transparent);
    FRadio->SetAlignment(Alignment);
    QCOMPARE(FRadio->CreateParams().WinClassName, TString(u"BUTTON"));
    QCOMPARE(FRadio->CreateParams().Style, Style);

    // The window takes them when it is created: before it is first shown.
    QVERIFY(!FRadio->HandleAllocated());
    ShowForm();
    QVERIFY(FRadio->HandleAllocated());
    QCOMPARE(FRadio->WindowStyle(), Style);
    const bool LeftText = (Style & BS_LEFTTEXT) != 0;
    QCOMPARE(WidgetOf(FRadio)->layoutDirection(), LeftText ? Qt::RightToLeft : Qt::LeftToRight);
}

void tst_VqTrRadioButton::geometry_data()
{
    QTest::addColumn<TAlignment>("Align");
    QTest::addColumn<TTextLayout>("Layout");
    QTest::addColumn<QRect>("Box");
    QTest::addColumn<QRect>("Area");

    // A 60 x 40 control.
    using A = TAlignment;
    using L = TTextLayout;
    QTest::newRow("left, top") << A::taLeftJustify << L::tlTop << QRect(0, 0, 14, 14) << QRect(14, 0, 46, 40);
    QTest::newRow("left, center") << A::taLeftJustify << L::tlCenter << QRect(0, 13, 14, 14) << QRect(14, 0, 46, 40);
    QTest::newRow("left, bottom") << A::taLeftJustify << L::tlBottom << QRect(0, 26, 14, 14) << QRect(14, 0, 46, 40);
    QTest::newRow("right, top") << A::taRightJustify << L::tlTop << QRect(46, 0, 14, 14) << QRect(0, 0, 46, 40);
    QTest::newRow("right, center") << A::taRightJustify << L::tlCenter << QRect(46, 13, 14, 14) << QRect(0, 0, 46, 40);
    QTest::newRow("right, bottom") << A::taRightJustify << L::tlBottom << QRect(46, 26, 14, 14) << QRect(0, 0, 46, 40);
    QTest::newRow("center, top: caption under the mark")
        << A::taCenter << L::tlTop << QRect(23, 0, 14, 14) << QRect(0, 14, 60, 26);
    QTest::newRow("center, center: caption over the whole control")
        << A::taCenter << L::tlCenter << QRect(23, 13, 14, 14) << QRect(0, 0, 60, 40);
    QTest::newRow("center, bottom: caption above the mark")
        << A::taCenter << L::tlBottom << QRect(23, 26, 14, 14) << QRect(0, 0, 60, 26);
}

void tst_VqTrRadioButton::geometry()
{
    QFETCH(TAlignment, Align);
    QFETCH(TTextLayout, Layout);
    QFETCH(QRect, Box);
    QFETCH(QRect, Area);

    FRadio->SetBounds(20, 30, 60, 40);
    FRadio->TransparentOptions()->CheckAlignment = Align;
    FRadio->TransparentOptions()->Layout = Layout;
    FRadio->DrawsCaption = false; // the image then holds the mark and the focus frame only
    FRadio->SetChecked(true);
    ShowForm();

    const QImage Plain = Grab(WidgetOf(FRadio));
    QCOMPARE(FRadio->LastBox, Box);
    QCOMPARE(FRadio->LastArea, Area);
    // The mark: a 12-pixel ring at the square's top-left corner.
    QCOMPARE(Bounds(Ink(Plain)), QRect(Box.topLeft(), QSize(12, 12)));

    FRadio->SetFocus();
    QVERIFY(FRadio->Focused());
    const QImage Focused = Grab(WidgetOf(FRadio));
    QSet<QPoint> Frame;
    for (int Y = 0; Y < Focused.height(); ++Y) {
        for (int X = 0; X < Focused.width(); ++X) {
            if (Focused.pixel(X, Y) != Plain.pixel(X, Y)) {
                Frame << QPoint(X, Y);
                QCOMPARE(Focused.pixel(X, Y), Opaque(clWindowFrame));
            }
        }
    }
    // The frame never crosses the mark.
    const QSet<QPoint> Expected = FocusFrame(Area);
    QCOMPARE(Frame, Expected);
}

void tst_VqTrRadioButton::firstRadioButtonOfTheMainWindow()
{
    // 89 x 17, left-justified mark on top, no wrap.
    FRadio->SetChecked(true);
    ShowForm();
    FRadio->SetFocus();
    const QImage Face = Grab(WidgetOf(FRadio));
    QCOMPARE(FRadio->LastBox, QRect(QPoint(0, 0), QPoint(13, 13)));
    QCOMPARE(FRadio->LastArea, QRect(14, 0, 75, 17));

    // The caption's cell starts at x = 15, y = 0 and is clipped to x 14 to 88.
    const QImage Text = ReferenceText(Face.size(), QRect(14, 0, 75, 17), White11(),
        { { QStringLiteral("Alerte Sonnore"), 15, 0, clWhite } });
    QString Diff = Difference(Face, Text, QRect(15, 1, 73, 15));
    QVERIFY2(Diff.isEmpty(), qPrintable(Diff));

    // The dotted focus frame: x = 14 and 88, y = 0 and 16, every other pixel.
    const QRgb Frame = Opaque(clWindowFrame);
    for (int Y = 0; Y <= 14; ++Y) {
        const bool Dot = Y % 2 == 0;
        QCOMPARE(Face.pixel(14, Y) == Frame, Dot);
        QCOMPARE(Face.pixel(88, Y) == Frame, Dot);
    }
    for (int X = 14; X <= 88; ++X) {
        const bool Dot = X % 2 == 0;
        QCOMPARE(Face.pixel(X, 0) == Frame, Dot);
        QCOMPARE(Face.pixel(X, 16) == Frame, Dot);
    }
    QCOMPARE(qAlpha(Face.pixel(13, 16)), 0);

    // A caption too long for the control stops at the area's right edge.
    const QString Long = QStringLiteral("Alerte Sonnore Alerte Sonnore");
    FRadio->SetCaption(FromQt(Long));
    WidgetOf(FRadio)->clearFocus();
    const QImage Clipped = Grab(WidgetOf(FRadio));
    const QImage LongText = ReferenceText(Clipped.size(), QRect(14, 0, 75, 17), White11(), { { Long, 15, 0, clWhite } });
    Diff = Difference(Clipped, LongText, QRect(14, 0, 75, 17));
    QVERIFY2(Diff.isEmpty(), qPrintable(Diff));
    const int Right = Bounds(Ink(Clipped)).right();
    QVERIFY2(Right >= 85 && Right <= 88, qPrintable(QString::number(Right)));
}

void tst_VqTrRadioButton::skinShowsAroundMarkAndCaption()
{
    FRadio->SetChecked(true);
    ShowForm();
    FRadio->SetFocus();
    const QRect Place = ToQt(FRadio->BoundsRect());
    const QImage Face = Grab(WidgetOf(FRadio));
    const QImage WithRadio = Grab(WidgetOf(FForm)).copy(Place);
    FRadio->Hide();
    const QImage Skin = Grab(WidgetOf(FForm)).copy(Place);
    QCOMPARE(Skin, MakeSkin().copy(Place).convertToFormat(QImage::Format_ARGB32));

    // Wherever the face draws nothing the skin is seen, not a background of the button.
    int Untouched = 0;
    for (int Y = 0; Y < Place.height(); ++Y) {
        for (int X = 0; X < Place.width(); ++X) {
            if (qAlpha(Face.pixel(X, Y)) == 0) {
                ++Untouched;
                QVERIFY2(WithRadio.pixel(X, Y) == Skin.pixel(X, Y),
                    qPrintable(QStringLiteral("skin hidden at (%1, %2)").arg(X).arg(Y)));
            }
        }
    }
    QVERIFY(Untouched > Place.width() * Place.height() / 2);
    // Inside the ring, between ring and dot, the skin shows too.
    for (const QPoint P : { QPoint(3, 5), QPoint(5, 3), QPoint(3, 6), QPoint(8, 5) }) {
        QCOMPARE(qAlpha(Face.pixel(P)), 0);
    }
}

void tst_VqTrRadioButton::checkMark_data()
{
    QTest::addColumn<bool>("Checked");
    QTest::addColumn<bool>("Enabled");
    QTest::addColumn<QString>("Caption");
    QTest::addColumn<TColor>("Dot");

    QTest::newRow("checked: dot in the font's colour") << true << true << "Alerte" << clWhite;
    QTest::newRow("checked and disabled: grey dot") << true << false << "Alerte" << RGBColor(128, 128, 128);
    QTest::newRow("checked, no caption: the canvas font's colour")
        << true << true << "" << clWindowText;
    QTest::newRow("not checked: no dot") << false << true << "Alerte" << TColor(0);
}

void tst_VqTrRadioButton::checkMark()
{
    QFETCH(bool, Checked);
    QFETCH(bool, Enabled);
    QFETCH(QString, Caption);
    QFETCH(TColor, Dot);

    FRadio->SetCaption(FromQt(Caption));
    FRadio->SetChecked(Checked);
    FRadio->SetEnabled(Enabled);
    ShowForm();
    const QImage Face = Grab(WidgetOf(FRadio));

    // The shaded ring: shadow on the top-left outside, highlight on the bottom-right
    // outside, dark shadow and 3-D light inside it.
    auto Near = [](QRgb A, TColor B) {
        const QColor C = ToQColor(B);
        return qAlpha(A) > 200 && qAbs(qRed(A) - C.red()) < 24 && qAbs(qGreen(A) - C.green()) < 24
            && qAbs(qBlue(A) - C.blue()) < 24;
    };
    QVERIFY(Near(Face.pixel(0, 5), clBtnShadow));
    QVERIFY(Near(Face.pixel(5, 0), clBtnShadow));
    QVERIFY(Near(Face.pixel(11, 6), clBtnHighlight));
    QVERIFY(Near(Face.pixel(6, 11), clBtnHighlight));
    QVERIFY(Near(Face.pixel(1, 5), cl3DDkShadow));
    QVERIFY(Near(Face.pixel(5, 1), cl3DDkShadow));
    QVERIFY(Near(Face.pixel(10, 6), cl3DLight));
    QVERIFY(Near(Face.pixel(6, 10), cl3DLight));
    // The dot fills the middle four pixels.
    for (const QPoint P : { QPoint(5, 5), QPoint(6, 5), QPoint(5, 6), QPoint(6, 6) }) {
        if (Checked) {
            QCOMPARE(Face.pixel(P), Opaque(Dot));
        } else {
            QCOMPARE(qAlpha(Face.pixel(P)), 0);
        }
    }
}

void tst_VqTrRadioButton::disabledCaption_data()
{
    QTest::addColumn<bool>("WordWrap");
    QTest::addColumn<QList<TTextPart>>("Parts");

    const int H = QFontMetrics(ToQFont(White11())).height();
    // One line: the highlight copy one pixel right of and below the shadow copy.
    QTest::newRow("one line") << false
                              << QList<TTextPart> { { "Alerte Sonnore", 16, 1, clBtnHighlight },
                                     { "Alerte Sonnore", 15, 0, clBtnShadow } };
    // Wrapped: each line's shadow copy one pixel up and left; lines one text height apart.
    QTest::newRow("wrapped") << true
                             << QList<TTextPart> { { "Alerte", 15, 0, clBtnHighlight }, { "Alerte", 14, -1, clBtnShadow },
                                    { "Sonnore", 15, H, clBtnHighlight }, { "Sonnore", 14, H - 1, clBtnShadow } };
}

void tst_VqTrRadioButton::disabledCaption()
{
    QFETCH(bool, WordWrap);
    QFETCH(QList<TTextPart>, Parts);

    FRadio->SetBounds(20, 30, 60, 40);
    FRadio->TransparentOptions()->WordWrap = WordWrap;
    FRadio->SetEnabled(false);
    ShowForm();
    const QImage Face = Grab(WidgetOf(FRadio));
    const QRect Area(14, 0, 46, 40);
    const QString Diff = Difference(Face, ReferenceText(Face.size(), Area, White11(), Parts), Area);
    QVERIFY2(Diff.isEmpty(), qPrintable(Diff));
}

void tst_VqTrRadioButton::wordWrap_data()
{
    QTest::addColumn<QString>("Caption");
    QTest::addColumn<int>("Width");
    QTest::addColumn<TAlignment>("Align");
    QTest::addColumn<QStringList>("Lines");

    QTest::newRow("a caption that fits stays on one line")
        << "Alerte Sonnore" << 120 << TAlignment::taLeftJustify << QStringList { "Alerte Sonnore" };
    QTest::newRow("a narrow control wraps at the blank")
        << "Alerte Sonnore" << 60 << TAlignment::taLeftJustify << QStringList { "Alerte", "Sonnore" };
    QTest::newRow("a double-quoted run is not wrapped")
        << "\"Alerte Sonnore\"" << 60 << TAlignment::taLeftJustify << QStringList { "\"Alerte Sonnore\"" };
    QTest::newRow("an apostrophe does not stop wrapping; a bar draws as an apostrophe")
        << "l'heure d|ici" << 50 << TAlignment::taLeftJustify << QStringList { "l'heure", "d'ici" };
    QTest::newRow("right edge at 0 or less: wraps at every blank, nothing seen")
        << "a b c" << 14 << TAlignment::taRightJustify << QStringList();
}

void tst_VqTrRadioButton::wordWrap()
{
    QFETCH(QString, Caption);
    QFETCH(int, Width);
    QFETCH(TAlignment, Align);
    QFETCH(QStringList, Lines);

    FRadio->SetBounds(20, 30, Width, 40);
    FRadio->SetCaption(FromQt(Caption));
    FRadio->TransparentOptions()->WordWrap = true;
    FRadio->TransparentOptions()->CheckAlignment = Align;
    ShowForm();
    const QImage Face = Grab(WidgetOf(FRadio));
    const QRect Area = FRadio->LastArea;
    const int H = QFontMetrics(ToQFont(White11())).height();
    QList<TTextPart> Parts;
    for (int i = 0; i < Lines.size(); ++i) {
        Parts.append({ Lines.at(i), Area.x() + 1, i * H, clWhite });
    }
    const QImage Text = ReferenceText(Face.size(), Area, White11(), Parts);
    const QRect Region = Area.intersected(QRect(QPoint(0, 0), Face.size()));
    QString Diff = Difference(Face, Text, Region);
    QVERIFY2(Diff.isEmpty(), qPrintable(Diff));
    if (Lines.isEmpty()) {
        // Only the mark is drawn.
        QVERIFY(Area.x() + Area.width() <= 0);
        QVERIFY(FRadio->LastBox.contains(Bounds(Ink(Face))));
    }
}

void tst_VqTrRadioButton::mouseMovesNeverReachTheButton_data()
{
    QTest::addColumn<bool>("Transparent");
    QTest::newRow("transparent: moves stop at the control") << true;
    QTest::newRow("plain: the button handles them") << false;
}

void tst_VqTrRadioButton::mouseMovesNeverReachTheButton()
{
    QFETCH(bool, Transparent);
    FRadio->SetTransparent(Transparent);
    ShowForm();
    QWidget* W = WidgetOf(FRadio);
    TMoveCounter FormMoves;
    WidgetOf(FForm)->installEventFilter(&FormMoves);

    // A move with no button down: the plain button ignores it and it reaches the form.
    const int Before = FRadio->Faces;
    SendMouse(W, QEvent::MouseMove, QPoint(5, 5), Qt::NoButton);
    QCOMPARE(FormMoves.Moves, Transparent ? 0 : 1);
    // Every move repaints the transparent control at once.
    QCOMPARE(FRadio->Faces > Before, Transparent);

    // Press, then drag off the control: the plain button lets go, the transparent one
    // never hears of the move.
    SendMouse(W, QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton, Qt::LeftButton);
    QVERIFY(Button(FRadio)->isDown());
    SendMouse(W, QEvent::MouseMove, QPoint(200, 5), Qt::LeftButton);
    QCOMPARE(Button(FRadio)->isDown(), Transparent);
    SendMouse(W, QEvent::MouseButtonRelease, QPoint(200, 5), Qt::NoButton, Qt::LeftButton);
    QVERIFY(!FRadio->Checked());
    WidgetOf(FForm)->removeEventFilter(&FormMoves);
}

void tst_VqTrRadioButton::pressOnFocusedControlOnlyRepaints()
{
    int Clicks = 0;
    FRadio->OnClick = [&](TObject*) { ++Clicks; };
    ShowForm();
    FRadio->SetFocus();
    QVERIFY(FRadio->Focused());

    const int Before = FRadio->Faces;
    QTest::mouseClick(WidgetOf(FRadio), Qt::LeftButton, {}, QPoint(6, 6));
    QVERIFY(!FRadio->Checked());
    QCOMPARE(Clicks, 0);
    QVERIFY(FRadio->Faces > Before);

    // A control without the focus takes it and is checked by the same click.
    WidgetOf(FRadio)->clearFocus();
    QVERIFY(!FRadio->Focused());
    QTest::mouseClick(WidgetOf(FRadio), Qt::LeftButton, {}, QPoint(6, 6));
    QVERIFY(FRadio->Focused());
    QVERIFY(FRadio->Checked());
    QCOMPARE(Clicks, 1);
}

void tst_VqTrRadioButton::clickChecksOneOfAPair()
{
    auto* Second = new TProbeRadio(FForm);
    Second->SetParent(FForm);
    Second->SetBounds(20, 56, 97, 17);
    Second->SetFont(White11());
    Second->SetTransparent(true);
    Second->SetCaption(u"Extinction  du PC");
    FRadio->SetChecked(true);
    QStringList Clicks;
    FRadio->OnClick = [&](TObject* S) { Clicks << ToQt(static_cast<TComponent*>(S)->Name()); };
    Second->SetName(u"VqTrRadioButton2");
    Second->OnClick = FRadio->OnClick;
    ShowForm();
    const QImage Before = Grab(WidgetOf(FForm));

    const int FirstFaces = FRadio->Faces;
    const int SecondFaces = Second->Faces;
    QTest::mouseClick(WidgetOf(Second), Qt::LeftButton, {}, QPoint(6, 6));
    QVERIFY(Second->Checked());
    QVERIFY(!FRadio->Checked());
    QCOMPARE(Clicks, QStringList { QStringLiteral("VqTrRadioButton2") });
    // Both repainted at once, before any event is processed.
    QVERIFY(FRadio->Faces > FirstFaces);
    QVERIFY(Second->Faces > SecondFaces);

    // The dot moved from the first mark to the second.
    const QImage After = Grab(WidgetOf(FForm));
    const QPoint FirstDot = ToQt(FRadio->BoundsRect()).topLeft() + QPoint(5, 5);
    const QPoint SecondDot = ToQt(Second->BoundsRect()).topLeft() + QPoint(5, 5);
    QCOMPARE(Before.pixel(FirstDot), Opaque(clWhite));
    QCOMPARE(After.pixel(FirstDot), MakeSkin().pixel(FirstDot));
    QCOMPARE(Before.pixel(SecondDot), MakeSkin().pixel(SecondDot));
    QCOMPARE(After.pixel(SecondDot), Opaque(clWhite));
}

void tst_VqTrRadioButton::checkingInCodeUnchecksTheOther()
{
    auto* Second = new TVqTrRadioButton(FForm);
    Second->SetParent(FForm);
    Second->SetTransparent(true);
    ShowForm();
    int Clicks = 0;
    FRadio->OnClick = [&](TObject*) { ++Clicks; };
    Second->SetChecked(true);
    FRadio->SetChecked(true);
    QVERIFY(FRadio->Checked());
    QVERIFY(!Second->Checked());
    QCOMPARE(Clicks, 1);
    // Setting the value it already has runs no click.
    FRadio->SetChecked(true);
    QCOMPARE(Clicks, 1);
}

void tst_VqTrRadioButton::groupOfPlainAndTransparentButtons_data()
{
    QTest::addColumn<bool>("FirstTransparent");
    QTest::addColumn<int>("Target"); // 0: the transparent button, 1: the plain one
    QTest::addColumn<bool>("ByClick");
    QTest::addColumn<bool>("Uncheck"); // unchecks the target afterwards, in code
    QTest::addColumn<bool>("Loading"); // checked in code while the form loads

    QTest::newRow("code checks the plain one: the transparent one unchecks") << true << 1 << false << false << false;
    QTest::newRow("a click checks the transparent one: the plain one unchecks") << true << 0 << true << false << false;
    QTest::newRow("a click checks the plain one: the transparent one unchecks") << true << 1 << true << false << false;
    QTest::newRow("both plain, by a click") << false << 1 << true << false << false;
    QTest::newRow("unchecked in code: none is left checked") << true << 1 << false << true << false;
    QTest::newRow("checked while loading: the group holds, no click") << true << 0 << false << false << true;
}

// The group rule is the model's: buttons of either kind under one parent, whatever checks
// them; each window shows the model's state, and a click on the checked one changes
// nothing.
void tst_VqTrRadioButton::groupOfPlainAndTransparentButtons()
{
    QFETCH(bool, FirstTransparent);
    QFETCH(int, Target);
    QFETCH(bool, ByClick);
    QFETCH(bool, Uncheck);
    QFETCH(bool, Loading);

    FRadio->SetTransparent(FirstTransparent);
    auto* Plain = new TRadioButton(FForm);
    Plain->SetParent(FForm);
    Plain->SetBounds(120, 42, 80, 17);
    Plain->SetCaption(u"Extinction");
    TRadioButton* Buttons[] = { FRadio, Plain };
    QList<TObject*> Clicks;
    for (TRadioButton* B : Buttons) {
        B->OnClick = [&](TObject* S) { Clicks << S; };
    }
    Buttons[1 - Target]->SetChecked(true);
    Clicks.clear();
    ShowForm();

    TRadioButton* Checked = Buttons[Target];
    TRadioButton* Other = Buttons[1 - Target];
    auto Click = [](TRadioButton* B) { QTest::mouseClick(WidgetOf(B), Qt::LeftButton, {}, QPoint(6, 6)); };
    if (ByClick) {
        Click(Checked);
    } else {
        if (Loading) {
            Checked->BeginLoading();
        }
        Checked->SetChecked(true);
        if (Loading) {
            Checked->Loaded();
        }
    }
    QVERIFY(Checked->Checked());
    QVERIFY(!Other->Checked());
    QCOMPARE(Clicks, Loading ? QList<TObject*>() : QList<TObject*> { Checked });
    if (ByClick) {
        // Focused now: a transparent one only repaints, a plain one stays checked.
        Click(Checked);
        QVERIFY(Checked->Checked());
        QCOMPARE(Clicks.size(), 1);
    }
    if (Uncheck) {
        Checked->SetChecked(false);
        QVERIFY(!Checked->Checked());
        QVERIFY(!Other->Checked());
        QCOMPARE(Clicks.size(), 1);
    }
    for (TRadioButton* B : Buttons) {
        QCOMPARE(Button(B)->isChecked(), B->Checked());
    }
}

void tst_VqTrRadioButton::optionsWaitForTheNextPaint()
{
    ShowForm();
    QWidget* Window = WidgetOf(FForm);
    QCoreApplication::processEvents();
    const QImage Shown = Window->screen()->grabWindow(Window->winId()).toImage();
    const int Before = FRadio->Faces;

    FRadio->TransparentOptions()->CheckAlignment = TAlignment::taRightJustify;
    FRadio->TransparentOptions()->Layout = TTextLayout::tlBottom;
    FRadio->TransparentOptions()->WordWrap = true;
    QCoreApplication::processEvents();
    QCOMPARE(FRadio->Faces, Before);
    QCOMPARE(Window->screen()->grabWindow(Window->winId()).toImage(), Shown);

    FRadio->Repaint();
    QCOMPARE(FRadio->Faces, Before + 1);
    QCOMPARE(FRadio->LastBox, QRect(75, 3, 14, 14));
    QVERIFY(Window->screen()->grabWindow(Window->winId()).toImage() != Shown);
}

void tst_VqTrRadioButton::transparentOffAndOn()
{
    ShowForm();
    QCOMPARE(FRadio->WindowStyle(), std::uint32_t(0x0F));
    QCoreApplication::processEvents();

    // The same value again changes nothing, not even a repaint.
    int Faces = FRadio->Faces;
    FRadio->SetTransparent(true);
    QCoreApplication::processEvents();
    QCOMPARE(FRadio->Faces, Faces);

    // Off: the window is recreated without the owner-draw bits and the Qt button paints
    // itself again.
    FRadio->SetTransparent(false);
    QCOMPARE(FRadio->WindowStyle(), std::uint32_t(0x04));
    const QImage Plain = Grab(WidgetOf(FRadio));
    QCOMPARE(FRadio->Faces, Faces);
    QVERIFY(!Ink(Plain).isEmpty());

    // On: painted transparently from the next paint on; the style bits wait for the next
    // recreation of the window.
    FRadio->SetTransparent(true);
    QCOMPARE(FRadio->WindowStyle(), std::uint32_t(0x04));
    const QImage Face = Grab(WidgetOf(FRadio));
    QVERIFY(FRadio->Faces > Faces);
    QVERIFY(Face != Plain);
    FRadio->SetAlignment(TLeftRight::taLeftJustify);
    QCOMPARE(FRadio->WindowStyle(), std::uint32_t(0x2F));
    QCOMPARE(WidgetOf(FRadio)->layoutDirection(), Qt::RightToLeft);
}

void tst_VqTrRadioButton::fontChangeReachesTheFaceOnly()
{
    ShowForm();
    const QImage Before = Grab(WidgetOf(FRadio));
    TFont Big = White11();
    Big.Height = 15;
    FRadio->SetFont(Big);
    QVERIFY(Grab(WidgetOf(FRadio)) != Before);
    // The Qt button keeps the font its window was created with, until recreated.
    QCOMPARE(WidgetOf(FRadio)->font().pixelSize(), 11);
    FRadio->SetAlignment(TLeftRight::taLeftJustify);
    QCOMPARE(WidgetOf(FRadio)->font().pixelSize(), 15);
}

void tst_VqTrRadioButton::parentOrigin()
{
    ShowForm();
    QCOMPARE(ToQt(FRadio->ParentOrigin()), QPoint(20, 42));
    FRadio->SetBounds(31, 7, 89, 17);
    QCOMPARE(ToQt(FRadio->ParentOrigin()), QPoint(31, 7));
    auto* Orphan = new TVqTrRadioButton(FForm);
    QCOMPARE(ToQt(Orphan->ParentOrigin()), QPoint(0, 0));
}

void tst_VqTrRadioButton::failingPaintIsReportedAfterwards()
{
    ShowForm();
    FRadio->Fail = true;
    FRadio->Repaint();
    FRadio->Fail = false;
    QVERIFY(FRadio->Canvas().Handle() == nullptr);
    QVERIFY(FErrors->Texts.isEmpty()); // never from inside the paint
    QCoreApplication::processEvents();
    QCOMPARE(FErrors->Texts.size(), 1);
    QCOMPARE(FErrors->Texts.first(), QStringLiteral("Dessin impossible."));
}

void tst_VqTrRadioButton::destroyedWhileFocused()
{
    ShowForm();
    FRadio->SetFocus();
    QVERIFY(FRadio->Focused());
    delete FRadio;
    FRadio = nullptr;
    QCoreApplication::processEvents();
    QVERIFY(FForm->FindComponent(u"VqTrRadioButton1") == nullptr);
}

QTEST_MAIN(tst_VqTrRadioButton)
#include "tst_vqtrradiobutton.moc"
