#include "toolkit/platform/linux/x11.h"
#include "toolkit/platform/serviceslot.h"
#include "toolkit/platform/windowmanager.h"
#include "toolkit/qt/qtconvert.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace {

// A window manager that reparents a new window into its frame, while the frame still
// stands at its first place, and moves the frame to the window's place only afterwards
// may never tell the window (ICCCM asks it to, with a synthetic ConfigureNotify; openbox,
// for one, does not before the first map). Qt reads the position when the window's own
// ConfigureNotify is handled; when that falls between the two steps, Qt keeps the
// frame's first place (0, 0) for good, and everything that maps screen points through
// the window's position is off, the move request among them. So once a window is mapped
// (its frame is placed by then), its true position is read from the server and sent to
// the window as the synthetic ConfigureNotify the window manager owed it: Qt takes
// positions from those as they stand.
class TPositionTracker : public QAbstractNativeEventFilter {
public:
    bool nativeEventFilter(const QByteArray& EventType, void* Message, qintptr*) override
    {
        if (EventType != "xcb_generic_event_t") {
            return false;
        }
        const auto* Event = static_cast<const xcb_generic_event_t*>(Message);
        if ((Event->response_type & 0x7F) != XCB_MAP_NOTIFY) {
            return false;
        }
        const auto* Map = reinterpret_cast<const xcb_map_notify_event_t*>(Event);
        if (Map->window == Map->event && !Map->override_redirect && IsOurTopLevel(Map->window)) {
            SendTruePosition(Map->window);
        }
        return false;
    }

private:
    // Windows the window manager frames: not pop-ups, tooltips or windows that bypass it
    // (the tray icon's, which its host embeds).
    static bool IsOurTopLevel(xcb_window_t Window)
    {
        const QWindowList Windows = QGuiApplication::topLevelWindows();
        return std::any_of(Windows.begin(), Windows.end(), [Window](const QWindow* W) {
            const Qt::WindowFlags Flags = W->flags();
            return W->handle() && xcb_window_t(W->winId()) == Window && W->type() != Qt::Popup
                && W->type() != Qt::ToolTip
                && !(Flags & (Qt::BypassWindowManagerHint | Qt::X11BypassWindowManagerHint));
        });
    }

    static void SendTruePosition(xcb_window_t Window)
    {
        xcb_connection_t* C = X11::Connection();
        if (!C) {
            return;
        }
        const xcb_window_t Root = X11::DefaultRoot(C);
        xcb_get_geometry_reply_t* Size
            = xcb_get_geometry_reply(C, xcb_get_geometry(C, Window), nullptr);
        xcb_translate_coordinates_reply_t* Place = xcb_translate_coordinates_reply(
            C, xcb_translate_coordinates(C, Window, Root, 0, 0), nullptr);
        if (Size && Place) {
            xcb_configure_notify_event_t Notify {};
            Notify.response_type = XCB_CONFIGURE_NOTIFY;
            Notify.event = Window;
            Notify.window = Window;
            Notify.x = Place->dst_x;
            Notify.y = Place->dst_y;
            Notify.width = Size->width;
            Notify.height = Size->height;
            Notify.border_width = Size->border_width;
            xcb_send_event(C, 0, Window, XCB_EVENT_MASK_STRUCTURE_NOTIFY,
                reinterpret_cast<const char*>(&Notify));
            xcb_flush(C);
        }
        std::free(Size);
        std::free(Place);
    }
};

// On X11 the move is asked of the window manager with _NET_WM_MOVERESIZE, from the
// press's own place on the screen (Qt's own request computes it from the window's
// recorded position); elsewhere through Qt, which asks the compositor.
class TLinuxWindowManager : public IWindowManager {
public:
    void TrackPositions() override
    {
        if (!X11::Connection()) {
            return;
        }
        if (!FTracker) {
            FTracker = std::make_unique<TPositionTracker>();
        }
        qGuiApp->removeNativeEventFilter(FTracker.get()); // once per application object
        qGuiApp->installNativeEventFilter(FTracker.get());
    }

    bool StartSystemMove(TWindowHandle Handle, TPoint Press) override
    {
        QWidget* TopLevel = WidgetOf(Handle);
        const QPoint PressPoint = ToQt(Press);
        QWindow* Window = TopLevel ? TopLevel->windowHandle() : nullptr;
        if (!Window) {
            return false;
        }
        xcb_connection_t* C = X11::Connection();
        if (!C) {
            return Window->startSystemMove();
        }
        const xcb_window_t Root = X11::DefaultRoot(C);
        const xcb_atom_t MoveResize = X11::Atom(C, "_NET_WM_MOVERESIZE");
        const std::vector<quint32> Supported
            = X11::ReadCardinals(C, Root, X11::Atom(C, "_NET_SUPPORTED"), XCB_ATOM_ATOM);
        if (std::find(Supported.begin(), Supported.end(), MoveResize) == Supported.end()) {
            return false;
        }
        // The events that reach us may lag the server: when the button is up already
        // (a press, a small motion and the release queued together), the release is on
        // its way to us and a request now would start a move with no button held.
        if (!ButtonOneDown(C, Root)) {
            return true;
        }
        const QPoint Native = ToNative(Window, PressPoint);
        FAsked = xcb_window_t(Window->winId());
        // The window manager grabs the pointer for the move: our implicit grab from the
        // press must go first.
        xcb_ungrab_pointer(C, XCB_CURRENT_TIME);
        SendMoveResize(C, Root, FAsked, quint32(Native.x()), quint32(Native.y()), MoveAction);
        return true;
    }

    void CancelSystemMove(TWindowHandle Handle) override
    {
        QWidget* TopLevel = WidgetOf(Handle);
        QWindow* Window = TopLevel ? TopLevel->windowHandle() : nullptr;
        xcb_connection_t* C = X11::Connection();
        if (!Window || !C || FAsked != xcb_window_t(Window->winId())) {
            return;
        }
        FAsked = XCB_WINDOW_NONE;
        // Openbox drops the move and puts the window back; xfwm4 4.18 ignores the
        // message, but it only matters when the release beat the window manager's grab by
        // less than a round trip (ButtonOneDown above is checked just before the request).
        SendMoveResize(C, X11::DefaultRoot(C), xcb_window_t(Window->winId()), 0, 0, CancelAction);
    }

    bool CutsToShape() const override
    {
        // A compositing manager may draw a window's whole rectangle whatever its X shape
        // (sway's Xwayland shows the cut-away as black): where one runs, the window is
        // see-through as well, and the shape still takes the mouse. Where none runs, the
        // X server itself cuts the window.
        xcb_connection_t* C = X11::Connection();
        if (!C) {
            return false;
        }
        xcb_get_selection_owner_reply_t* Owner = xcb_get_selection_owner_reply(
            C, xcb_get_selection_owner(C, X11::Atom(C, "_NET_WM_CM_S0")), nullptr);
        const bool Compositing = Owner && Owner->owner != XCB_NONE;
        std::free(Owner);
        return !Compositing;
    }

private:
    static constexpr quint32 MoveAction = 8; // _NET_WM_MOVERESIZE_MOVE
    static constexpr quint32 CancelAction = 11; // _NET_WM_MOVERESIZE_CANCEL

    static bool ButtonOneDown(xcb_connection_t* C, xcb_window_t Root)
    {
        xcb_query_pointer_reply_t* Pointer
            = xcb_query_pointer_reply(C, xcb_query_pointer(C, Root), nullptr);
        // Without an answer the request goes as before: the window manager decides.
        const bool Down = !Pointer || (Pointer->mask & XCB_BUTTON_MASK_1);
        std::free(Pointer);
        return Down;
    }

    static void SendMoveResize(xcb_connection_t* C, xcb_window_t Root, xcb_window_t Window,
        quint32 RootX, quint32 RootY, quint32 Action)
    {
        xcb_client_message_event_t Event {};
        Event.response_type = XCB_CLIENT_MESSAGE;
        Event.format = 32;
        Event.window = Window;
        Event.type = X11::Atom(C, "_NET_WM_MOVERESIZE");
        Event.data.data32[0] = RootX;
        Event.data.data32[1] = RootY;
        Event.data.data32[2] = Action;
        Event.data.data32[3] = XCB_BUTTON_INDEX_1;
        Event.data.data32[4] = 1; // the request comes from an application
        xcb_send_event(C, 0, Root,
            XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
            reinterpret_cast<const char*>(&Event));
        xcb_flush(C);
    }

    // Qt's screen coordinates scale a screen by its pixel ratio about the screen's origin.
    static QPoint ToNative(const QWindow* Window, const QPoint& Point)
    {
        const QScreen* Screen = Window->screen();
        if (!Screen) {
            return Point;
        }
        const QPoint Origin = Screen->geometry().topLeft();
        return Origin + (QPointF(Point - Origin) * Screen->devicePixelRatio()).toPoint();
    }

    std::unique_ptr<TPositionTracker> FTracker;
    // The window whose move was asked last and not cancelled since.
    xcb_window_t FAsked = XCB_WINDOW_NONE;
};

TLinuxWindowManager LinuxWindowManager;
TServiceSlot<IWindowManager> Slot(LinuxWindowManager);
}

IWindowManager& WindowManager()
{
    return Slot.Get();
}
void SetWindowManager(IWindowManager* Manager)
{
    Slot.Set(Manager);
}
