#include "toolkit/graphics/bmpdecoder.h"

#include "toolkit/graphics/graphicerror.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <new>

namespace {

// An opaque pixel of TBitmap32.
constexpr std::uint32_t Rgb(int R, int G, int B)
{
    return 0xFF000000u | std::uint32_t(R) << 16 | std::uint32_t(G) << 8 | std::uint32_t(B);
}

enum : std::uint32_t { BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3 };
constexpr std::int64_t FileHeaderSize = 14;

[[noreturn]] void Invalid()
{
    throw EInvalidGraphic(u"Image bitmap incorrecte");
}

// Little-endian reads that never pass the end of the data.
class TBytes {
public:
    explicit TBytes(std::span<const std::uint8_t> Data)
        : FData(Data.data())
        , FSize(std::int64_t(Data.size()))
    {
    }
    std::int64_t Size() const { return FSize; }
    const std::uint8_t* At(std::int64_t Pos, std::int64_t Count) const
    {
        if (Pos < 0 || Count < 0 || Pos > FSize || Count > FSize - Pos) {
            Invalid();
        }
        return FData + Pos;
    }
    std::uint16_t U16(std::int64_t Pos) const
    {
        const std::uint8_t* P = At(Pos, 2);
        return std::uint16_t(P[0] | P[1] << 8);
    }
    std::uint32_t U32(std::int64_t Pos) const
    {
        const std::uint8_t* P = At(Pos, 4);
        return std::uint32_t(P[0]) | std::uint32_t(P[1]) << 8 | std::uint32_t(P[2]) << 16
            | std::uint32_t(P[3]) << 24;
    }
    std::int32_t I32(std::int64_t Pos) const { return std::int32_t(U32(Pos)); }

private:
    const std::uint8_t* FData;
    std::int64_t FSize;
};

// One colour channel of a 16- or 32-bit pixel, given by its bit mask.
struct TChannel {
    std::uint32_t Mask = 0;
    int Shift = 0;
    int Bits = 0;

    static TChannel FromMask(std::uint32_t Mask)
    {
        TChannel C;
        if (Mask == 0) {
            return C;
        }
        C.Mask = Mask;
        C.Shift = std::countr_zero(Mask);
        C.Bits = std::popcount(Mask);
        const std::uint32_t Field = Mask >> C.Shift;
        if ((Field & (Field + 1)) != 0) {
            Invalid(); // the bits of a channel must be contiguous
        }
        return C;
    }
    // The channel scaled to 0..255.
    int Value(std::uint32_t Pixel) const
    {
        if (Bits == 0) {
            return 0;
        }
        const std::uint32_t V = (Pixel & Mask) >> Shift;
        if (Bits >= 8) {
            return int(V >> (Bits - 8));
        }
        const std::uint32_t Max = (1u << Bits) - 1;
        return int((V * 255 + Max / 2) / Max);
    }
};

struct THeader {
    std::int64_t Width = 0;
    std::int64_t Height = 0; // rows, always positive
    bool TopDown = false;
    int Bits = 0;
    std::uint32_t Compression = BI_RGB;
    std::int64_t PixelOffset = 0;
    std::array<std::uint32_t, 256> Palette {};
    TChannel Red, Green, Blue;
};

// What the info header says beyond the picture's own fields, for the checks that follow.
struct TInfo {
    std::uint32_t Size = 0;
    std::int64_t Planes = 0;
    std::int64_t ColorsUsed = 0;
    std::int64_t PaletteEntry = 4; // bytes per palette entry: 3 in the oldest header
    std::int64_t End = 0; // where the palette (or the bit fields after a 40-byte header) begins
};

// The file header's magic and pixel offset, and the info header in either of its forms.
TInfo ReadInfo(const TBytes& D, THeader& H)
{
    const std::uint8_t* Magic = D.At(0, 2);
    if (Magic[0] != 'B' || Magic[1] != 'M') {
        Invalid();
    }
    H.PixelOffset = D.U32(10);
    TInfo I;
    I.Size = D.U32(FileHeaderSize);
    if (I.Size != 12 && I.Size != 40 && I.Size != 52 && I.Size != 56 && I.Size != 108
        && I.Size != 124) {
        Invalid();
    }
    D.At(FileHeaderSize, I.Size); // the whole header is inside the file
    const std::int64_t Info = FileHeaderSize;
    I.End = Info + I.Size;
    if (I.Size == 12) {
        H.Width = D.U16(Info + 4);
        H.Height = D.U16(Info + 6);
        I.Planes = D.U16(Info + 8);
        H.Bits = D.U16(Info + 10);
        I.PaletteEntry = 3;
        if (H.Bits != 1 && H.Bits != 4 && H.Bits != 8 && H.Bits != 24) {
            Invalid();
        }
    } else {
        H.Width = D.I32(Info + 4);
        H.Height = D.I32(Info + 8);
        I.Planes = D.U16(Info + 12);
        H.Bits = D.U16(Info + 14);
        H.Compression = D.U32(Info + 16);
        I.ColorsUsed = D.U32(Info + 32);
    }
    return I;
}

// One plane, and a bit depth that the compression allows.
void CheckFormat(const THeader& H, const TInfo& I)
{
    if (I.Planes != 1) {
        Invalid();
    }
    switch (H.Compression) {
    case BI_RGB:
        if (H.Bits != 1 && H.Bits != 4 && H.Bits != 8 && H.Bits != 16 && H.Bits != 24
            && H.Bits != 32) {
            Invalid();
        }
        break;
    case BI_RLE8:
        if (H.Bits != 8) {
            Invalid();
        }
        break;
    case BI_RLE4:
        if (H.Bits != 4) {
            Invalid();
        }
        break;
    case BI_BITFIELDS:
        if (H.Bits != 16 && H.Bits != 32) {
            Invalid();
        }
        break;
    default:
        Invalid();
    }
}

// A negative height means rows stored top first; the extent stays within the limits.
void CheckExtent(THeader& H)
{
    if (H.Height < 0) {
        H.TopDown = true;
        H.Height = -H.Height; // a 64-bit negation: INT_MIN cannot overflow
    }
    const bool Rle = H.Compression == BI_RLE8 || H.Compression == BI_RLE4;
    if (H.Width <= 0 || H.Height == 0 || H.Width > MaxPictureSide || H.Height > MaxPictureSide
        || H.Width * H.Height >= MaxPicturePixels || (H.TopDown && Rle)) {
        Invalid();
    }
}

// Bit fields: in the V2 and later headers, or as three masks after the info header.
void ReadChannels(const TBytes& D, THeader& H, TInfo& I)
{
    if (H.Compression == BI_BITFIELDS) {
        std::int64_t Masks = FileHeaderSize + 40;
        if (I.Size == 40) {
            I.End += 12;
        }
        const std::uint32_t Limit = H.Bits == 16 ? 0xFFFFu : 0xFFFFFFFFu;
        const std::uint32_t R = D.U32(Masks), G = D.U32(Masks + 4), B = D.U32(Masks + 8);
        if (R > Limit || G > Limit || B > Limit) {
            Invalid();
        }
        H.Red = TChannel::FromMask(R);
        H.Green = TChannel::FromMask(G);
        H.Blue = TChannel::FromMask(B);
    } else if (H.Bits == 16) {
        H.Red = TChannel::FromMask(0x7C00);
        H.Green = TChannel::FromMask(0x03E0);
        H.Blue = TChannel::FromMask(0x001F);
    }
}

void ReadPalette(const TBytes& D, THeader& H, const TInfo& I)
{
    if (H.Bits > 8) {
        return;
    }
    const std::int64_t MaxColors = std::int64_t(1) << H.Bits;
    const std::int64_t Count = I.ColorsUsed == 0 ? MaxColors : I.ColorsUsed;
    if (Count > MaxColors) {
        Invalid();
    }
    const std::uint8_t* Entries = D.At(I.End, Count * I.PaletteEntry);
    H.Palette.fill(Rgb(0, 0, 0)); // indices past the palette read as black
    for (std::int64_t i = 0; i < Count; ++i) {
        const std::uint8_t* E = Entries + i * I.PaletteEntry;
        H.Palette[size_t(i)] = Rgb(E[2], E[1], E[0]);
    }
}

THeader ReadHeader(const TBytes& D)
{
    THeader H;
    TInfo I = ReadInfo(D, H);
    CheckFormat(H, I);
    CheckExtent(H);
    ReadChannels(D, H, I);
    ReadPalette(D, H, I);
    if (H.PixelOffset < I.End || H.PixelOffset > D.Size()) {
        Invalid();
    }
    return H;
}

void DecodeRows(const TBytes& D, const THeader& H, TBitmap32& Image)
{
    const std::int64_t Stride = (H.Width * H.Bits + 31) / 32 * 4;
    const std::uint8_t* Rows = D.At(H.PixelOffset, Stride * H.Height);
    for (std::int64_t Row = 0; Row < H.Height; ++Row) {
        const std::uint8_t* S = Rows + Row * Stride;
        auto* Out = Image.ScanLine(int(H.TopDown ? Row : H.Height - 1 - Row));
        for (std::int64_t X = 0; X < H.Width; ++X) {
            switch (H.Bits) {
            case 1:
                Out[X] = H.Palette[(S[X >> 3] >> (7 - (X & 7))) & 1];
                break;
            case 4:
                Out[X] = H.Palette[(S[X >> 1] >> ((X & 1) ? 0 : 4)) & 0xF];
                break;
            case 8:
                Out[X] = H.Palette[S[X]];
                break;
            case 24:
                Out[X] = Rgb(S[3 * X + 2], S[3 * X + 1], S[3 * X]);
                break;
            default: {
                const std::uint8_t* P = S + X * (H.Bits / 8);
                std::uint32_t Pixel = std::uint32_t(P[0]) | std::uint32_t(P[1]) << 8;
                if (H.Bits == 32) {
                    if (H.Compression == BI_RGB) {
                        Out[X] = Rgb(P[2], P[1], P[0]);
                        break;
                    }
                    Pixel |= std::uint32_t(P[2]) << 16 | std::uint32_t(P[3]) << 24;
                }
                Out[X] = Rgb(H.Red.Value(Pixel), H.Green.Value(Pixel), H.Blue.Value(Pixel));
                break;
            }
            }
        }
    }
}

// Run-length data: pairs (count, index) paint count pixels; a zero count escapes to
// end of line (0), end of bitmap (1), a move right and up (2, dx, dy) or a literal
// run (n >= 3 indices, padded to 16 bits). Pixels past the right edge are dropped;
// data that ends without the end-of-bitmap mark leaves the rest at palette entry 0.
void DecodeRle(const TBytes& D, const THeader& H, TBitmap32& Image)
{
    const bool Four = H.Compression == BI_RLE4;
    const std::uint8_t* Data = D.At(H.PixelOffset, D.Size() - H.PixelOffset);
    const std::int64_t Size = D.Size() - H.PixelOffset;
    std::int64_t Pos = 0, X = 0, Row = 0;
    std::fill(Image.Bits(), Image.Bits() + std::size_t(Image.Width()) * std::size_t(Image.Height()),
        H.Palette[0]);
    auto Put = [&](int Index) {
        if (X < H.Width) {
            Image.ScanLine(int(H.Height - 1 - Row))[X] = H.Palette[size_t(Index)];
            ++X;
        }
    };
    while (Pos + 2 <= Size && Row < H.Height) {
        const int Count = Data[Pos], Code = Data[Pos + 1];
        Pos += 2;
        if (Count > 0) {
            for (int i = 0; i < Count && X < H.Width; ++i) {
                Put(Four ? ((i & 1) ? Code & 0xF : Code >> 4) : Code);
            }
        } else if (Code == 0) {
            X = 0;
            ++Row;
        } else if (Code == 1) {
            return;
        } else if (Code == 2) {
            if (Pos + 2 > Size) {
                return;
            }
            X = std::min(X + Data[Pos], H.Width);
            Row += Data[Pos + 1];
            Pos += 2;
        } else {
            const std::int64_t Bytes = Four ? (Code + 1) / 2 : Code;
            if (Pos + Bytes > Size) {
                return;
            }
            for (int i = 0; i < Code && X < H.Width; ++i) {
                Put(Four ? ((i & 1) ? Data[Pos + i / 2] & 0xF : Data[Pos + i / 2] >> 4)
                         : Data[Pos + i]);
            }
            Pos += (Bytes + 1) & ~std::int64_t(1);
        }
    }
}

} // namespace

TBitmap32 DecodeBitmap(std::span<const std::uint8_t> Data)
{
    const TBytes D(Data);
    const THeader H = ReadHeader(D);
    if (H.Compression == BI_RGB || H.Compression == BI_BITFIELDS) {
        // Check that every row is in the file before allocating the image.
        D.At(H.PixelOffset, (H.Width * H.Bits + 31) / 32 * 4 * H.Height);
    }
    TBitmap32 Image;
    try {
        Image = TBitmap32(int(H.Width), int(H.Height));
    } catch (const std::bad_alloc&) {
        Invalid();
    }
    if (H.Compression == BI_RLE8 || H.Compression == BI_RLE4) {
        DecodeRle(D, H, Image);
    } else {
        DecodeRows(D, H, Image);
    }
    return Image;
}
