#pragma once

#include "toolkit/controls/graphics.h"

#include <QRect>
#include <QString>

class QPainter;
class QRectF;

// The drawing surface of a control that draws itself: a font and a brush over the
// painter of the paint in progress. The paint entry binds the painter for the length of
// one paint; unbound, the canvas still measures text but draws nothing (a widget can only
// be drawn on while it is being painted). Font and brush persist from paint to paint.
class TControlCanvas {
public:
    TFont Font;
    TBrush Brush;

    void Bind(QPainter* Painter);
    void Unbind();
    QPainter* Handle() const { return FPainter; }

    // Text is laid out right to left when set (the paint entry takes it from the control).
    bool RightToLeftReading() const { return FRightToLeftReading; }
    void SetRightToLeftReading(bool Value) { FRightToLeftReading = Value; }

    // The size of a text's line cell in the current font: its advance and the font's
    // line height, whatever the characters.
    QSize TextExtent(const QString& Text) const;
    int TextWidth(const QString& Text) const { return TextExtent(Text).width(); }
    int TextHeight(const QString& Text) const { return TextExtent(Text).height(); }

    // Draws Text in the font's colour with the top-left corner of its cell at (X, Y),
    // over the brush unless the brush is clear.
    void TextOut(int X, int Y, const QString& Text);
    // The same, with the drawing clipped to Clip.
    void TextRect(const QRect& Clip, int X, int Y, const QString& Text);
    void SetPixel(int X, int Y, TColor Color);
    // A one-pixel arc along the ellipse in Bounds from StartDegrees counterclockwise
    // (0 = three o'clock) over SpanDegrees, smoothed.
    void Arc(const QRectF& Bounds, int StartDegrees, int SpanDegrees, TColor Color);
    // A filled ellipse without outline, smoothed.
    void FillEllipse(const QRectF& Bounds, TColor Color);

private:
    QPainter* FPainter = nullptr;
    bool FRightToLeftReading = false;
};
