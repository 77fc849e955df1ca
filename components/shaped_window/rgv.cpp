#include "components/shaped_window/rgv.h"

void TRGV::SetR(std::uint8_t Value)
{
    FR = Value;
    Changed();
}

void TRGV::SetG(std::uint8_t Value)
{
    FG = Value;
    Changed();
}

void TRGV::SetB(std::uint8_t Value)
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
