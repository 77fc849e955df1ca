#pragma once

#include "toolkit/core/classes.h"

// Vertical place of the self-drawn check mark and caption (stored as 0, 1, 2).
enum class TTextLayout { tlTop, tlCenter, tlBottom };
// Horizontal place of the self-drawn check mark; the caption is aligned the same way
// (stored as 0, 1, 2).
enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

// How a transparent radio button lays out the face it draws itself. A persistent
// sub-object owned by the button and stored with it as TransparentOptions.WordWrap,
// TransparentOptions.Layout and TransparentOptions.CheckAlignment (always, there is no
// default to leave out).
//
// The fields are plain values: writing one repaints nothing, the button reads them at
// its next paint.
class TTransparentOptions : public TPersistent {
public:
    // Wrap the caption over several lines.
    bool WordWrap = false;
    TTextLayout Layout = TTextLayout::tlTop;
    TAlignment CheckAlignment = TAlignment::taLeftJustify;
};
