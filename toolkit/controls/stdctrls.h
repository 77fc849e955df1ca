#pragma once

#include "toolkit/controls/controls.h"

#include <QFont>
#include <QGlyphRun>
#include <QList>

class QPainter;
class QPushButton;
class QLineEdit;
class QComboBox;
class QRadioButton;

// A text drawn straight over its parent. Auto-sized labels take their text's size;
// transparent ones draw no background.
class TLabel : public TGraphicControl {
public:
    explicit TLabel(TComponent* AOwner);

    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value);

    // Draws the caption with its baseline where the label's font puts it; the label's
    // widget paints through it.
    void DrawCaption(QPainter& Painter) const;

    void SetVisible(bool Value) override;

protected:
    void FontChanged() override;
    void CaptionChanged() override;
    void SettleSize() const override;

private:
    void AdjustSize();
    void PrepareFont();
    void PrepareText();
    // Measures now where the label shows; otherwise when its size is first read or it
    // shows: the faces of views and windows a session never opens are never loaded.
    void Measure();
    bool FAutoSize = true;
    bool FTransparent = false;
    bool FFontPrepared = false;
    mutable bool FMeasured = false;
    // A clock repaints its labels every second, mostly with the same text: the Qt font
    // and the baseline are prepared when the font changes, the shaped text when the
    // caption changes, and a paint only draws the prepared glyphs.
    QFont FQFont;
    int FBaseline = 0;
    int FTextHeight = 0;
    struct TShapedText {
        TString Caption;
        QList<QGlyphRun> Glyphs;
        qreal Top = 0; // where the glyphs' layout puts its top, above the baseline
        int Width = 0; // the caption's advance, the width of an auto-sized label
        bool Shaped = false;
    };
    TShapedText FText;
    // The caption before the current one, still shaped: a blinking colon alternates
    // between two captions.
    TShapedText FPrevious;
};

// The push button, the edit field and the editable combo box make their Qt widget when
// they first show (see TControl).
class TButton : public TWinControl {
public:
    explicit TButton(TComponent* AOwner);
    QPushButton* Button() const;

protected:
    void InitWidget() override;
    void CaptionChanged() override;
};

class TEdit : public TWinControl {
public:
    explicit TEdit(TComponent* AOwner);
    TString Text() const;
    void SetText(TStringView Value);

protected:
    void InitWidget() override;

private:
    TString FText; // until the widget exists
};

class TComboBox : public TWinControl {
public:
    explicit TComboBox(TComponent* AOwner);
    std::vector<TString> Items() const;
    void AddItem(TStringView Item);
    TString Text() const;
    void SetText(TStringView Value);

protected:
    void InitWidget() override;

private:
    // Until the widget exists.
    std::vector<TString> FItems;
    TString FText;
};

// An ordinary radio button, one of the exclusive group formed by the radio buttons of
// its parent. Becoming checked (by a click or by SetChecked) runs OnClick.
class TRadioButton : public TWinControl {
public:
    explicit TRadioButton(TComponent* AOwner);
    // Subclasses supply their own Qt radio button.
    TRadioButton(TComponent* AOwner, QRadioButton* AButton);

    bool Checked() const;
    void SetChecked(bool Value);
    QRadioButton* RadioButton() const;

protected:
    void CaptionChanged() override;
};
