#pragma once

#include "toolkit/widgetset/widgetset.h"

class QPainter;

// The drawing primitives over the painter of a Qt paint in progress.
class TQtCanvas : public IWSCanvas {
public:
    explicit TQtCanvas(QPainter& APainter)
        : FPainter(APainter)
    {
    }
    QPainter& Painter() const { return FPainter; }

    void FillRect(const TRect& Area, TColor Color) override;
    void DrawBitmap(int X, int Y, const TBitmap32& Bitmap) override;
    void DrawBitmap(
        int X, int Y, const TBitmap32& Bitmap, const TRect& Source, bool Opaque) override;
    void TextOut(const TFont& Font, const TBrush& Brush, int X, int Y, TStringView Text,
        const TRect* Clip = nullptr) override;
    void SetPixel(int X, int Y, TColor Color) override;
    void Arc(double X, double Y, double W, double H, int StartDegrees, int SpanDegrees,
        TColor Color) override;
    void FillEllipse(double X, double Y, double W, double H, TColor Color) override;
    void SetRightToLeftReading(bool Value) override { FRightToLeft = Value; }

private:
    QPainter& FPainter;
    bool FRightToLeft = false;
};
