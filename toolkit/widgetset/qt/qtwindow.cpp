#include "toolkit/widgetset/qt/qtwindow.h"

#include "toolkit/widgetset/qt/qtaccess.h"
#include "toolkit/widgetset/qt/qtcanvas.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

QWidget* QtWidgetOf(const TWSControl* Control)
{
    const auto* H = dynamic_cast<const TQtHandle*>(Control);
    return H ? H->Widget() : nullptr;
}

std::unique_ptr<TWSControl> QtAdoptWidget(QWidget* Widget, IWSClient* Client)
{
    return std::make_unique<TQtControl<TWSControl>>(Client, Widget);
}

bool SendToClient(IWSClient* Client, std::uint32_t Msg, std::uintptr_t WParam, std::intptr_t LParam)
{
    if (!Client) {
        return false;
    }
    TMessage M { Msg, WParam, LParam, 0 };
    return Client->WSMessage(M);
}

void NotifyClient(TWSControl* Control, int Code)
{
    SendToClient(Control, WM_COMMAND, MakeWParam(0, Code));
}

namespace {
std::uintptr_t ButtonsHeld(Qt::MouseButtons Buttons)
{
    return ((Buttons & Qt::LeftButton) ? MK_LBUTTON : 0)
        | ((Buttons & Qt::RightButton) ? MK_RBUTTON : 0);
}

// The mouse message for a press, release or double click; WM_NULL for other buttons.
std::uint32_t MouseMessage(QEvent::Type Type, Qt::MouseButton Button)
{
    static constexpr std::uint32_t Down[] = { WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN };
    const int Index = Button == Qt::LeftButton ? 0
        : Button == Qt::RightButton            ? 1
        : Button == Qt::MiddleButton           ? 2
                                               : -1;
    if (Index < 0) {
        return WM_NULL;
    }
    // Each button's up and double-click messages follow its down message.
    const std::uint32_t Base = Down[Index];
    switch (Type) {
    case QEvent::MouseButtonRelease:
        return Base + 1;
    case QEvent::MouseButtonDblClick:
        return Base + 2;
    default:
        return Base;
    }
}

std::uintptr_t VirtualKey(int Key)
{
    switch (Key) {
    case Qt::Key_Backspace:
        return VK_BACK;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK_RETURN;
    case Qt::Key_Escape:
        return VK_ESCAPE;
    case Qt::Key_Up:
        return VK_UP;
    case Qt::Key_Down:
        return VK_DOWN;
    default:
        // Letters and digits are their capital's code, as Windows numbers them.
        return (Key >= Qt::Key_0 && Key <= Qt::Key_9) || (Key >= Qt::Key_A && Key <= Qt::Key_Z)
            ? std::uintptr_t(Key)
            : 0;
    }
}
}

bool TQtMessageFilter::eventFilter(QObject*, QEvent* Event)
{
    switch (Event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
        auto* E = static_cast<QMouseEvent*>(Event);
        const std::uint32_t Msg = MouseMessage(Event->type(), E->button());
        const QPoint P = E->position().toPoint();
        return Msg != WM_NULL
            && SendToClient(FClient, Msg, ButtonsHeld(E->buttons()), MakeLParam(P.x(), P.y()));
    }
    case QEvent::MouseMove: {
        auto* E = static_cast<QMouseEvent*>(Event);
        const QPoint P = E->position().toPoint();
        return SendToClient(
            FClient, WM_MOUSEMOVE, ButtonsHeld(E->buttons()), MakeLParam(P.x(), P.y()));
    }
    case QEvent::KeyPress: {
        auto* E = static_cast<QKeyEvent*>(Event);
        bool Handled = false;
        if (const std::uintptr_t Key = VirtualKey(E->key())) {
            // Shift+Tab arrives as its own key: WM_KEYDOWN VK_TAB with LParam 1.
            Handled = SendToClient(FClient, WM_KEYDOWN, Key, E->key() == Qt::Key_Backtab ? 1 : 0);
        }
        const QString Text = E->text();
        if (!Handled && !Text.isEmpty()) {
            Handled = SendToClient(FClient, WM_CHAR, Text.at(0).unicode());
        }
        return Handled;
    }
    case QEvent::FocusIn:
        SendToClient(FClient, WM_SETFOCUS);
        return false;
    case QEvent::FocusOut:
        SendToClient(FClient, WM_KILLFOCUS);
        return false;
    case QEvent::ContextMenu: {
        const QPoint P = static_cast<QContextMenuEvent*>(Event)->globalPos();
        return SendToClient(FClient, WM_CONTEXTMENU, 0, MakeLParam(P.x(), P.y()));
    }
    default:
        return false;
    }
}

void TQtPaintedWidget::paintEvent(QPaintEvent* E)
{
    if (!FControl->Client()) {
        return;
    }
    QPainter P(this);
    TQtCanvas Canvas(P);
    PaintInBands(E->region(), [&](const QRect& Part) {
        P.save();
        P.setClipRect(Part);
        FControl->Client()->WSPaint(Canvas, FromQt(Part));
        P.restore();
    });
}
