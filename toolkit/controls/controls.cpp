#include "toolkit/controls/controls.h"

#include "toolkit/controls/forms.h"

#include <algorithm>

TControl::TControl(TComponent* AOwner, std::unique_ptr<TWSControl> AWindow)
    : TComponent(AOwner)
    , FHandle(std::move(AWindow))
{
    WindowProc = [this](TMessage& M) { WndProc(M); };
}

TControl::TControl(TComponent* AOwner, TWindowFactory Factory)
    : TComponent(AOwner)
    , FFactory(std::move(Factory))
{
    WindowProc = [this](TMessage& M) { WndProc(M); };
}

std::intptr_t TControl::Perform(std::uint32_t Msg, std::uintptr_t WParam, std::intptr_t LParam)
{
    TMessage M { Msg, WParam, LParam, 0 };
    if (WindowProc) {
        WindowProc(M);
    }
    return M.Result;
}

void TControl::WndProc(TMessage&)
{
    FMessageLeft = true;
}

bool TControl::WSMessage(TMessage& Message)
{
    // Handled unless it reaches the model's default handling and that leaves it.
    FMessageLeft = false;
    if (WindowProc) {
        WindowProc(Message);
    } else {
        FMessageLeft = true;
    }
    return !FMessageLeft;
}

TWSControl* TControl::WSObject() const
{
    if (!FHandle && FFactory) {
        const_cast<TControl*>(this)->CreateWidget();
    }
    return FHandle.get();
}

bool TControl::ParentShown() const
{
    return FParent && FParent->FHandle && FParent->FHandle->IsVisible();
}

void TControl::CreateWidgetIfShown()
{
    if (!FHandle && FFactory && FVisible && ParentShown() && !FBounds.IsEmpty()
        && !FParent->ClientRect().Intersected(FBounds).IsEmpty()) {
        CreateWidget();
    }
}

void TControl::CreateWidget()
{
    const TWindowFactory Factory = std::move(FFactory);
    FFactory = nullptr;
    FHandle = Factory();
    TWSControl* W = FHandle.get();
    if (FParent && FParent->FHandle) {
        // Under the next windowed sibling that has a window, as if made with them (the
        // keyboard follows the layout order by itself: see the form).
        const auto& Siblings = FParent->FControls;
        const auto Self = std::find(Siblings.begin(), Siblings.end(), this);
        const auto Next = std::find_if(Self + 1, Siblings.end(),
            [](TControl* C) { return C->FHandle && dynamic_cast<TWinControl*>(C) != nullptr; });
        W->SetParent(
            FParent->FHandle.get(), Next != Siblings.end() ? (*Next)->FHandle.get() : nullptr);
    }
    W->SetBounds(FBounds);
    W->SetEnabled(FEnabled);
    if (FFontSet) {
        W->SetFont(FFont);
    }
    InitWidget();
    W->SetVisible(FVisible && FParent);
}

void TControl::DestroyWindowObject()
{
    WindowProc = nullptr;
    FHandle.reset();
}

TControl::~TControl()
{
    if (FParent) {
        auto& List = FParent->FControls;
        List.erase(std::remove(List.begin(), List.end(), this), List.end());
    }
    DestroyWindowObject();
}

void TControl::ParentDestroyed()
{
    FParent = nullptr;
}

void TControl::SetParent(TWinControl* AParent)
{
    if (AParent == FParent) {
        return;
    }
    if (FParent) {
        auto& List = FParent->FControls;
        List.erase(std::remove(List.begin(), List.end(), this), List.end());
    }
    FParent = AParent;
    if (FParent) {
        FParent->FControls.push_back(this);
    }
    if (FHandle) {
        FHandle->SetParent(FParent ? FParent->WSObject() : nullptr, nullptr);
        FHandle->SetBounds(FBounds);
        FHandle->SetVisible(FVisible && FParent);
    } else {
        CreateWidgetIfShown();
    }
    if (FParentColor) {
        ColorChanged(); // the new parent's colour
    }
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    FBounds = TRect::FromSize(ALeft, ATop, std::max(0, AWidth), std::max(0, AHeight));
    if (FHandle) {
        FHandle->SetBounds(FBounds);
    } else {
        CreateWidgetIfShown();
    }
}

void TControl::SetVisible(bool Value)
{
    FVisible = Value;
    if (FHandle && FParent) {
        // Hidden with the keyboard focus, the window object hands the focus to its window
        // rather than along the tab order, to a control that may be out of sight.
        FHandle->SetVisible(Value);
    } else if (!FHandle) {
        CreateWidgetIfShown();
    }
}

void TControl::SetEnabled(bool Value)
{
    FEnabled = Value;
    if (FHandle) {
        FHandle->SetEnabled(Value);
    }
}

void TControl::SetCaption(TStringView Value)
{
    if (Value == FCaption) {
        return;
    }
    FCaption.assign(Value);
    CaptionChanged();
}

void TControl::SetFont(const TFont& Value)
{
    FFont = Value;
    FFontSet = true;
    FontChanged();
}

TColor TControl::Color() const
{
    return FParentColor && FParent ? FParent->Color() : FColor;
}

void TControl::SetColor(TColor Value)
{
    FColor = Value;
    FParentColor = false;
    ColorChanged();
}

void TControl::SetParentColor(bool Value)
{
    FParentColor = Value;
    ColorChanged();
}

TPoint TControl::ScreenToClient(TPoint P) const
{
    if (!FHandle && FParent) {
        const TPoint InParent = FParent->ScreenToClient(P);
        return { InParent.X - FBounds.Left, InParent.Y - FBounds.Top };
    }
    return FHandle ? FHandle->ScreenToClient(P) : P;
}

TPoint TControl::ClientToScreen(TPoint P) const
{
    if (!FHandle && FParent) {
        return FParent->ClientToScreen({ P.X + FBounds.Left, P.Y + FBounds.Top });
    }
    return FHandle ? FHandle->ClientToScreen(P) : P;
}

void TControl::Invalidate()
{
    if (FHandle) {
        FHandle->Invalidate();
    }
}

void TControl::Repaint()
{
    if (FHandle) {
        FHandle->Repaint();
    }
}

void TControl::Click()
{
    Application->CallEvent(OnClick, this);
}

void TControl::FontChanged()
{
    if (FHandle) {
        FHandle->SetFont(FFont); // repaints
    }
}

void TControl::CaptionChanged()
{
    Invalidate();
}

TWinControl::TWinControl(TComponent* AOwner, std::unique_ptr<TWSControl> AWindow)
    : TControl(AOwner, std::move(AWindow))
{
}

TWinControl::TWinControl(TComponent* AOwner, TWindowFactory Factory)
    : TControl(AOwner, std::move(Factory))
{
}

void TWinControl::CreateShownChildren()
{
    const auto Children = FControls; // a window's creation may run a handler
    for (TControl* C : Children) {
        if (C->FVisible) {
            C->SettleSize();
        }
        C->CreateWidgetIfShown();
        if (auto* W = dynamic_cast<TWinControl*>(C); W && W->FHandle && W->FVisible) {
            W->CreateShownChildren();
        }
    }
}

TWinControl::~TWinControl()
{
    // Children may be owned elsewhere: let them know their parent is gone.
    const auto Children = FControls;
    for (TControl* C : Children) {
        C->ParentDestroyed();
    }
}

void TWinControl::SetColor(TColor Value)
{
    TControl::SetColor(Value);
    for (TControl* C : FControls) {
        if (C->ParentColor()) {
            C->ColorChanged();
        }
    }
}

bool TWinControl::Focused() const
{
    return FHandle && FHandle->HasFocus();
}

void TWinControl::SetFocus()
{
    if (TWSControl* W = WSObject()) {
        W->SetFocus();
    }
}

TCustomControl::TCustomControl(TComponent* AOwner)
    : TWinControl(AOwner, [this] {
        auto W = WidgetSet().CreateCustomControl(this);
        FWindow = W.get();
        FWindow->SetTransparent(FTransparent);
        return W;
    })
{
}

// The window goes first: its last messages (the focus leaving) find the control whole.
TCustomControl::~TCustomControl()
{
    DestroyWindowObject();
    FWindow = nullptr;
}

void TCustomControl::SetTransparent(bool Value)
{
    FTransparent = Value;
    if (FWindow) {
        FWindow->SetTransparent(Value);
    }
}

void TCustomControl::WSPaint(IWSCanvas& Canvas, const TRect&)
{
    const TCanvasBinding Binding(FCanvas, Canvas);
    // A failure ends this paint in the error box; it must not leave through the window
    // system's paint handling.
    if (Application) {
        Application->Guard([this] { Paint(); });
    } else {
        Paint();
    }
}

// Presses go through the window object to the parent window, which routes clicks to us.
TGraphicControl::TGraphicControl(TComponent* AOwner, std::unique_ptr<TWSControl> AWindow)
    : TControl(AOwner, std::move(AWindow))
{
}
