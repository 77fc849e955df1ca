#include "toolkit/controls/stdctrls.h"

#include "toolkit/controls/forms.h"

#include <utility>

TLabel::TLabel(TComponent* AOwner)
    : TLabel(AOwner, WidgetSet().CreateLabel(this))
{
}

TLabel::TLabel(TComponent* AOwner, std::unique_ptr<TWSLabel> AWindow)
    : TGraphicControl(AOwner, std::move(AWindow))
    , FWindow(static_cast<TWSLabel*>(FHandle.get()))
{
}

TLabel::~TLabel()
{
    // The window goes while the label still stands.
    DestroyWindowObject();
}

void TLabel::SetAutoSize(bool Value)
{
    FAutoSize = Value;
    FMeasured = false;
    Measure();
}

void TLabel::SetTransparent(bool Value)
{
    FTransparent = Value;
    if (FFontPrepared) {
        PrepareText();
    }
}

void TLabel::FontChanged()
{
    FFontPrepared = false;
    FMeasured = false;
    Measure();
}

void TLabel::CaptionChanged()
{
    FMeasured = false;
    Measure();
}

void TLabel::ColorChanged()
{
    if (FFontPrepared) {
        PrepareText();
    }
}

void TLabel::SetVisible(bool Value)
{
    TGraphicControl::SetVisible(Value);
    Measure();
}

void TLabel::Measure()
{
    if (FFontPrepared || (FVisible && ParentShown())) {
        SettleSize();
    }
}

void TLabel::SettleSize() const
{
    if (FMeasured) {
        return;
    }
    FMeasured = true;
    auto* Self = const_cast<TLabel*>(this);
    Self->PrepareText();
    Self->AdjustSize();
}

void TLabel::PrepareText()
{
    FWindow->SetLabel(FCaption, FFont, FTransparent, Color());
    FFontPrepared = true;
}

void TLabel::AdjustSize()
{
    if (!FAutoSize) {
        return;
    }
    const TSize Size = FWindow->TextSize(FCaption, FFont);
    SetBounds(Left(), Top(), Size.Width, Size.Height);
}

TButton::TButton(TComponent* AOwner)
    : TWinControl(AOwner, WindowFactory(this, FWindow, &TWidgetSet::CreateButton))
{
}

// The windows go while the controls still stand: their last messages find them whole.
TButton::~TButton()
{
    DestroyWindowObject();
}

void TButton::InitWidget()
{
    FWindow->SetCaption(FCaption);
}

void TButton::WndProc(TMessage& Message)
{
    // Enter on the focused button presses it, as in a Windows dialog; the button's own
    // key, Space, comes as its click.
    if ((Message.Msg == WM_COMMAND && (Message.WParam >> 16) == BN_CLICKED)
        || (Message.Msg == WM_KEYDOWN && Message.WParam == VK_RETURN)) {
        Click();
        return;
    }
    TWinControl::WndProc(Message);
}

void TButton::CaptionChanged()
{
    if (FWindow) {
        FWindow->SetCaption(FCaption);
    }
}

TEdit::TEdit(TComponent* AOwner)
    : TWinControl(AOwner, WindowFactory(this, FWindow, &TWidgetSet::CreateEdit))
{
}

TEdit::~TEdit()
{
    DestroyWindowObject();
}

void TEdit::InitWidget()
{
    FWindow->SetText(FText);
}

TString TEdit::Text() const
{
    return FWindow ? FWindow->Text() : FText;
}

void TEdit::SetText(TStringView Value)
{
    if (FWindow) {
        FWindow->SetText(Value);
    } else {
        FText.assign(Value);
    }
}

TComboBox::TComboBox(TComponent* AOwner)
    : TWinControl(AOwner, WindowFactory(this, FWindow, &TWidgetSet::CreateComboBox))
{
}

TComboBox::~TComboBox()
{
    DestroyWindowObject();
}

void TComboBox::InitWidget()
{
    FWindow->SetItems(FItems);
    FWindow->SetText(FText);
}

void TComboBox::AddItem(TStringView Item)
{
    FItems.emplace_back(Item);
    if (FWindow) {
        FWindow->SetItems(FItems);
    }
}

TString TComboBox::Text() const
{
    return FWindow ? FWindow->Text() : FText;
}

void TComboBox::SetText(TStringView Value)
{
    if (FWindow) {
        FWindow->SetText(Value);
    } else {
        FText.assign(Value);
    }
}

TRadioButton::TRadioButton(TComponent* AOwner)
    : TWinControl(AOwner, WindowFactory(this, FWindow, &TWidgetSet::CreateRadioButton))
{
}

TRadioButton::~TRadioButton()
{
    DestroyWindowObject();
}

void TRadioButton::InitWidget()
{
    FWindow->SetCaption(FCaption);
    // Told back as a click, which finds the button checked already.
    FWindow->SetChecked(FChecked);
}

void TRadioButton::SetChecked(bool Value)
{
    if (Value == FChecked) {
        return;
    }
    // Set first: the window object tells a check back as a click, which then changes
    // nothing.
    FChecked = Value;
    if (FWindow) {
        FWindow->SetChecked(Value);
    }
    if (Value && FParent) {
        for (int i = 0; i < FParent->ControlCount(); ++i) {
            auto* Other = dynamic_cast<TRadioButton*>(FParent->Controls(i));
            if (Other && Other != this) {
                Other->SetChecked(false);
            }
        }
    }
    CheckedChanged();
    if (Value && !IsLoading()) {
        Click();
    }
}

void TRadioButton::WndProc(TMessage& Message)
{
    if (Message.Msg == WM_COMMAND && (Message.WParam >> 16) == BN_CLICKED) {
        SetChecked(true);
        return;
    }
    TWinControl::WndProc(Message);
}

void TRadioButton::CaptionChanged()
{
    if (FWindow) {
        FWindow->SetCaption(FCaption);
    }
}
