#include "toolkit/qt/qtconvert.h"

#include <cstring>

namespace {
const QDate Epoch(1899, 12, 30);
}

QRegion ToQt(const TRegion& Region)
{
    std::vector<QRect> Rects;
    Rects.reserve(Region.Rects().size());
    for (const TRect& R : Region.Rects()) {
        Rects.push_back(ToQt(R));
    }
    QRegion Result;
    if (!Rects.empty()) {
        Result.setRects(Rects.data(), int(Rects.size()));
    }
    return Result;
}

TRegion FromQt(const QRegion& Region)
{
    std::vector<TRect> Rects;
    Rects.reserve(size_t(Region.rectCount()));
    for (const QRect& R : Region) {
        Rects.push_back(FromQt(R));
    }
    return TRegion::FromBands(std::move(Rects));
}

QImage QImageView(TBitmap32& Bitmap)
{
    if (Bitmap.IsEmpty()) {
        return QImage();
    }
    return QImage(reinterpret_cast<uchar*>(Bitmap.Bits()), Bitmap.Width(), Bitmap.Height(),
        Bitmap.Stride(), QImage::Format_ARGB32);
}

QImage ToQt(const TBitmap32& Bitmap)
{
    if (Bitmap.IsEmpty()) {
        return QImage();
    }
    return QImage(reinterpret_cast<const uchar*>(Bitmap.Bits()), Bitmap.Width(), Bitmap.Height(),
        Bitmap.Stride(), QImage::Format_ARGB32)
        .copy();
}

QImage ToQt(TBitmap32&& Bitmap, QImage::Format Format)
{
    if (Bitmap.IsEmpty()) {
        return QImage();
    }
    auto* Owned = new TBitmap32(std::move(Bitmap));
    return QImage(
        reinterpret_cast<uchar*>(Owned->Bits()), Owned->Width(), Owned->Height(), Owned->Stride(),
        Format, [](void* Info) { delete static_cast<TBitmap32*>(Info); }, Owned);
}

TBitmap32 FromQt(const QImage& Image)
{
    if (Image.isNull()) {
        return {};
    }
    const QImage Source = Image.format() == QImage::Format_ARGB32
        ? Image
        : Image.convertToFormat(QImage::Format_ARGB32);
    TBitmap32 Result(Source.width(), Source.height());
    for (int Y = 0; Y < Source.height(); ++Y) {
        std::memcpy(Result.ScanLine(Y), Source.constScanLine(Y), size_t(Result.Stride()));
    }
    return Result;
}

TDateTime DateTimeFromQt(const QDateTime& Value)
{
    if (!Value.isValid()) {
        return 0;
    }
    const double Days = double(Epoch.daysTo(Value.date()));
    const double Time = double(Value.time().msecsSinceStartOfDay()) / 86400000.0;
    return Days >= 0 ? Days + Time : Days - Time;
}

QDateTime DateTimeToQt(TDateTime Value)
{
    const TDayAndTime D = SplitDateTime(Value);
    return QDateTime(Epoch.addDays(D.Day), QTime(D.Hour, D.Minute, D.Second, D.MSec));
}
