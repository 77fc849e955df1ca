#pragma once

#include "toolkit/core/types.h"

#include <vector>

// An area of the pixel grid as rectangles in y-x banded order, the form both Qt's
// QRegion and the Windows API's region data keep: the area is cut into horizontal bands,
// listed from the top; the rectangles of a band share its top and bottom and are listed
// from the left, none overlapping or touching another; and no two bands that touch one
// above the other hold the same spans (they are one band). Two regions covering the same
// pixels therefore have the same rectangles, so either side takes them as they are.
class TRegion {
public:
    TRegion() = default;
    // The rectangle's pixels; none for an empty rectangle.
    explicit TRegion(const TRect& Rect);
    // Takes rectangles that already are in banded order, as they are (they are not
    // checked): for code that produces them that way, row after row.
    static TRegion FromBands(std::vector<TRect> Rects);

    const std::vector<TRect>& Rects() const { return FRects; }
    bool IsEmpty() const { return FRects.empty(); }
    TRect BoundingRect() const;
    bool Contains(TPoint Point) const;

    TRegion United(const TRegion& Other) const;
    TRegion Subtracted(const TRegion& Other) const;
    TRegion Intersected(const TRegion& Other) const;
    TRegion Translated(int DX, int DY) const;

    friend bool operator==(const TRegion&, const TRegion&) = default;

private:
    enum class TOp { Union, Subtract, Intersect };
    TRegion Combined(const TRegion& Other, TOp Op) const;

    std::vector<TRect> FRects;
};
