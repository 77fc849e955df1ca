#pragma once

#include "toolkit/core/bitmap32.h"

#include <cstdint>
#include <span>

// Decodes the bytes of a Windows bitmap file into an opaque bitmap (every
// pixel's alpha 255). The headers
// are checked before any pixel memory is allocated; anything but a well-formed
// bitmap throws EInvalidGraphic with "Image bitmap incorrecte".
//
// Accepted: the core (12 bytes), info (40), V2 (52), V3 (56), V4 (108) and V5 (124)
// headers; 1, 4, 8 bits with a palette, 16 and 32 bits (default layout or bit fields),
// 24 bits; RLE8 and RLE4 compression; bottom-up and top-down rows (top-down only
// uncompressed). The alpha channel, colour spaces and profiles are ignored, as the
// system's own bitmap drawing ignores them.
TBitmap32 DecodeBitmap(std::span<const std::uint8_t> Data);
