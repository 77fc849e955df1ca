#pragma once

#include "toolkit/controls/controls.h"

// A spin box over a decimal text, over the widget set's TWSSpinEdit; the model keeps
// every rule of its keys and value. The value is the text read as an integer (a text that
// is not one reads as MinValue); setting the value clamps it to the bounds (unless both
// are equal) and writes it back as text; the arrows and the Up and Down keys step by
// Increment without wrapping; typing accepts digits, "+", "-", the decimal separator and
// control keys other than Enter (anything else beeps); leaving the box clamps its value.
// Every change of the text runs OnChange, also a change made by OnChange itself.
class TSpinEdit : public TWinControl {
public:
    explicit TSpinEdit(TComponent* AOwner);
    ~TSpinEdit() override;

    int Value() const;
    void SetValue(int AValue);
    int MinValue() const { return FMinValue; }
    int MaxValue() const { return FMaxValue; }
    // Bounds are stored without clamping the present value.
    void SetMinValue(int AValue) { FMinValue = AValue; }
    void SetMaxValue(int AValue) { FMaxValue = AValue; }
    int Increment = 1;

    TString Text() const;
    void SetText(TStringView AText);
    TNotifyEvent OnChange;

    // The arrows' and keys' step: Value + Delta * Increment.
    void StepBy(int Delta);

    void WndProc(TMessage& Message) override;

protected:
    void InitWidget() override;

private:
    int CheckValue(int AValue) const;
    void TextChanged();
    void TextEdited(); // the window's text changed
    int FMinValue = 0;
    int FMaxValue = 0;
    // The text until the window exists (see TControl); then its last accepted text.
    TString FText = u"0";
    TWSSpinEdit* FWindow = nullptr; // FHandle, typed
    bool FGivingText = false;
};
