#include "toolkit/platform/linux/x11.h"
#include "toolkit/platform/serviceslot.h"
#include "toolkit/platform/taskbar.h"
#include "toolkit/qt/qtconvert.h"

#include <QWidget>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

// The button of a window on the taskbar, through the window manager's hints:
// _NET_WM_STATE_SKIP_TASKBAR (EWMH) for the button itself and the urgency flag of
// WM_HINTS (ICCCM) for its flashing. Without an X11 connection (other platforms, tests
// under "offscreen") nothing is done.
class TX11Taskbar : public ITaskbar {
public:
    void SetSkipTaskbar(TWindowHandle TopLevel, bool Skip) override
    {
        xcb_connection_t* C = X11::Connection();
        const xcb_window_t Window = ClientWindow(WidgetOf(TopLevel));
        if (!C || !Window) {
            return; // a window not created yet gets the state when it is shown
        }
        const xcb_atom_t State = X11::Atom(C, "_NET_WM_STATE");
        const xcb_atom_t SkipTaskbar = X11::Atom(C, "_NET_WM_STATE_SKIP_TASKBAR");
        // A withdrawn window (never mapped, or hidden) carries its state in the property,
        // which the window manager reads when the window is mapped; a managed one is
        // changed by a request to the root window. A window on its way to being managed
        // gets both, so the state holds whichever the window manager sees first.
        if (Withdrawn(C, Window)) {
            std::vector<xcb_atom_t> Atoms = X11::ReadCardinals(C, Window, State, XCB_ATOM_ATOM);
            const auto It = std::find(Atoms.begin(), Atoms.end(), SkipTaskbar);
            if (Skip && It == Atoms.end()) {
                Atoms.push_back(SkipTaskbar);
            } else if (!Skip && It != Atoms.end()) {
                Atoms.erase(It);
            }
            xcb_change_property(C, XCB_PROP_MODE_REPLACE, Window, State, XCB_ATOM_ATOM, 32,
                quint32(Atoms.size()), Atoms.data());
        }
        xcb_client_message_event_t Event {};
        Event.response_type = XCB_CLIENT_MESSAGE;
        Event.format = 32;
        Event.window = Window;
        Event.type = State;
        Event.data.data32[0] = Skip ? 1 : 0; // _NET_WM_STATE_ADD / _NET_WM_STATE_REMOVE
        Event.data.data32[1] = SkipTaskbar;
        Event.data.data32[2] = 0;
        Event.data.data32[3] = 1; // the request comes from an application
        xcb_send_event(C, 0, RootOf(C, Window),
            XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
            reinterpret_cast<const char*>(&Event));
        xcb_flush(C);
    }

    void SetUrgent(TWindowHandle TopLevel, bool Urgent) override
    {
        xcb_connection_t* C = X11::Connection();
        const xcb_window_t Window = ClientWindow(WidgetOf(TopLevel));
        if (!C || !Window) {
            return;
        }
        // WM_HINTS is nine 32-bit fields, flags first; bit 8 is the urgency hint. Qt keeps
        // the other fields, so read them and change the one bit.
        constexpr quint32 UrgencyHint = 1u << 8;
        constexpr quint32 HintsLength = 9;
        quint32 Hints[HintsLength] = {};
        xcb_get_property_reply_t* Reply = xcb_get_property_reply(C,
            xcb_get_property(C, 0, Window, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 0, HintsLength),
            nullptr);
        if (Reply && Reply->format == 32) {
            const int Length = std::min<int>(xcb_get_property_value_length(Reply) / 4, HintsLength);
            std::copy_n(static_cast<const quint32*>(xcb_get_property_value(Reply)), Length, Hints);
        }
        std::free(Reply);
        const quint32 Flags = Urgent ? (Hints[0] | UrgencyHint) : (Hints[0] & ~UrgencyHint);
        if (Flags == Hints[0]) {
            return;
        }
        Hints[0] = Flags;
        xcb_change_property(C, XCB_PROP_MODE_REPLACE, Window, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS,
            32, HintsLength, Hints);
        xcb_flush(C);
    }

private:
    // The X window of a top-level widget that the window manager handles; none for
    // widgets not created yet and for windows that bypass the window manager.
    static xcb_window_t ClientWindow(QWidget* TopLevel)
    {
        if (!TopLevel || !TopLevel->isWindow()
            || (TopLevel->windowFlags()
                & (Qt::BypassWindowManagerHint | Qt::X11BypassWindowManagerHint))) {
            return 0;
        }
        return xcb_window_t(TopLevel->internalWinId());
    }

    // ICCCM: WM_STATE is absent or WithdrawnState (0) while the window manager does not
    // manage the window.
    static bool Withdrawn(xcb_connection_t* C, xcb_window_t Window)
    {
        const xcb_atom_t WmState = X11::Atom(C, "WM_STATE");
        const std::vector<quint32> State = X11::ReadCardinals(C, Window, WmState, WmState, 1);
        return State.empty() || State[0] == 0;
    }

    static xcb_window_t RootOf(xcb_connection_t* C, xcb_window_t Window)
    {
        xcb_get_geometry_reply_t* Reply
            = xcb_get_geometry_reply(C, xcb_get_geometry(C, Window), nullptr);
        xcb_window_t Root = Reply ? Reply->root : 0;
        std::free(Reply);
        if (!Root) {
            Root = X11::DefaultRoot(C);
        }
        return Root;
    }
};

TX11Taskbar X11Taskbar;
TServiceSlot<ITaskbar> Slot(X11Taskbar);
}

ITaskbar& Taskbar()
{
    return Slot.Get();
}
void SetTaskbar(ITaskbar* Taskbar)
{
    Slot.Set(Taskbar);
}
