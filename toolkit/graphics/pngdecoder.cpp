#include "toolkit/graphics/pngdecoder.h"

#include "toolkit/graphics/graphicerror.h"

#include <png.h>

#include <new>

namespace {

// Frees what libpng holds for the image at the end of the scope, on every path.
class TPngImage {
public:
    TPngImage() { FImage.version = PNG_IMAGE_VERSION; }
    TPngImage(const TPngImage&) = delete;
    TPngImage& operator=(const TPngImage&) = delete;
    ~TPngImage() { png_image_free(&FImage); }
    png_image& Get() { return FImage; }

private:
    png_image FImage {};
};

[[noreturn]] void Invalid()
{
    throw EInvalidGraphic(u"Image PNG incorrecte");
}

} // namespace

TBitmap32 DecodePng(std::span<const std::uint8_t> Data)
{
    if (Data.empty()) {
        Invalid();
    }
    TPngImage Png;
    png_image& Image = Png.Get();
    if (!png_image_begin_read_from_memory(&Image, Data.data(), Data.size())) {
        Invalid();
    }
    const std::int64_t Width = Image.width, Height = Image.height;
    if (Width <= 0 || Height <= 0 || Width > MaxPictureSide || Height > MaxPictureSide
        || Width * Height >= MaxPicturePixels) {
        Invalid();
    }
    // The bytes of TBitmap32's 0xAARRGGBB in the machine's order; 8-bit sRGB output keeps
    // the colours unpremultiplied.
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    Image.format = PNG_FORMAT_ARGB;
#else
    Image.format = PNG_FORMAT_BGRA;
#endif
    TBitmap32 Result;
    try {
        Result = TBitmap32(int(Width), int(Height));
    } catch (const std::bad_alloc&) {
        Invalid();
    }
    if (!png_image_finish_read(&Image, nullptr, Result.Bits(), Result.Stride(), nullptr)) {
        Invalid();
    }
    return Result;
}
