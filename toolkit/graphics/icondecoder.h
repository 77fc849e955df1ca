#pragma once

#include "toolkit/core/bitmap32.h"

#include <cstdint>
#include <span>
#include <vector>

// Decodes the images of an icon file (.ico), in the file's order, with their alpha:
// bitmap images by the toolkit's own bitmap decoder with their mask or alpha, PNG images
// by the PNG decoder. The directory and each image's header are checked first; an image
// that does not decode is left out. A broken icon, or one with no image that decodes,
// throws EInvalidGraphic with "Icône incorrecte".
std::vector<TBitmap32> DecodeIconImages(std::span<const std::uint8_t> Data);

// The largest of the icon's images (the first of equal ones).
TBitmap32 DecodeIcon(std::span<const std::uint8_t> Data);
