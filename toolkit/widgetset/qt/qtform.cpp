#include "toolkit/widgetset/qt/qtwidgetset.h"
#include "toolkit/widgetset/qt/qtwindow.h"

#include <QCloseEvent>
#include <QHideEvent>
#include <QShowEvent>

namespace {
// A top-level window: the model paints it (unless it is see-through, where only its
// controls draw) and answers its close requests; Tab goes to the model first, which
// moves the focus in layout order.
class TQtFormWidget : public TQtPaintedWidget {
public:
    using TQtPaintedWidget::TQtPaintedWidget;

protected:
    void paintEvent(QPaintEvent* E) override
    {
        if (!testAttribute(Qt::WA_TranslucentBackground)) {
            TQtPaintedWidget::paintEvent(E);
        }
    }

    void closeEvent(QCloseEvent* E) override
    {
        TMessage M { WM_CLOSE, 0, 0, 1 };
        if (FControl->Client()) {
            FControl->Client()->WSMessage(M);
        }
        if (M.Result != 0) {
            E->accept();
        } else {
            E->ignore();
        }
    }

    bool focusNextPrevChild(bool Next) override
    {
        // WParam VK_TAB, LParam 1 for Shift+Tab.
        return SendToClient(FControl, WM_KEYDOWN, VK_TAB, Next ? 0 : 1)
            || QWidget::focusNextPrevChild(Next);
    }

    void showEvent(QShowEvent* E) override
    {
        QWidget::showEvent(E);
        // A window the program shows, not one the window manager maps again.
        SendToClient(FControl, WM_SHOWWINDOW, 1, E->spontaneous() ? 1 : 0);
    }

    void hideEvent(QHideEvent* E) override
    {
        QWidget::hideEvent(E);
        // Hidden by the program or minimised, as Windows tells it.
        SendToClient(FControl, WM_SHOWWINDOW, 0, E->spontaneous() ? 1 : 0);
    }

    void changeEvent(QEvent* E) override
    {
        QWidget::changeEvent(E);
        if (E->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized)) {
            SendToClient(FControl, WM_SIZE, SIZE_MINIMIZED, MakeLParam(width(), height()));
        }
    }

    void moveEvent(QMoveEvent* E) override
    {
        QWidget::moveEvent(E);
        ReportBounds();
    }

    void resizeEvent(QResizeEvent* E) override
    {
        QWidget::resizeEvent(E);
        ReportBounds();
    }

private:
    void ReportBounds()
    {
        if (FControl->Client()) {
            const QPoint At = frameGeometry().topLeft();
            FControl->Client()->WSBoundsChanged(TRect::FromSize(At.x(), At.y(), width(), height()));
        }
    }
};

class TQtForm : public TQtControl<TWSForm> {
public:
    explicit TQtForm(IWSClient* AClient)
        : TQtControl<TWSForm>(AClient, new TQtFormWidget(this))
    {
        FWidget->setAttribute(Qt::WA_DeleteOnClose, false);
        FWidget->setMouseTracking(true);
    }

    void SetParent(TWSControl*, TWSControl*) override { } // always top-level
    void SetBounds(const TRect& Bounds) override
    {
        if (FFixed) {
            FWidget->setFixedSize(Bounds.Width(), Bounds.Height());
        } else {
            FWidget->resize(Bounds.Width(), Bounds.Height());
        }
        FWidget->move(Bounds.Left, Bounds.Top);
    }
    void SetCaption(TStringView Caption) override { FWidget->setWindowTitle(ToQt(Caption)); }
    void SetStyle(TWSBorder Border, bool StayOnTop, bool FixedSize) override
    {
        Qt::WindowFlags Flags = Qt::Window;
        switch (Border) {
        case TWSBorder::None:
            Flags |= Qt::FramelessWindowHint;
            break;
        case TWSBorder::Dialog:
            Flags |= Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;
            break;
        case TWSBorder::Sizeable:
            break;
        }
        if (StayOnTop) {
            Flags |= Qt::WindowStaysOnTopHint;
        }
        const bool WasVisible = FWidget->isVisible();
        FWidget->setWindowFlags(Flags);
        FFixed = FixedSize;
        if (FixedSize) {
            FWidget->setFixedSize(FWidget->size());
        } else {
            FWidget->setMinimumSize(0, 0);
            FWidget->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        }
        if (WasVisible) {
            FWidget->show();
        }
    }
    void SetColor(TColor) override { FWidget->update(); }
    TSize ClientSize() const override { return FromQt(FWidget->size()); }
    TSize OuterSize() const override { return FromQt(FWidget->frameGeometry().size()); }
    void ShowMinimized() override { FWidget->showMinimized(); }
    bool IsMinimized() const override { return FWidget->windowState() & Qt::WindowMinimized; }
    void Restore() override
    {
        FWidget->setWindowState(FWidget->windowState() & ~Qt::WindowMinimized);
    }
    void HandleNeeded() override { FWidget->winId(); }
    void BringToFront() override
    {
        FWidget->raise();
        FWidget->activateWindow();
    }
    void Close() override { FWidget->close(); }
    void SetShape(const TRegion& Shape) override
    {
        if (Shape.IsEmpty()) {
            FWidget->clearMask();
        } else {
            FWidget->setMask(ToQt(Shape));
        }
    }
    void SetTranslucent(bool Value) override
    {
        // Chosen before the native window exists: Qt cannot change it afterwards.
        if (!FWidget->testAttribute(Qt::WA_WState_Created)) {
            FWidget->setAttribute(Qt::WA_TranslucentBackground, Value);
        }
    }
    TWindowHandle Handle() const override { return HandleOf(FWidget); }

private:
    bool FFixed = false;
};
}

std::unique_ptr<TWSForm> TQtWidgetSet::CreateForm(IWSClient* Client)
{
    return std::make_unique<TQtForm>(Client);
}
