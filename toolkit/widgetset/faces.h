#pragma once

#include "toolkit/widgetset/widgetset.h"

#include <algorithm>

// The faces the layouts name whose stand-ins are drawn otherwise than asked, the same on
// every window system.
//
// Our seven-segment face draws its digits taller (0.98 em) and wider (0.82 em) than the
// face the layouts were designed with (about 0.7 and 0.5 em): drawn at 0.70 of the
// asked height and narrowed to 88 %, "00" at 63 pixels keeps its 64 x 63 box. Its line
// is measured as the asked height, nine tenths of it above the base line, so labels
// keep the layouts' sizes whatever the face's own leading.
inline bool IsDigitFace(const TFont& Font)
{
    return Font.Name == u"DS-Digital";
}
inline constexpr double DigitHeightScale = 0.70;
inline constexpr int DigitStretchPercent = 88;
inline constexpr double DigitAscentShare = 0.9;

inline int DigitDrawnHeight(const TFont& Font)
{
    return std::max(1, int(Font.Height * DigitHeightScale + 0.5));
}
inline TTextMetrics DigitMetrics(const TFont& Font)
{
    TTextMetrics M;
    M.Height = Font.Height;
    M.Ascent = int(Font.Height * DigitAscentShare + 0.5);
    M.Descent = M.Height - M.Ascent;
    return M;
}

// A titling face has capitals only: its small letters are drawn as small capitals, the
// capital at seven tenths of the height (Qt's own small capitals; GDI has none and draws
// them so).
inline bool IsTitlingFace(const TFont& Font)
{
    return Font.Name == u"Felix Titling";
}
inline constexpr double SmallCapitalScale = 0.7;
