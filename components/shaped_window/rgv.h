#pragma once

#include "toolkit/core/classes.h"

#include <functional>

// The transparent colour split into red, green and blue, stored under the owning
// component as RGVTransparentColor.R, .G and .B. Every write stores the value, equal to
// the old one or not, and then tells the owner through OnChange.
class TRGV : public TPersistent {
public:
    quint8 R() const { return FR; }
    quint8 G() const { return FG; }
    quint8 B() const { return FB; }
    void SetR(quint8 Value);
    void SetG(quint8 Value);
    void SetB(quint8 Value);

    // Bound by the owning component when it creates the object.
    std::function<void(TRGV* Sender)> OnChange;

private:
    void Changed();

    quint8 FR = 0;
    quint8 FG = 0;
    quint8 FB = 0;
};
