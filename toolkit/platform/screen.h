#pragma once

#include <QRect>

// Screen metrics: the primary screen's size, the virtual screen spanning every monitor
// and the primary work area (the screen less panels and docks).
class IScreenMetrics {
public:
    virtual ~IScreenMetrics() = default;
    virtual QSize PrimaryScreenSize() const = 0;
    virtual QRect VirtualScreen() const = 0;
    virtual QRect WorkArea() const = 0;
};

IScreenMetrics& ScreenMetrics();
void SetScreenMetrics(IScreenMetrics* Metrics);
