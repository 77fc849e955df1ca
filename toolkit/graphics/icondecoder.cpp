#include "toolkit/graphics/icondecoder.h"

#include "toolkit/graphics/graphicerror.h"

#include "toolkit/graphics/bmpdecoder.h"
#include "toolkit/qt/qtconvert.h"

#include <QList>

#include <cstring>

namespace {

// Icons hold images of 256 pixels or less; larger ones are still drawn, up to this.
constexpr qint64 MaxIconSide = 1024;
constexpr int MaxIconImages = 256;

[[noreturn]] void Invalid()
{
    throw EInvalidGraphic(u"Icône incorrecte");
}

quint32 U16(const uchar* P)
{
    return quint32(P[0] | P[1] << 8);
}
quint32 U32(const uchar* P)
{
    return U16(P) | U16(P + 2) << 16;
}
quint32 BigU32(const uchar* P)
{
    return quint32(P[0]) << 24 | quint32(P[1]) << 16 | quint32(P[2]) << 8 | P[3];
}

// Checks the directory and the header of every image, so that only images of bounded
// size lying inside the file are decoded.
void Validate(const QByteArray& Data)
{
    const auto* Bytes = reinterpret_cast<const uchar*>(Data.constData());
    const qint64 Size = Data.size();
    if (Size < 6 || U16(Bytes) != 0 || U16(Bytes + 2) != 1) {
        Invalid();
    }
    const qint64 Count = U16(Bytes + 4);
    if (Count == 0 || Count > MaxIconImages || 6 + 16 * Count > Size) {
        Invalid();
    }
    static const char PngSignature[] = "\x89PNG\r\n\x1a\n";
    for (qint64 i = 0; i < Count; ++i) {
        const uchar* Entry = Bytes + 6 + 16 * i;
        const qint64 Length = U32(Entry + 8), Offset = U32(Entry + 12);
        if (Offset > Size || Length > Size - Offset || Length < 40) {
            Invalid();
        }
        const uchar* Image = Bytes + Offset;
        qint64 Width = 0, Height = 0;
        if (std::memcmp(Image, PngSignature, 8) == 0) {
            Width = BigU32(Image + 16); // the IHDR chunk comes first
            Height = BigU32(Image + 20);
        } else {
            const quint32 Bits = U16(Image + 14);
            if (U32(Image) < 40 || U16(Image + 12) != 1
                || (Bits != 1 && Bits != 4 && Bits != 8 && Bits != 16 && Bits != 24
                    && Bits != 32)) {
                Invalid();
            }
            Width = qint32(U32(Image + 4));
            Height = qint32(U32(Image + 8)) / 2; // the colour rows, then the mask rows
        }
        if (Width <= 0 || Height <= 0 || Width > MaxIconSide || Height > MaxIconSide) {
            Invalid();
        }
    }
}

// One image stored as a device-independent bitmap: the colour rows, then the AND mask
// (a bit a pixel, set where the icon is transparent). The colours are decoded by the
// bitmap decoder, given a file header; a 32-bit image carries its own alpha, used when
// any of it is set. Transparent pixels come out as 0, as Qt's reader gives them.
QImage DecodeDib(const uchar* Image, qint64 Length)
{
    const quint32 HeaderSize = U32(Image);
    const qint64 Width = qint32(U32(Image + 4));
    const qint64 Height = qint32(U32(Image + 8)) / 2;
    const quint32 Bits = U16(Image + 14);
    const quint32 Compression = U32(Image + 16);
    quint32 Colours = U32(Image + 32);
    if (HeaderSize > quint32(Length) || (Compression != 0 && Compression != 3)) {
        Invalid();
    }
    if (Bits <= 8 && (Colours == 0 || Colours > (1u << Bits))) {
        Colours = 1u << Bits;
    }
    const qint64 Table
        = Bits <= 8 ? qint64(Colours) * 4 : (Compression == 3 && HeaderSize == 40 ? 12 : 0);
    const qint64 Stride = (Width * Bits + 31) / 32 * 4;
    const qint64 MaskStride = (Width + 31) / 32 * 4;
    const qint64 ColourStart = HeaderSize + Table;
    const qint64 MaskStart = ColourStart + Stride * Height;
    if (MaskStart > Length) {
        Invalid();
    }
    // The colour rows as a bitmap file of half the height.
    QByteArray File(14 + MaskStart, Qt::Uninitialized);
    auto* F = reinterpret_cast<uchar*>(File.data());
    const auto Put32 = [](uchar* P, quint32 V) {
        for (int i = 0; i < 4; ++i) {
            P[i] = uchar(V >> (8 * i));
        }
    };
    F[0] = 'B';
    F[1] = 'M';
    Put32(F + 2, quint32(File.size()));
    Put32(F + 6, 0);
    Put32(F + 10, quint32(14 + ColourStart));
    std::memcpy(F + 14, Image, size_t(MaskStart));
    Put32(F + 14 + 8, quint32(Height));
    if (Bits <= 8) {
        Put32(F + 14 + 32, Colours);
    }
    QImage Result;
    try {
        Result = ToQt(DecodeBitmap(BytesOf(File)));
    } catch (const EInvalidGraphic&) {
        Invalid();
    }
    if (Result.width() != Width || Result.height() != Height) {
        Invalid();
    }
    bool OwnAlpha = false;
    if (Bits == 32) {
        for (qint64 y = 0; y < Height && !OwnAlpha; ++y) {
            const uchar* Row = Image + ColourStart + y * Stride;
            for (qint64 x = 0; x < Width; ++x) {
                if (Row[4 * x + 3] != 0) {
                    OwnAlpha = true;
                    break;
                }
            }
        }
    }
    const bool HasMask = MaskStart + MaskStride * Height <= Length;
    for (qint64 y = 0; y < Height; ++y) {
        auto* Line = reinterpret_cast<QRgb*>(Result.scanLine(int(Height - 1 - y)));
        const uchar* Row = Image + ColourStart + y * Stride;
        const uchar* Mask = Image + MaskStart + y * MaskStride;
        for (qint64 x = 0; x < Width; ++x) {
            if (OwnAlpha) {
                const quint32 Alpha = Row[4 * x + 3];
                Line[x] = Alpha == 0 ? 0 : (Line[x] & 0x00FFFFFFu) | Alpha << 24;
            } else if (HasMask && (Mask[x / 8] & (0x80 >> (x % 8)))) {
                Line[x] = 0;
            }
        }
    }
    return Result;
}

} // namespace

QList<QImage> DecodeIconImages(const QByteArray& Data)
{
    Validate(Data);
    const auto* Bytes = reinterpret_cast<const uchar*>(Data.constData());
    static const char PngSignature[] = "\x89PNG\r\n\x1a\n";
    QList<QImage> Images;
    for (quint32 i = 0, Count = U16(Bytes + 4); i < Count; ++i) {
        const uchar* Entry = Bytes + 6 + 16 * i;
        const qint64 Length = U32(Entry + 8), Offset = U32(Entry + 12);
        const uchar* Image = Bytes + Offset;
        QImage Decoded;
        try {
            Decoded = std::memcmp(Image, PngSignature, 8) == 0 ? QImage::fromData(
                          QByteArrayView(reinterpret_cast<const char*>(Image), Length), "PNG")
                                                               : DecodeDib(Image, Length);
        } catch (const EInvalidGraphic&) {
            continue; // an image that does not decode is left out
        }
        if (!Decoded.isNull()) {
            Images << Decoded.convertToFormat(QImage::Format_ARGB32);
        }
    }
    if (Images.isEmpty()) {
        Invalid();
    }
    return Images;
}

QImage DecodeIcon(const QByteArray& Data)
{
    QImage Best;
    for (const QImage& Image : DecodeIconImages(Data)) {
        if (qint64(Image.width()) * Image.height() > qint64(Best.width()) * Best.height()) {
            Best = Image;
        }
    }
    return Best;
}
