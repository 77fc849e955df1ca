#include "toolkit/controls/imglist.h"

#include <algorithm>

namespace {

// Image scaled to Width × Height by area averaging: each target pixel is the mean of the
// source pixels it covers, weighted by how much of each it covers, with the colours
// weighted by their alpha so that transparent pixels give no colour to their neighbours.
TBitmap32 Scaled(const TBitmap32& Image, int Width, int Height)
{
    TBitmap32 Result(Width, Height);
    const double SX = double(Image.Width()) / Width, SY = double(Image.Height()) / Height;
    for (int Y = 0; Y < Height; ++Y) {
        const double Top = Y * SY, Bottom = std::min((Y + 1) * SY, double(Image.Height()));
        for (int X = 0; X < Width; ++X) {
            const double Left = X * SX, Right = std::min((X + 1) * SX, double(Image.Width()));
            double A = 0, R = 0, G = 0, B = 0, Area = 0;
            for (int J = int(Top); J < Bottom; ++J) {
                const double WY = std::min(Bottom, J + 1.0) - std::max(Top, double(J));
                for (int I = int(Left); I < Right; ++I) {
                    const double W = WY * (std::min(Right, I + 1.0) - std::max(Left, double(I)));
                    const std::uint32_t P = Image.Pixel(I, J);
                    const double PA = (P >> 24) * W;
                    A += PA;
                    R += (P >> 16 & 0xFF) * PA;
                    G += (P >> 8 & 0xFF) * PA;
                    B += (P & 0xFF) * PA;
                    Area += W;
                }
            }
            if (A > 0) {
                const auto Channel
                    = [](double V) { return std::uint32_t(std::clamp(V + 0.5, 0.0, 255.0)); };
                Result.SetPixel(X, Y,
                    Channel(A / Area) << 24 | Channel(R / A) << 16 | Channel(G / A) << 8
                        | Channel(B / A));
            }
        }
    }
    return Result;
}

} // namespace

TImageList::TImageList(TComponent* AOwner)
    : TComponent(AOwner)
{
}

void TImageList::SetSize(int AWidth, int AHeight)
{
    AWidth = std::max(1, AWidth);
    AHeight = std::max(1, AHeight);
    if (AWidth == FWidth && AHeight == FHeight) {
        return;
    }
    FWidth = AWidth;
    FHeight = AHeight;
    Clear();
}

int TImageList::Add(const TBitmap32& Image)
{
    if (Image.IsEmpty()) {
        return -1;
    }
    FImages.push_back(Image.Width() == FWidth && Image.Height() == FHeight
            ? Image
            : Scaled(Image, FWidth, FHeight));
    return Count() - 1;
}

void TImageList::Clear()
{
    FImages.clear();
}

void TImageList::GetIcon(int Index, TIcon& Icon) const
{
    Icon.Clear();
    if (Index >= 0 && Index < Count()) {
        Icon.Add(FImages[size_t(Index)]);
    }
}
