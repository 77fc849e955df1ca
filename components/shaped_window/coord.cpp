#include "components/shaped_window/coord.h"

void TCoord::SetX(qint32 Value)
{
    FX = Value;
    Changed();
}

void TCoord::SetY(qint32 Value)
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
