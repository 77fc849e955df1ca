#include "toolkit/graphics/picture.h"

#include "toolkit/graphics/bmpdecoder.h"
#include "toolkit/graphics/graphicerror.h"
#include "toolkit/graphics/icondecoder.h"
#include "toolkit/graphics/jpegdecoder.h"
#include "toolkit/qt/qtconvert.h"

#include <QFile>
#include <QFileInfo>

namespace {

// No picture file worth showing comes near this; larger files are refused unread.
constexpr qint64 MaxPictureFileSize = 256 * 1024 * 1024;

// The extension after the last dot of the name's last part, without the dot.
QString ExtractExtension(const QString& FileName)
{
    const qsizetype Slash = FileName.lastIndexOf(QLatin1Char('/'));
    const qsizetype Dot = FileName.lastIndexOf(QLatin1Char('.'));
    return Dot > Slash ? FileName.mid(Dot + 1) : QString();
}

// Only regular files are opened: opening a named pipe would wait for a writer for
// ever, and a device may never end.
void Open(QFile& File)
{
    if (!QFileInfo(File.fileName()).isFile() || !File.open(QIODevice::ReadOnly)) {
        throw EInOutError(FormatMessage(
            u"Impossible d'ouvrir le fichier %s", { File.fileName().toStdU16String() }));
    }
}

// The whole file, read in pieces so that a file growing under us stops at the size
// bound. TooLarge is the decoder's own "broken content" text.
QByteArray ReadPictureFile(const QString& FileName, const QString& TooLarge)
{
    QFile File(FileName);
    Open(File);
    if (File.size() > MaxPictureFileSize) {
        throw EInvalidGraphic(TooLarge.toStdU16String());
    }
    QByteArray Data;
    Data.reserve(File.size());
    QByteArray Buffer(64 * 1024, Qt::Uninitialized);
    for (;;) {
        const qint64 Count = File.read(Buffer.data(), Buffer.size());
        if (Count < 0) {
            throw EInOutError(
                FormatMessage(u"Impossible de lire le fichier %s", { FileName.toStdU16String() }));
        }
        if (Count == 0) {
            return Data;
        }
        if (Data.size() + Count > MaxPictureFileSize) {
            throw EInvalidGraphic(TooLarge.toStdU16String());
        }
        Data.append(Buffer.constData(), Count);
    }
}

} // namespace

void TPicture::LoadFromFile(const QString& FileName)
{
    const QString Extension = ExtractExtension(FileName);
    const QString Lower = Extension.toLower();
    if (Lower == QLatin1String("bmp") || Lower == QLatin1String("dib")) {
        Assign(ToQt(DecodeBitmap(BytesOf(
                        ReadPictureFile(FileName, QStringLiteral("Image bitmap incorrecte")))),
                   QImage::Format_RGB32),
            TGraphicKind::Bitmap);
    } else if (Lower == QLatin1String("ico")) {
        Assign(DecodeIcon(ReadPictureFile(FileName, QStringLiteral("Icône incorrecte"))),
            TGraphicKind::Icon);
    } else if (Lower == QLatin1String("jpg") || Lower == QLatin1String("jpeg")) {
        Assign(ToQt(DecodeJpeg(BytesOf(
                        ReadPictureFile(FileName, QStringLiteral("Image JPEG incorrecte")))),
                   QImage::Format_RGB32),
            TGraphicKind::Jpeg);
    } else if (Lower == QLatin1String("wmf") || Lower == QLatin1String("emf")) {
        // Metafiles are drawing commands, not pixels. The only renderer packaged for
        // the system is an old, unmaintained library with a history of memory-safety
        // faults, so they are refused with a clear message, after the usual open check.
        QFile File(FileName);
        Open(File);
        throw EInvalidGraphic(FormatMessage(
            u"Format de métafichier non pris en charge (.%s)", { Extension.toStdU16String() }));
    } else {
        throw EInvalidGraphic(FormatMessage(
            u"Extension de fichier image inconnue (.%s)", { Extension.toStdU16String() }));
    }
}

void TPicture::Assign(const QImage& Image, TGraphicKind Kind)
{
    if (Image.isNull()) {
        Clear();
        return;
    }
    FImage = Image.convertToFormat(
        Image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    FKind = Kind;
}

void TPicture::Clear()
{
    FImage = QImage();
    FKind = TGraphicKind::None;
}

TColor TPicture::Pixel(int X, int Y) const
{
    if (!FImage.valid(X, Y)) {
        return clInvalid;
    }
    const QRgb P = reinterpret_cast<const QRgb*>(FImage.constScanLine(Y))[X];
    return RGBColor(qRed(P), qGreen(P), qBlue(P));
}
