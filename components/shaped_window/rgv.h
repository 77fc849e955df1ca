#pragma once

#include "toolkit/core/classes.h"

#include <cstdint>
#include <functional>

// The transparent colour split into red, green and blue, stored under the owning
// component as RGVTransparentColor.R, .G and .B. Every write stores the value, equal to
// the old one or not, and then tells the owner through OnChange.
class TRGV : public TPersistent {
public:
    std::uint8_t R() const { return FR; }
    std::uint8_t G() const { return FG; }
    std::uint8_t B() const { return FB; }
    void SetR(std::uint8_t Value);
    void SetG(std::uint8_t Value);
    void SetB(std::uint8_t Value);

    // Bound by the owning component when it creates the object.
    std::function<void(TRGV* Sender)> OnChange;

private:
    void Changed();

    std::uint8_t FR = 0;
    std::uint8_t FG = 0;
    std::uint8_t FB = 0;
};
