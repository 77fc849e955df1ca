#pragma once

#include "toolkit/core/bitmap32.h"

#include <cstdint>
#include <span>

// Decodes PNG bytes (the images an icon file may hold) into a bitmap with its alpha, not
// premultiplied: with libpng on Linux, with the Windows Imaging Component on Windows.
// The size is checked against the picture bounds before any pixel memory is allocated;
// broken or truncated data throws EInvalidGraphic with "Image PNG incorrecte".
TBitmap32 DecodePng(std::span<const std::uint8_t> Data);
