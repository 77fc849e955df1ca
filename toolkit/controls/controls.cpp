#include "toolkit/controls/controls.h"

#include "toolkit/controls/forms.h"

#include <algorithm>

TControl::TControl(TComponent* AOwner, QWidget* AWidget)
    : TComponent(AOwner)
    , FWidget(AWidget)
{
    FBounds = QRect(0, 0, AWidget->width(), AWidget->height());
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
    }
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    FBounds = QRect(ALeft, ATop, std::max(0, AWidth), std::max(0, AHeight));
    if (FWidget) {
        FWidget->setGeometry(FBounds);
    }
}

void TControl::SetVisible(bool Value)
{
    FVisible = Value;
    if (FWidget && FParent) {
        FWidget->setVisible(Value);
    }
}

void TControl::SetEnabled(bool Value)
{
    FEnabled = Value;
    if (FWidget) {
        FWidget->setEnabled(Value);
    }
}

void TControl::SetCaption(const QString& Value)
{
    if (Value == FCaption) {
        return;
    }
    FCaption = Value;
    CaptionChanged();
}

void TControl::SetFont(const TFont& Value)
{
    FFont = Value;
    FontChanged();
}

void TControl::SetColor(TColor Value)
{
    FColor = Value;
    Invalidate();
}

QPoint TControl::ScreenToClient(const QPoint& P) const
{
    return FWidget ? FWidget->mapFromGlobal(P) : P;
}

QPoint TControl::ClientToScreen(const QPoint& P) const
{
    return FWidget ? FWidget->mapToGlobal(P) : P;
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
        FWidget->setFont(FFont.ToQFont());
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

TWinControl::~TWinControl()
{
    // Children may be owned elsewhere: let them know their parent is gone.
    const auto Children = FControls;
    for (TControl* C : Children) {
        C->ParentDestroyed();
    }
}

bool TWinControl::Focused() const
{
    return FWidget && FWidget->hasFocus();
}

void TWinControl::SetFocus()
{
    if (FWidget) {
        FWidget->setFocus(Qt::OtherFocusReason);
    }
}

TGraphicControl::TGraphicControl(TComponent* AOwner, QWidget* AWidget)
    : TControl(AOwner, AWidget)
{
    // Presses go through to the parent window, which routes clicks to us.
    AWidget->setAttribute(Qt::WA_TransparentForMouseEvents);
}
