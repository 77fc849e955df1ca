// BuildRegion's pixel scan and union, side by side with Qt's mask path, on the built-in
// 220 x 100 skin and on a 1920 x 1080 picture with a complex outline.
//
//   OpaqueRegion      the scan used by BuildRegion: rows read from the bitmap's memory,
//                     equal rows merged into bands, the list handed over to a QRegion
//                     in one piece
//   UniteRunsInOrder  the same runs united into a QRegion one rectangle at a time, in
//                     scan order
//   PixelReadUnite    one pixel read per call (TPicture::Pixel, as a drawing surface
//                     reads it) and one union per rectangle
//   QtMaskPath        QImage::createMaskFromColor -> QBitmap -> QRegion
#include "components/shaped_window/opaqueregion.h"
#include "toolkit/graphics/picture.h"
#include "toolkit/qt/qtconvert.h"

#include <QBitmap>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

QImage BuiltinPicture()
{
    TPicture Picture;
    Picture.Assign(FromQt(QImage(QStringLiteral(VELUDOR_ASSETS "/builtin/image1.bmp"))));
    return ToQt(Picture.Image());
}

// A large skin-like picture on white: a rounded panel with round and square holes, a
// ring, rotated bars (diagonal edges), a star and lines of large text cut out of it or
// standing on the white. No anti-aliasing, so every edge is a hard pixel edge.
QImage ComplexPicture()
{
    QImage Image(1920, 1080, QImage::Format_RGB32);
    Image.fill(Qt::white);
    QPainter P(&Image);
    P.setRenderHint(QPainter::Antialiasing, false);
    P.setRenderHint(QPainter::TextAntialiasing, false);
    P.setPen(Qt::NoPen);

    QPainterPath Panel;
    Panel.addRoundedRect(QRectF(60, 60, 1800, 960), 180, 180);
    for (int i = 0; i < 7; ++i) {
        Panel.addEllipse(QPointF(260 + i * 230, 220), 70, 70);
        Panel.addRect(QRectF(200 + i * 230, 820, 90, 90));
    }
    P.setBrush(QColor(20, 30, 90));
    P.drawPath(Panel);

    P.setBrush(QColor(200, 40, 160));
    P.drawEllipse(QPointF(1500, 560), 260, 260);
    P.setBrush(Qt::white);
    P.drawEllipse(QPointF(1500, 560), 190, 190);

    for (int i = 0; i < 9; ++i) {
        P.save();
        P.translate(300 + i * 120, 560);
        P.rotate(15 + i * 17);
        P.setBrush(i % 2 ? QColor(Qt::white) : QColor(250, 200, 20));
        P.drawRect(QRectF(-25, -180, 50, 360));
        P.restore();
    }

    QPolygonF Star;
    for (int i = 0; i < 10; ++i) {
        const double Radius = i % 2 ? 60 : 150;
        const double Angle = i * 3.14159265358979 / 5;
        Star << QPointF(1750 + Radius * std::sin(Angle), 160 - Radius * std::cos(Angle));
    }
    P.setBrush(QColor(10, 160, 60));
    P.drawPolygon(Star);

    QFont Font;
    Font.setPixelSize(96);
    Font.setBold(true);
    Font.setStyleStrategy(QFont::NoAntialias);
    P.setFont(Font);
    P.setPen(Qt::white);
    P.drawText(
        QRect(120, 380, 1300, 140), Qt::AlignCenter, QStringLiteral("Réveil 07:05 — Horloge"));
    Font.setPixelSize(22);
    Font.setBold(false);
    P.setFont(Font);
    for (int Line = 0; Line < 8; ++Line) {
        P.drawText(QPoint(130, 620 + Line * 24),
            QStringLiteral("%1 — lundi 7 juillet, sonnerie à 07:05, arrêt du PC dans 30 s")
                .arg(Line));
    }
    Font.setPixelSize(110);
    Font.setBold(true);
    P.setFont(Font);
    P.setPen(QColor(30, 30, 30));
    P.drawText(
        QRect(0, 940, 1920, 140), Qt::AlignCenter, QStringLiteral("Chronomètre 12:34:56.789"));
    P.end();
    return Image;
}

const QImage& Picture(int Which)
{
    static const QImage Builtin = BuiltinPicture();
    static const QImage Complex = ComplexPicture();
    return Which == 0 ? Builtin : Complex;
}

constexpr TColor Transparent = clWhite;

QRegion UniteRunsInOrder(const QImage& Image)
{
    QRegion Region;
    for (const TRect& R : OpaqueRuns(FromQt(Image), Transparent)) {
        Region += ToQt(R);
    }
    return Region;
}

QRegion PixelReadUnite(const TPicture& Source)
{
    QRegion Region;
    const int W = Source.Width();
    for (int Row = 0; Row < Source.Height(); ++Row) {
        int Start = -1;
        for (int K = 0; K < W; ++K) {
            const bool Opaque = Source.Pixel(K, Row) != Transparent;
            if (Opaque && Start < 0) {
                Start = K;
            } else if (!Opaque && Start >= 0) {
                Region += QRect(Start, Row, K - Start, 1);
                Start = -1;
            }
        }
        if (Start >= 0) {
            Region += QRect(Start, Row, W - Start, 1);
        }
    }
    return Region;
}

// QRegion takes a bitmap's set pixels; with how QBitmap names its two colours, the mask
// made with MaskInColor is the one whose region is the pixels not of the colour, as
// SamePixels checks at start.
QRegion QtMaskPath(const QImage& Image)
{
    const QImage Mask = Image.createMaskFromColor(qRgb(255, 255, 255), Qt::MaskInColor);
    return QRegion(QBitmap::fromImage(Mask));
}

void SetCounters(benchmark::State& State, const QRegion& Region)
{
    State.counters["rects"] = double(Region.rectCount());
}

void BM_OpaqueRegion(benchmark::State& State)
{
    const TBitmap32 Bits = FromQt(Picture(int(State.range(0))));
    QRegion Region;
    for (auto _ : State) {
        Region = ToQt(OpaqueRegion(Bits, Transparent));
        benchmark::DoNotOptimize(Region);
    }
    SetCounters(State, Region);
}

void BM_UniteRunsInOrder(benchmark::State& State)
{
    const QImage& Image = Picture(int(State.range(0)));
    QRegion Region;
    for (auto _ : State) {
        Region = UniteRunsInOrder(Image);
        benchmark::DoNotOptimize(Region);
    }
    SetCounters(State, Region);
}

void BM_PixelReadUnite(benchmark::State& State)
{
    TPicture Source;
    Source.Assign(FromQt(Picture(int(State.range(0)))));
    QRegion Region;
    for (auto _ : State) {
        Region = PixelReadUnite(Source);
        benchmark::DoNotOptimize(Region);
    }
    SetCounters(State, Region);
}

void BM_QtMaskPath(benchmark::State& State)
{
    const QImage& Image = Picture(int(State.range(0)));
    QRegion Region;
    for (auto _ : State) {
        Region = QtMaskPath(Image);
        benchmark::DoNotOptimize(Region);
    }
    SetCounters(State, Region);
}

// Arg 0: the built-in 220 x 100 skin; arg 1: the 1920 x 1080 picture.
BENCHMARK(BM_OpaqueRegion)->ArgName("picture")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UniteRunsInOrder)->ArgName("picture")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PixelReadUnite)->ArgName("picture")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_QtMaskPath)->ArgName("picture")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Every way must cover the same pixels, or the figures compare different work.
bool SamePixels()
{
    bool Same = true;
    for (int Which : { 0, 1 }) {
        const QImage& Image = Picture(Which);
        TPicture Source;
        Source.Assign(FromQt(Image));
        const QRegion Reference = QtMaskPath(Image);
        for (const QRegion& Other :
            { ToQt(OpaqueRegion(FromQt(Image), Transparent)), UniteRunsInOrder(Image),
                PixelReadUnite(Source) }) {
            if (!(Reference ^ Other).isEmpty()) {
                std::fprintf(stderr, "picture %d: the regions differ\n", Which);
                Same = false;
            }
        }
        long Pixels = 0;
        for (const QRect& R : Reference) {
            Pixels += long(R.width()) * R.height();
        }
        std::fprintf(stderr,
            "picture %d: %dx%d, %ld opaque pixels in %zu runs; region of %zu rectangles (%d from "
            "Qt)\n",
            Which, Image.width(), Image.height(), Pixels, OpaqueRuns(FromQt(Image), Transparent).size(),
            OpaqueRegion(FromQt(Image), Transparent).Rects().size(), Reference.rectCount());
    }
    return Same;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication App(argc, argv); // QBitmap and text drawing need it
    if (!SamePixels()) {
        return EXIT_FAILURE;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return EXIT_SUCCESS;
}
