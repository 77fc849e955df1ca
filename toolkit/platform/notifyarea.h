#pragma once

#include "toolkit/core/tstring.h"
#include "toolkit/core/types.h"

#include <array>
#include <cstdint>
#include <functional>

// Commands and field flags of the notification area.
constexpr std::uint32_t NIM_ADD = 0;
constexpr std::uint32_t NIM_MODIFY = 1;
constexpr std::uint32_t NIM_DELETE = 2;
constexpr std::uint32_t NIF_MESSAGE = 1;
constexpr std::uint32_t NIF_ICON = 2;
constexpr std::uint32_t NIF_TIP = 4;
// The record's size in its first, 8-bit version; kept as the record's version mark.
constexpr std::uint32_t NotifyIconDataV1Size = 88;
// Characters of a tip, its terminating zero included.
constexpr int NotifyIconTipSize = 64;

// One notification-area record: the window and number that name it, the message the
// window receives for the icon's mouse actions, the icon and the tip. uFlags says which
// of uCallbackMessage (NIF_MESSAGE), hIcon (NIF_ICON) and szTip (NIF_TIP) a command
// carries. Every field is zero (null) until filled.
struct TNotifyIconData {
    std::uint32_t cbSize = 0;
    // With uID, the record's key. A new record (NIM_ADD) needs a live window, or none; once
    // the record exists the window is only compared, so a window that has been destroyed
    // still names its record for NIM_MODIFY and NIM_DELETE.
    TWindowHandle hWnd = nullptr;
    std::uint32_t uID = 0;
    std::uint32_t uFlags = 0;
    std::uint32_t uCallbackMessage = 0;
    // Read during the command only (the area keeps its own copy of the icon).
    TIconHandle hIcon = nullptr;
    // The tip: at most 63 characters followed by a zero.
    std::array<char16_t, NotifyIconTipSize> szTip {};
    // Carried with the callback message (NIF_MESSAGE): the menu that a right click on the
    // icon shows, for tray hosts that draw an item's menu themselves (StatusNotifierItem
    // hosts). Called when a host first asks for the menu; none, or a null result, means
    // that a right click is reported to the window like any other click.
    std::function<TMenuHandle()> Menu;

    // The text of szTip, up to its first zero.
    TString Tip() const;
    // Copies at most 63 characters of Text into szTip and ends it with a zero. A cut
    // never leaves half of a surrogate pair behind.
    void SetTip(TStringView Text);
};

// A record's callback message as its window receives it: Msg is the record's callback
// message, WParam its uID, LParam the mouse message (WM_LBUTTONDOWN, …) and Pt the
// cursor in screen coordinates when the notification area queued it. On Qt's side it
// arrives as a TNotifyIconEvent (linux/notifyiconevent.h).
struct TNotifyIconMessage {
    std::uint32_t Msg = 0;
    std::uintptr_t WParam = 0;
    std::intptr_t LParam = 0;
    TPoint Pt;
};

// The desktop's notification area (tray), one icon per record.
//
// NIM_ADD puts the record's icon into the area (a record that already exists is updated
// and put up again, as after a restart of the tray host); NIM_MODIFY changes the fields
// that uFlags names; NIM_DELETE removes the record named by (hWnd, uID). The result says
// whether the record was found or added.
//
// While at least one record was added, a tray host (re)appearing on the desktop is
// reported through the client's HostAppeared (the application window's registered
// message "TaskbarCreated").
//
// The icons go to a StatusNotifierItem host over the session bus when a
// StatusNotifierWatcher is there, else to an X11 (XEmbed) tray; a record moves to the
// other kind when a watcher appears or goes away.
class INotifyArea {
public:
    virtual ~INotifyArea() = default;
    virtual bool ShellNotifyIcon(std::uint32_t Message, const TNotifyIconData& Data) = 0;
};

// What the application tells the notification area about itself; set by the application
// object. Title names the icons in hosts that list them; HostAppeared is called, from the
// event loop, when a tray host takes up its place on the desktop.
struct TNotifyAreaClient {
    std::function<TString()> Title;
    std::function<void()> HostAppeared;
};
void SetNotifyAreaClient(const TNotifyAreaClient& Client);
const TNotifyAreaClient& NotifyAreaClient();

INotifyArea& NotifyArea();
// Installs another notification area (tests); nullptr puts the system's back.
void SetNotifyArea(INotifyArea* Area);
