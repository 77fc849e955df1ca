#include "components/shaped_window/rgv.h"

void TRGV::SetR(quint8 Value)
{
    FR = Value;
    Changed();
}

void TRGV::SetG(quint8 Value)
{
    FG = Value;
    Changed();
}

void TRGV::SetB(quint8 Value)
{
    FB = Value;
    Changed();
}

void TRGV::Changed()
{
    if (OnChange) {
        OnChange(this);
    }
}
