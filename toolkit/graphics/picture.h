#pragma once

#include "toolkit/core/bitmap32.h"
#include "toolkit/core/tstring.h"
#include "toolkit/core/types.h"

enum class TGraphicKind { None, Bitmap, Icon, Metafile, Jpeg };

// The picture a picture control holds: an image and the kind of file it came from.
// Bitmaps and JPEG pictures are opaque (every alpha 255); icons keep their alpha.
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
    void LoadFromFile(TStringView FileName);
    // Takes Image; an empty image clears.
    void Assign(TBitmap32 Image, TGraphicKind Kind = TGraphicKind::Bitmap);
    void Clear();

    TGraphicKind Kind() const { return FKind; }
    const TBitmap32& Image() const { return FImage; }
    int Width() const { return FImage.Width(); }
    int Height() const { return FImage.Height(); }
    bool Empty() const { return FImage.IsEmpty(); }
    // The colour of a pixel (high byte 0, alpha ignored); clInvalid outside the image.
    TColor Pixel(int X, int Y) const;

private:
    TBitmap32 FImage;
    TGraphicKind FKind = TGraphicKind::None;
};
