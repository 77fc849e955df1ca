#pragma once

#include "toolkit/core/classes.h"

#include <cstdint>
#include <functional>

// A pixel of the linked picture, (X, Y) from its top-left pixel, whose colour is to
// become the transparent colour; -1 in either field means no pixel is picked. Stored
// under the owning component as XYTransparentColor.X and .Y. Every write stores the
// value and then tells the owner through OnChange.
class TCoord : public TPersistent {
public:
    std::int32_t X() const { return FX; }
    std::int32_t Y() const { return FY; }
    void SetX(std::int32_t Value);
    void SetY(std::int32_t Value);

    // Bound by the owning component when it creates the object.
    std::function<void(TCoord* Sender)> OnChange;

private:
    void Changed();

    std::int32_t FX = 0;
    std::int32_t FY = 0;
};
