#pragma once

#include "toolkit/core/types.h"

#include <optional>
#include <vector>

// The space a window manager reserves along an edge of the desktop for a panel or dock
// (EWMH _NET_WM_STRUT_PARTIAL): a thickness from that edge and the stretch of the edge it
// covers, in the desktop's pixels.
struct TStrut {
    enum TEdge { Left, Right, Top, Bottom };
    TEdge Edge = Bottom;
    int Thickness = 0;
    int Start = 0; // first covered pixel along the edge
    int End = 0; // last covered pixel along the edge
};

// The part of the primary monitor that windows may use, in the desktop's pixels.
//
// The window manager publishes one work area for the whole desktop (_NET_WORKAREA). Where
// it leaves some edge of it inside the desktop, that edge is taken as the panels' limit and
// the area is cut to the primary monitor. Where it is missing or spans the whole desktop
// (window managers do that when panels stand on inner edges, between monitors), the
// primary monitor is cut by the struts that reach into it instead.
TRect PrimaryWorkArea(const TRect& Primary, const TRect& Desktop,
    const std::optional<TRect>& DesktopWorkArea, const std::vector<TStrut>& Struts);
