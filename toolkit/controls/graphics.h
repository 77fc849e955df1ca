#pragma once

#include "toolkit/core/types.h"
#include "toolkit/widgetset/widgetset.h"

// A font as the layouts write it: face, character height in pixels, colour and weight.
TFont FontOf(TStringView Name, int Height, TColor Color = clWindowText, bool Bold = false);

// Maps the faces the layouts name to the closest faces the system has, so that text keeps
// the designed size and place.
void InstallFontSubstitutions();

// The drawing surface of a control that draws itself: a font and a brush over the
// window system's canvas of the paint in progress. The paint binds it for the length of
// one paint; unbound, it still measures text (through the widget set) but draws nothing
// (a window can only be drawn on while it is being painted). Font, brush and reading
// direction persist from paint to paint.
class TCanvas {
public:
    TFont Font;
    TBrush Brush;

    void Bind(IWSCanvas* Canvas);
    void Unbind() { FCanvas = nullptr; }
    IWSCanvas* Handle() const { return FCanvas; }

    // Text is laid out right to left when set.
    bool RightToLeftReading() const { return FRightToLeftReading; }
    void SetRightToLeftReading(bool Value);

    // The size of a text's line cell in the current font: its advance and the font's
    // line height, whatever the characters.
    TSize TextExtent(TStringView Text) const;
    int TextWidth(TStringView Text) const { return TextExtent(Text).Width; }
    int TextHeight(TStringView Text) const { return TextExtent(Text).Height; }

    // Draws Text in the font's colour with the top-left corner of its cell at (X, Y),
    // over the brush unless the brush is clear.
    void TextOut(int X, int Y, TStringView Text);
    // The same, with the drawing (the brush too) clipped to Clip.
    void TextRect(const TRect& Clip, int X, int Y, TStringView Text);
    void SetPixel(int X, int Y, TColor Color);
    // A one-pixel arc along the ellipse in the box (X, Y, W, H) from StartDegrees
    // counterclockwise (0 = three o'clock) over SpanDegrees, smoothed.
    void Arc(
        double X, double Y, double W, double H, int StartDegrees, int SpanDegrees, TColor Color);
    // A filled ellipse without outline, smoothed.
    void FillEllipse(double X, double Y, double W, double H, TColor Color);
    // Fills Area with the brush's colour (nothing with a clear brush).
    void FillRect(const TRect& Area);
    // Draws Bitmap with its top-left pixel at (X, Y), blending by its alpha.
    void Draw(int X, int Y, const TBitmap32& Bitmap);

private:
    IWSCanvas* FCanvas = nullptr;
    bool FRightToLeftReading = false;
};

// Binds a canvas for the length of a scope: unbound again also when drawing fails.
class TCanvasBinding {
public:
    TCanvasBinding(TCanvas& ACanvas, IWSCanvas& Target)
        : FCanvas(ACanvas)
    {
        FCanvas.Bind(&Target);
    }
    ~TCanvasBinding() { FCanvas.Unbind(); }
    TCanvasBinding(const TCanvasBinding&) = delete;
    TCanvasBinding& operator=(const TCanvasBinding&) = delete;

private:
    TCanvas& FCanvas;
};
