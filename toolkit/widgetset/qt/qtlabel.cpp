#include "toolkit/widgetset/qt/qtwidgetset.h"
#include "toolkit/widgetset/qt/qtwindow.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QPainter>
#include <QTextLayout>

#include <utility>

namespace {
// A label's text prepared for drawing. A clock repaints its labels every second, mostly
// with the same text: the Qt font and the baseline are prepared when the font changes,
// the shaped text when the caption changes, and a paint only draws the prepared glyphs.
class TQtLabel : public TQtControl<TWSLabel> {
public:
    explicit TQtLabel(IWSClient* AClient);

    void SetLabel(
        TStringView Caption, const TFont& Font, bool Transparent, TColor Background) override
    {
        PrepareFont(Font);
        PrepareText(Caption);
        FTransparent = Transparent;
        FBackground = Background;
        FWidget->update();
    }
    TSize TextSize(TStringView Caption, const TFont& Font) const override
    {
        auto* Self = const_cast<TQtLabel*>(this);
        Self->PrepareFont(Font);
        Self->PrepareText(Caption);
        return { FText.Width, FMetrics.Height };
    }
    TTextMetrics Metrics(const TFont& Font) const override
    {
        const_cast<TQtLabel*>(this)->PrepareFont(Font);
        return FMetrics;
    }

    void Paint(QPainter& P, const QRect& Area) const
    {
        if (!FTransparent) {
            P.fillRect(Area, QtColor(FBackground));
        }
        P.setPen(QtColor(FFont.Color));
        const QPointF Origin(0, FMetrics.Ascent - FText.Top);
        for (const QGlyphRun& Run : FText.Glyphs) {
            P.drawGlyphRun(Origin, Run);
        }
    }

private:
    void PrepareFont(const TFont& Font)
    {
        if (FFontPrepared && Font == FFont) {
            return;
        }
        FFont = Font;
        FQFont = QtFont(Font);
        FMetrics = QtMetrics(Font);
        FText = TShapedText();
        FPrevious = TShapedText();
        FFontPrepared = true;
    }
    void PrepareText(TStringView Caption);

    struct TShapedText {
        TString Caption;
        QList<QGlyphRun> Glyphs;
        qreal Top = 0; // where the glyphs' layout puts its top, above the baseline
        int Width = 0; // the caption's advance
        bool Shaped = false;
    };
    TFont FFont;
    QFont FQFont;
    TTextMetrics FMetrics;
    bool FFontPrepared = false;
    bool FTransparent = false;
    TColor FBackground = clBtnFace;
    TShapedText FText;
    // The caption before the current one, still shaped: a blinking colon alternates
    // between two captions.
    TShapedText FPrevious;
};

class TQtLabelWidget : public QWidget {
public:
    explicit TQtLabelWidget(const TQtLabel* ALabel)
        : FLabel(ALabel)
    {
        // Presses go through to the parent window, which routes clicks to the label.
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter P(this);
        FLabel->Paint(P, rect());
    }

private:
    const TQtLabel* FLabel;
};

TQtLabel::TQtLabel(IWSClient* AClient)
    : TQtControl<TWSLabel>(AClient, new TQtLabelWidget(this))
{
}

void TQtLabel::PrepareText(TStringView Caption)
{
    if (FText.Shaped && FText.Caption == Caption) {
        return;
    }
    if (FPrevious.Shaped && FPrevious.Caption == Caption) {
        std::swap(FText, FPrevious);
        return;
    }
    FPrevious = std::move(FText);
    FText = TShapedText();
    FText.Caption.assign(Caption);
    FText.Shaped = true;
    if (Caption.empty()) {
        return;
    }
    const QString Text = ToQt(Caption);
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
}

std::unique_ptr<TWSLabel> TQtWidgetSet::CreateLabel(IWSClient* Client)
{
    return std::make_unique<TQtLabel>(Client);
}
