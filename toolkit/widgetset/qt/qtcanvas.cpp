#include "toolkit/widgetset/qt/qtcanvas.h"

#include "toolkit/qt/qtconvert.h"
#include "toolkit/widgetset/qt/qtfont.h"

#include <QFontMetrics>
#include <QPainter>

void TQtCanvas::FillRect(const TRect& Area, TColor Color)
{
    FPainter.fillRect(ToQt(Area), QtColor(Color));
}

void TQtCanvas::DrawBitmap(int X, int Y, const TBitmap32& Bitmap)
{
    if (Bitmap.Width() <= 0 || Bitmap.Height() <= 0) {
        return;
    }
    // A view over the bitmap's own pixels: nothing is copied for the paint.
    FPainter.drawImage(QPoint(X, Y), QImageView(const_cast<TBitmap32&>(Bitmap)));
}

void TQtCanvas::DrawBitmap(int X, int Y, const TBitmap32& Bitmap, const TRect& Source, bool Opaque)
{
    const TRect Part = Source.Intersected(TRect::FromSize(0, 0, Bitmap.Width(), Bitmap.Height()));
    if (Part.IsEmpty()) {
        return;
    }
    // A view over the bitmap's own pixels; an opaque one as RGB32, which Qt copies
    // without blending.
    const QImage View(reinterpret_cast<const uchar*>(Bitmap.Bits()), Bitmap.Width(),
        Bitmap.Height(), Bitmap.Stride(), Opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32);
    FPainter.drawImage(
        QPoint(X + Part.Left - Source.Left, Y + Part.Top - Source.Top), View, ToQt(Part));
}

void TQtCanvas::TextOut(
    const TFont& Font, const TBrush& Brush, int X, int Y, TStringView Text, const TRect* Clip)
{
    const QString S = ToQt(Text);
    const QFont F = QtFont(Font);
    const QFontMetrics M(F);
    FPainter.save();
    if (Clip) {
        FPainter.setClipRect(ToQt(*Clip), Qt::IntersectClip);
    }
    if (Brush.Style != TBrushStyle::bsClear) {
        FPainter.fillRect(QRect(X, Y, M.horizontalAdvance(S), M.height()), QtColor(Brush.Color));
    }
    FPainter.setLayoutDirection(FRightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
    FPainter.setFont(F);
    FPainter.setPen(QtColor(Font.Color));
    FPainter.drawText(QPoint(X, Y + M.ascent()), S);
    FPainter.restore();
}

void TQtCanvas::SetPixel(int X, int Y, TColor Color)
{
    FPainter.fillRect(QRect(X, Y, 1, 1), QtColor(Color));
}

void TQtCanvas::Arc(
    double X, double Y, double W, double H, int StartDegrees, int SpanDegrees, TColor Color)
{
    FPainter.save();
    FPainter.setRenderHint(QPainter::Antialiasing);
    FPainter.setPen(QPen(QtColor(Color), 1.0));
    FPainter.setBrush(Qt::NoBrush);
    FPainter.drawArc(QRectF(X, Y, W, H), StartDegrees * 16, SpanDegrees * 16);
    FPainter.restore();
}

void TQtCanvas::FillEllipse(double X, double Y, double W, double H, TColor Color)
{
    FPainter.save();
    FPainter.setRenderHint(QPainter::Antialiasing);
    FPainter.setPen(Qt::NoPen);
    FPainter.setBrush(QtColor(Color));
    FPainter.drawEllipse(QRectF(X, Y, W, H));
    FPainter.restore();
}
