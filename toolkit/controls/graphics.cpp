#include "toolkit/controls/graphics.h"

#include "toolkit/widgetset/widgetset.h"

TFont FontOf(TStringView Name, int Height, TColor Color, bool Bold)
{
    TFont F;
    F.Name.assign(Name);
    F.Height = Height;
    F.Color = Color;
    F.Bold = Bold;
    return F;
}

void InstallFontSubstitutions()
{
    WidgetSet().SubstituteLayoutFaces();
}

void TCanvas::Bind(IWSCanvas* Canvas)
{
    FCanvas = Canvas;
    if (FCanvas) {
        FCanvas->SetRightToLeftReading(FRightToLeftReading);
    }
}

void TCanvas::SetRightToLeftReading(bool Value)
{
    FRightToLeftReading = Value;
    if (FCanvas) {
        FCanvas->SetRightToLeftReading(Value);
    }
}

TSize TCanvas::TextExtent(TStringView Text) const
{
    return WidgetSet().TextExtent(Font, Text);
}

void TCanvas::TextOut(int X, int Y, TStringView Text)
{
    if (FCanvas) {
        FCanvas->TextOut(Font, Brush, X, Y, Text);
    }
}

void TCanvas::TextRect(const TRect& Clip, int X, int Y, TStringView Text)
{
    if (FCanvas) {
        FCanvas->TextOut(Font, Brush, X, Y, Text, &Clip);
    }
}

void TCanvas::SetPixel(int X, int Y, TColor Color)
{
    if (FCanvas) {
        FCanvas->SetPixel(X, Y, Color);
    }
}

void TCanvas::Arc(
    double X, double Y, double W, double H, int StartDegrees, int SpanDegrees, TColor Color)
{
    if (FCanvas) {
        FCanvas->Arc(X, Y, W, H, StartDegrees, SpanDegrees, Color);
    }
}

void TCanvas::FillEllipse(double X, double Y, double W, double H, TColor Color)
{
    if (FCanvas) {
        FCanvas->FillEllipse(X, Y, W, H, Color);
    }
}

void TCanvas::FillRect(const TRect& Area)
{
    if (FCanvas && Brush.Style != TBrushStyle::bsClear) {
        FCanvas->FillRect(Area, Brush.Color);
    }
}

void TCanvas::Draw(int X, int Y, const TBitmap32& Bitmap)
{
    if (FCanvas) {
        FCanvas->DrawBitmap(X, Y, Bitmap);
    }
}
