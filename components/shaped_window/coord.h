#pragma once

#include "toolkit/core/classes.h"

#include <functional>

// A pixel of the linked picture, (X, Y) from its top-left pixel, whose colour is to
// become the transparent colour; -1 in either field means no pixel is picked. Stored
// under the owning component as XYTransparentColor.X and .Y. Every write stores the
// value and then tells the owner through OnChange.
class TCoord : public TPersistent {
public:
    qint32 X() const { return FX; }
    qint32 Y() const { return FY; }
    void SetX(qint32 Value);
    void SetY(qint32 Value);

    // Bound by the owning component when it creates the object.
    std::function<void(TCoord* Sender)> OnChange;

private:
    void Changed();

    qint32 FX = 0;
    qint32 FY = 0;
};
