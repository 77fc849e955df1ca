#include "toolkit/controls/stdctrls.h"

#include "toolkit/controls/forms.h"
#include "toolkit/widgetset/qt/qtfont.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTextLayout>

#include <utility>

namespace {
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
            P.fillRect(rect(), ToQColor(FLabel->Color()));
        }
        FLabel->DrawCaption(P);
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
    FMeasured = false;
    Measure();
}

void TLabel::SetTransparent(bool Value)
{
    FTransparent = Value;
    Invalidate();
}

void TLabel::FontChanged()
{
    FFontPrepared = false;
    FMeasured = false;
    Measure();
    Invalidate();
}

void TLabel::CaptionChanged()
{
    FMeasured = false;
    Measure();
    Invalidate();
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
    if (!FFontPrepared) {
        Self->PrepareFont();
    } else {
        Self->PrepareText();
    }
    Self->AdjustSize();
}

void TLabel::PrepareFont()
{
    FQFont = ToQFont(FFont);
    // The digit face stands on a baseline and a height of its own (see QtFont).
    const QFontMetrics Metrics(FQFont);
    FBaseline = IsDigitFace(FFont) ? int(FFont.Height * 0.9 + 0.5) : Metrics.ascent();
    FTextHeight = IsDigitFace(FFont) ? FFont.Height : Metrics.height();
    FPrevious = TShapedText();
    FText = TShapedText();
    FFontPrepared = true;
    PrepareText();
}

void TLabel::PrepareText()
{
    if (FText.Shaped && FText.Caption == FCaption) {
        return;
    }
    if (FPrevious.Shaped && FPrevious.Caption == FCaption) {
        std::swap(FText, FPrevious);
        return;
    }
    FPrevious = std::move(FText);
    FText = TShapedText();
    FText.Caption = FCaption;
    FText.Shaped = true;
    if (FCaption.isEmpty()) {
        return;
    }
    FText.Width = QFontMetrics(FQFont).horizontalAdvance(FCaption);
    // Shaped once here; each paint then draws the same glyphs at the same places as
    // drawing the text from (0, baseline) would.
    QTextLayout Layout(FCaption, FQFont);
    QTextOption Option;
    Option.setWrapMode(QTextOption::NoWrap);
    Option.setAlignment(Qt::AlignLeft | Qt::AlignAbsolute);
    Layout.setTextOption(Option);
    Layout.beginLayout();
    qreal Y = 0;
    bool First = true;
    for (QTextLine Line = Layout.createLine(); Line.isValid(); Line = Layout.createLine()) {
        Line.setLineWidth(1e6);
        Line.setPosition(QPointF(0, Y));
        if (First) {
            FText.Top = Line.ascent();
            First = false;
        }
        Y += Line.height();
    }
    Layout.endLayout();
    FText.Glyphs = Layout.glyphRuns();
}

void TLabel::DrawCaption(QPainter& Painter) const
{
    Painter.setPen(ToQColor(FFont.Color));
    const QPointF Origin(0, FBaseline - FText.Top);
    for (const QGlyphRun& Run : FText.Glyphs) {
        Painter.drawGlyphRun(Origin, Run);
    }
}

void TLabel::AdjustSize()
{
    if (!FAutoSize) {
        return;
    }
    SetBounds(Left(), Top(), FText.Width, FTextHeight);
}

TButton::TButton(TComponent* AOwner)
    : TWinControl(AOwner, [] { return new QPushButton; })
{
}

void TButton::InitWidget()
{
    QPushButton* B = Button();
    B->setText(FCaption);
    QObject::connect(B, &QPushButton::clicked, B, [this] { Click(); });
}

QPushButton* TButton::Button() const
{
    return static_cast<QPushButton*>(Widget());
}

void TButton::CaptionChanged()
{
    if (FWidget) {
        Button()->setText(FCaption);
    }
}

TEdit::TEdit(TComponent* AOwner)
    : TWinControl(AOwner, [] { return new QLineEdit; })
{
}

void TEdit::InitWidget()
{
    static_cast<QLineEdit*>(FWidget.data())->setText(FText);
}

QString TEdit::Text() const
{
    return FWidget ? static_cast<QLineEdit*>(FWidget.data())->text() : FText;
}

void TEdit::SetText(const QString& Value)
{
    if (FWidget) {
        static_cast<QLineEdit*>(FWidget.data())->setText(Value);
    } else {
        FText = Value;
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
    Box->addItems(FItems);
    Box->setCurrentText(FText);
}

QStringList TComboBox::Items() const
{
    if (!FWidget) {
        return FItems;
    }
    auto* Box = static_cast<QComboBox*>(FWidget.data());
    QStringList Result;
    for (int i = 0; i < Box->count(); ++i) {
        Result << Box->itemText(i);
    }
    return Result;
}

void TComboBox::AddItem(const QString& Item)
{
    if (!FWidget) {
        FItems << Item; // the text stays as it is
        return;
    }
    auto* Box = static_cast<QComboBox*>(FWidget.data());
    const QString Current = Box->currentText();
    Box->addItem(Item);
    Box->setCurrentText(Current);
}

QString TComboBox::Text() const
{
    return FWidget ? static_cast<QComboBox*>(FWidget.data())->currentText() : FText;
}

void TComboBox::SetText(const QString& Value)
{
    if (FWidget) {
        static_cast<QComboBox*>(FWidget.data())->setCurrentText(Value);
    } else {
        FText = Value;
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
    RadioButton()->setText(FCaption);
}
