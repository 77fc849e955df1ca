#pragma once

#include <cstdint>
#include <functional>

// Basic value types shared by every layer.

// A colour: low byte red, then green, then blue. A high byte other than 0 marks a
// symbolic value (system colours, clNone) that never equals a pixel's colour.
using TColor = std::uint32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clGray = 0x808080;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clNone = 0x1FFFFFFF; // no colour at all
constexpr TColor clInvalid = 0xFFFFFFFF; // what a pixel read outside a picture reports
constexpr TColor clSystemColor = 0xFF000000; // system colours: clSystemColor | index
constexpr TColor clBtnFace = clSystemColor | 15;
constexpr TColor clWindowText = clSystemColor | 8;
constexpr TColor clWindowFrame = clSystemColor | 6;
constexpr TColor clBtnShadow = clSystemColor | 16;
constexpr TColor clBtnHighlight = clSystemColor | 20;
constexpr TColor cl3DDkShadow = clSystemColor | 21;
constexpr TColor cl3DLight = clSystemColor | 22;

constexpr TColor RGBColor(int r, int g, int b)
{
    return TColor(r & 0xFF) | (TColor(g & 0xFF) << 8) | (TColor(b & 0xFF) << 16);
}

class TObject {
public:
    virtual ~TObject() = default;
};

// One replaceable handler taking the sender, as the toolkit's events are.
using TNotifyEvent = std::function<void(TObject* Sender)>;

// A top-level window as the platform services name it. It is opaque here: behind it
// stands the windowing side's own window object (a QWidget on Qt's side, where
// qtconvert.h maps between the two; a window handle on Windows). Null names no window.
struct TWindowHandleTag;
using TWindowHandle = TWindowHandleTag*;

// An icon and a pop-up menu as the platform services take them, opaque in the same way
// (a QIcon and a QMenu on Qt's side). An icon handle is read during the call it is
// passed to: the service keeps a copy of the icon, as the Windows shell does.
struct TIconHandleTag;
using TIconHandle = TIconHandleTag*;
struct TMenuHandleTag;
using TMenuHandle = TMenuHandleTag*;

// A point in pixels.
struct TPoint {
    int X = 0;
    int Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

// A width and a height in pixels; empty when either is not positive.
struct TSize {
    int Width = 0;
    int Height = 0;
    bool IsEmpty() const { return Width <= 0 || Height <= 0; }
    friend bool operator==(const TSize&, const TSize&) = default;
};

// A rectangle by its edges, as the Windows API keeps them: Left and Top are its first
// column and row, Right and Bottom the first ones past it, so Width is Right - Left and
// two rectangles that touch share an edge value. Empty when it covers no pixel (an
// inverted rectangle too: Qt's rectangles of negative size come through as they are).
//
// From Qt's QRect (whose right() and bottom() are the last pixel inside): Left = x(),
// Top = y(), Right = x() + width(), Bottom = y() + height(); back, QRect(Left, Top,
// Width(), Height()). Both ways are exact, the null QRect() being TRect {0, 0, 0, 0}.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    static constexpr TRect FromSize(int X, int Y, int W, int H) { return { X, Y, X + W, Y + H }; }
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    TPoint TopLeft() const { return { Left, Top }; }
    TSize Size() const { return { Width(), Height() }; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    bool Contains(TPoint P) const
    {
        return P.X >= Left && P.X < Right && P.Y >= Top && P.Y < Bottom;
    }
    // The common part; empty (and then not to be read for its edges) when they do not meet.
    TRect Intersected(const TRect& Other) const;
    friend bool operator==(const TRect&, const TRect&) = default;
};

inline TRect TRect::Intersected(const TRect& Other) const
{
    return { Left > Other.Left ? Left : Other.Left, Top > Other.Top ? Top : Other.Top,
        Right < Other.Right ? Right : Other.Right, Bottom < Other.Bottom ? Bottom : Other.Bottom };
}
