#include "components/transparent_radio/controlcanvas.h"

#include <QFontMetrics>
#include <QPainter>

void TControlCanvas::Bind(QPainter* Painter)
{
    FPainter = Painter;
}

void TControlCanvas::Unbind()
{
    FPainter = nullptr;
}

QSize TControlCanvas::TextExtent(const QString& Text) const
{
    const QFontMetrics M(ToQFont(Font));
    return QSize(M.horizontalAdvance(Text), M.height());
}

void TControlCanvas::TextOut(int X, int Y, const QString& Text)
{
    if (!FPainter) {
        return;
    }
    const QFont F = ToQFont(Font);
    const QFontMetrics M(F);
    if (Brush.Style != TBrushStyle::bsClear) {
        FPainter->fillRect(
            QRect(X, Y, M.horizontalAdvance(Text), M.height()), ToQColor(Brush.Color));
    }
    FPainter->save();
    FPainter->setLayoutDirection(FRightToLeftReading ? Qt::RightToLeft : Qt::LeftToRight);
    FPainter->setFont(F);
    FPainter->setPen(ToQColor(Font.Color));
    FPainter->drawText(QPoint(X, Y + M.ascent()), Text);
    FPainter->restore();
}

void TControlCanvas::TextRect(const QRect& Clip, int X, int Y, const QString& Text)
{
    if (!FPainter) {
        return;
    }
    FPainter->save();
    FPainter->setClipRect(Clip, Qt::IntersectClip);
    TextOut(X, Y, Text);
    FPainter->restore();
}

void TControlCanvas::SetPixel(int X, int Y, TColor Color)
{
    if (FPainter) {
        FPainter->fillRect(QRect(X, Y, 1, 1), ToQColor(Color));
    }
}

void TControlCanvas::Arc(const QRectF& Bounds, int StartDegrees, int SpanDegrees, TColor Color)
{
    if (!FPainter) {
        return;
    }
    FPainter->save();
    FPainter->setRenderHint(QPainter::Antialiasing);
    FPainter->setPen(QPen(ToQColor(Color), 1.0));
    FPainter->setBrush(Qt::NoBrush);
    FPainter->drawArc(Bounds, StartDegrees * 16, SpanDegrees * 16);
    FPainter->restore();
}

void TControlCanvas::FillEllipse(const QRectF& Bounds, TColor Color)
{
    if (!FPainter) {
        return;
    }
    FPainter->save();
    FPainter->setRenderHint(QPainter::Antialiasing);
    FPainter->setPen(Qt::NoPen);
    FPainter->setBrush(ToQColor(Color));
    FPainter->drawEllipse(Bounds);
    FPainter->restore();
}
