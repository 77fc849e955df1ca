#include "components/shaped_window/opaqueregion.h"

#include <cstdint>
#include <utility>

namespace {

// One run of opaque pixels on a row: columns [Start, End).
struct TRun {
    int Start;
    int End;
    bool operator==(const TRun&) const = default;
};

// Reads the rows straight from the bitmap's memory: one comparison per pixel, no colour
// conversion per pixel.
class TRowScanner {
public:
    TRowScanner(const TBitmap32& Image, TColor TransparentColor)
        : FImage(Image)
    {
        // TColor keeps red in the low byte, a pixel (0xAARRGGBB) in the third; a
        // symbolic colour (high byte set) matches nothing.
        FHasKey = (TransparentColor >> 24) == 0;
        FKey = ((TransparentColor & 0xFF) << 16) | (TransparentColor & 0xFF00)
            | ((TransparentColor >> 16) & 0xFF);
    }

    int Width() const { return FImage.Width(); }
    int Height() const { return FImage.Height(); }

    void ScanRow(int Row, std::vector<TRun>& Runs) const
    {
        Runs.clear();
        const int W = FImage.Width();
        if (W == 0) {
            return;
        }
        if (!FHasKey) {
            Runs.push_back({ 0, W });
            return;
        }
        const std::uint32_t* Line = FImage.ScanLine(Row);
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
    static constexpr std::uint32_t RgbMask = 0x00FFFFFFu;
    const TBitmap32& FImage;
    std::uint32_t FKey = 0;
    bool FHasKey = false;
};

} // namespace

std::vector<TRect> OpaqueRuns(const TBitmap32& Image, TColor TransparentColor, TPoint Offset)
{
    const TRowScanner Scanner(Image, TransparentColor);
    std::vector<TRect> Rects;
    std::vector<TRun> Runs;
    for (int Row = 0; Row < Scanner.Height(); ++Row) {
        Scanner.ScanRow(Row, Runs);
        for (const TRun& R : Runs) {
            Rects.push_back(
                { Offset.X + R.Start, Offset.Y + Row, Offset.X + R.End, Offset.Y + Row + 1 });
        }
    }
    return Rects;
}

TRegion OpaqueRegion(const TBitmap32& Image, TColor TransparentColor, TPoint Offset)
{
    const TRowScanner Scanner(Image, TransparentColor);
    // The rectangles are produced already in the region's banded order: bands from the
    // top, within a band from the left, no two touching sideways (runs are maximal) and
    // no two bands alike one above the other (equal rows are merged). The region takes
    // the list as it is instead of uniting rectangle after rectangle.
    std::vector<TRect> Rects;
    std::vector<TRun> Band;
    std::vector<TRun> Row;
    int BandTop = 0;
    auto Flush = [&](int BandEnd) {
        for (const TRun& R : Band) {
            Rects.push_back(
                { Offset.X + R.Start, Offset.Y + BandTop, Offset.X + R.End, Offset.Y + BandEnd });
        }
    };
    for (int Y = 0; Y < Scanner.Height(); ++Y) {
        Scanner.ScanRow(Y, Row);
        if (Y > 0 && Row == Band) {
            continue;
        }
        if (Y > 0) {
            Flush(Y);
        }
        std::swap(Band, Row);
        BandTop = Y;
    }
    Flush(Scanner.Height());
    return TRegion::FromBands(std::move(Rects));
}
