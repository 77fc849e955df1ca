#include "toolkit/controls/spin.h"

#include "toolkit/controls/forms.h"
#include "toolkit/media/messagebeep.h"
#include "toolkit/text/datetime.h"

TSpinEdit::TSpinEdit(TComponent* AOwner)
    : TWinControl(AOwner, WindowFactory(this, FWindow, &TWidgetSet::CreateSpinEdit))
{
}

TSpinEdit::~TSpinEdit()
{
    // The window goes while the control still stands: its last messages find it whole.
    DestroyWindowObject();
}

void TSpinEdit::InitWidget()
{
    // The window takes the text kept so far: no change of the text.
    FGivingText = true;
    FWindow->SetText(FText);
    FGivingText = false;
}

void TSpinEdit::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_KEYDOWN:
        // A dropped key gives the system's default beep, as every refusal of the
        // program does.
        if (Message.WParam == VK_RETURN) {
            MessageBeep(0);
            return;
        }
        if (Message.WParam == VK_UP || Message.WParam == VK_DOWN) {
            StepBy(Message.WParam == VK_UP ? 1 : -1);
            return;
        }
        break;
    case WM_CHAR: {
        const auto C = char16_t(Message.WParam);
        const bool Printable = C >= u' ' && C != 0x7F;
        if (Printable && !(C >= u'0' && C <= u'9') && C != u'+' && C != u'-'
            && C != FormatSettings().DecimalSeparator) {
            MessageBeep(0);
            return;
        }
        break;
    }
    case WM_COMMAND:
        if ((Message.WParam >> 16) == EN_CHANGE) {
            if (!FGivingText) {
                TextEdited();
            }
            return;
        }
        if ((Message.WParam >> 16) == EN_KILLFOCUS) {
            SetValue(Value()); // leaving the box clamps its value
            return;
        }
        break;
    default:
        break;
    }
    TWinControl::WndProc(Message);
}

TString TSpinEdit::Text() const
{
    return FWindow ? FWindow->Text() : FText;
}

void TSpinEdit::SetText(TStringView AText)
{
    if (FWindow) {
        // The program's own text is taken as it is, unlike one pasted in.
        if (AText != FWindow->Text()) {
            FText.assign(AText);
            FGivingText = true;
            FWindow->SetText(AText);
            FGivingText = false;
            TextChanged();
        }
    } else if (AText != FText) {
        // As the widget's edit field does: only a change of the text is one.
        FText.assign(AText);
        TextChanged();
    }
}

int TSpinEdit::Value() const
{
    return StrToIntDef(Trim(Text()), FMinValue);
}

int TSpinEdit::CheckValue(int AValue) const
{
    if (FMaxValue != FMinValue) {
        if (AValue < FMinValue) {
            return FMinValue;
        }
        if (AValue > FMaxValue) {
            return FMaxValue;
        }
    }
    return AValue;
}

void TSpinEdit::SetValue(int AValue)
{
    SetText(IntToStr(CheckValue(AValue)));
}

void TSpinEdit::StepBy(int Delta)
{
    SetValue(Value() + Delta * Increment);
}

void TSpinEdit::TextEdited()
{
    // A text pasted or dropped in with a character a key may not type is refused whole:
    // the box shows its previous text again, and nothing changed.
    const TString Now = FWindow->Text();
    const TString Decimal(1, FormatSettings().DecimalSeparator);
    if (Now.find_first_not_of(TString(u"0123456789+-") + Decimal) != TString::npos) {
        FGivingText = true;
        FWindow->SetText(FText);
        FGivingText = false;
        return;
    }
    FText = Now;
    TextChanged();
}

void TSpinEdit::TextChanged()
{
    Application->CallEvent(OnChange, this);
}
