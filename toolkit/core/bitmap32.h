#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A picture of 32-bit pixels, rows from the top, pixels from the left, each row Stride()
// bytes with no padding. A pixel is 0xAARRGGBB in the machine's own byte order with the
// colour not premultiplied by alpha: the layout of Qt's QImage::Format_ARGB32 and of a
// top-down 32-bit Windows DIB, so either side takes the pixels as they lie.
class TBitmap32 {
public:
    TBitmap32() = default;
    // Width × Height pixels of Fill; a size that is not positive gives an empty bitmap.
    TBitmap32(int Width, int Height, std::uint32_t Fill = 0);

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    int Stride() const { return FWidth * 4; }
    bool IsEmpty() const { return FPixels.empty(); }

    std::uint32_t* ScanLine(int Y) { return FPixels.data() + std::size_t(Y) * std::size_t(FWidth); }
    const std::uint32_t* ScanLine(int Y) const
    {
        return FPixels.data() + std::size_t(Y) * std::size_t(FWidth);
    }
    std::uint32_t* Bits() { return FPixels.data(); }
    const std::uint32_t* Bits() const { return FPixels.data(); }
    // The pixel at (X, Y), which must lie inside.
    std::uint32_t Pixel(int X, int Y) const { return ScanLine(Y)[X]; }
    void SetPixel(int X, int Y, std::uint32_t Value) { ScanLine(Y)[X] = Value; }

    friend bool operator==(const TBitmap32&, const TBitmap32&) = default;

private:
    int FWidth = 0;
    int FHeight = 0;
    std::vector<std::uint32_t> FPixels;
};
