#pragma once

#include "toolkit/core/types.h"

// Screen metrics: the primary screen's size, the virtual screen spanning every monitor
// and the primary work area (the screen less panels and docks).
class IScreenMetrics {
public:
    virtual ~IScreenMetrics() = default;
    virtual TSize PrimaryScreenSize() const = 0;
    virtual TRect VirtualScreen() const = 0;
    virtual TRect WorkArea() const = 0;
};

IScreenMetrics& ScreenMetrics();
void SetScreenMetrics(IScreenMetrics* Metrics);
