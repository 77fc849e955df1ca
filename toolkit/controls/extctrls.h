#pragma once

#include "toolkit/controls/controls.h"
#include "toolkit/core/bitmap32.h"
#include "toolkit/core/region.h"
#include "toolkit/graphics/picture.h"

class TWSGraphicControl;
class TWSTimer;

// A picture drawn at its top-left corner, one pixel per pixel. Auto-sized pictures take
// the size of what they hold; transparent ones leave out the colour of their bottom-left
// pixel (the white of our icons). Where a shown area is set, every picture held is drawn
// inside it only. It draws through a windowless window object of the widget set,
// painting only the parts of its face that show in the area asked for.
class TImage : public TGraphicControl {
public:
    explicit TImage(TComponent* AOwner);
    ~TImage() override;

    TPicture& Picture() { return FPicture; }
    const TPicture& Picture() const { return FPicture; }
    // Loads a file into the picture (the error of the loader escapes; the picture keeps
    // its content then) and resizes the control when AutoSize is on.
    void LoadFromFile(TStringView FileName);
    void SetImage(TBitmap32 Image);
    // Call after changing Picture() directly.
    void PictureChanged();

    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value);
    // The part of the control where pictures are drawn, in its own coordinates; pixels
    // outside it are drawn at alpha 0, in this picture and in every one loaded later. An
    // empty area shows the whole picture.
    const TRegion& ShownArea() const { return FShownArea; }
    void SetShownArea(const TRegion& Value);

    // The colour of a pixel read through the drawing surface: a picture without an image
    // first gets a blank bitmap of the control's size; a picture holding another kind of
    // image cannot be drawn on and raises. Outside the bitmap: clInvalid.
    TColor CanvasPixel(int X, int Y);

    // What is drawn on screen: the picture, with what is left out at alpha 0.
    const TBitmap32& Face() const { return FFaceIsPicture ? FPicture.Image() : FFace; }

    void WSPaint(IWSCanvas& Canvas, const TRect& Area) override;

private:
    void Rebuild();
    TPicture FPicture;
    // The face is the picture itself (nothing left out), so it is not copied.
    bool FFaceIsPicture = true;
    TBitmap32 FFace;
    // Every alpha of the face is 255: drawn without blending.
    bool FFaceOpaque = false;
    // The face's pixels that are drawn: its rectangle, within the shown area if one is set.
    TRegion FShownParts;
    bool FAutoSize = false;
    bool FTransparent = false;
    TRegion FShownArea;
};

// Ticks on the window thread every Interval milliseconds while Enabled. Changing the
// interval or Enabled restarts the count. Each tick runs OnTimer through the error box.
//
// A timer aligned to the second with an interval of 1000 ms ticks just after each second
// of the local clock instead (the first tick at the next boundary), sharing one wake-up
// with every other such timer (see TSecondBeat): a clock's face then changes with the
// second, not some fixed part of a second after it.
class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* AOwner);
    ~TTimer() override;

    int Interval() const { return FInterval; }
    void SetInterval(int Value);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    bool AlignedToSecond() const { return FAlignedToSecond; }
    void SetAlignedToSecond(bool Value);
    // Whether the timer ticks now (enabled, with an interval, not loading), and whether
    // it does so on the second beat.
    bool Ticking() const;
    bool TicksOnBeat() const { return FAlignedToSecond && FInterval == 1000 && Ticking(); }
    TNotifyEvent OnTimer;
    // Runs one tick now, as the timer would (tests drive timers this way).
    void Tick();
    void Loaded() override;

private:
    void Update();
    std::unique_ptr<TWSTimer> FTimer;
    int FInterval = 1000;
    bool FEnabled = true;
    bool FAlignedToSecond = false;
};
