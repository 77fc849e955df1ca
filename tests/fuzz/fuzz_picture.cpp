// The picture loader on hostile files. The input is written to a file whose extension
// is FUZZ_EXTENSION ("bmp", "ico" or "jpg") and loaded the way the clock loads a skin.
// A load either gives a picture inside the size bounds, or fails with the decoder's
// French message and leaves the picture it replaced in place.
#include "tests/fuzz/fuzzcheck.h"
#include "toolkit/graphics/graphicerror.h"
#include "toolkit/graphics/picture.h"
#include "toolkit/qt/qtconvert.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cstring>

namespace {

const QString Extension = QStringLiteral(FUZZ_EXTENSION);
QString FileName;
// VELUDOR_FUZZ_VERBOSE=1 prints what became of each input (to check the seeds).
const bool Verbose = qEnvironmentVariableIsSet("VELUDOR_FUZZ_VERBOSE");

// Qt's icon reader is a plugin; plugins are found through the application object.
QCoreApplication* Application()
{
    static int Argc = 1;
    static char Name[] = "fuzz";
    static char* Argv[] = { Name, nullptr };
    static QCoreApplication App(Argc, Argv);
    return &App;
}

TBitmap32 Marker()
{
    TBitmap32 Image(2, 2, 0xFF010203u);
    Image.SetPixel(1, 1, 0xFFC86432u);
    return Image;
}

QString ExpectedError()
{
    if (Extension == QLatin1String("bmp")) {
        return QStringLiteral("Image bitmap incorrecte");
    }
    if (Extension == QLatin1String("ico")) {
        return QStringLiteral("Icône incorrecte");
    }
    return QStringLiteral("Image JPEG incorrecte");
}

TGraphicKind ExpectedKind()
{
    if (Extension == QLatin1String("bmp")) {
        return TGraphicKind::Bitmap;
    }
    if (Extension == QLatin1String("ico")) {
        return TGraphicKind::Icon;
    }
    return TGraphicKind::Jpeg;
}

qint64 U16(const uint8_t* P) { return P[0] | P[1] << 8; }
qint64 I32(const uint8_t* P)
{
    return qint32(quint32(P[0]) | quint32(P[1]) << 8 | quint32(P[2]) << 16 | quint32(P[3]) << 24);
}

// A decoded bitmap has the size its header declares.
void CheckBitmapSize(const uint8_t* Data, size_t Size, const TBitmap32& Image)
{
    Check(Size >= 26, "a decoded bitmap holds its headers");
    qint64 Width, Height;
    if (U16(Data + 14) == 12 && Data[16] == 0 && Data[17] == 0) {
        Width = U16(Data + 18);
        Height = U16(Data + 20);
    } else {
        Width = I32(Data + 18);
        Height = I32(Data + 22);
        Height = Height < 0 ? -Height : Height;
    }
    Check(Image.Width() == Width && Image.Height() == Height, "a bitmap has its declared size",
        QStringLiteral("declared %1 x %2, decoded %3 x %4")
            .arg(Width)
            .arg(Height)
            .arg(Image.Width())
            .arg(Image.Height()));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Application();
    static QTemporaryDir Folder(QDir::tempPath() + QStringLiteral("/veludor-fuzz-XXXXXX"));
    Check(Folder.isValid(), "a temporary folder");
    FileName = Folder.filePath(QStringLiteral("skin.") + Extension);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    WriteWholeFile(FileName, QByteArray(reinterpret_cast<const char*>(Data), qsizetype(Size)));
    TPicture Picture;
    const TBitmap32 Before = Marker();
    Picture.Assign(Before);
    try {
        Picture.LoadFromFile(FromQt(FileName));
    } catch (const EInvalidGraphic& E) {
        if (Verbose) {
            std::fprintf(stderr, "refused: %s\n", qPrintable(ToQt(E.Message())));
        }
        Check(ToQt(E.Message()) == ExpectedError(), "the decoder's own message", ToQt(E.Message()));
        Check(Picture.Image() == Before && Picture.Kind() == TGraphicKind::Bitmap,
            "a failed load keeps the picture that was there");
        return 0;
    }
    // Any other exception escapes and libFuzzer reports it: a readable file must never
    // give an input-output error, and nothing else may be thrown.
    const TBitmap32& Image = Picture.Image();
    if (Verbose) {
        std::fprintf(stderr, "decoded: %d x %d\n", Image.Width(), Image.Height());
    }
    Check(!Image.IsEmpty(), "a successful load gives a picture");
    Check(Picture.Kind() == ExpectedKind(), "the picture's kind follows the extension");
    Check(Image.Width() <= MaxPictureSide && Image.Height() <= MaxPictureSide
            && qint64(Image.Width()) * Image.Height() < MaxPicturePixels,
        "a decoded picture is inside the size bounds");
    if (ExpectedKind() == TGraphicKind::Bitmap) {
        CheckBitmapSize(Data, Size, Image);
    } else if (ExpectedKind() == TGraphicKind::Icon) {
        // The icon decoder's own bound on each image of the directory.
        Check(Image.Width() <= 1024 && Image.Height() <= 1024, "an icon image is at most 1024 pixels a side");
    }
    return 0;
}
