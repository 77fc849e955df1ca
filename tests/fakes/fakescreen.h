#pragma once

#include "toolkit/platform/screen.h"
#include "toolkit/qt/qtconvert.h"

// Screen metrics a test chooses: one 1920 x 1080 monitor with a 40-pixel panel at the
// bottom unless changed. Installs itself on construction, puts the real ones back on
// destruction.
class TFakeScreen : public IScreenMetrics {
public:
    TFakeScreen() { SetScreenMetrics(this); }
    ~TFakeScreen() override { SetScreenMetrics(nullptr); }
    TSize PrimaryScreenSize() const override { return FromQt(Primary); }
    TRect VirtualScreen() const override { return FromQt(Virtual); }
    TRect WorkArea() const override { return FromQt(Work); }
    QSize Primary { 1920, 1080 };
    QRect Virtual { 0, 0, 1920, 1080 };
    QRect Work { 0, 0, 1920, 1040 };
};
