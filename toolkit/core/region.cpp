#include "toolkit/core/region.h"

#include <algorithm>

namespace {

// One horizontal stretch of a band: [Left, Right).
struct TSpan {
    int Left;
    int Right;
    friend bool operator==(const TSpan&, const TSpan&) = default;
};

struct TBand {
    int Top;
    int Bottom;
    std::vector<TSpan> Spans;
};

std::vector<TBand> BandsOf(const std::vector<TRect>& Rects)
{
    std::vector<TBand> Bands;
    for (const TRect& R : Rects) {
        if (Bands.empty() || Bands.back().Top != R.Top) {
            Bands.push_back({ R.Top, R.Bottom, {} });
        }
        Bands.back().Spans.push_back({ R.Left, R.Right });
    }
    return Bands;
}

bool Covers(const std::vector<TSpan>& Spans, int X)
{
    for (const TSpan& S : Spans) {
        if (X < S.Left) {
            return false;
        }
        if (X < S.Right) {
            return true;
        }
    }
    return false;
}

} // namespace

TRegion::TRegion(const TRect& Rect)
{
    if (!Rect.IsEmpty()) {
        FRects.push_back(Rect);
    }
}

TRegion TRegion::FromBands(std::vector<TRect> Rects)
{
    TRegion Result;
    Result.FRects = std::move(Rects);
    return Result;
}

TRect TRegion::BoundingRect() const
{
    if (FRects.empty()) {
        return {};
    }
    TRect Bounds = FRects.front();
    for (const TRect& R : FRects) {
        Bounds.Left = std::min(Bounds.Left, R.Left);
        Bounds.Right = std::max(Bounds.Right, R.Right);
    }
    Bounds.Bottom = FRects.back().Bottom;
    return Bounds;
}

bool TRegion::Contains(TPoint Point) const
{
    return std::any_of(
        FRects.begin(), FRects.end(), [&](const TRect& R) { return R.Contains(Point); });
}

TRegion TRegion::United(const TRegion& Other) const
{
    return Combined(Other, TOp::Union);
}
TRegion TRegion::Subtracted(const TRegion& Other) const
{
    return Combined(Other, TOp::Subtract);
}
TRegion TRegion::Intersected(const TRegion& Other) const
{
    return Combined(Other, TOp::Intersect);
}

TRegion TRegion::Translated(int DX, int DY) const
{
    TRegion Result = *this;
    for (TRect& R : Result.FRects) {
        R = { R.Left + DX, R.Top + DY, R.Right + DX, R.Bottom + DY };
    }
    return Result;
}

// Cuts the plane at every band edge of either region; in each slab between two cuts,
// cuts again at every span edge and keeps the pieces the operation keeps, joining
// neighbours. A slab whose spans equal those of the slab just above extends that band.
TRegion TRegion::Combined(const TRegion& Other, TOp Op) const
{
    const std::vector<TBand> A = BandsOf(FRects);
    const std::vector<TBand> B = BandsOf(Other.FRects);
    std::vector<int> Ys;
    for (const auto* Bands : { &A, &B }) {
        for (const TBand& Band : *Bands) {
            Ys.push_back(Band.Top);
            Ys.push_back(Band.Bottom);
        }
    }
    std::sort(Ys.begin(), Ys.end());
    Ys.erase(std::unique(Ys.begin(), Ys.end()), Ys.end());

    std::vector<TBand> Out;
    size_t NextA = 0;
    size_t NextB = 0;
    std::vector<int> Xs;
    std::vector<TSpan> Spans;
    const std::vector<TSpan> None;
    for (size_t i = 0; i + 1 < Ys.size(); ++i) {
        const int Top = Ys[i];
        const int Bottom = Ys[i + 1];
        while (NextA < A.size() && A[NextA].Bottom <= Top) {
            ++NextA;
        }
        while (NextB < B.size() && B[NextB].Bottom <= Top) {
            ++NextB;
        }
        const auto& InA = NextA < A.size() && A[NextA].Top <= Top ? A[NextA].Spans : None;
        const auto& InB = NextB < B.size() && B[NextB].Top <= Top ? B[NextB].Spans : None;
        Xs.clear();
        for (const auto* List : { &InA, &InB }) {
            for (const TSpan& S : *List) {
                Xs.push_back(S.Left);
                Xs.push_back(S.Right);
            }
        }
        std::sort(Xs.begin(), Xs.end());
        Xs.erase(std::unique(Xs.begin(), Xs.end()), Xs.end());
        Spans.clear();
        for (size_t k = 0; k + 1 < Xs.size(); ++k) {
            const bool InFirst = Covers(InA, Xs[k]);
            const bool InSecond = Covers(InB, Xs[k]);
            const bool Kept = Op == TOp::Union ? InFirst || InSecond
                : Op == TOp::Subtract          ? InFirst && !InSecond
                                               : InFirst && InSecond;
            if (!Kept) {
                continue;
            }
            if (!Spans.empty() && Spans.back().Right == Xs[k]) {
                Spans.back().Right = Xs[k + 1];
            } else {
                Spans.push_back({ Xs[k], Xs[k + 1] });
            }
        }
        if (Spans.empty()) {
            continue;
        }
        if (!Out.empty() && Out.back().Bottom == Top && Out.back().Spans == Spans) {
            Out.back().Bottom = Bottom;
        } else {
            Out.push_back({ Top, Bottom, Spans });
        }
    }

    TRegion Result;
    for (const TBand& Band : Out) {
        for (const TSpan& S : Band.Spans) {
            Result.FRects.push_back({ S.Left, Band.Top, S.Right, Band.Bottom });
        }
    }
    return Result;
}
