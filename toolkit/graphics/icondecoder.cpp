#include "toolkit/graphics/icondecoder.h"

#include "toolkit/graphics/graphicerror.h"

#include "toolkit/graphics/bmpdecoder.h"
#include "toolkit/graphics/pngdecoder.h"

#include <cstring>
#include <utility>

namespace {

// Icons hold images of 256 pixels or less; larger ones are still drawn, up to this.
constexpr std::int64_t MaxIconSide = 1024;
constexpr int MaxIconImages = 256;

[[noreturn]] void Invalid()
{
    throw EInvalidGraphic(u"Icône incorrecte");
}

std::uint32_t U16(const std::uint8_t* P)
{
    return std::uint32_t(P[0] | P[1] << 8);
}
std::uint32_t U32(const std::uint8_t* P)
{
    return U16(P) | U16(P + 2) << 16;
}
std::uint32_t BigU32(const std::uint8_t* P)
{
    return std::uint32_t(P[0]) << 24 | std::uint32_t(P[1]) << 16 | std::uint32_t(P[2]) << 8 | P[3];
}

bool IsPng(const std::uint8_t* Image)
{
    static const char PngSignature[] = "\x89PNG\r\n\x1a\n";
    return std::memcmp(Image, PngSignature, 8) == 0;
}

// Checks the directory and the header of every image, so that only images of bounded
// size lying inside the file are decoded.
void Validate(std::span<const std::uint8_t> Data)
{
    const std::uint8_t* Bytes = Data.data();
    const std::int64_t Size = std::int64_t(Data.size());
    if (Size < 6 || U16(Bytes) != 0 || U16(Bytes + 2) != 1) {
        Invalid();
    }
    const std::int64_t Count = U16(Bytes + 4);
    if (Count == 0 || Count > MaxIconImages || 6 + 16 * Count > Size) {
        Invalid();
    }
    for (std::int64_t i = 0; i < Count; ++i) {
        const std::uint8_t* Entry = Bytes + 6 + 16 * i;
        const std::int64_t Length = U32(Entry + 8), Offset = U32(Entry + 12);
        if (Offset > Size || Length > Size - Offset || Length < 40) {
            Invalid();
        }
        const std::uint8_t* Image = Bytes + Offset;
        std::int64_t Width = 0, Height = 0;
        if (IsPng(Image)) {
            Width = BigU32(Image + 16); // the IHDR chunk comes first
            Height = BigU32(Image + 20);
        } else {
            const std::uint32_t Bits = U16(Image + 14);
            if (U32(Image) < 40 || U16(Image + 12) != 1
                || (Bits != 1 && Bits != 4 && Bits != 8 && Bits != 16 && Bits != 24
                    && Bits != 32)) {
                Invalid();
            }
            Width = std::int32_t(U32(Image + 4));
            Height = std::int32_t(U32(Image + 8)) / 2; // the colour rows, then the mask rows
        }
        if (Width <= 0 || Height <= 0 || Width > MaxIconSide || Height > MaxIconSide) {
            Invalid();
        }
    }
}

// One image stored as a device-independent bitmap: the colour rows, then the AND mask
// (a bit a pixel, set where the icon is transparent). The colours are decoded by the
// bitmap decoder, given a file header; a 32-bit image carries its own alpha, used when
// any of it is set. Transparent pixels come out as 0.
TBitmap32 DecodeDib(const std::uint8_t* Image, std::int64_t Length)
{
    const std::uint32_t HeaderSize = U32(Image);
    const std::int64_t Width = std::int32_t(U32(Image + 4));
    const std::int64_t Height = std::int32_t(U32(Image + 8)) / 2;
    const std::uint32_t Bits = U16(Image + 14);
    const std::uint32_t Compression = U32(Image + 16);
    std::uint32_t Colours = U32(Image + 32);
    if (HeaderSize > std::uint32_t(Length) || (Compression != 0 && Compression != 3)) {
        Invalid();
    }
    if (Bits <= 8 && (Colours == 0 || Colours > (1u << Bits))) {
        Colours = 1u << Bits;
    }
    const std::int64_t Table
        = Bits <= 8 ? std::int64_t(Colours) * 4 : (Compression == 3 && HeaderSize == 40 ? 12 : 0);
    const std::int64_t Stride = (Width * Bits + 31) / 32 * 4;
    const std::int64_t MaskStride = (Width + 31) / 32 * 4;
    const std::int64_t ColourStart = HeaderSize + Table;
    const std::int64_t MaskStart = ColourStart + Stride * Height;
    if (MaskStart > Length) {
        Invalid();
    }
    // The colour rows as a bitmap file of half the height.
    std::vector<std::uint8_t> File(size_t(14 + MaskStart));
    std::uint8_t* F = File.data();
    const auto Put32 = [](std::uint8_t* P, std::uint32_t V) {
        for (int i = 0; i < 4; ++i) {
            P[i] = std::uint8_t(V >> (8 * i));
        }
    };
    F[0] = 'B';
    F[1] = 'M';
    Put32(F + 2, std::uint32_t(File.size()));
    Put32(F + 6, 0);
    Put32(F + 10, std::uint32_t(14 + ColourStart));
    std::memcpy(F + 14, Image, size_t(MaskStart));
    Put32(F + 14 + 8, std::uint32_t(Height));
    if (Bits <= 8) {
        Put32(F + 14 + 32, Colours);
    }
    TBitmap32 Result;
    try {
        Result = DecodeBitmap(File);
    } catch (const EInvalidGraphic&) {
        Invalid();
    }
    if (Result.Width() != Width || Result.Height() != Height) {
        Invalid();
    }
    bool OwnAlpha = false;
    if (Bits == 32) {
        for (std::int64_t y = 0; y < Height && !OwnAlpha; ++y) {
            const std::uint8_t* Row = Image + ColourStart + y * Stride;
            for (std::int64_t x = 0; x < Width; ++x) {
                if (Row[4 * x + 3] != 0) {
                    OwnAlpha = true;
                    break;
                }
            }
        }
    }
    const bool HasMask = MaskStart + MaskStride * Height <= Length;
    for (std::int64_t y = 0; y < Height; ++y) {
        std::uint32_t* Line = Result.ScanLine(int(Height - 1 - y));
        const std::uint8_t* Row = Image + ColourStart + y * Stride;
        const std::uint8_t* Mask = Image + MaskStart + y * MaskStride;
        for (std::int64_t x = 0; x < Width; ++x) {
            if (OwnAlpha) {
                const std::uint32_t Alpha = Row[4 * x + 3];
                Line[x] = Alpha == 0 ? 0 : (Line[x] & 0x00FFFFFFu) | Alpha << 24;
            } else if (HasMask && (Mask[x / 8] & (0x80 >> (x % 8)))) {
                Line[x] = 0;
            }
        }
    }
    return Result;
}

} // namespace

std::vector<TBitmap32> DecodeIconImages(std::span<const std::uint8_t> Data)
{
    Validate(Data);
    const std::uint8_t* Bytes = Data.data();
    std::vector<TBitmap32> Images;
    for (std::uint32_t i = 0, Count = U16(Bytes + 4); i < Count; ++i) {
        const std::uint8_t* Entry = Bytes + 6 + 16 * i;
        const std::int64_t Length = U32(Entry + 8), Offset = U32(Entry + 12);
        const std::uint8_t* Image = Bytes + Offset;
        TBitmap32 Decoded;
        try {
            Decoded
                = IsPng(Image) ? DecodePng({ Image, size_t(Length) }) : DecodeDib(Image, Length);
        } catch (const EInvalidGraphic&) {
            continue; // an image that does not decode is left out
        }
        if (!Decoded.IsEmpty()) {
            Images.push_back(std::move(Decoded));
        }
    }
    if (Images.empty()) {
        Invalid();
    }
    return Images;
}

TBitmap32 DecodeIcon(std::span<const std::uint8_t> Data)
{
    std::vector<TBitmap32> Images = DecodeIconImages(Data);
    size_t Best = 0;
    for (size_t i = 1; i < Images.size(); ++i) {
        if (std::int64_t(Images[i].Width()) * Images[i].Height()
            > std::int64_t(Images[Best].Width()) * Images[Best].Height()) {
            Best = i;
        }
    }
    return std::move(Images[Best]);
}
