#pragma once

#include "toolkit/core/types.h"

#include <QImage>
#include <QString>

enum class TGraphicKind { None, Bitmap, Icon, Metafile, Jpeg };

// The picture a picture control holds: an image and the kind of file it came from.
// Images are kept as Format_RGB32 (bitmaps, JPEG) or Format_ARGB32 (icons).
class TPicture {
public:
    // Loads a picture file, choosing the decoder by the file's extension, without
    // regard to case: "bmp" and "dib" bitmaps, "ico" icons, "jpg" and "jpeg" JPEG
    // pictures; "wmf" and "emf" metafiles are recognised but not drawn. Throws
    //   EInvalidGraphic "Extension de fichier image inconnue (.<ext>)" for other names,
    //   EInOutError "Impossible d'ouvrir le fichier <name>" when the file cannot be read,
    //   EInvalidGraphic "Image bitmap incorrecte", "Icône incorrecte", "Image JPEG
    //   incorrecte" or "Format de métafichier non pris en charge (.<ext>)" for content
    //   that cannot be shown.
    // On failure the picture keeps what it held.
    void LoadFromFile(const QString& FileName);
    // Takes Image (converted to one of the two formats); a null image clears.
    void Assign(const QImage& Image, TGraphicKind Kind = TGraphicKind::Bitmap);
    void Clear();

    TGraphicKind Kind() const { return FKind; }
    const QImage& Image() const { return FImage; }
    int Width() const { return FImage.width(); }
    int Height() const { return FImage.height(); }
    bool Empty() const { return FImage.isNull(); }
    // The colour of a pixel (high byte 0, alpha ignored); clInvalid outside the image.
    TColor Pixel(int X, int Y) const;

private:
    QImage FImage;
    TGraphicKind FKind = TGraphicKind::None;
};
