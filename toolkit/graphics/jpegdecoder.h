#pragma once

#include "toolkit/core/bitmap32.h"

#include <cstdint>
#include <span>

// Decodes JPEG bytes into an opaque bitmap (greyscale, YCbCr, RGB and CMYK pictures):
// with libjpeg on Linux, with the Windows Imaging Component on Windows. Broken or
// truncated data, including what libjpeg only warns about, and pictures past the size
// bounds throw EInvalidGraphic with "Image JPEG incorrecte".
TBitmap32 DecodeJpeg(std::span<const std::uint8_t> Data);
