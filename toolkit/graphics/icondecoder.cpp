#include "toolkit/graphics/icondecoder.h"

#include "toolkit/graphics/graphicerror.h"

#include <QBuffer>
#include <QImageReader>

#include <cstring>

namespace {

// Icons hold images of 256 pixels or less; larger ones are still drawn, up to this.
constexpr qint64 MaxIconSide = 1024;
constexpr int MaxIconImages = 256;

[[noreturn]] void Invalid()
{
    throw EInvalidGraphic(QStringLiteral("Icône incorrecte"));
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

// Checks the directory and the header of every image, so that Qt's reader only ever
// sees images of bounded size lying inside the file.
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

} // namespace

QImage DecodeIcon(const QByteArray& Data)
{
    Validate(Data);
    QBuffer Buffer;
    Buffer.setData(Data);
    Buffer.open(QIODevice::ReadOnly);
    QImageReader Reader(&Buffer, "ico");
    QImage Best;
    const int Count = Reader.imageCount();
    for (int i = 0; i < Count; ++i) {
        if (!Reader.jumpToImage(i)) {
            break;
        }
        const QImage Image = Reader.read();
        if (!Image.isNull()
            && qint64(Image.width()) * Image.height() > qint64(Best.width()) * Best.height()) {
            Best = Image;
        }
    }
    if (Best.isNull()) {
        Invalid();
    }
    return Best.convertToFormat(QImage::Format_ARGB32);
}
