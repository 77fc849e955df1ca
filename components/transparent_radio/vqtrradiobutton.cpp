#include "components/transparent_radio/vqtrradiobutton.h"

#include "toolkit/widgetset/qt/qtaccess.h"

#include "components/transparent_radio/wraptext.h"
#include "toolkit/controls/forms.h"
#include "toolkit/core/sysutils.h"
#include "toolkit/qt/qtconvert.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>

#include <algorithm>
#include <limits>

Q_LOGGING_CATEGORY(lcRadio, "veludor.radio")

// The Qt button of a TVqTrRadioButton: every event goes through the control's WndProc,
// which hands on what the button itself should see (BaseEvent). Once the control is
// being destroyed the button handles its events alone.
class TVqTrRadioWidget : public QRadioButton {
public:
    TVqTrRadioWidget()
    {
        // Check changes and the click notification are followed by a repaint over the
        // parent; the control decides whether that applies.
        QObject::connect(this, &QAbstractButton::toggled, this, [this] { RefreshControl(); });
        QObject::connect(this, &QAbstractButton::clicked, this, [this] { RefreshControl(); });
    }

    bool BaseEvent(QEvent* E) { return QRadioButton::event(E); }

    TVqTrRadioButton* FControl = nullptr;

protected:
    bool event(QEvent* E) override
    {
        return FControl ? FControl->WndProc(E) : QRadioButton::event(E);
    }

private:
    void RefreshControl()
    {
        if (FControl) {
            FControl->Refresh();
        }
    }
};

namespace {
constexpr TColor DisabledCheckColor = RGBColor(128, 128, 128);
constexpr QChar ExtraLineMark = QChar(0x00A4); // "¤": counts as one more line when centring

int ClampToInt(qint64 Value)
{
    return int(std::clamp<qint64>(
        Value, std::numeric_limits<int>::min() / 2, std::numeric_limits<int>::max() / 2));
}

bool HasMarlett()
{
    static const bool Has
        = QFontDatabase::families().contains(QStringLiteral("Marlett"), Qt::CaseInsensitive);
    return Has;
}

TFont MarlettFont(int Height, TColor Color)
{
    TFont F;
    F.Name = u"Marlett";
    F.Height = Height;
    F.Color = Color;
    return F;
}

// The canvas stays bound for exactly one paint, whatever DrawFace does.
class TControlCanvasBinding {
public:
    TControlCanvasBinding(TControlCanvas& Canvas, QPainter& Painter)
        : FCanvas(Canvas)
    {
        FCanvas.Bind(&Painter);
    }
    ~TControlCanvasBinding() { FCanvas.Unbind(); }
    TControlCanvasBinding(const TControlCanvasBinding&) = delete;
    TControlCanvasBinding& operator=(const TControlCanvasBinding&) = delete;

private:
    TControlCanvas& FCanvas;
};

// A failure while painting must not cross Qt's event dispatch, and a modal error box
// inside a paint would paint again: it is shown once the paint is over.
void ReportLater(const TString& Message)
{
    qCWarning(lcRadio) << "painting failed:" << QString::fromStdU16String(Message);
    QMetaObject::invokeMethod(
        qApp,
        [Message] {
            if (Application) {
                Application->HandleException(Message);
            }
        },
        Qt::QueuedConnection);
}
}

TVqTrRadioButton::TVqTrRadioButton(TComponent* AOwner)
    : TRadioButton(AOwner, new TVqTrRadioWidget)
{
    // Not opaque: Qt paints what lies under the control before every paint of it.
    QtWidgetOf(FHandle.get())->setAttribute(Qt::WA_OpaquePaintEvent, false);
    QtWidgetOf(FHandle.get())->setAutoFillBackground(false);
    FTransparent = false;
    ApplyMode();
    FTransparentOptions = std::make_unique<TTransparentOptions>();
    SetBounds(Left(), Top(), 113, 17);
    RadioWidget()->FControl = this;
}

TVqTrRadioButton::~TVqTrRadioButton()
{
    // The Qt button outlives this part of the object (the control base deletes it).
    if (QtWidgetOf(FHandle.get())) {
        RadioWidget()->FControl = nullptr;
    }
}

TVqTrRadioWidget* TVqTrRadioButton::RadioWidget() const
{
    return static_cast<TVqTrRadioWidget*>(QtWidgetOf(FHandle.get()));
}

void TVqTrRadioButton::SetTransparent(bool Value)
{
    if (Value == FTransparent) {
        return;
    }
    FTransparent = Value;
    ApplyMode();
    if (!Value) {
        RecreateWnd();
    }
    Invalidate();
}

void TVqTrRadioButton::ApplyMode()
{
    // Qt focuses a click-focus widget before the press reaches it; in transparent mode
    // the press handling gives the focus itself (and a press on a control that already
    // has it only repaints), so the button takes the focus by the keyboard alone.
    QtWidgetOf(FHandle.get())->setFocusPolicy(FTransparent ? Qt::TabFocus : Qt::StrongFocus);
    // Not even a rendering of the control on its own (a grab) fills a background.
    QtWidgetOf(FHandle.get())->setAttribute(Qt::WA_NoSystemBackground, FTransparent);
}

void TVqTrRadioButton::SetAlignment(TLeftRight Value)
{
    if (Value == FAlignment) {
        return;
    }
    FAlignment = Value;
    RecreateWnd();
}

bool TVqTrRadioButton::UseRightToLeftReading() const
{
    if (QtWidgetOf(FHandle.get()) && QtWidgetOf(FHandle.get())->parentWidget()) {
        return QtWidgetOf(FHandle.get())->parentWidget()->layoutDirection() == Qt::RightToLeft;
    }
    return QGuiApplication::isRightToLeft();
}

TCreateParams TVqTrRadioButton::CreateParams() const
{
    TCreateParams Params;
    Params.WinClassName = u"BUTTON";
    Params.Style = BS_RADIOBUTTON;
    const bool LeftText = (FAlignment == TLeftRight::taLeftJustify) != UseRightToLeftReading();
    if (LeftText) {
        Params.Style |= BS_LEFTTEXT;
    }
    if (FTransparent) {
        // Or-ed over the radio-button type, which makes the type field 0x0F. Only the
        // recorded style shows it: what paints follows Transparent itself.
        Params.Style |= BS_OWNERDRAW;
    }
    return Params;
}

void TVqTrRadioButton::CreateWnd()
{
    const TCreateParams Params = CreateParams();
    FWindowStyle = Params.Style;
    // A caption on the left-hand side is Qt's right-to-left button.
    QtWidgetOf(FHandle.get())
        ->setLayoutDirection((Params.Style & BS_LEFTTEXT) ? Qt::RightToLeft : Qt::LeftToRight);
    QtWidgetOf(FHandle.get())->setFont(ToQFont(FFont));
    FHandleAllocated = true;
    QtWidgetOf(FHandle.get())->update();
}

void TVqTrRadioButton::RecreateWnd()
{
    // The checked state lives in the Qt button and survives.
    if (FHandleAllocated && QtWidgetOf(FHandle.get())) {
        CreateWnd();
    }
}

void TVqTrRadioButton::FontChanged()
{
    Invalidate();
}

TPoint TVqTrRadioButton::ParentOrigin() const
{
    if (!QtWidgetOf(FHandle.get()) || !FParent || !QtWidgetOf(FParent->WSObject())) {
        return { Left(), Top() };
    }
    return FParent->ScreenToClient(FromQt(QtWidgetOf(FHandle.get())->mapToGlobal(QPoint(0, 0))));
}

void TVqTrRadioButton::Click()
{
    TRadioButton::Click();
    if (FTransparent) {
        RefreshOverParent();
    }
}

void TVqTrRadioButton::RefreshOverParent()
{
    // Qt's synchronous repaint of a widget that is not opaque paints the parent and the
    // controls below into the window's back buffer first, then the face, and puts the
    // result on screen in one transfer: the whole refresh, with nothing held afterwards.
    if (FTransparent && QtWidgetOf(FHandle.get())) {
        QtWidgetOf(FHandle.get())->repaint();
    }
}

void TVqTrRadioButton::Refresh()
{
    if (FTransparent) {
        RefreshOverParent();
    }
}

bool TVqTrRadioButton::PassOn(QEvent* Event)
{
    return RadioWidget()->BaseEvent(Event);
}

bool TVqTrRadioButton::WndProc(QEvent* Event)
{
    // What the control handles itself, in either mode.
    switch (Event->type()) {
    case QEvent::Show:
        // The window comes into being when the control is first shown on screen.
        if (!FHandleAllocated) {
            CreateWnd();
        }
        return PassOn(Event);
    case QEvent::Paint:
        if (FTransparent) {
            QPainter Painter(QtWidgetOf(FHandle.get()));
            PaintWindow(Painter);
            return true;
        }
        return PassOn(Event);
    case QEvent::EnabledChange:
    case QEvent::Resize:
    case QEvent::Move: {
        const bool Result = PassOn(Event);
        Invalidate();
        return Result;
    }
    default:
        break;
    }
    if (!FTransparent) {
        return PassOn(Event);
    }

    // The message filter of transparent mode. A disabled button takes no input at all.
    const bool Input = QtWidgetOf(FHandle.get())->isEnabled();
    switch (Event->type()) {
    case QEvent::MouseMove:
        if (!Input) {
            return PassOn(Event);
        }
        Refresh();
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        if (!Input || static_cast<QMouseEvent*>(Event)->button() != Qt::LeftButton) {
            return PassOn(Event);
        }
        if (Focused()) {
            // Neither pressed nor checked: only repainted.
            Refresh();
            return true;
        }
        QtWidgetOf(FHandle.get())->setFocus(Qt::MouseFocusReason);
        if (!QtWidgetOf(FHandle.get())->isActiveWindow()) {
            QtWidgetOf(FHandle.get())->activateWindow();
        }
        // The focus of a window that the window manager has yet to activate is its focus
        // widget; it becomes the keyboard focus with the activation.
        if (QtWidgetOf(FHandle.get())->window()->focusWidget() != QtWidgetOf(FHandle.get())) {
            return true;
        }
        const bool Result = PassOn(Event);
        Refresh();
        return Result;
    }
    case QEvent::MouseButtonRelease: {
        if (static_cast<QMouseEvent*>(Event)->button() != Qt::LeftButton) {
            return PassOn(Event);
        }
        const bool Result = PassOn(Event);
        Refresh();
        return Result;
    }
    case QEvent::FocusIn:
    case QEvent::FocusOut: {
        const bool Result = PassOn(Event);
        Refresh();
        return Result;
    }
    default:
        return PassOn(Event);
    }
}

void TVqTrRadioButton::PaintWindow(QPainter& Painter)
{
    const TControlCanvasBinding Binding(FCanvas, Painter);
    FCanvas.SetRightToLeftReading(UseRightToLeftReading());
    try {
        DrawFace();
    } catch (const Exception& E) {
        ReportLater(E.Message());
    } catch (const std::exception& E) {
        ReportLater(Utf8ToString(E.what()));
    }
}

void TVqTrRadioButton::DrawFace()
{
    const int W = QtWidgetOf(FHandle.get()) ? QtWidgetOf(FHandle.get())->width() : Width();
    const int H = QtWidgetOf(FHandle.get()) ? QtWidgetOf(FHandle.get())->height() : Height();
    // Area becomes the caption rectangle, Box the check square (edges exclusive).
    int AL = 0, AT = 0, AR = W, AB = H;
    int BL = AL, BT = AT, BR = AR, BB = AB;
    const TAlignment Align = FTransparentOptions->CheckAlignment;

    switch (Align) {
    case TAlignment::taLeftJustify:
        BR = BL + CheckSize;
        AL = BL + CheckSize;
        break;
    case TAlignment::taRightJustify:
        BL = BR - CheckSize;
        AR = BL;
        break;
    case TAlignment::taCenter:
        BL = (BR - BL - CheckSize) / 2;
        BR = BL + CheckSize;
        break;
    }
    switch (FTransparentOptions->Layout) {
    case TTextLayout::tlTop:
        BB = BT + CheckSize;
        if (Align == TAlignment::taCenter) {
            AT = BB; // the caption goes under the check mark
        }
        break;
    case TTextLayout::tlCenter:
        BT = (BB - BT - CheckSize) / 2;
        BB = BT + CheckSize;
        break;
    case TTextLayout::tlBottom:
        BT = BB - CheckSize;
        if (Align == TAlignment::taCenter) {
            AB = BT; // the caption goes above the check mark
        }
        break;
    }

    if (Focused()) {
        for (int X = AL; X < AR; X += 2) {
            FCanvas.SetPixel(X, AT, clWindowFrame);
            FCanvas.SetPixel(X, AB - 1, clWindowFrame);
        }
        for (int Y = AT; Y < AB - 1; Y += 2) {
            FCanvas.SetPixel(AL, Y, clWindowFrame);
            FCanvas.SetPixel(AR - 1, Y, clWindowFrame);
        }
    }
    if (!Caption().empty()) {
        FCanvas.Brush.Style = TBrushStyle::bsClear;
        DrawCaption({ AL, AT, AR, AB });
    }
    DrawCheckGlyph({ BL, BT, BR, BB });
}

void TVqTrRadioButton::DrawCaption(const TRect& Bounds)
{
    const QRect Area = ToQt(Bounds);
    const int L = Bounds.Left;
    const int T = Bounds.Top;
    const int R = Bounds.Right;
    const int B = Bounds.Bottom;
    const TAlignment Align = FTransparentOptions->CheckAlignment;
    const TTextLayout Layout = FTransparentOptions->Layout;
    const QString Text = ToQt(Caption());

    if (!FTransparentOptions->WordWrap) {
        FCanvas.Font = FFont;
        const QSize Extent = FCanvas.TextExtent(Text);
        int X = L + 1;
        if (Align == TAlignment::taRightJustify) {
            X = R - Extent.width();
        } else if (Align == TAlignment::taCenter) {
            X = R / 2 - Extent.width() / 2;
        }
        int Y = T;
        if (Layout == TTextLayout::tlCenter) {
            const int ClientHeight
                = QtWidgetOf(FHandle.get()) ? QtWidgetOf(FHandle.get())->height() : Height();
            Y = ClientHeight / 2 - Extent.height() / 2;
        } else if (Layout == TTextLayout::tlBottom) {
            Y = B - Extent.height();
        }
        if (Enabled()) {
            FCanvas.TextRect(Area, X, Y, Text);
        } else {
            FCanvas.Font.Color = clBtnHighlight;
            FCanvas.TextRect(Area, X + 1, Y + 1, Text);
            FCanvas.Font.Color = clBtnShadow;
            FCanvas.TextRect(Area, X, Y, Text);
            FCanvas.Font = FFont;
        }
        return;
    }

    // Column limit: the length of the longest prefix narrower than the right edge.
    const QFontMetrics Metrics(ToQFont(FFont));
    qsizetype Columns = Text.size();
    while (Columns > 0 && Metrics.horizontalAdvance(Text.left(Columns)) >= R) {
        --Columns;
    }
    const std::vector<TString> Lines = WrapCaption(
        FromQt(Text), int(std::min<qsizetype>(Columns, std::numeric_limits<int>::max())));
    const qint64 LineCount = qint64(Lines.size()) + Text.count(ExtraLineMark);

    FCanvas.Font = FFont;
    const int LineHeight = FCanvas.TextHeight(Text);
    const qint64 TextHeight = qint64(LineHeight) * LineCount;
    qint64 Y = T;
    if (Layout == TTextLayout::tlCenter) {
        Y = B / 2 - TextHeight / 2;
    } else if (Layout == TTextLayout::tlBottom) {
        Y = B - (TextHeight + 1);
    }
    for (const TString& Raw : Lines) {
        // Lines wholly outside the area would be clipped away entirely.
        if (Y < B + 1 && Y + LineHeight > T - 1) {
            const QString Line = ToQt(TrimControls(Raw));
            const int Width = FCanvas.TextWidth(Line);
            int X = L;
            if (Align == TAlignment::taRightJustify) {
                X = R - 5 - Width;
            } else if (Align == TAlignment::taCenter) {
                X = R / 2 - Width / 2;
            }
            X += 1;
            const int LineY = ClampToInt(Y);
            if (Enabled()) {
                FCanvas.TextRect(Area, X, LineY, Line);
            } else {
                FCanvas.Font.Color = clBtnHighlight;
                FCanvas.TextRect(Area, X, LineY, Line);
                FCanvas.Font.Color = clBtnShadow;
                FCanvas.TextRect(Area, X - 1, LineY - 1, Line);
                FCanvas.Font = FFont;
            }
        }
        Y += LineHeight;
    }
}

void TVqTrRadioButton::DrawCheckGlyph(const TRect& Box)
{
    const TFont Kept = FCanvas.Font;
    FCanvas.Brush.Style = TBrushStyle::bsClear;
    const int X = Box.Left;
    const int Y = Box.Top;
    const TColor DotColor = Enabled() ? Kept.Color : DisabledCheckColor;

    if (HasMarlett()) {
        // The symbol face's radio glyphs: 10 and 8 points at 96 dots per inch.
        const struct {
            const char* Glyph;
            TColor Color;
        } Frame[] = { { "j", clBtnShadow }, { "k", clBtnHighlight }, { "l", cl3DDkShadow },
            { "m", cl3DLight } };
        for (const auto& Part : Frame) {
            FCanvas.Font = MarlettFont(13, Part.Color);
            FCanvas.TextOut(X, Y, QString::fromLatin1(Part.Glyph));
        }
        FCanvas.Font = MarlettFont(11, DotColor);
        if (Checked()) {
            FCanvas.TextOut(X + 1, Y + 1, QStringLiteral("h"));
        }
    } else {
        // The same shapes as vectors: a 12-pixel ring of two one-pixel circles, shaded
        // from the top-left (shadow outside, dark shadow inside) to the bottom-right
        // (highlight outside, 3-D light inside); its inside is left untouched, so what
        // lies behind shows through. The dot is centred in the ring.
        const QRectF Outer(X + 0.5, Y + 0.5, 11, 11);
        const QRectF Inner(X + 1.5, Y + 1.5, 9, 9);
        FCanvas.Arc(Outer, 45, 180, clBtnShadow);
        FCanvas.Arc(Outer, 225, 180, clBtnHighlight);
        FCanvas.Arc(Inner, 45, 180, cl3DDkShadow);
        FCanvas.Arc(Inner, 225, 180, cl3DLight);
        if (Checked()) {
            FCanvas.FillEllipse(QRectF(X + 4, Y + 4, 4, 4), DotColor);
        }
    }
    FCanvas.Font = Kept;
}
