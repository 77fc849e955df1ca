#include "toolkit/controls/controls.h"

#include "toolkit/controls/forms.h"
#include "toolkit/qt/qtconvert.h"
#include "toolkit/widgetset/qt/qtaccess.h"
#include "toolkit/widgetset/qt/qtwindow.h"

#include <algorithm>

TControl::TControl(TComponent* AOwner, QWidget* AWidget)
    : TComponent(AOwner)
    , FWidget(AWidget)
{
    FBounds = QRect(0, 0, AWidget->width(), AWidget->height());
    WindowProc = [this](TMessage& M) { WndProc(M); };
    AWidget->installEventFilter(new TQtMessageFilter(this, AWidget));
}

TControl::TControl(TComponent* AOwner, TWidgetFactory Factory)
    : TComponent(AOwner)
    , FFactory(std::move(Factory))
    // The size Qt gives a widget made without a parent, as the other constructor takes.
    , FBounds(0, 0, 640, 480)
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

QWidget* TControl::Widget() const
{
    if (!FWidget && FFactory) {
        const_cast<TControl*>(this)->CreateWidget();
    }
    return FWidget;
}

bool TControl::ParentShown() const
{
    return FParent && FParent->FWidget && FParent->FWidget->isVisible();
}

void TControl::CreateWidgetIfShown()
{
    if (!FWidget && FFactory && FVisible && ParentShown()
        && FParent->FWidget->rect().intersects(FBounds)) {
        CreateWidget();
    }
}

void TControl::CreateWidget()
{
    const TWidgetFactory Factory = std::move(FFactory);
    FFactory = nullptr;
    QWidget* W = Factory();
    FWidget = W;
    if (!FMessagesFromWidgetSet) {
        W->installEventFilter(new TQtMessageFilter(this, W));
    }
    if (FParent && FParent->FWidget) {
        W->setParent(FParent->FWidget);
        // Under the next windowed sibling that has a widget, as if made with them (the
        // keyboard follows the layout order by itself: see the form).
        const auto& Siblings = FParent->FControls;
        const auto Self = std::find(Siblings.begin(), Siblings.end(), this);
        const auto Next = std::find_if(Self + 1, Siblings.end(),
            [](TControl* C) { return C->FWidget && dynamic_cast<TWinControl*>(C) != nullptr; });
        if (Next != Siblings.end()) {
            W->stackUnder((*Next)->FWidget);
        }
    }
    W->setGeometry(FBounds);
    W->setEnabled(FEnabled);
    if (FFontSet) {
        W->setFont(ToQFont(FFont));
    }
    InitWidget();
    W->setVisible(FVisible && FParent);
}

TControl::~TControl()
{
    if (FParent) {
        auto& List = FParent->FControls;
        List.erase(std::remove(List.begin(), List.end(), this), List.end());
    }
    delete FWidget.data();
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
    if (FWidget) {
        FWidget->setParent(FParent ? FParent->Widget() : nullptr);
        FWidget->setGeometry(FBounds);
        FWidget->setVisible(FVisible && FParent);
    } else {
        CreateWidgetIfShown();
    }
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    FBounds = QRect(ALeft, ATop, std::max(0, AWidth), std::max(0, AHeight));
    if (FWidget) {
        FWidget->setGeometry(FBounds);
    } else {
        CreateWidgetIfShown();
    }
}

void TControl::SetVisible(bool Value)
{
    FVisible = Value;
    if (FWidget && FParent) {
        // Hidden with the keyboard focus, the control leaves it with its window: Qt would
        // hand it on along the tab order, to a control that may be out of sight (a caret
        // blinking unseen, waking the program twice a second, keys typed into it).
        if (!Value && FWidget->hasFocus()) {
            FWidget->window()->setFocus(Qt::OtherFocusReason);
        }
        FWidget->setVisible(Value);
    } else if (!FWidget) {
        CreateWidgetIfShown();
    }
}

void TControl::SetEnabled(bool Value)
{
    FEnabled = Value;
    if (FWidget) {
        FWidget->setEnabled(Value);
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
    Invalidate();
}

void TControl::SetParentColor(bool Value)
{
    FParentColor = Value;
    Invalidate();
}

TPoint TControl::ScreenToClient(TPoint P) const
{
    if (!FWidget && FParent) {
        const TPoint InParent = FParent->ScreenToClient(P);
        return { InParent.X - FBounds.x(), InParent.Y - FBounds.y() };
    }
    return FWidget ? FromQt(FWidget->mapFromGlobal(ToQt(P))) : P;
}

TPoint TControl::ClientToScreen(TPoint P) const
{
    if (!FWidget && FParent) {
        return FParent->ClientToScreen({ P.X + FBounds.x(), P.Y + FBounds.y() });
    }
    return FWidget ? FromQt(FWidget->mapToGlobal(ToQt(P))) : P;
}

void TControl::Invalidate()
{
    if (FWidget) {
        FWidget->update();
    }
}

void TControl::Repaint()
{
    if (FWidget) {
        FWidget->repaint();
    }
}

void TControl::Click()
{
    Application->CallEvent(OnClick, this);
}

void TControl::FontChanged()
{
    if (FWidget) {
        FWidget->setFont(ToQFont(FFont));
        FWidget->update();
    }
}

void TControl::CaptionChanged()
{
    Invalidate();
}

TWinControl::TWinControl(TComponent* AOwner, QWidget* AWidget)
    : TControl(AOwner, AWidget)
{
}

TWinControl::TWinControl(TComponent* AOwner, TWidgetFactory Factory)
    : TControl(AOwner, std::move(Factory))
{
}

void TWinControl::CreateShownChildren()
{
    const auto Children = FControls; // a widget's creation may run a handler
    for (TControl* C : Children) {
        if (C->FVisible) {
            C->SettleSize();
        }
        C->CreateWidgetIfShown();
        if (auto* W = dynamic_cast<TWinControl*>(C); W && W->FWidget && W->FVisible) {
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
            C->Invalidate();
        }
    }
}

bool TWinControl::Focused() const
{
    return FWidget && FWidget->hasFocus();
}

void TWinControl::SetFocus()
{
    if (QWidget* W = Widget()) {
        W->setFocus(Qt::OtherFocusReason);
    }
}

TCustomControl::TCustomControl(TComponent* AOwner)
    : TWinControl(AOwner, [this] {
        FWindow = WidgetSet().CreateCustomControl(this);
        FWindow->SetTransparent(FTransparent);
        return QtWidgetOf(FWindow.get());
    })
{
    FMessagesFromWidgetSet = true;
}

TCustomControl::~TCustomControl()
{
    // The window object deletes the widget; the control base then finds none.
    FWindow.reset();
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

TGraphicControl::TGraphicControl(TComponent* AOwner, QWidget* AWidget)
    : TControl(AOwner, AWidget)
{
    // Presses go through to the parent window, which routes clicks to us.
    AWidget->setAttribute(Qt::WA_TransparentForMouseEvents);
}
