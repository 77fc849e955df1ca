#pragma once

#include "toolkit/core/bitmap32.h"
#include "toolkit/core/region.h"
#include "toolkit/core/types.h"

#include <vector>

// The opaque part of a picture: every pixel whose colour differs from one transparent
// colour. A colour with a high byte other than 0 (system colours, -1) equals no pixel,
// so the whole picture is opaque then. Alpha is not looked at.

// The opaque runs, row by row from the top, each row from the left: one rectangle per
// maximal run of opaque pixels, one pixel high, moved by Offset. This is the exact list
// the window's shape is made of; the region below covers the same pixels.
std::vector<TRect> OpaqueRuns(const TBitmap32& Image, TColor TransparentColor, TPoint Offset = {});

// The union of OpaqueRuns as a region, built in one pass over the rows. Rows whose runs
// are the same as the row above extend that row's rectangles downwards instead of adding
// new ones, so a picture with straight vertical edges costs one band per change of
// outline, not one per row. Empty when no pixel is opaque.
TRegion OpaqueRegion(const TBitmap32& Image, TColor TransparentColor, TPoint Offset = {});
