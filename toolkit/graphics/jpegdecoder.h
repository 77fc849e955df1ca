#pragma once

#include "toolkit/core/bitmap32.h"

#include <cstdint>
#include <span>

// Decodes JPEG bytes with libjpeg into an opaque bitmap (greyscale, YCbCr, RGB and
// CMYK pictures). Broken or truncated data, including what libjpeg only warns about,
// and pictures past the size bounds throw EInvalidGraphic with "Image JPEG incorrecte".
TBitmap32 DecodeJpeg(std::span<const std::uint8_t> Data);
