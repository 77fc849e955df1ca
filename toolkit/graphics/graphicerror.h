#pragma once

#include "toolkit/core/sysutils.h"

#include <cstdint>

// A picture file whose content or kind cannot be shown: unknown extension, broken
// bitmap, icon or JPEG data, unsupported metafile.
class EInvalidGraphic : public Exception {
public:
    using Exception::Exception;
};

// Bounds every decoder checks before it allocates pixels: no side above MaxPictureSide
// and fewer than MaxPicturePixels pixels, so that a picture's 32-bit pixels always
// take less than 256 MB.
constexpr std::int64_t MaxPictureSide = 16384;
constexpr std::int64_t MaxPicturePixels = 64 * 1024 * 1024;
