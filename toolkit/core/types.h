#pragma once

#include <QtGlobal>

#include <functional>

// Basic value types shared by every layer.

// A colour: low byte red, then green, then blue. A high byte other than 0 marks a
// symbolic value (system colours, clNone) that never equals a pixel's colour.
using TColor = quint32;

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
