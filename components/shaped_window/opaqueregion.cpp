#include "components/shaped_window/opaqueregion.h"

#include <QImage>

#include <utility>

namespace {

// One run of opaque pixels on a row: columns [Start, End).
struct TRun {
    int Start;
    int End;
    bool operator==(const TRun&) const = default;
};

// Reads the rows straight from the image's memory: one comparison per pixel, no colour
// conversion per pixel. Pictures are kept as 32-bit RGB; anything else is converted once.
class TRowScanner {
public:
    TRowScanner(const QImage& Image, TColor TransparentColor)
    {
        if (Image.format() == QImage::Format_RGB32 || Image.format() == QImage::Format_ARGB32) {
            FImage = Image;
        } else if (!Image.isNull()) {
            FImage = Image.convertToFormat(QImage::Format_ARGB32);
        }
        // TColor keeps red in the low byte, QRgb in the third; a symbolic colour (high
        // byte set) matches nothing.
        FHasKey = (TransparentColor >> 24) == 0;
        FKey = qRgb(int(TransparentColor & 0xFF), int((TransparentColor >> 8) & 0xFF),
                   int((TransparentColor >> 16) & 0xFF))
            & RgbMask;
    }

    int Width() const { return FImage.width(); }
    int Height() const { return FImage.height(); }

    void ScanRow(int Row, std::vector<TRun>& Runs) const
    {
        Runs.clear();
        const int W = FImage.width();
        if (W == 0) {
            return;
        }
        if (!FHasKey) {
            Runs.push_back({ 0, W });
            return;
        }
        const auto* Line = reinterpret_cast<const QRgb*>(FImage.constScanLine(Row));
        int K = 0;
        while (K < W) {
            while (K < W && (Line[K] & RgbMask) == FKey) {
                ++K;
            }
            if (K == W) {
                break;
            }
            const int Start = K;
            while (K < W && (Line[K] & RgbMask) != FKey) {
                ++K;
            }
            Runs.push_back({ Start, K });
        }
    }

private:
    static constexpr QRgb RgbMask = 0x00FFFFFFu;
    QImage FImage;
    QRgb FKey = 0;
    bool FHasKey = false;
};

} // namespace

std::vector<QRect> OpaqueRuns(const QImage& Image, TColor TransparentColor, QPoint Offset)
{
    const TRowScanner Scanner(Image, TransparentColor);
    std::vector<QRect> Rects;
    std::vector<TRun> Runs;
    for (int Row = 0; Row < Scanner.Height(); ++Row) {
        Scanner.ScanRow(Row, Runs);
        for (const TRun& R : Runs) {
            Rects.emplace_back(Offset.x() + R.Start, Offset.y() + Row, R.End - R.Start, 1);
        }
    }
    return Rects;
}

QRegion OpaqueRegion(const QImage& Image, TColor TransparentColor, QPoint Offset)
{
    const TRowScanner Scanner(Image, TransparentColor);
    // The rectangles are produced already in the region's own canonical order: bands
    // from the top, within a band from the left, no two touching sideways (runs are
    // maximal) and no two bands alike one above the other (equal rows are merged). That
    // is the layout QRegion keeps internally, so it can take the list as it is instead of
    // uniting rectangle after rectangle.
    std::vector<QRect> Rects;
    std::vector<TRun> Band;
    std::vector<TRun> Row;
    int BandTop = 0;
    auto Flush = [&](int BandBottom) {
        for (const TRun& R : Band) {
            Rects.emplace_back(QPoint(Offset.x() + R.Start, Offset.y() + BandTop),
                QPoint(Offset.x() + R.End - 1, Offset.y() + BandBottom));
        }
    };
    for (int Y = 0; Y < Scanner.Height(); ++Y) {
        Scanner.ScanRow(Y, Row);
        if (Y > 0 && Row == Band) {
            continue;
        }
        if (Y > 0) {
            Flush(Y - 1);
        }
        std::swap(Band, Row);
        BandTop = Y;
    }
    Flush(Scanner.Height() - 1);

    QRegion Region;
    if (!Rects.empty()) {
        Region.setRects(Rects.data(), int(Rects.size()));
    }
    return Region;
}
