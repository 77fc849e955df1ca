#include "toolkit/controls/stdctrls.h"

#include "toolkit/controls/forms.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>

namespace {
int TextBaseline(const TFont& Font)
{
    if (Font.IsDigitFace()) {
        return int(Font.Height * 0.9 + 0.5);
    }
    return QFontMetrics(Font.ToQFont()).ascent();
}

int TextHeight(const TFont& Font)
{
    return Font.IsDigitFace() ? Font.Height : QFontMetrics(Font.ToQFont()).height();
}

class TLabelWidget : public QWidget {
public:
    explicit TLabelWidget(TLabel* ALabel)
        : FLabel(ALabel)
    {
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter P(this);
        if (!FLabel->Transparent()) {
            // Labels take their parent's colour, as the layouts expect.
            const TColor Back = FLabel->Parent() ? FLabel->Parent()->Color() : FLabel->Color();
            P.fillRect(rect(), ToQColor(Back));
        }
        P.setFont(FLabel->Font().ToQFont());
        P.setPen(ToQColor(FLabel->Font().Color));
        P.drawText(0, TextBaseline(FLabel->Font()), FLabel->Caption());
    }

private:
    TLabel* FLabel;
};
}

TLabel::TLabel(TComponent* AOwner)
    : TGraphicControl(AOwner, new TLabelWidget(this))
{
}

void TLabel::SetAutoSize(bool Value)
{
    FAutoSize = Value;
    AdjustSize();
}

void TLabel::SetTransparent(bool Value)
{
    FTransparent = Value;
    Invalidate();
}

void TLabel::FontChanged()
{
    AdjustSize();
    Invalidate();
}

void TLabel::CaptionChanged()
{
    AdjustSize();
    Invalidate();
}

void TLabel::AdjustSize()
{
    if (!FAutoSize) {
        return;
    }
    const QFontMetrics M(FFont.ToQFont());
    SetBounds(Left(), Top(), M.horizontalAdvance(FCaption), TextHeight(FFont));
}

TButton::TButton(TComponent* AOwner)
    : TWinControl(AOwner, new QPushButton)
{
    QObject::connect(Button(), &QPushButton::clicked, Button(), [this] { Click(); });
}

QPushButton* TButton::Button() const
{
    return static_cast<QPushButton*>(FWidget.data());
}

void TButton::CaptionChanged()
{
    Button()->setText(FCaption);
}

TEdit::TEdit(TComponent* AOwner)
    : TWinControl(AOwner, new QLineEdit)
{
}

QString TEdit::Text() const
{
    return static_cast<QLineEdit*>(FWidget.data())->text();
}

void TEdit::SetText(const QString& Value)
{
    static_cast<QLineEdit*>(FWidget.data())->setText(Value);
}

TComboBox::TComboBox(TComponent* AOwner)
    : TWinControl(AOwner, new QComboBox)
{
    static_cast<QComboBox*>(FWidget.data())->setEditable(true);
}

QStringList TComboBox::Items() const
{
    auto* Box = static_cast<QComboBox*>(FWidget.data());
    QStringList Result;
    for (int i = 0; i < Box->count(); ++i) {
        Result << Box->itemText(i);
    }
    return Result;
}

void TComboBox::AddItem(const QString& Item)
{
    auto* Box = static_cast<QComboBox*>(FWidget.data());
    const QString Current = Box->currentText();
    Box->addItem(Item);
    Box->setCurrentText(Current);
}

QString TComboBox::Text() const
{
    return static_cast<QComboBox*>(FWidget.data())->currentText();
}

void TComboBox::SetText(const QString& Value)
{
    static_cast<QComboBox*>(FWidget.data())->setCurrentText(Value);
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
    RadioButton()->setText(FCaption);
}
