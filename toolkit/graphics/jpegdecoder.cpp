#include "toolkit/graphics/jpegdecoder.h"

#include "toolkit/graphics/graphicerror.h"

#include <bit>
#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE
#include <memory>
#include <new>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

namespace {

// A progressive picture may hold any number of scans, each costing a pass over the
// whole picture; real ones have about ten.
constexpr int MaxScans = 500;
// libjpeg's own working memory (coefficient buffers of progressive pictures).
constexpr long MaxDecoderMemory = 512L * 1024 * 1024;

// libjpeg reports errors through a callback that must not return. It jumps back into
// DecodeJpeg, which frees the decoder and throws; no C++ object lives in the libjpeg
// frames that the jump leaves.
struct TErrorManager {
    jpeg_error_mgr Pub; // first, so libjpeg's pointer to it is a pointer to the whole
    std::jmp_buf Jump;
};

void ErrorExit(j_common_ptr Info)
{
    std::longjmp(reinterpret_cast<TErrorManager*>(Info->err)->Jump, 1);
}

// Level -1 is a warning. Most are about corrupt or missing picture data (a truncated
// file among them), after which libjpeg would go on and paint grey; such a picture is
// refused. A few only say that something around the picture data was skipped, as
// cameras and editors leave it, and every image viewer shows those pictures: bytes
// before a marker that no marker claims, an unknown JFIF revision, a damaged colour
// profile (not used here). Those go on.
bool Harmless(int Code)
{
    return Code == JWRN_EXTRANEOUS_DATA || Code == JWRN_JFIF_MAJOR || Code == JWRN_BOGUS_ICC;
}

void EmitMessage(j_common_ptr Info, int Level)
{
    if (Level < 0 && !Harmless(Info->err->msg_code)) {
        ErrorExit(Info);
    }
}

void OutputMessage(j_common_ptr)
{
}

void ProgressMonitor(j_common_ptr Info)
{
    if (!Info->is_decompressor) {
        return;
    }
    if (reinterpret_cast<j_decompress_ptr>(Info)->input_scan_number > MaxScans) {
        ErrorExit(Info);
    }
}

// TBitmap32 holds 0xAARRGGBB words, that is B, G, R, A bytes on little-endian machines;
// libjpeg writes 255 in the alpha byte.
constexpr J_COLOR_SPACE Rgb32Space
    = std::endian::native == std::endian::little ? JCS_EXT_BGRA : JCS_EXT_ARGB;

// Everything the decoder touches lives on the heap, so that no local variable
// changes between setjmp and a longjmp.
struct TDecoder {
    jpeg_decompress_struct Info {};
    TErrorManager Error {};
    jpeg_progress_mgr Progress {};
    TBitmap32 Image;
    std::vector<JSAMPLE> Row;
};

} // namespace

TBitmap32 DecodeJpeg(std::span<const std::uint8_t> Data)
{
    const auto D = std::make_unique<TDecoder>();
    jpeg_decompress_struct* const Info = &D->Info;
    Info->err = jpeg_std_error(&D->Error.Pub);
    D->Error.Pub.error_exit = ErrorExit;
    D->Error.Pub.emit_message = EmitMessage;
    D->Error.Pub.output_message = OutputMessage;
    if (setjmp(D->Error.Jump)) {
        jpeg_destroy_decompress(Info);
        throw EInvalidGraphic(u"Image JPEG incorrecte");
    }
    jpeg_create_decompress(Info);
    Info->mem->max_memory_to_use = MaxDecoderMemory;
    D->Progress.progress_monitor = ProgressMonitor;
    Info->progress = &D->Progress;
    jpeg_mem_src(Info, Data.data(), static_cast<unsigned long>(Data.size()));
    jpeg_read_header(Info, TRUE);

    if (Info->image_width > MaxPictureSide || Info->image_height > MaxPictureSide
        || std::int64_t(Info->image_width) * Info->image_height >= MaxPicturePixels) {
        ErrorExit(reinterpret_cast<j_common_ptr>(Info));
    }
    const bool Cmyk = Info->jpeg_color_space == JCS_CMYK || Info->jpeg_color_space == JCS_YCCK;
    Info->out_color_space = Cmyk ? JCS_CMYK : Rgb32Space;
    jpeg_start_decompress(Info);

    // Within the bounds the pixels fit in memory; a machine short of it still gets the
    // decoder's own error, after libjpeg's memory is freed.
    bool Allocated = true;
    try {
        D->Image = TBitmap32(int(Info->output_width), int(Info->output_height));
    } catch (const std::bad_alloc&) {
        Allocated = false;
    }
    if (!Allocated) {
        ErrorExit(reinterpret_cast<j_common_ptr>(Info));
    }
    if (Cmyk) {
        D->Row.resize(size_t(Info->output_width) * 4);
    }
    while (Info->output_scanline < Info->output_height) {
        std::uint32_t* Line = D->Image.ScanLine(int(Info->output_scanline));
        JSAMPROW Target = Cmyk ? D->Row.data() : reinterpret_cast<JSAMPLE*>(Line);
        jpeg_read_scanlines(Info, &Target, 1);
        if (Cmyk) {
            // Adobe writes CMYK inverted (0 is full ink); the others write it plainly.
            std::uint32_t* Out = Line;
            for (JDIMENSION X = 0; X < Info->output_width; ++X) {
                int Ink[4];
                for (int i = 0; i < 4; ++i) {
                    const int V = D->Row[X * 4 + i];
                    Ink[i] = Info->saw_Adobe_marker ? V : 255 - V;
                }
                Out[X] = 0xFF000000u | std::uint32_t(Ink[0] * Ink[3] / 255) << 16
                    | std::uint32_t(Ink[1] * Ink[3] / 255) << 8
                    | std::uint32_t(Ink[2] * Ink[3] / 255);
            }
        }
    }
    jpeg_finish_decompress(Info);
    jpeg_destroy_decompress(Info);
    return std::move(D->Image);
}
