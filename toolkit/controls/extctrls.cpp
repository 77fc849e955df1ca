#include "toolkit/controls/extctrls.h"

#include "toolkit/controls/forms.h"
#include "toolkit/controls/secondbeat.h"
#include "toolkit/widgetset/widgetset.h"

#include <algorithm>

namespace {
bool AllOpaque(const TBitmap32& Bitmap)
{
    const std::uint32_t* Pixels = Bitmap.Bits();
    return std::all_of(Pixels, Pixels + std::size_t(Bitmap.Width()) * std::size_t(Bitmap.Height()),
        [](std::uint32_t P) { return P >> 24 == 0xFF; });
}
}

TImage::TImage(TComponent* AOwner)
    : TGraphicControl(AOwner, WidgetSet().CreateGraphicControl(this))
{
    SetBounds(0, 0, 105, 105);
}

TImage::~TImage()
{
    // The window goes while the picture still stands: its paints read the face.
    DestroyWindowObject();
}

void TImage::LoadFromFile(TStringView FileName)
{
    FPicture.LoadFromFile(FileName);
    PictureChanged();
}

void TImage::SetImage(TBitmap32 Image)
{
    FPicture.Assign(std::move(Image), TGraphicKind::Bitmap);
    PictureChanged();
}

void TImage::PictureChanged()
{
    if (FAutoSize && !FPicture.Empty()) {
        SetBounds(Left(), Top(), FPicture.Width(), FPicture.Height());
    }
    Rebuild();
}

void TImage::SetAutoSize(bool Value)
{
    FAutoSize = Value;
    PictureChanged();
}

void TImage::SetTransparent(bool Value)
{
    FTransparent = Value;
    Rebuild();
}

TColor TImage::CanvasPixel(int X, int Y)
{
    if (FPicture.Empty()) {
        FPicture.Assign(TBitmap32(std::max(1, Width()), std::max(1, Height()), 0xFFFFFFFFu),
            TGraphicKind::Bitmap);
        Rebuild();
    } else if (FPicture.Kind() != TGraphicKind::Bitmap) {
        throw Exception(u"Seule une image contenant un bitmap peut être modifiée");
    }
    return FPicture.Pixel(X, Y);
}

void TImage::SetShownArea(const TRegion& Value)
{
    FShownArea = Value;
    Rebuild();
}

void TImage::Rebuild()
{
    const TBitmap32& Source = FPicture.Image();
    const TRegion Whole(TRect::FromSize(0, 0, Source.Width(), Source.Height()));
    FShownParts = FShownArea.IsEmpty() ? Whole : Whole.Intersected(FShownArea);
    if (Source.IsEmpty() || (!FTransparent && FShownArea.IsEmpty())) {
        FFaceIsPicture = true;
        FFace = TBitmap32();
        // Looked at once here, not at each paint: an opaque face is copied, not blended.
        FFaceOpaque = AllOpaque(Source);
        Invalidate();
        return;
    }
    FFaceIsPicture = false;
    FFaceOpaque = false;
    FFace = Source;
    if (FTransparent) {
        const std::uint32_t Key = FFace.Pixel(0, FFace.Height() - 1) | 0xFF000000u;
        for (int y = 0; y < FFace.Height(); ++y) {
            std::uint32_t* Line = FFace.ScanLine(y);
            for (int x = 0; x < FFace.Width(); ++x) {
                if ((Line[x] | 0xFF000000u) == Key) {
                    Line[x] = 0;
                }
            }
        }
    }
    // What lies outside the shown area is never drawn; it is cleared as well, so that
    // the face reads as what the screen shows.
    const TRegion Hidden = Whole.Subtracted(FShownParts);
    for (const TRect& R : Hidden.Rects()) {
        for (int y = R.Top; y < R.Bottom; ++y) {
            std::uint32_t* Line = FFace.ScanLine(y);
            std::fill(Line + R.Left, Line + R.Right, std::uint32_t(0));
        }
    }
    Invalidate();
}

void TImage::WSPaint(IWSCanvas& Canvas, const TRect& Area)
{
    const TBitmap32& Shown = Face();
    if (Shown.IsEmpty()) {
        return;
    }
    // With one rectangle to show (the common case: the whole picture) the part in the
    // area is drawn at once, without building a region.
    const std::vector<TRect>& Parts = FShownParts.Rects();
    if (Parts.size() == 1) {
        const TRect Part = Parts.front().Intersected(Area);
        if (!Part.IsEmpty()) {
            Canvas.DrawBitmap(Part.Left, Part.Top, Shown, Part, FFaceOpaque);
        }
        return;
    }
    const TRegion InArea = FShownParts.Intersected(TRegion(Area));
    for (const TRect& Part : InArea.Rects()) {
        Canvas.DrawBitmap(Part.Left, Part.Top, Shown, Part, FFaceOpaque);
    }
}

TTimer::TTimer(TComponent* AOwner)
    : TComponent(AOwner)
    , FTimer(WidgetSet().CreateTimer([this] { Tick(); }))
{
    Update();
}

TTimer::~TTimer()
{
    if (FAlignedToSecond) {
        TSecondBeat::Leave(this);
    }
}

void TTimer::SetAlignedToSecond(bool Value)
{
    if (Value == FAlignedToSecond) {
        return;
    }
    FAlignedToSecond = Value;
    if (Value) {
        TSecondBeat::Join(this);
    } else {
        TSecondBeat::Leave(this);
    }
    Update();
}

bool TTimer::Ticking() const
{
    return FEnabled && FInterval > 0 && !IsLoading() && !IsDesigning();
}

void TTimer::SetInterval(int Value)
{
    FInterval = Value;
    Update();
}

void TTimer::SetEnabled(bool Value)
{
    FEnabled = Value;
    Update();
}

void TTimer::Tick()
{
    Application->CallEvent(OnTimer, this);
}

void TTimer::Loaded()
{
    TComponent::Loaded();
    Update();
}

void TTimer::Update()
{
    if (FAlignedToSecond) {
        TSecondBeat::Changed();
    }
    // A stored timer starts once its form is loaded; an interval of 0 gives no ticks.
    if (Ticking() && !TicksOnBeat()) {
        // Not precise: the system may coalesce it with other wake-ups (whole-second timers
        // with the second's beat, so that the clock tick and the alarm watch wake the
        // program once a second, not twice).
        FTimer->Start(FInterval, false, false);
    } else {
        FTimer->Stop();
    }
}
