#pragma once

#include "toolkit/qt/qtconvert.h"
#include "toolkit/widgetset/qt/qtfont.h"
#include "toolkit/widgetset/widgetset.h"

#include <QApplication>
#include <QObject>
#include <QPointer>
#include <QWidget>

// What every window object of the Qt widget set holds: its widget, owned by it.
class TQtHandle {
public:
    virtual ~TQtHandle() = default;
    QWidget* Widget() const { return FWidget; }

protected:
    QPointer<QWidget> FWidget;
};

// Turns a widget's input into the model's messages (mouse, keys, focus, the context menu
// request) and lets the model swallow what it handles.
class TQtMessageFilter : public QObject {
public:
    explicit TQtMessageFilter(IWSClient* AClient, QObject* AParent = nullptr)
        : QObject(AParent)
        , FClient(AClient)
    {
    }
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    IWSClient* FClient;
};

// Sends a message to the model; true when the model handled it.
bool SendToClient(
    IWSClient* Client, std::uint32_t Msg, std::uintptr_t WParam = 0, std::intptr_t LParam = 0);
inline bool SendToClient(
    TWSControl* Control, std::uint32_t Msg, std::uintptr_t WParam = 0, std::intptr_t LParam = 0)
{
    return SendToClient(Control->Client(), Msg, WParam, LParam);
}
// A WM_COMMAND notification with its code in WParam's high word.
void NotifyClient(TWSControl* Control, int Code);

// The part of the contract every control kind shares, over the widget it is given.
template <class Base>
class TQtControl : public Base, public TQtHandle {
public:
    TQtControl(IWSClient* AClient, QWidget* AWidget)
        : Base(AClient)
        , FFilter(AClient)
    {
        FWidget = AWidget;
        AWidget->installEventFilter(&FFilter);
    }
    ~TQtControl() override { delete FWidget.data(); }

    void SetParent(TWSControl* Parent, TWSControl* Above) override
    {
        QWidget* W = FWidget;
        W->setParent(QtWidgetOfAny(Parent), W->windowFlags() & ~Qt::WindowType_Mask);
        if (QWidget* Next = QtWidgetOfAny(Above)) {
            W->stackUnder(Next);
        }
    }
    void SetBounds(const TRect& Bounds) override { FWidget->setGeometry(ToQt(Bounds)); }
    void SetVisible(bool Value) override
    {
        // Hidden with the keyboard focus, the control leaves it with its window: Qt would
        // hand it on along the tab order, to a control that may be out of sight.
        if (!Value && FWidget->hasFocus() && FWidget->parentWidget()) {
            FWidget->window()->setFocus(Qt::OtherFocusReason);
        }
        FWidget->setVisible(Value);
    }
    bool IsVisible() const override { return FWidget->isVisible(); }
    void SetEnabled(bool Value) override { FWidget->setEnabled(Value); }
    void SetFont(const TFont& Font) override
    {
        FWidget->setFont(QtFont(Font));
        FWidget->update();
    }
    void SetCursor(TCursor Cursor) override
    {
        switch (Cursor) {
        case TCursor::crSizeAll:
            FWidget->setCursor(Qt::SizeAllCursor);
            break;
        case TCursor::crHandPoint:
            FWidget->setCursor(Qt::PointingHandCursor);
            break;
        default:
            FWidget->unsetCursor();
            break;
        }
    }
    void Raise() override { FWidget->raise(); }
    void Invalidate() override { FWidget->update(); }
    void Repaint() override { FWidget->repaint(); }
    bool HasFocus() const override
    {
        const QWidget* Focus = QApplication::focusWidget();
        return FWidget->hasFocus() || (Focus && FWidget->isAncestorOf(Focus));
    }
    void SetFocus() override { FWidget->setFocus(Qt::OtherFocusReason); }
    void SetFocusByTab(bool Forward) override
    {
        FWidget->setFocus(Forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    }
    bool TakesTabFocus() const override
    {
        return FWidget->isVisible() && FWidget->isEnabled()
            && (FWidget->focusPolicy() & Qt::TabFocus);
    }
    TPoint ClientToScreen(TPoint P) const override { return FromQt(FWidget->mapToGlobal(ToQt(P))); }
    TPoint ScreenToClient(TPoint P) const override
    {
        return FromQt(FWidget->mapFromGlobal(ToQt(P)));
    }
    TWindowHandle Handle() const override { return HandleOf(FWidget->window()); }

protected:
    static QWidget* QtWidgetOfAny(const TWSControl* Control)
    {
        const auto* H = dynamic_cast<const TQtHandle*>(Control);
        return H ? H->Widget() : nullptr;
    }

private:
    TQtMessageFilter FFilter;
};

// A widget that the model paints (forms, custom controls, windowless controls): each
// paint hands the model the region to draw in bands (see PaintBands).
class TQtPaintedWidget : public QWidget {
public:
    explicit TQtPaintedWidget(TWSControl* AControl)
        : FControl(AControl)
    {
    }

protected:
    void paintEvent(QPaintEvent* E) override;
    TWSControl* FControl;
};

// Calls Paint for each rectangle of Area, cut into bands of fewer rows than Qt's painter
// hands to its thread pool (96 spans a fill or a drawn picture; a rectangle of its own
// gives one span a row, where a complex clip would cut rows into several): a window's
// full repaint would otherwise start pool threads that then idle in the process for half
// a minute.
template <class F>
void PaintInBands(const QRegion& Area, F&& Paint)
{
    constexpr int Band = 64;
    for (const QRect& R : Area) {
        for (int Top = R.top(); Top <= R.bottom(); Top += Band) {
            Paint(QRect(R.left(), Top, R.width(), std::min(Band, R.bottom() + 1 - Top)));
        }
    }
}
