#pragma once

#include "toolkit/controls/controls.h"

#include <QStringList>

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

protected:
    void FontChanged() override;
    void CaptionChanged() override;

private:
    void AdjustSize();
    bool FAutoSize = true;
    bool FTransparent = false;
};

class TButton : public TWinControl {
public:
    explicit TButton(TComponent* AOwner);
    QPushButton* Button() const;

protected:
    void CaptionChanged() override;
};

class TEdit : public TWinControl {
public:
    explicit TEdit(TComponent* AOwner);
    QString Text() const;
    void SetText(const QString& Value);
};

class TComboBox : public TWinControl {
public:
    explicit TComboBox(TComponent* AOwner);
    QStringList Items() const;
    void AddItem(const QString& Item);
    QString Text() const;
    void SetText(const QString& Value);
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
