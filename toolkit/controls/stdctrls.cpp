#include "toolkit/controls/stdctrls.h"

#include "toolkit/controls/forms.h"
#include "toolkit/qt/qtconvert.h"
#include "toolkit/widgetset/qt/qtaccess.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <utility>

TLabel::TLabel(TComponent* AOwner)
    : TLabel(AOwner, WidgetSet().CreateLabel(nullptr))
{
}

TLabel::TLabel(TComponent* AOwner, std::unique_ptr<TWSLabel> AWindow)
    : TGraphicControl(AOwner, QtWidgetOf(AWindow.get()))
    , FWindow(std::move(AWindow))
{
}

TLabel::~TLabel()
{
    // The window object deletes the widget; the control base then finds none.
    FWindow.reset();
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
    : TWinControl(AOwner, [] { return new QPushButton; })
{
}

void TButton::InitWidget()
{
    QPushButton* B = Button();
    B->setText(ToQt(FCaption));
    QObject::connect(B, &QPushButton::clicked, B, [this] { Click(); });
}

QPushButton* TButton::Button() const
{
    return static_cast<QPushButton*>(Widget());
}

void TButton::CaptionChanged()
{
    if (FWidget) {
        Button()->setText(ToQt(FCaption));
    }
}

TEdit::TEdit(TComponent* AOwner)
    : TWinControl(AOwner, [] { return new QLineEdit; })
{
}

void TEdit::InitWidget()
{
    static_cast<QLineEdit*>(FWidget.data())->setText(ToQt(FText));
}

TString TEdit::Text() const
{
    return FWidget ? FromQt(static_cast<QLineEdit*>(FWidget.data())->text()) : FText;
}

void TEdit::SetText(TStringView Value)
{
    if (FWidget) {
        static_cast<QLineEdit*>(FWidget.data())->setText(ToQt(Value));
    } else {
        FText.assign(Value);
    }
}

TComboBox::TComboBox(TComponent* AOwner)
    : TWinControl(AOwner, [] { return new QComboBox; })
{
}

void TComboBox::InitWidget()
{
    auto* Box = static_cast<QComboBox*>(FWidget.data());
    Box->setEditable(true);
    for (const TString& Item : FItems) {
        Box->addItem(ToQt(Item));
    }
    Box->setCurrentText(ToQt(FText));
}

std::vector<TString> TComboBox::Items() const
{
    if (!FWidget) {
        return FItems;
    }
    auto* Box = static_cast<QComboBox*>(FWidget.data());
    std::vector<TString> Result;
    for (int i = 0; i < Box->count(); ++i) {
        Result.push_back(FromQt(Box->itemText(i)));
    }
    return Result;
}

void TComboBox::AddItem(TStringView Item)
{
    if (!FWidget) {
        FItems.emplace_back(Item); // the text stays as it is
        return;
    }
    auto* Box = static_cast<QComboBox*>(FWidget.data());
    const QString Current = Box->currentText();
    Box->addItem(ToQt(Item));
    Box->setCurrentText(Current);
}

TString TComboBox::Text() const
{
    return FWidget ? FromQt(static_cast<QComboBox*>(FWidget.data())->currentText()) : FText;
}

void TComboBox::SetText(TStringView Value)
{
    if (FWidget) {
        static_cast<QComboBox*>(FWidget.data())->setCurrentText(ToQt(Value));
    } else {
        FText.assign(Value);
    }
}

TRadioButton::TRadioButton(TComponent* AOwner)
    : TRadioButton(AOwner, new QRadioButton)
{
}

TRadioButton::TRadioButton(TComponent* AOwner, QRadioButton* AButton)
    : TWinControl(AOwner, AButton)
{
    AButton->setAutoExclusive(true);
    QObject::connect(AButton, &QRadioButton::toggled, AButton, [this](bool On) {
        if (On && !IsLoading()) {
            Click();
        }
    });
}

QRadioButton* TRadioButton::RadioButton() const
{
    return static_cast<QRadioButton*>(FWidget.data());
}

bool TRadioButton::Checked() const
{
    return RadioButton()->isChecked();
}

void TRadioButton::SetChecked(bool Value)
{
    QRadioButton* B = RadioButton();
    if (Value || !B->isChecked()) {
        B->setChecked(Value);
        return;
    }
    // Qt keeps one button of an exclusive group checked; unchecking is allowed here.
    B->setAutoExclusive(false);
    B->setChecked(false);
    B->setAutoExclusive(true);
}

void TRadioButton::CaptionChanged()
{
    RadioButton()->setText(ToQt(FCaption));
}
