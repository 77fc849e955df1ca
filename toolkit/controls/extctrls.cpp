#include "toolkit/controls/extctrls.h"

#include "toolkit/controls/forms.h"
#include "toolkit/controls/secondbeat.h"
#include "toolkit/qt/qtconvert.h"
#include "toolkit/widgetset/qt/qtaccess.h"
#include "toolkit/widgetset/qt/qtwindow.h"

#include <algorithm>

#include <QPaintEvent>
#include <QPainter>
#include <QRegion>

namespace {
class TImageWidget : public QWidget {
public:
    explicit TImageWidget(TImage* AImage)
        : FImage(AImage)
    {
        // Presses go through to the parent window, which routes clicks to the picture.
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent* Event) override
    {
        const QImage& Face = FImage->Face();
        QPainter P(this);
        PaintInBands(Event->region().intersected(Face.rect()),
            [&](const QRect& Part) { P.drawImage(Part.topLeft(), Face, Part); });
    }

private:
    TImage* FImage;
};
}

TImage::TImage(TComponent* AOwner)
    : TGraphicControl(AOwner, QtAdoptWidget(new TImageWidget(this), this))
{
    SetBounds(0, 0, 105, 105);
}

void TImage::LoadFromFile(TStringView FileName)
{
    FPicture.LoadFromFile(ToQt(FileName));
    PictureChanged();
}

void TImage::SetImage(const QImage& Image)
{
    FPicture.Assign(Image, TGraphicKind::Bitmap);
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
        QImage Blank(std::max(1, Width()), std::max(1, Height()), QImage::Format_RGB32);
        Blank.fill(Qt::white);
        FPicture.Assign(Blank, TGraphicKind::Bitmap);
        Rebuild();
    } else if (FPicture.Kind() != TGraphicKind::Bitmap) {
        throw Exception(u"Seule une image contenant un bitmap peut être modifiée");
    }
    return FPicture.Pixel(X, Y);
}

void TImage::SetShownArea(const QRegion& Value)
{
    FShownArea = Value;
    Rebuild();
}

void TImage::Rebuild()
{
    const QImage& Source = FPicture.Image();
    if (Source.isNull() || (!FTransparent && FShownArea.isEmpty())) {
        FFace = Source;
        Invalidate();
        return;
    }
    FFace = Source.convertToFormat(QImage::Format_ARGB32);
    if (FTransparent) {
        const QRgb Key = FFace.pixel(0, FFace.height() - 1) | 0xFF000000u;
        for (int y = 0; y < FFace.height(); ++y) {
            auto* Line = reinterpret_cast<QRgb*>(FFace.scanLine(y));
            for (int x = 0; x < FFace.width(); ++x) {
                if ((Line[x] | 0xFF000000u) == Key) {
                    Line[x] = 0;
                }
            }
        }
    }
    if (!FShownArea.isEmpty()) {
        // Cleared span by span rather than by a painter, which would hand a fill of this
        // size to Qt's thread pool (see PaintInBands).
        for (const QRect& R : QRegion(FFace.rect()).subtracted(FShownArea)) {
            for (int y = R.top(); y <= R.bottom(); ++y) {
                auto* Line = reinterpret_cast<QRgb*>(FFace.scanLine(y));
                std::fill(Line + R.left(), Line + R.left() + R.width(), QRgb(0));
            }
        }
    }
    Invalidate();
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
