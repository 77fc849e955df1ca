#pragma once

#include "toolkit/controls/controls.h"

// A text drawn straight over its parent. Auto-sized labels take their text's size;
// transparent ones draw no background.
class TLabel : public TGraphicControl {
public:
    explicit TLabel(TComponent* AOwner);
    ~TLabel() override;

    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value);

    void SetVisible(bool Value) override;

protected:
    void FontChanged() override;
    void CaptionChanged() override;
    void ColorChanged() override;
    void SettleSize() const override;

private:
    TLabel(TComponent* AOwner, std::unique_ptr<TWSLabel> AWindow);
    void AdjustSize();
    // Hands the window object the caption, font and background: it prepares the text's
    // drawing once per font and caption (a clock repaints its labels every second,
    // mostly with the same text), and a paint only draws.
    void PrepareText();
    // Measures now where the label shows; otherwise when its size is first read or it
    // shows: the faces of views and windows a session never opens are never loaded.
    void Measure();
    TWSLabel* FWindow = nullptr; // FHandle, typed
    bool FAutoSize = true;
    bool FTransparent = false;
    bool FFontPrepared = false; // the window object has the current font
    mutable bool FMeasured = false;
};

// The push button, the edit field and the editable combo box make their Qt widget when
// they first show (see TControl).
class TButton : public TWinControl {
public:
    explicit TButton(TComponent* AOwner);
    ~TButton() override;
    // A click of the button (BN_CLICKED) or Enter while it has the focus runs Click.
    void WndProc(TMessage& Message) override;

protected:
    void InitWidget() override;
    void CaptionChanged() override;

private:
    TWSButton* FWindow = nullptr; // FHandle, typed
};

class TEdit : public TWinControl {
public:
    explicit TEdit(TComponent* AOwner);
    ~TEdit() override;
    TString Text() const;
    void SetText(TStringView Value);

protected:
    void InitWidget() override;

private:
    TWSEdit* FWindow = nullptr; // FHandle, typed
    TString FText; // until the window exists
};

class TComboBox : public TWinControl {
public:
    explicit TComboBox(TComponent* AOwner);
    ~TComboBox() override;
    const std::vector<TString>& Items() const { return FItems; }
    // Appends an item; the text stays as it is.
    void AddItem(TStringView Item);
    TString Text() const;
    void SetText(TStringView Value);

protected:
    void InitWidget() override;

private:
    TWSComboBox* FWindow = nullptr; // FHandle, typed
    std::vector<TString> FItems;
    TString FText; // until the window exists
};

// An ordinary radio button, one of the exclusive group formed by the radio buttons of
// its parent: checking one unchecks the others, and SetChecked(false) may leave none
// checked. The model keeps the rule; the window objects only show the state. Becoming
// checked (by a click or by SetChecked) runs OnClick, except while loading.
class TRadioButton : public TWinControl {
public:
    explicit TRadioButton(TComponent* AOwner);
    ~TRadioButton() override;

    bool Checked() const { return FChecked; }
    void SetChecked(bool Value);
    // A click that checks the button (BN_CLICKED) checks it as SetChecked does.
    void WndProc(TMessage& Message) override;

protected:
    void InitWidget() override;
    void CaptionChanged() override;
    // The checked state changed, either way, once the group is up to date.
    virtual void CheckedChanged() { }
    // The window object, made with the widget (null until then).
    TWSRadioButton* WSRadioButton() const { return FWindow; }

private:
    TWSRadioButton* FWindow = nullptr; // FHandle, typed
    bool FChecked = false;
};
