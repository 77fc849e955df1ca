#include "toolkit/graphics/picture.h"

#include "toolkit/graphics/bmpdecoder.h"
#include "toolkit/graphics/graphicerror.h"
#include "toolkit/graphics/icondecoder.h"
#include "toolkit/graphics/jpegdecoder.h"
#include "toolkit/qt/qtconvert.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

Q_DECLARE_METATYPE(TGraphicKind)

namespace {

// Little-endian byte writer for crafted files.
struct TOut {
    QByteArray B;
    TOut& U8(int V) { B += char(V); return *this; }
    TOut& U16(quint32 V) { return U8(V & 0xFF).U8(V >> 8 & 0xFF); }
    TOut& U32(quint32 V) { return U16(V & 0xFFFF).U16(V >> 16); }
    TOut& Raw(const QByteArray& V) { B += V; return *this; }
};

// A bitmap file described by its fields; Bytes() lays it out.
struct TBmp {
    quint32 InfoSize = 40;
    qint32 Width = 1, Height = 1;
    quint32 Planes = 1, Bits = 24, Compression = 0, ColorsUsed = 0;
    QList<quint32> Masks; // red, green, blue: inside the V2 and later headers, else after the header
    QByteArray Palette;
    QByteArray Pixels;
    qint64 Offset = -1; // pixel offset; -1: right after the palette

    QByteArray Bytes() const
    {
        TOut H;
        if (InfoSize == 12) {
            H.U32(12).U16(quint32(Width)).U16(quint32(Height)).U16(Planes).U16(Bits);
        } else {
            H.U32(InfoSize).U32(quint32(Width)).U32(quint32(Height)).U16(Planes).U16(Bits).U32(Compression);
            H.U32(quint32(Pixels.size())).U32(2835).U32(2835).U32(ColorsUsed).U32(0);
            if (InfoSize >= 52) {
                for (int i = 0; i < 3; ++i) {
                    H.U32(i < Masks.size() ? Masks[i] : 0);
                }
                H.B.resize(InfoSize, '\0');
            } else {
                for (quint32 Mask : Masks) {
                    H.U32(Mask);
                }
            }
        }
        H.Raw(Palette);
        const quint32 PixelOffset = quint32(Offset >= 0 ? Offset : 14 + H.B.size());
        TOut F;
        F.Raw("BM").U32(quint32(14 + H.B.size() + Pixels.size())).U32(0).U32(PixelOffset);
        return F.B + H.B + Pixels;
    }
};

// Rows padded to four bytes, as uncompressed bitmaps store them.
QByteArray Rows(std::initializer_list<QByteArray> List)
{
    QByteArray Out;
    for (QByteArray Row : List) {
        Row.append((4 - Row.size() % 4) % 4, '\0');
        Out += Row;
    }
    return Out;
}

QByteArray Bytes(std::initializer_list<int> List)
{
    QByteArray Out;
    for (int V : List) {
        Out += char(V);
    }
    return Out;
}

constexpr TColor K = RGBColor(0, 0, 0), W = RGBColor(255, 255, 255), R = RGBColor(255, 0, 0),
                 G = RGBColor(0, 255, 0), B = RGBColor(0, 0, 255), Y = RGBColor(255, 255, 0);

// Palette entries 0..5: black, white, red, green, blue, yellow.
QByteArray Palette(int EntrySize = 4)
{
    QByteArray Out;
    for (TColor C : { K, W, R, G, B, Y }) {
        Out += char(C >> 16 & 0xFF);
        Out += char(C >> 8 & 0xFF);
        Out += char(C & 0xFF);
        if (EntrySize == 4) {
            Out += '\0';
        }
    }
    return Out;
}

TBmp Paletted(int Bits, int Width, int Height, const QByteArray& Pixels, quint32 Compression = 0)
{
    TBmp Bmp;
    Bmp.Bits = quint32(Bits);
    Bmp.Width = Width;
    Bmp.Height = Height;
    Bmp.ColorsUsed = 6;
    Bmp.Palette = Palette();
    Bmp.Pixels = Pixels;
    Bmp.Compression = Compression;
    return Bmp;
}

TBmp Direct(int Bits, int Width, int Height, const QByteArray& Pixels, QList<quint32> Masks = {}, quint32 InfoSize = 40)
{
    TBmp Bmp;
    Bmp.InfoSize = InfoSize;
    Bmp.Bits = quint32(Bits);
    Bmp.Width = Width;
    Bmp.Height = Height;
    Bmp.Pixels = Pixels;
    Bmp.Masks = Masks;
    Bmp.Compression = Masks.isEmpty() ? 0 : 3;
    return Bmp;
}

// Every alpha 255: what a bitmap or JPEG picture holds.
bool Opaque(const TBitmap32& Image)
{
    for (int Y = 0; Y < Image.Height(); ++Y) {
        for (int X = 0; X < Image.Width(); ++X) {
            if (Image.Pixel(X, Y) >> 24 != 0xFF) {
                return false;
            }
        }
    }
    return !Image.IsEmpty();
}

QList<TColor> PixelsOf(const TPicture& Picture)
{
    QList<TColor> Out;
    for (int Y = 0; Y < Picture.Height(); ++Y) {
        for (int X = 0; X < Picture.Width(); ++X) {
            Out += Picture.Pixel(X, Y);
        }
    }
    return Out;
}

// The message of the exception LoadFromFile throws, or "" when it loads.
QString LoadError(TPicture& Picture, const QString& FileName)
{
    try {
        Picture.LoadFromFile(FromQt(FileName));
        return QString();
    } catch (const Exception& E) {
        return ToQt(E.Message());
    }
}

int Distance(TColor A, TColor C)
{
    int Max = 0;
    for (int Shift : { 0, 8, 16 }) {
        Max = std::max(Max, std::abs(int(A >> Shift & 0xFF) - int(C >> Shift & 0xFF)));
    }
    return Max;
}

// A CMYK JPEG written with libjpeg, stored inverted as Adobe's writers do.
QByteArray CmykJpeg(int Width, int Height, const QByteArray& InvertedCmykPixels)
{
    jpeg_compress_struct Info {};
    jpeg_error_mgr Error {};
    Info.err = jpeg_std_error(&Error);
    jpeg_create_compress(&Info);
    unsigned char* Buffer = nullptr;
    unsigned long Size = 0;
    jpeg_mem_dest(&Info, &Buffer, &Size);
    Info.image_width = JDIMENSION(Width);
    Info.image_height = JDIMENSION(Height);
    Info.input_components = 4;
    Info.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&Info);
    jpeg_set_quality(&Info, 100, TRUE);
    jpeg_start_compress(&Info, TRUE);
    while (Info.next_scanline < Info.image_height) {
        JSAMPROW Row = reinterpret_cast<JSAMPROW>(
            const_cast<char*>(InvertedCmykPixels.constData()) + Info.next_scanline * Width * 4);
        jpeg_write_scanlines(&Info, &Row, 1);
    }
    jpeg_finish_compress(&Info);
    jpeg_destroy_compress(&Info);
    const QByteArray Out(reinterpret_cast<const char*>(Buffer), qsizetype(Size));
    free(Buffer);
    return Out;
}

// One 32-bit image of an icon file: BITMAPINFOHEADER, colour rows, mask rows.
QByteArray IconDib(int Width, int Height, TColor Color, int DeclaredWidth = 0)
{
    TOut D;
    D.U32(40).U32(quint32(DeclaredWidth ? DeclaredWidth : Width)).U32(quint32(2 * Height)).U16(1).U16(32);
    D.U32(0).U32(0).U32(0).U32(0).U32(0).U32(0);
    for (int i = 0; i < Width * Height; ++i) {
        D.U8(int(Color >> 16 & 0xFF)).U8(int(Color >> 8 & 0xFF)).U8(int(Color & 0xFF)).U8(255);
    }
    D.B.append(Height * ((Width + 31) / 32) * 4, '\0');
    return D.B;
}

// An image of an icon file with Bits bits a pixel: a palette below 16 bits, colours
// that vary over the image, a mask that leaves every third pixel transparent and, at 32
// bits, alpha ramping down the rows, or all of it Alpha when one is given (0: the mask
// counts).
QByteArray IconDibBits(int Bits, int Width, int Height, int Alpha = -1)
{
    TOut D;
    const int Colours = Bits <= 8 ? 1 << Bits : 0;
    D.U32(40).U32(quint32(Width)).U32(quint32(2 * Height)).U16(1).U16(quint32(Bits));
    D.U32(0).U32(0).U32(0).U32(0).U32(quint32(Colours)).U32(0);
    for (int i = 0; i < Colours; ++i) {
        D.U8(i * 37 & 0xFF).U8(i * 91 & 0xFF).U8(255 - i * 13 & 0xFF).U8(0);
    }
    for (int y = 0; y < Height; ++y) {
        TOut Row;
        quint32 Acc = 0;
        int Filled = 0;
        for (int x = 0; x < Width; ++x) {
            const int V = x * 7 + y * 3;
            if (Bits >= 24) {
                Row.U8(V & 0xFF).U8(V * 5 & 0xFF).U8(V * 11 & 0xFF);
                if (Bits == 32) {
                    Row.U8(Alpha >= 0 ? Alpha : 255 - y * 9);
                }
                continue;
            }
            Acc = Acc << Bits | quint32(V % Colours);
            if ((Filled += Bits) == 8) {
                Row.U8(int(Acc));
                Acc = 0;
                Filled = 0;
            }
        }
        if (Filled) {
            Row.U8(int(Acc << (8 - Filled)));
        }
        Row.B.append((4 - Row.B.size() % 4) % 4, '\0');
        D.Raw(Row.B);
    }
    for (int y = 0; y < Height; ++y) {
        QByteArray Row(((Width + 31) / 32) * 4, '\0');
        for (int x = 0; x < Width; ++x) {
            if ((x + y) % 3 == 0) {
                Row[x / 8] = char(Row[x / 8] | 0x80 >> x % 8);
            }
        }
        D.Raw(Row);
    }
    return D.B;
}

QByteArray IconFile(
    const QList<QByteArray>& Images, const QList<int>& Sides, int Type = 1, int Bits = 32)
{
    TOut F;
    F.U16(0).U16(quint32(Type)).U16(quint32(Images.size()));
    quint32 Offset = quint32(6 + 16 * Images.size());
    for (int i = 0; i < Images.size(); ++i) {
        F.U8(Sides[i] & 0xFF).U8(Sides[i] & 0xFF).U8(Bits < 8 ? 1 << Bits : 0).U8(0);
        F.U16(1).U16(quint32(Bits));
        F.U32(quint32(Images[i].size())).U32(Offset);
        Offset += quint32(Images[i].size());
    }
    for (const QByteArray& Image : Images) {
        F.Raw(Image);
    }
    return F.B;
}

QByteArray Encoded(const QImage& Image, const char* Format)
{
    QByteArray Out;
    QBuffer Buffer(&Out);
    Buffer.open(QIODevice::WriteOnly);
    return Image.save(&Buffer, Format, 95) ? Out : QByteArray();
}

QImage TwoColours(QImage::Format Format = QImage::Format_RGB32)
{
    QImage Image(32, 16, QImage::Format_RGB32);
    Image.fill(Qt::red);
    for (int Y = 0; Y < 16; ++Y) {
        for (int X = 16; X < 32; ++X) {
            Image.setPixel(X, Y, qRgb(0, 0, 255));
        }
    }
    return Image.convertToFormat(Format);
}

} // namespace

class tst_Picture : public QObject {
    Q_OBJECT

private slots:
    void init();
    void bitmapVariants_data();
    void bitmapVariants();
    void decodedBitmapsAsQtReadsThem_data();
    void decodedBitmapsAsQtReadsThem();
    void brokenBitmaps_data();
    void brokenBitmaps();
    void fileNames_data();
    void fileNames();
    void jpeg_data();
    void jpeg();
    void jpegWithHarmlessWarnings_data();
    void jpegWithHarmlessWarnings();
    void brokenJpegs_data();
    void brokenJpegs();
    void iconTakesTheLargestImage();
    void iconImagesInFileOrder_data();
    void iconImagesInFileOrder();
    void iconsAsQtReadsThem_data();
    void iconsAsQtReadsThem();
    void brokenIcons_data();
    void brokenIcons();
    void decodersSurviveDamagedFiles_data();
    void decodersSurviveDamagedFiles();
    void pixelOutsideIsInvalid_data();
    void pixelOutsideIsInvalid();
    void assignKeepsTwoFormats();

private:
    QString Write(const QString& Name, const QByteArray& Bytes) const;
    std::unique_ptr<QTemporaryDir> FDir;
};

void tst_Picture::init()
{
    FDir = std::make_unique<QTemporaryDir>();
    QVERIFY(FDir->isValid());
}

QString tst_Picture::Write(const QString& Name, const QByteArray& Bytes) const
{
    const QString Path = FDir->filePath(Name);
    QFile File(Path);
    if (!File.open(QIODevice::WriteOnly) || File.write(Bytes) != Bytes.size()) {
        qFatal("cannot write %s", qPrintable(Path));
    }
    return Path;
}

void tst_Picture::bitmapVariants_data()
{
    QTest::addColumn<QByteArray>("File");
    QTest::addColumn<int>("Width");
    QTest::addColumn<QList<TColor>>("Expected"); // top row first

    TBmp Mono = Paletted(1, 3, 2, Rows({ Bytes({ 0xA0 }), Bytes({ 0x40 }) }));
    Mono.ColorsUsed = 2;
    Mono.Palette = Palette().left(8);
    QTest::newRow("1 bit, 3 wide, rows padded") << Mono.Bytes() << 3 << QList<TColor> { K, W, K, W, K, W };
    QTest::newRow("4 bit, 3 wide") << Paletted(4, 3, 2, Rows({ Bytes({ 0x23, 0x40 }), Bytes({ 0x50, 0x10 }) })).Bytes()
                                   << 3 << QList<TColor> { Y, K, W, R, G, B };
    QTest::newRow("8 bit, 5 wide") << Paletted(8, 5, 1, Rows({ Bytes({ 0, 1, 2, 3, 4 }) })).Bytes() << 5
                                   << QList<TColor> { K, W, R, G, B };
    TBmp Short = Paletted(8, 3, 1, Rows({ Bytes({ 1, 5, 200 }) }));
    Short.ColorsUsed = 2;
    Short.Palette = Palette().left(8);
    QTest::newRow("8 bit, index past a short palette is black") << Short.Bytes() << 3 << QList<TColor> { W, K, K };
    QTest::newRow("16 bit 5-5-5") << Direct(16, 4, 1, Bytes({ 0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0x10, 0x42 })).Bytes()
                                  << 4 << QList<TColor> { R, G, B, RGBColor(132, 132, 132) };
    QTest::newRow("16 bit 5-6-5 bit fields")
        << Direct(16, 4, 1, Bytes({ 0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0x00, 0x04 }), { 0xF800, 0x07E0, 0x001F }).Bytes()
        << 4 << QList<TColor> { R, G, B, RGBColor(0, 130, 0) };
    QTest::newRow("24 bit, 1 wide, rows padded") << Direct(24, 1, 2, Rows({ Bytes({ 255, 0, 0 }), Bytes({ 0, 0, 255 }) })).Bytes()
                                                << 1 << QList<TColor> { R, B };
    QTest::newRow("32 bit, fourth byte ignored") << Direct(32, 2, 1, Bytes({ 0, 0, 255, 0x80, 255, 255, 255, 0 })).Bytes()
                                                << 2 << QList<TColor> { R, W };
    QTest::newRow("32 bit bit fields in R, G, B byte order")
        << Direct(32, 2, 1, Bytes({ 255, 0, 0, 0, 0, 0, 255, 0 }), { 0x0000FF, 0x00FF00, 0xFF0000 }).Bytes() << 2
        << QList<TColor> { R, B };
    QTest::newRow("top-down rows") << Direct(24, 1, -2, Rows({ Bytes({ 0, 0, 255 }), Bytes({ 255, 0, 0 }) })).Bytes() << 1
                                   << QList<TColor> { R, B };
    TBmp Core8 = Paletted(8, 2, 1, Rows({ Bytes({ 2, 1 }) }));
    Core8.InfoSize = 12;
    Core8.Palette = Palette(3) + QByteArray(250 * 3, '\0');
    QTest::newRow("core header, 8 bit, 3-byte palette") << Core8.Bytes() << 2 << QList<TColor> { R, W };
    QTest::newRow("core header, 24 bit") << Direct(24, 1, 1, Rows({ Bytes({ 0, 255, 0 }) }), {}, 12).Bytes() << 1
                                         << QList<TColor> { G };
    QTest::newRow("V2 header, 16 bit bit fields")
        << Direct(16, 1, 1, Rows({ Bytes({ 0x00, 0xF8 }) }), { 0xF800, 0x07E0, 0x001F }, 52).Bytes() << 1
        << QList<TColor> { R };
    QTest::newRow("V3 header, 32 bit bit fields")
        << Direct(32, 1, 1, Bytes({ 0, 255, 0, 0 }), { 0xFF0000, 0x00FF00, 0x0000FF }, 56).Bytes() << 1 << QList<TColor> { G };
    QTest::newRow("V4 header, 32 bit bit fields")
        << Direct(32, 1, 1, Bytes({ 0, 0, 255, 0 }), { 0xFF0000, 0x00FF00, 0x0000FF }, 108).Bytes() << 1 << QList<TColor> { R };
    QTest::newRow("V5 header, 24 bit") << Direct(24, 1, 1, Rows({ Bytes({ 0, 255, 255 }) }), {}, 124).Bytes() << 1
                                       << QList<TColor> { Y };
    QTest::newRow("V5 header, 8 bit") << [] {
        TBmp Bmp = Paletted(8, 1, 1, Rows({ Bytes({ 4 }) }));
        Bmp.InfoSize = 124;
        return Bmp.Bytes();
    }() << 1 << QList<TColor> { B };

    // Run-length rows, bottom row first: runs, end of line, literal runs, moves, end.
    QTest::newRow("RLE8 runs, literal run, move right")
        << Paletted(8, 4, 3, Bytes({ 3, 2, 0, 0, 0, 3, 1, 3, 4, 0, 0, 0, 0, 2, 2, 0, 2, 5, 0, 1 }), 1).Bytes() << 4
        << QList<TColor> { K, K, Y, Y, W, G, B, K, R, R, R, K };
    QTest::newRow("RLE8 move up") << Paletted(8, 4, 3, Bytes({ 2, 2, 0, 2, 1, 1, 1, 3, 0, 1 }), 1).Bytes() << 4
                                  << QList<TColor> { K, K, K, K, K, K, K, G, R, R, K, K };
    QTest::newRow("RLE8 runs past the right edge are cut")
        << Paletted(8, 2, 2, Bytes({ 5, 2, 0, 0, 1, 3, 0, 1 }), 1).Bytes() << 2 << QList<TColor> { G, K, R, R };
    QTest::newRow("RLE8 without end mark leaves colour 0") << Paletted(8, 2, 2, Bytes({ 1, 2 }), 1).Bytes() << 2
                                                          << QList<TColor> { K, K, R, K };
    QTest::newRow("RLE4 runs and an odd literal run")
        << Paletted(4, 5, 2, Bytes({ 3, 0x23, 2, 0x44, 0, 0, 0, 5, 0x12, 0x34, 0x50, 0, 0, 1 }), 2).Bytes() << 5
        << QList<TColor> { W, R, G, B, Y, R, G, R, B, B };
}

void tst_Picture::bitmapVariants()
{
    QFETCH(QByteArray, File);
    QFETCH(int, Width);
    QFETCH(QList<TColor>, Expected);
    TPicture Picture;
    Picture.LoadFromFile(FromQt(Write("skin.bmp", File)));
    QCOMPARE(Picture.Kind(), TGraphicKind::Bitmap);
    QVERIFY(Opaque(Picture.Image()));
    QCOMPARE(Picture.Width(), Width);
    QCOMPARE(Picture.Height(), Expected.size() / Width);
    QCOMPARE(PixelsOf(Picture), Expected);
}

// The decoder's own bitmap, before any QImage: rows in picture order and every pixel
// opaque, whatever the file's fourth bytes hold, and the pixels Qt's reader gives.
void tst_Picture::decodedBitmapsAsQtReadsThem_data()
{
    QTest::addColumn<QByteArray>("File");
    QTest::newRow("24 bit, bottom-up") << Direct(24, 2, 2, Rows({ Bytes({ 255, 0, 0, 0, 255, 0 }), Bytes({ 0, 0, 255, 9, 9, 9 }) })).Bytes();
    QTest::newRow("24 bit, top-down") << Direct(24, 1, -2, Rows({ Bytes({ 0, 0, 255 }), Bytes({ 255, 0, 0 }) })).Bytes();
    QTest::newRow("8 bit, bottom-up") << Paletted(8, 3, 2, Rows({ Bytes({ 0, 1, 2 }), Bytes({ 3, 4, 5 }) })).Bytes();
    QTest::newRow("32 bit, fourth bytes 0 and 0x80")
        << Direct(32, 2, 2, Rows({ Bytes({ 0, 0, 255, 0x80, 255, 255, 255, 0 }), Bytes({ 1, 2, 3, 0, 4, 5, 6, 0x80 }) })).Bytes();
}

void tst_Picture::decodedBitmapsAsQtReadsThem()
{
    QFETCH(QByteArray, File);
    const TBitmap32 Bitmap = DecodeBitmap(BytesOf(File));
    QImage Qt = QImage::fromData(File, "BMP").convertToFormat(QImage::Format_RGB32);
    QVERIFY(!Qt.isNull());
    QCOMPARE(Bitmap.Width(), Qt.width());
    QCOMPARE(Bitmap.Height(), Qt.height());
    for (int Y = 0; Y < Bitmap.Height(); ++Y) {
        for (int X = 0; X < Bitmap.Width(); ++X) {
            QCOMPARE(Bitmap.Pixel(X, Y), Qt.pixel(X, Y));
        }
    }
}

void tst_Picture::brokenBitmaps_data()
{
    QTest::addColumn<QByteArray>("File");
    const TBmp Good = Direct(24, 2, 2, Rows({ Bytes({ 1, 2, 3, 4, 5, 6 }), Bytes({ 7, 8, 9, 10, 11, 12 }) }));
    const QByteArray GoodBytes = Good.Bytes();
    auto With = [&](auto Change) {
        TBmp Bmp = Good;
        Change(Bmp);
        return Bmp.Bytes();
    };

    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("BM only") << QByteArray("BM");
    QTest::newRow("file header only") << GoodBytes.left(14);
    QTest::newRow("info header cut short") << GoodBytes.left(30);
    QTest::newRow("wrong magic") << QByteArray("BA") + GoodBytes.mid(2);
    QTest::newRow("PNG bytes") << Encoded(TwoColours(), "PNG");
    QTest::newRow("header size 64") << With([](TBmp& B) { B.InfoSize = 64; });
    QTest::newRow("2 planes") << With([](TBmp& B) { B.Planes = 2; });
    QTest::newRow("2 bits per pixel") << With([](TBmp& B) { B.Bits = 2; });
    QTest::newRow("0 bits per pixel (embedded picture)") << With([](TBmp& B) { B.Bits = 0; });
    QTest::newRow("core header with 16 bits") << With([](TBmp& B) { B.InfoSize = 12; B.Bits = 16; });
    QTest::newRow("JPEG compression") << With([](TBmp& B) { B.Compression = 4; });
    QTest::newRow("unknown compression") << With([](TBmp& B) { B.Compression = 9; });
    QTest::newRow("RLE8 with 4 bits") << Paletted(4, 2, 2, Bytes({ 0, 1 }), 1).Bytes();
    QTest::newRow("RLE4 with 8 bits") << Paletted(8, 2, 2, Bytes({ 0, 1 }), 2).Bytes();
    QTest::newRow("bit fields with 24 bits") << With([](TBmp& B) { B.Compression = 3; B.Masks = { 0xFF0000, 0xFF00, 0xFF }; });
    QTest::newRow("bit fields missing") << Direct(16, 1, 1, QByteArray(), { 0xF800 }).Bytes();
    QTest::newRow("mask with a gap") << Direct(16, 1, 1, Rows({ Bytes({ 0, 0 }) }), { 0xF00F, 0x07E0, 0x001F }).Bytes();
    QTest::newRow("16-bit mask past 16 bits") << Direct(16, 1, 1, Rows({ Bytes({ 0, 0 }) }), { 0x1F0000, 0x07E0, 0x001F }).Bytes();
    QTest::newRow("width 0") << With([](TBmp& B) { B.Width = 0; });
    QTest::newRow("negative width") << With([](TBmp& B) { B.Width = -2; });
    QTest::newRow("height 0") << With([](TBmp& B) { B.Height = 0; });
    QTest::newRow("height INT_MIN") << With([](TBmp& B) { B.Height = std::numeric_limits<qint32>::min(); });
    QTest::newRow("20000 x 20000 declared") << With([](TBmp& B) { B.Width = 20000; B.Height = 20000; });
    QTest::newRow("20000 wide") << With([](TBmp& B) { B.Width = 20000; B.Height = 1; });
    QTest::newRow("RLE8 8192 x 8193, past the pixel bound") << Paletted(8, 8192, 8193, Bytes({ 0, 1 }), 1).Bytes();
    QTest::newRow("top-down RLE8") << Paletted(8, 2, -2, Bytes({ 0, 1 }), 1).Bytes();
    QTest::newRow("pixels cut short") << GoodBytes.chopped(1);
    QTest::newRow("pixel offset past the end") << With([](TBmp& B) { B.Offset = 1000; });
    QTest::newRow("pixel offset inside the header") << With([](TBmp& B) { B.Offset = 20; });
    QTest::newRow("palette past the end") << [] {
        TBmp Bmp = Paletted(8, 1, 1, Rows({ Bytes({ 0 }) }));
        Bmp.ColorsUsed = 0; // 256 entries, 6 present
        return Bmp.Bytes();
    }();
    QTest::newRow("more colours than the bits allow") << [] {
        TBmp Bmp = Paletted(1, 1, 1, Rows({ Bytes({ 0 }) }));
        Bmp.ColorsUsed = 3;
        return Bmp.Bytes();
    }();
}

void tst_Picture::brokenBitmaps()
{
    QFETCH(QByteArray, File);
    TPicture Picture;
    Picture.LoadFromFile(FromQt(Write("good.bmp", Direct(24, 1, 1, Rows({ Bytes({ 0, 0, 255 }) })).Bytes())));
    try {
        Picture.LoadFromFile(FromQt(Write("broken.bmp", File)));
        QFAIL("loaded");
    } catch (const EInvalidGraphic& E) {
        QCOMPARE(ToQt(E.Message()), QStringLiteral("Image bitmap incorrecte"));
    }
    // The picture keeps what it held.
    QCOMPARE(Picture.Width(), 1);
    QCOMPARE(Picture.Pixel(0, 0), R);
}

void tst_Picture::fileNames_data()
{
    QTest::addColumn<QString>("Name");
    QTest::addColumn<QByteArray>("Content"); // null: no file
    QTest::addColumn<TGraphicKind>("Kind");
    QTest::addColumn<QString>("Error"); // "<path>" stands for the full file name

    const QByteArray Bmp = Direct(24, 1, 1, Rows({ Bytes({ 0, 0, 255 }) })).Bytes();
    const QByteArray None;
    QTest::newRow("BMP in capitals") << "SKIN.BMP" << Bmp << TGraphicKind::Bitmap << "";
    QTest::newRow("dib") << "skin.Dib" << Bmp << TGraphicKind::Bitmap << "";
    QTest::newRow("png") << "skin.png" << Encoded(TwoColours(), "PNG") << TGraphicKind::None
                         << "Extension de fichier image inconnue (.png)";
    QTest::newRow("extension keeps its case") << "skin.PnG" << None << TGraphicKind::None
                                              << "Extension de fichier image inconnue (.PnG)";
    QTest::newRow("no extension") << "skin" << Bmp << TGraphicKind::None << "Extension de fichier image inconnue (.)";
    QTest::newRow("trailing dot") << "skin." << Bmp << TGraphicKind::None << "Extension de fichier image inconnue (.)";
    QTest::newRow("dot in the folder only") << "d.bmp/skin" << None << TGraphicKind::None
                                            << "Extension de fichier image inconnue (.)";
    QTest::newRow("last extension counts") << "skin.bmp.gz" << Bmp << TGraphicKind::None
                                           << "Extension de fichier image inconnue (.gz)";
    QTest::newRow("missing bitmap") << "absent.bmp" << None << TGraphicKind::None << "Impossible d'ouvrir le fichier <path>";
    QTest::newRow("missing JPEG") << "absent.jpeg" << None << TGraphicKind::None << "Impossible d'ouvrir le fichier <path>";
    QTest::newRow("missing metafile") << "absent.wmf" << None << TGraphicKind::None
                                      << "Impossible d'ouvrir le fichier <path>";
    QTest::newRow("Windows metafile") << "dessin.wmf" << QByteArray("\xD7\xCD\xC6\x9A") << TGraphicKind::None
                                      << QString::fromUtf8("Format de métafichier non pris en charge (.wmf)");
    QTest::newRow("enhanced metafile") << "dessin.EMF" << QByteArray("\x01\0\0\0", 4) << TGraphicKind::None
                                       << QString::fromUtf8("Format de métafichier non pris en charge (.EMF)");
}

void tst_Picture::fileNames()
{
    QFETCH(QString, Name);
    QFETCH(QByteArray, Content);
    QFETCH(TGraphicKind, Kind);
    QFETCH(QString, Error);
    const QString Path = Content.isNull() ? FDir->filePath(Name) : Write(Name, Content);
    TPicture Picture;
    QCOMPARE(LoadError(Picture, Path), QString(Error).replace("<path>", Path));
    QCOMPARE(Picture.Kind(), Kind);
}

void tst_Picture::jpeg_data()
{
    QTest::addColumn<QByteArray>("File");
    QTest::addColumn<int>("Width");
    QTest::addColumn<TColor>("Left");
    QTest::addColumn<TColor>("Right");

    if (!QImageWriter::supportedImageFormats().contains("jpeg")) {
        QSKIP("Qt's JPEG writer is not installed; it makes the test pictures");
    }
    QTest::newRow("colour") << Encoded(TwoColours(), "JPEG") << 32 << R << B;
    const QImage Grey = TwoColours(QImage::Format_Grayscale8);
    const int Light = qGray(Grey.pixel(0, 0)), Dark = qGray(Grey.pixel(31, 0));
    QTest::newRow("greyscale") << Encoded(Grey, "JPEG") << 32 << RGBColor(Light, Light, Light)
                               << RGBColor(Dark, Dark, Dark);
    QByteArray Ink; // inverted CMYK: 255 is no ink
    for (int X = 0; X < 16; ++X) {
        Ink += X < 8 ? Bytes({ 255, 0, 0, 255 }) : Bytes({ 0, 0, 255, 255 });
    }
    QTest::newRow("Adobe CMYK") << CmykJpeg(16, 1, Ink) << 16 << R << B;
}

void tst_Picture::jpeg()
{
    QFETCH(QByteArray, File);
    QFETCH(int, Width);
    QFETCH(TColor, Left);
    QFETCH(TColor, Right);
    TPicture Picture;
    Picture.LoadFromFile(FromQt(Write("photo.jpg", File)));
    QCOMPARE(Picture.Kind(), TGraphicKind::Jpeg);
    QVERIFY(Opaque(Picture.Image()));
    QCOMPARE(Picture.Width(), Width);
    QVERIFY2(Distance(Picture.Pixel(1, 0), Left) <= 8, qPrintable(QString::number(Picture.Pixel(1, 0), 16)));
    QVERIFY2(Distance(Picture.Pixel(Width - 2, 0), Right) <= 8, qPrintable(QString::number(Picture.Pixel(Width - 2, 0), 16)));
}

void tst_Picture::jpegWithHarmlessWarnings_data()
{
    QTest::addColumn<QByteArray>("File");
    if (!QImageWriter::supportedImageFormats().contains("jpeg")) {
        QSKIP("Qt's JPEG writer is not installed; it makes the test pictures");
    }
    const QByteArray Good = Encoded(TwoColours(), "JPEG");
    QByteArray BeforeTables = Good;
    BeforeTables.insert(Good.indexOf("\xFF\xDB"), QByteArray("\x00\x12garbage", 9));
    QTest::newRow("extraneous bytes before a marker") << BeforeTables;
    QTest::newRow("extraneous bytes before the end marker")
        << Good.chopped(2) + QByteArray(7, '\x55') + Good.right(2);
    QByteArray Revision = Good;
    QVERIFY(Revision.mid(6, 5) == QByteArray("JFIF\0", 5));
    Revision[11] = 3; // JFIF 3.01
    QTest::newRow("unknown JFIF revision") << Revision;
    QTest::newRow("unknown application marker")
        << Good.left(2) + QByteArray("\xFF\xE9\x00\x06" "abcd", 8) + Good.mid(2);
}

// Warnings about bytes libjpeg skipped around the picture data: the picture loads with
// exactly the pixels of the clean file.
void tst_Picture::jpegWithHarmlessWarnings()
{
    QFETCH(QByteArray, File);
    TPicture Picture;
    Picture.LoadFromFile(FromQt(Write("photo.jpg", File)));
    QCOMPARE(Picture.Image(), DecodeJpeg(BytesOf(Encoded(TwoColours(), "JPEG"))));
}

void tst_Picture::brokenJpegs_data()
{
    QTest::addColumn<QByteArray>("File");
    if (!QImageWriter::supportedImageFormats().contains("jpeg")) {
        QSKIP("Qt's JPEG writer is not installed; it makes the test pictures");
    }
    const QByteArray Good = Encoded(TwoColours(), "JPEG");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("not a JPEG") << QByteArray("Ceci n'est pas une image");
    QTest::newRow("bitmap bytes") << Direct(24, 1, 1, Rows({ Bytes({ 0, 0, 255 }) })).Bytes();
    QTest::newRow("markers only") << Good.left(Good.indexOf("\xFF\xDA"));
    QTest::newRow("cut in the tables") << Good.left(Good.indexOf("\xFF\xDA") / 2);
    const qsizetype Scan = Good.indexOf("\xFF\xDA");
    QTest::newRow("cut in the middle of the scan") << Good.left(Scan + (Good.size() - Scan) / 2);
    QTest::newRow("end marker missing") << Good.chopped(2);
    QByteArray Huge = Good;
    const qsizetype Frame = Huge.indexOf("\xFF\xC0");
    Huge[Frame + 5] = char(0xFF); // 65535 x 65535
    Huge[Frame + 6] = char(0xFF);
    Huge[Frame + 7] = char(0xFF);
    Huge[Frame + 8] = char(0xFF);
    QTest::newRow("65535 x 65535 declared") << Huge;
}

void tst_Picture::brokenJpegs()
{
    QFETCH(QByteArray, File);
    TPicture Picture;
    QCOMPARE(LoadError(Picture, Write("photo.jpeg", File)), QStringLiteral("Image JPEG incorrecte"));
    QVERIFY(Picture.Empty());
}

void tst_Picture::iconTakesTheLargestImage()
{
    TPicture Picture;
    Picture.LoadFromFile(FromQt(Write("app.ico", IconFile({ IconDib(2, 2, R), IconDib(4, 4, B), IconDib(3, 3, G) }, { 2, 4, 3 }))));
    QCOMPARE(Picture.Kind(), TGraphicKind::Icon);
    QCOMPARE(Picture.Width(), 4);
    QCOMPARE(Picture.Height(), 4);
    QCOMPARE(Picture.Pixel(3, 3), B);

    QImage Png(8, 6, QImage::Format_ARGB32);
    Png.fill(qRgb(255, 255, 0));
    Picture.LoadFromFile(FromQt(Write("png.ico", IconFile({ IconDib(2, 2, R), Encoded(Png, "PNG") }, { 2, 8 }))));
    QCOMPARE(Picture.Width(), 8);
    QCOMPARE(Picture.Pixel(7, 5), Y);

    Picture.LoadFromFile(FromQt(Write("qt.ICO", Encoded(TwoColours().scaled(32, 32), "ICO"))));
    QCOMPARE(Picture.Width(), 32);
    QCOMPARE(Picture.Pixel(31, 31), B);
}

void tst_Picture::iconImagesInFileOrder_data()
{
    QTest::addColumn<QByteArray>("File");
    QTest::addColumn<QList<int>>("Sides");
    QTest::addColumn<QList<quint32>>("TopLeft"); // 0xAARRGGBB, colour not premultiplied
    QImage Png(5, 5, QImage::Format_ARGB32);
    Png.fill(qRgba(200, 100, 50, 128));
    const QByteArray PngBytes = Encoded(Png, "PNG");
    // The picture's data cut after its header: the directory still takes it.
    const QByteArray CutPng = PngBytes.left(48);
    QTest::newRow("bitmaps, not sorted by size")
        << IconFile({ IconDib(2, 2, R), IconDib(4, 4, B), IconDib(3, 3, G) }, { 2, 4, 3 })
        << QList<int> { 2, 4, 3 } << QList<quint32> { 0xFFFF0000u, 0xFF0000FFu, 0xFF00FF00u };
    QTest::newRow("a half-transparent PNG after a bitmap")
        << IconFile({ IconDib(2, 2, R), PngBytes }, { 2, 5 }) << QList<int> { 2, 5 }
        << QList<quint32> { 0xFFFF0000u, 0x80C86432u };
    QTest::newRow("a broken PNG left out, the rest kept")
        << IconFile({ PngBytes, CutPng, IconDib(3, 3, G) }, { 5, 5, 3 }) << QList<int> { 5, 3 }
        << QList<quint32> { 0x80C86432u, 0xFF00FF00u };
}

// Every image that decodes, in the file's order, with its own alpha.
void tst_Picture::iconImagesInFileOrder()
{
    QFETCH(QByteArray, File);
    QFETCH(QList<int>, Sides);
    QFETCH(QList<quint32>, TopLeft);
    QList<int> GotSides;
    QList<quint32> GotTopLeft;
    for (const TBitmap32& Image : DecodeIconImages(BytesOf(File))) {
        GotSides << Image.Width();
        GotTopLeft << Image.Pixel(0, 0);
    }
    QCOMPARE(GotSides, Sides);
    QCOMPARE(GotTopLeft, TopLeft);
}

// Qt's icon reader is the reference for each image of an icon, except where it ignores
// the mask (24 bits, and 32 bits whose alpha is all zero, where the system draws through
// the mask): there the mask decides, over the colours Qt reads from Reference.
void tst_Picture::iconsAsQtReadsThem_data()
{
    QTest::addColumn<QByteArray>("File");
    QTest::addColumn<QByteArray>("Reference");
    QFile BuiltIn(QStringLiteral(VELUDOR_ASSETS "/builtin/veludor.ico"));
    QVERIFY(BuiltIn.open(QIODevice::ReadOnly));
    const QByteArray Icon = BuiltIn.readAll();
    QTest::newRow("the program's icon") << Icon << Icon;
    for (const int Bits : { 1, 4, 8, 32 }) {
        const QByteArray File = IconFile({ IconDibBits(Bits, 13, 13) }, { 13 }, 1, Bits);
        QTest::addRow("%d bits", Bits) << File << File;
    }
    QTest::newRow("24 bits: the mask")
        << IconFile({ IconDibBits(24, 13, 13) }, { 13 }, 1, 24) << QByteArray();
    QTest::newRow("32 bits, no alpha: the mask") << IconFile({ IconDibBits(32, 9, 9, 0) }, { 9 })
                                                 << IconFile({ IconDibBits(32, 9, 9, 255) }, { 9 });
}

void tst_Picture::iconsAsQtReadsThem()
{
    QFETCH(QByteArray, File);
    QFETCH(QByteArray, Reference);
    const bool MaskDecides = File != Reference;
    if (Reference.isEmpty()) {
        Reference = File;
    }
    QList<QImage> Ours;
    for (const TBitmap32& Image : DecodeIconImages(BytesOf(File))) {
        Ours << ToQt(Image);
    }
    for (int i = 0;; ++i) {
        QBuffer Buffer(&Reference);
        Buffer.open(QIODevice::ReadOnly);
        QImageReader Reader(&Buffer, "ico");
        QImage Theirs = Reader.jumpToImage(i) ? Reader.read() : QImage();
        if (Theirs.isNull()) {
            QCOMPARE(Ours.size(), i);
            break;
        }
        QVERIFY(i < Ours.size());
        Theirs.convertTo(QImage::Format_ARGB32);
        const int H = Theirs.height();
        for (int y = 0; MaskDecides && y < H; ++y) {
            for (int x = 0; x < Theirs.width(); ++x) {
                // IconDibBits's mask leaves every third pixel of its rows (stored from
                // the bottom up) transparent.
                const bool Masked = (x + H - 1 - y) % 3 == 0;
                Theirs.setPixel(x, y, Masked ? 0 : Theirs.pixel(x, y) | 0xFF000000u);
            }
        }
        // Qt's reader goes through premultiplied pixels: semi-transparent ones may come
        // back a unit off, so the premultiplied values are compared.
        QCOMPARE(Ours[i].convertToFormat(QImage::Format_ARGB32_Premultiplied),
            Theirs.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }
}

void tst_Picture::brokenIcons_data()
{
    QTest::addColumn<QByteArray>("File");
    const QByteArray Good = IconFile({ IconDib(2, 2, R) }, { 2 });
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("cursor type") << IconFile({ IconDib(2, 2, R) }, { 2 }, 2);
    QTest::newRow("no image") << IconFile({}, {});
    QTest::newRow("directory cut short") << Good.left(12);
    QTest::newRow("image cut short") << Good.chopped(1);
    QTest::newRow("5000 wide image") << IconFile({ IconDib(2, 2, R, 5000) }, { 2 });
    QTest::newRow("bitmap file bytes") << Direct(24, 1, 1, Rows({ Bytes({ 0, 0, 255 }) })).Bytes();
}

void tst_Picture::brokenIcons()
{
    QFETCH(QByteArray, File);
    TPicture Picture;
    QCOMPARE(LoadError(Picture, Write("app.ico", File)), QString::fromUtf8("Icône incorrecte"));
}

void tst_Picture::decodersSurviveDamagedFiles_data()
{
    QTest::addColumn<QByteArray>("File");
    QTest::addColumn<int>("Decoder"); // 0 bitmap, 1 JPEG, 2 icon

    QTest::newRow("8 bit bitmap") << Paletted(8, 5, 2, Rows({ Bytes({ 0, 1, 2, 3, 4 }), Bytes({ 5, 4, 3, 2, 1 }) })).Bytes() << 0;
    QTest::newRow("RLE8 bitmap")
        << Paletted(8, 4, 3, Bytes({ 3, 2, 0, 0, 0, 3, 1, 3, 4, 0, 0, 0, 0, 2, 2, 0, 2, 5, 0, 1 }), 1).Bytes() << 0;
    QTest::newRow("RLE4 bitmap")
        << Paletted(4, 5, 2, Bytes({ 3, 0x23, 2, 0x44, 0, 0, 0, 5, 0x12, 0x34, 0x50, 0, 0, 1 }), 2).Bytes() << 0;
    QTest::newRow("16 bit bit fields bitmap")
        << Direct(16, 2, 2, Bytes({ 0, 0xF8, 0xE0, 0x07, 0x1F, 0, 0, 4 }), { 0xF800, 0x07E0, 0x001F }, 108).Bytes() << 0;
    QTest::newRow("core bitmap") << Direct(24, 1, 1, Rows({ Bytes({ 0, 255, 0 }) }), {}, 12).Bytes() << 0;
    if (QImageWriter::supportedImageFormats().contains("jpeg")) {
        QTest::newRow("JPEG") << Encoded(TwoColours(), "JPEG") << 1;
    }
    QTest::newRow("icon") << IconFile({ IconDib(2, 2, R), IconDib(4, 4, B) }, { 2, 4 }) << 2;
}

void tst_Picture::decodersSurviveDamagedFiles()
{
    // Random bytes overwritten and random cuts: each decoder returns a picture or
    // throws its error, and never reads or writes out of bounds (the sanitizer build
    // checks that).
    QFETCH(QByteArray, File);
    QFETCH(int, Decoder);
    QRandomGenerator Random(quint32(File.size()) * 31 + quint32(Decoder));
    int Decoded = 0;
    for (int i = 0; i < 1500; ++i) {
        QByteArray Damaged = File;
        const int Changes = 1 + Random.bounded(4);
        for (int c = 0; c < Changes; ++c) {
            // Half of the changes hit the headers, where the sizes and offsets are.
            const int Span = int(Random.bounded(2) ? std::min<qsizetype>(Damaged.size(), 64) : Damaged.size());
            Damaged[Random.bounded(Span)] = char(Random.bounded(256));
        }
        if (Random.bounded(4) == 0) {
            Damaged.truncate(Random.bounded(int(Damaged.size())));
        }
        try {
            const QImage Image = Decoder == 0 ? ToQt(DecodeBitmap(BytesOf(Damaged)))
                : Decoder == 1                 ? ToQt(DecodeJpeg(BytesOf(Damaged)))
                                               : ToQt(DecodeIcon(BytesOf(Damaged)));
            QVERIFY(!Image.isNull());
            ++Decoded;
        } catch (const EInvalidGraphic&) {
        }
    }
    QVERIFY(Decoded > 0);
}

void tst_Picture::pixelOutsideIsInvalid_data()
{
    QTest::addColumn<int>("X");
    QTest::addColumn<int>("Y");
    QTest::addColumn<TColor>("Expected");
    QTest::newRow("inside, plain colour") << 2 << 1 << RGBColor(10, 20, 30);
    QTest::newRow("left of the image") << -1 << 0 << clInvalid;
    QTest::newRow("above the image") << 0 << -1 << clInvalid;
    QTest::newRow("right of the image") << 3 << 0 << clInvalid;
    QTest::newRow("below the image") << 0 << 2 << clInvalid;
}

void tst_Picture::pixelOutsideIsInvalid()
{
    QFETCH(int, X);
    QFETCH(int, Y);
    QFETCH(TColor, Expected);
    TPicture Picture;
    QCOMPARE(Picture.Pixel(0, 0), clInvalid);
    Picture.Assign(TBitmap32(3, 2, 0x000A141Eu)); // alpha does not count
    QCOMPARE(Picture.Pixel(X, Y), Expected);
}

void tst_Picture::assignKeepsTwoFormats()
{
    TPicture Picture;
    QVERIFY(Picture.Empty());
    QCOMPARE(Picture.Kind(), TGraphicKind::None);
    Picture.Assign(TBitmap32(2, 2, 0xFF102030u));
    QCOMPARE(Picture.Image(), TBitmap32(2, 2, 0xFF102030u));
    QCOMPARE(Picture.Kind(), TGraphicKind::Bitmap);
    Picture.Assign(TBitmap32(2, 2, 0x80102030u), TGraphicKind::Icon);
    QCOMPARE(Picture.Image(), TBitmap32(2, 2, 0x80102030u)); // its alpha kept as it is
    QCOMPARE(Picture.Kind(), TGraphicKind::Icon);
    Picture.Assign(TBitmap32());
    QVERIFY(Picture.Empty());
    QCOMPARE(Picture.Kind(), TGraphicKind::None);
    QCOMPARE(Picture.Width(), 0);
}

QTEST_MAIN(tst_Picture)
#include "tst_picture.moc"
