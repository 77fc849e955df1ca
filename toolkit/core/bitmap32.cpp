#include "toolkit/core/bitmap32.h"

TBitmap32::TBitmap32(int Width, int Height, std::uint32_t Fill)
{
    if (Width > 0 && Height > 0) {
        FWidth = Width;
        FHeight = Height;
        FPixels.assign(std::size_t(Width) * std::size_t(Height), Fill);
    }
}
