#include "toolkit/platform/workarea.h"

#include <algorithm>

namespace {

// The rectangle a strut reserves, in desktop pixels.
QRect StrutRect(const TStrut& S, const QRect& Desktop)
{
    const int Length = S.End - S.Start + 1;
    switch (S.Edge) {
    case TStrut::Left:
        return QRect(Desktop.left(), S.Start, S.Thickness, Length);
    case TStrut::Right:
        return QRect(Desktop.right() + 1 - S.Thickness, S.Start, S.Thickness, Length);
    case TStrut::Top:
        return QRect(S.Start, Desktop.top(), Length, S.Thickness);
    case TStrut::Bottom:
        return QRect(S.Start, Desktop.bottom() + 1 - S.Thickness, Length, S.Thickness);
    }
    return QRect();
}

}

QRect PrimaryWorkArea(const QRect& Primary, const QRect& Desktop,
    const std::optional<QRect>& DesktopWorkArea, const std::vector<TStrut>& Struts)
{
    if (DesktopWorkArea && !DesktopWorkArea->isEmpty() && *DesktopWorkArea != Desktop) {
        const QRect Area = Primary & *DesktopWorkArea;
        if (!Area.isEmpty()) {
            return Area;
        }
    }
    int Left = Primary.left();
    int Top = Primary.top();
    int Right = Primary.right();
    int Bottom = Primary.bottom();
    for (const TStrut& S : Struts) {
        if (S.Thickness <= 0 || S.End < S.Start) {
            continue;
        }
        const QRect Reserved = StrutRect(S, Desktop) & Primary;
        if (Reserved.isEmpty()) {
            continue;
        }
        switch (S.Edge) {
        case TStrut::Left:
            Left = std::max(Left, Reserved.right() + 1);
            break;
        case TStrut::Right:
            Right = std::min(Right, Reserved.left() - 1);
            break;
        case TStrut::Top:
            Top = std::max(Top, Reserved.bottom() + 1);
            break;
        case TStrut::Bottom:
            Bottom = std::min(Bottom, Reserved.top() - 1);
            break;
        }
    }
    const QRect Area(QPoint(Left, Top), QPoint(Right, Bottom));
    return Area.isValid() ? Area : Primary;
}
