#include "toolkit/controls/spin.h"

#include "toolkit/controls/forms.h"
#include "toolkit/media/messagebeep.h"
#include "toolkit/qt/qtconvert.h"
#include "toolkit/text/datetime.h"

#include <QAbstractSpinBox>
#include <QKeyEvent>
#include <QLineEdit>

class TSpinEditWidget : public QAbstractSpinBox {
public:
    explicit TSpinEditWidget(TSpinEdit* ASpin)
        : FSpin(ASpin)
    {
        setButtonSymbols(QAbstractSpinBox::UpDownArrows);
        setKeyboardTracking(true);
        setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
        lineEdit()->setText(ToQt(ASpin->FText));
        QObject::connect(
            lineEdit(), &QLineEdit::textChanged, this, [this] { FSpin->TextChanged(); });
    }

    void stepBy(int Steps) override { FSpin->StepBy(Steps); }
    QLineEdit* Line() const { return lineEdit(); }

protected:
    StepEnabled stepEnabled() const override { return StepUpEnabled | StepDownEnabled; }

    QValidator::State validate(QString& Input, int&) const override
    {
        const QChar Decimal = FormatSettings().DecimalSeparator;
        for (const QChar C : Input) {
            if (!C.isDigit() && C != QLatin1Char('+') && C != QLatin1Char('-') && C != Decimal) {
                return QValidator::Invalid;
            }
        }
        return QValidator::Acceptable;
    }

    void keyPressEvent(QKeyEvent* E) override
    {
        // A dropped key gives the system's default beep, as every refusal of the
        // program does.
        if (E->key() == Qt::Key_Return || E->key() == Qt::Key_Enter) {
            MessageBeep(0);
            return;
        }
        const QString Typed = E->text();
        if (!Typed.isEmpty() && Typed.at(0).isPrint()) {
            QString Probe = Typed;
            int Pos = 0;
            if (validate(Probe, Pos) == QValidator::Invalid) {
                MessageBeep(0);
                return;
            }
        }
        QAbstractSpinBox::keyPressEvent(E);
    }

    void focusOutEvent(QFocusEvent* E) override
    {
        QAbstractSpinBox::focusOutEvent(E);
        FSpin->SetValue(FSpin->Value());
    }

private:
    TSpinEdit* FSpin;
};

TSpinEdit::TSpinEdit(TComponent* AOwner)
    : TWinControl(AOwner, [this] { return new TSpinEditWidget(this); })
{
}

TSpinEditWidget* TSpinEdit::Editor() const
{
    return static_cast<TSpinEditWidget*>(Widget());
}

TString TSpinEdit::Text() const
{
    return FWidget ? FromQt(Editor()->Line()->text()) : FText;
}

void TSpinEdit::SetText(TStringView AText)
{
    if (FWidget) {
        Editor()->Line()->setText(ToQt(AText));
    } else if (AText != FText) {
        // As the widget's edit field does: only a change of the text is one.
        FText.assign(AText);
        TextChanged();
    }
}

int TSpinEdit::Value() const
{
    bool Ok = false;
    const int V = ToQt(Text()).trimmed().toInt(&Ok, 10);
    return Ok ? V : FMinValue;
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

void TSpinEdit::TextChanged()
{
    Application->CallEvent(OnChange, this);
}
