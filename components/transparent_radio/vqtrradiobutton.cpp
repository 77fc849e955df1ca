#include "components/transparent_radio/vqtrradiobutton.h"

#include "components/transparent_radio/wraptext.h"
#include "toolkit/controls/forms.h"
#include "toolkit/core/sysutils.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace {
constexpr TColor DisabledCheckColor = RGBColor(128, 128, 128);
constexpr char16_t ExtraLineMark = u'\u00A4'; // "¤": counts as one more line when centring

int ClampToInt(std::int64_t Value)
{
    return int(std::clamp<std::int64_t>(
        Value, std::numeric_limits<int>::min() / 2, std::numeric_limits<int>::max() / 2));
}

bool HasMarlett()
{
    static const bool Has = WidgetSet().HasFontFace(u"Marlett");
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

// A failure while painting must not cross the window system's paint handling, and a
// modal error box inside a paint would paint again: it is shown once the paint is over.
void ReportLater(const TString& Message)
{
    WidgetSet().Post([Message] {
        if (Application) {
            Application->HandleException(Message);
        }
    });
}

TCustomForm* FormOf(TControl* Control)
{
    for (TControl* C = Control; C; C = C->Parent()) {
        if (auto* Form = dynamic_cast<TCustomForm*>(C)) {
            return Form;
        }
    }
    return nullptr;
}
}

TVqTrRadioButton::TVqTrRadioButton(TComponent* AOwner)
    : TRadioButton(AOwner)
{
    FTransparentOptions = std::make_unique<TTransparentOptions>();
    SetBounds(Left(), Top(), 113, 17);
}

TVqTrRadioButton::~TVqTrRadioButton() = default;

void TVqTrRadioButton::SetTransparent(bool Value)
{
    if (Value == FTransparent) {
        return;
    }
    FTransparent = Value;
    if (TWSRadioButton* Window = WSRadioButton()) {
        Window->SetOwnerDraw(Value);
    }
    if (!Value) {
        RecreateWnd();
    }
    Invalidate();
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
    return WidgetSet().RightToLeftReading();
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

void TVqTrRadioButton::InitWidget()
{
    TRadioButton::InitWidget();
    WSRadioButton()->SetOwnerDraw(FTransparent);
    // The window comes into being when the control is first shown.
    CreateWnd();
}

void TVqTrRadioButton::CreateWnd()
{
    const TCreateParams Params = CreateParams();
    FWindowStyle = Params.Style;
    TWSRadioButton* Window = WSRadioButton();
    Window->SetLeftText((Params.Style & BS_LEFTTEXT) != 0);
    Window->SetFont(FFont);
    FHandleAllocated = true;
    Window->Invalidate();
}

void TVqTrRadioButton::RecreateWnd()
{
    // The checked state lives in the model and survives.
    if (FHandleAllocated && WSRadioButton()) {
        CreateWnd();
    }
}

void TVqTrRadioButton::FontChanged()
{
    Invalidate();
}

TPoint TVqTrRadioButton::ParentOrigin() const
{
    if (!WidgetCreated() || !FParent) {
        return { Left(), Top() };
    }
    return FParent->ScreenToClient(ClientToScreen({ 0, 0 }));
}

void TVqTrRadioButton::Click()
{
    TRadioButton::Click();
    Refresh();
}

void TVqTrRadioButton::CheckedChanged()
{
    Refresh();
}

void TVqTrRadioButton::RefreshOverParent()
{
    // The window system's synchronous repaint of a window that is not opaque paints the
    // parent and the controls below first, then the face, and puts the result on screen
    // in one transfer: the whole refresh, with nothing held afterwards.
    if (FTransparent && WSRadioButton()) {
        WSRadioButton()->Repaint();
    }
}

void TVqTrRadioButton::Refresh()
{
    RefreshOverParent();
}

void TVqTrRadioButton::WndProc(TMessage& Message)
{
    // What the control handles itself, in either mode.
    switch (Message.Msg) {
    case WM_ENABLE:
    case WM_SIZE:
    case WM_MOVE:
        Invalidate();
        TRadioButton::WndProc(Message);
        return;
    default:
        break;
    }
    if (!FTransparent) {
        TRadioButton::WndProc(Message);
        return;
    }

    // The message filter of transparent mode. A disabled button takes no input at all.
    const bool Input = Enabled();
    switch (Message.Msg) {
    case WM_MOUSEMOVE:
        if (Input) {
            Refresh();
            return;
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (!Input) {
            break;
        }
        if (Focused()) {
            // Neither pressed nor checked: only repainted.
            Refresh();
            return;
        }
        SetFocus();
        if (TCustomForm* Form = FormOf(this); Form && !Focused()) {
            // Its window was not active: the focus comes with the activation.
            Form->BringToFront();
        }
        Refresh();
        break;
    case WM_LBUTTONUP:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        Refresh();
        break;
    default:
        break;
    }
    TRadioButton::WndProc(Message);
}

void TVqTrRadioButton::WSPaint(IWSCanvas& Canvas, const TRect&)
{
    if (!FTransparent) {
        return;
    }
    const TCanvasBinding Binding(FCanvas, Canvas);
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
    const int W = Width();
    const int H = Height();
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
    const TRect& Area = Bounds;
    const int L = Bounds.Left;
    const int T = Bounds.Top;
    const int R = Bounds.Right;
    const int B = Bounds.Bottom;
    const TAlignment Align = FTransparentOptions->CheckAlignment;
    const TTextLayout Layout = FTransparentOptions->Layout;
    const TString& Text = Caption();

    if (!FTransparentOptions->WordWrap) {
        FCanvas.Font = FFont;
        const TSize Extent = FCanvas.TextExtent(Text);
        int X = L + 1;
        if (Align == TAlignment::taRightJustify) {
            X = R - Extent.Width;
        } else if (Align == TAlignment::taCenter) {
            X = R / 2 - Extent.Width / 2;
        }
        int Y = T;
        if (Layout == TTextLayout::tlCenter) {
            Y = Height() / 2 - Extent.Height / 2;
        } else if (Layout == TTextLayout::tlBottom) {
            Y = B - Extent.Height;
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
    FCanvas.Font = FFont;
    std::size_t Columns = Text.size();
    while (Columns > 0 && FCanvas.TextWidth(TStringView(Text).substr(0, Columns)) >= R) {
        --Columns;
    }
    const std::vector<TString> Lines
        = WrapCaption(Text, int(std::min<std::size_t>(Columns, std::numeric_limits<int>::max())));
    const std::int64_t LineCount = std::int64_t(Lines.size())
        + std::int64_t(std::count(Text.begin(), Text.end(), ExtraLineMark));

    const int LineHeight = FCanvas.TextHeight(Text);
    const std::int64_t TextHeight = std::int64_t(LineHeight) * LineCount;
    std::int64_t Y = T;
    if (Layout == TTextLayout::tlCenter) {
        Y = B / 2 - TextHeight / 2;
    } else if (Layout == TTextLayout::tlBottom) {
        Y = B - (TextHeight + 1);
    }
    for (const TString& Raw : Lines) {
        // Lines wholly outside the area would be clipped away entirely.
        if (Y < B + 1 && Y + LineHeight > T - 1) {
            const TString Line = TrimControls(Raw);
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
            const char16_t* Glyph;
            TColor Color;
        } Frame[] = { { u"j", clBtnShadow }, { u"k", clBtnHighlight }, { u"l", cl3DDkShadow },
            { u"m", cl3DLight } };
        for (const auto& Part : Frame) {
            FCanvas.Font = MarlettFont(13, Part.Color);
            FCanvas.TextOut(X, Y, Part.Glyph);
        }
        FCanvas.Font = MarlettFont(11, DotColor);
        if (Checked()) {
            FCanvas.TextOut(X + 1, Y + 1, u"h");
        }
    } else {
        // The same shapes as vectors: a 12-pixel ring of two one-pixel circles, shaded
        // from the top-left (shadow outside, dark shadow inside) to the bottom-right
        // (highlight outside, 3-D light inside); its inside is left untouched, so what
        // lies behind shows through. The dot is centred in the ring.
        FCanvas.Arc(X + 0.5, Y + 0.5, 11, 11, 45, 180, clBtnShadow);
        FCanvas.Arc(X + 0.5, Y + 0.5, 11, 11, 225, 180, clBtnHighlight);
        FCanvas.Arc(X + 1.5, Y + 1.5, 9, 9, 45, 180, cl3DDkShadow);
        FCanvas.Arc(X + 1.5, Y + 1.5, 9, 9, 225, 180, cl3DLight);
        if (Checked()) {
            FCanvas.FillEllipse(X + 4, Y + 4, 4, 4, DotColor);
        }
    }
    FCanvas.Font = Kept;
}
