#include "toolkit/controls/stdctrls.h"

#include "toolkit/controls/forms.h"
#include "toolkit/qt/qtconvert.h"
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
    if (FCaption.empty()) {
        return;
    }
    const QString Text = ToQt(FCaption);
    FText.Width = QFontMetrics(FQFont).horizontalAdvance(Text);
    // Shaped once here; each paint then draws the same glyphs at the same places as
    // drawing the text from (0, baseline) would.
    QTextLayout Layout(Text, FQFont);
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
