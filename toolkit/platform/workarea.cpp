#include "toolkit/platform/workarea.h"

#include <algorithm>

namespace {

// The rectangle a strut reserves, in desktop pixels.
TRect StrutRect(const TStrut& S, const TRect& Desktop)
{
    const int Length = S.End - S.Start + 1;
    switch (S.Edge) {
    case TStrut::Left:
        return TRect::FromSize(Desktop.Left, S.Start, S.Thickness, Length);
    case TStrut::Right:
        return TRect::FromSize(Desktop.Right - S.Thickness, S.Start, S.Thickness, Length);
    case TStrut::Top:
        return TRect::FromSize(S.Start, Desktop.Top, Length, S.Thickness);
    case TStrut::Bottom:
        return TRect::FromSize(S.Start, Desktop.Bottom - S.Thickness, Length, S.Thickness);
    }
    return {};
}

}

TRect PrimaryWorkArea(const TRect& Primary, const TRect& Desktop,
    const std::optional<TRect>& DesktopWorkArea, const std::vector<TStrut>& Struts)
{
    if (DesktopWorkArea && !DesktopWorkArea->IsEmpty() && *DesktopWorkArea != Desktop) {
        const TRect Area = Primary.Intersected(*DesktopWorkArea);
        if (!Area.IsEmpty()) {
            return Area;
        }
    }
    TRect Area = Primary;
    for (const TStrut& S : Struts) {
        if (S.Thickness <= 0 || S.End < S.Start) {
            continue;
        }
        const TRect Reserved = StrutRect(S, Desktop).Intersected(Primary);
        if (Reserved.IsEmpty()) {
            continue;
        }
        switch (S.Edge) {
        case TStrut::Left:
            Area.Left = std::max(Area.Left, Reserved.Right);
            break;
        case TStrut::Right:
            Area.Right = std::min(Area.Right, Reserved.Left);
            break;
        case TStrut::Top:
            Area.Top = std::max(Area.Top, Reserved.Bottom);
            break;
        case TStrut::Bottom:
            Area.Bottom = std::min(Area.Bottom, Reserved.Top);
            break;
        }
    }
    return Area.IsEmpty() ? Primary : Area;
}
