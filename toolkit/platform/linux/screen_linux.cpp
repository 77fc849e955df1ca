#include "toolkit/platform/screen.h"
#include "toolkit/platform/serviceslot.h"

#include <QGuiApplication>
#include <QScreen>

namespace {
class TQtScreenMetrics : public IScreenMetrics {
public:
    QSize PrimaryScreenSize() const override
    {
        const QScreen* S = QGuiApplication::primaryScreen();
        return S ? S->geometry().size() : QSize();
    }
    QRect VirtualScreen() const override
    {
        const QScreen* S = QGuiApplication::primaryScreen();
        return S ? S->virtualGeometry() : QRect();
    }
    QRect WorkArea() const override
    {
        const QScreen* S = QGuiApplication::primaryScreen();
        return S ? S->availableGeometry() : QRect();
    }
};
TQtScreenMetrics QtScreenMetrics;
TServiceSlot<IScreenMetrics> Slot(QtScreenMetrics);
}

IScreenMetrics& ScreenMetrics() { return Slot.Get(); }
void SetScreenMetrics(IScreenMetrics* Metrics) { Slot.Set(Metrics); }
