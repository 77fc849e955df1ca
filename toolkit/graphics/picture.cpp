#include "toolkit/graphics/picture.h"

#include "toolkit/core/filepath.h"
#include "toolkit/graphics/bmpdecoder.h"
#include "toolkit/graphics/graphicerror.h"
#include "toolkit/graphics/icondecoder.h"
#include "toolkit/graphics/jpegdecoder.h"

#include <vector>

namespace {

// No picture file worth showing comes near this; larger files are refused unread.
constexpr std::size_t MaxPictureFileSize = 256 * 1024 * 1024;

// The extension after the last dot of the name's last part, without the dot.
TString ExtractExtension(TStringView FileName)
{
#ifdef _WIN32
    const size_t Slash = FileName.find_last_of(u"/\\");
#else
    const size_t Slash = FileName.rfind(u'/');
#endif
    const size_t Dot = FileName.rfind(u'.');
    if (Dot == TStringView::npos || (Slash != TStringView::npos && Dot < Slash)) {
        return {};
    }
    return TString(FileName.substr(Dot + 1));
}

TString LowerAscii(TString Text)
{
    for (char16_t& C : Text) {
        if (C >= u'A' && C <= u'Z') {
            C = char16_t(C - u'A' + u'a');
        }
    }
    return Text;
}

// Only regular files are opened: opening a named pipe would wait for a writer for
// ever, and a device may never end.
void Open(TFileReader& File, TStringView FileName)
{
    if (FileKindOf(FileName) != TFileKind::Regular || !File.Open(FileName)) {
        throw EInOutError(FormatMessage(u"Impossible d'ouvrir le fichier %s", { FileName }));
    }
}

// The whole file. TooLarge is the decoder's own "broken content" text.
std::vector<std::uint8_t> ReadPictureFile(TStringView FileName, TStringView TooLarge)
{
    TFileReader File;
    Open(File, FileName);
    std::vector<std::uint8_t> Data;
    switch (File.ReadAll(Data, MaxPictureFileSize)) {
    case TFileReader::TReadAll::Done:
        return Data;
    case TFileReader::TReadAll::TooLarge:
        throw EInvalidGraphic(TString(TooLarge));
    case TFileReader::TReadAll::Failed:
        break;
    }
    throw EInOutError(FormatMessage(u"Impossible de lire le fichier %s", { FileName }));
}

} // namespace

void TPicture::LoadFromFile(TStringView FileName)
{
    const TString Extension = ExtractExtension(FileName);
    const TString Lower = LowerAscii(Extension);
    if (Lower == u"bmp" || Lower == u"dib") {
        Assign(DecodeBitmap(ReadPictureFile(FileName, u"Image bitmap incorrecte")),
            TGraphicKind::Bitmap);
    } else if (Lower == u"ico") {
        Assign(DecodeIcon(ReadPictureFile(FileName, u"Icône incorrecte")), TGraphicKind::Icon);
    } else if (Lower == u"jpg" || Lower == u"jpeg") {
        Assign(DecodeJpeg(ReadPictureFile(FileName, u"Image JPEG incorrecte")), TGraphicKind::Jpeg);
    } else if (Lower == u"wmf" || Lower == u"emf") {
        // Metafiles are drawing commands, not pixels. The only renderer packaged for
        // the system is an old, unmaintained library with a history of memory-safety
        // faults, so they are refused with a clear message, after the usual open check.
        TFileReader File;
        Open(File, FileName);
        throw EInvalidGraphic(
            FormatMessage(u"Format de métafichier non pris en charge (.%s)", { Extension }));
    } else {
        throw EInvalidGraphic(
            FormatMessage(u"Extension de fichier image inconnue (.%s)", { Extension }));
    }
}

void TPicture::Assign(TBitmap32 Image, TGraphicKind Kind)
{
    if (Image.IsEmpty()) {
        Clear();
        return;
    }
    FImage = std::move(Image);
    FKind = Kind;
}

void TPicture::Clear()
{
    FImage = TBitmap32();
    FKind = TGraphicKind::None;
}

TColor TPicture::Pixel(int X, int Y) const
{
    if (X < 0 || Y < 0 || X >= FImage.Width() || Y >= FImage.Height()) {
        return clInvalid;
    }
    const std::uint32_t P = FImage.Pixel(X, Y);
    return RGBColor(int(P >> 16 & 0xFF), int(P >> 8 & 0xFF), int(P & 0xFF));
}
