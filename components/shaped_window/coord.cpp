#include "components/shaped_window/coord.h"

void TCoord::SetX(std::int32_t Value)
{
    FX = Value;
    Changed();
}

void TCoord::SetY(std::int32_t Value)
{
    FY = Value;
    Changed();
}

void TCoord::Changed()
{
    if (OnChange) {
        OnChange(this);
    }
}
