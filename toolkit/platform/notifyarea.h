#pragma once

#include <QEvent>
#include <QIcon>
#include <QPoint>
#include <QString>

#include <array>
#include <functional>

class QMenu;
class QWidget;

// Commands and field flags of the notification area.
constexpr quint32 NIM_ADD = 0;
constexpr quint32 NIM_MODIFY = 1;
constexpr quint32 NIM_DELETE = 2;
constexpr quint32 NIF_MESSAGE = 1;
constexpr quint32 NIF_ICON = 2;
constexpr quint32 NIF_TIP = 4;
// The record's size in its first, 8-bit version; kept as the record's version mark.
constexpr quint32 NotifyIconDataV1Size = 88;
// Characters of a tip, its terminating zero included.
constexpr int NotifyIconTipSize = 64;

// One notification-area record: the window and number that name it, the message the
// window receives for the icon's mouse actions, the icon and the tip. uFlags says which
// of uCallbackMessage (NIF_MESSAGE), hIcon (NIF_ICON) and szTip (NIF_TIP) a command
// carries. Every field is zero (null) until filled.
struct TNotifyIconData {
    quint32 cbSize = 0;
    // With uID, the record's key. A new record (NIM_ADD) needs a live window, or none; once
    // the record exists the window is only compared, so a window that has been destroyed
    // still names its record for NIM_MODIFY and NIM_DELETE.
    QWidget* hWnd = nullptr;
    quint32 uID = 0;
    quint32 uFlags = 0;
    quint32 uCallbackMessage = 0;
    QIcon hIcon;
    // The tip: at most 63 characters followed by a zero.
    std::array<char16_t, NotifyIconTipSize> szTip {};
    // Carried with the callback message (NIF_MESSAGE): the menu that a right click on the
    // icon shows, for tray hosts that draw an item's menu themselves (StatusNotifierItem
    // hosts). Called when a host first asks for the menu; none, or a null result, means
    // that a right click is reported to the window like any other click.
    std::function<QMenu*()> Menu;

    // The text of szTip, up to its first zero.
    QString Tip() const;
    // Copies at most 63 characters of Text into szTip and ends it with a zero. A cut
    // never leaves half of a surrogate pair behind.
    void SetTip(const QString& Text);
};

// A record's callback message as its window receives it: Msg is the record's callback
// message, WParam its uID, LParam the mouse message (WM_LBUTTONDOWN, …) and Pt the
// cursor in screen coordinates when the notification area queued it.
class TNotifyIconMessage : public QEvent {
public:
    TNotifyIconMessage(quint32 AMsg, quintptr AWParam, qintptr ALParam, const QPoint& APt);
    static QEvent::Type EventType();

    quint32 Msg;
    quintptr WParam;
    qintptr LParam;
    QPoint Pt;
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
    virtual bool ShellNotifyIcon(quint32 Message, const TNotifyIconData& Data) = 0;
};

// What the application tells the notification area about itself; set by the application
// object. Title names the icons in hosts that list them; HostAppeared is called, from the
// event loop, when a tray host takes up its place on the desktop.
struct TNotifyAreaClient {
    std::function<QString()> Title;
    std::function<void()> HostAppeared;
};
void SetNotifyAreaClient(const TNotifyAreaClient& Client);
const TNotifyAreaClient& NotifyAreaClient();

INotifyArea& NotifyArea();
// Installs another notification area (tests); nullptr puts the system's back.
void SetNotifyArea(INotifyArea* Area);
