#include "toolkit/controls/forms.h"
#include "toolkit/platform/notifyarea.h"
#include "toolkit/platform/serviceslot.h"

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QCursor>
#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QWidget>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

Q_LOGGING_CATEGORY(lcTray, "veludor.tray", QtInfoMsg)

namespace {

xcb_atom_t InternAtom(xcb_connection_t* Connection, const QByteArray& Name)
{
    const xcb_intern_atom_cookie_t Cookie
        = xcb_intern_atom(Connection, 0, quint16(Name.size()), Name.constData());
    xcb_intern_atom_reply_t* Reply = xcb_intern_atom_reply(Connection, Cookie, nullptr);
    const xcb_atom_t Atom = Reply ? Reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(Reply);
    return Atom;
}

// Tells the application window when a tray host takes up its place on the desktop, so
// that the icons can be put up again: on X11 a new owner of the "_NET_SYSTEM_TRAY_S<n>"
// selection announces itself with a MANAGER client message on the root window; on D-Bus
// the StatusNotifierWatcher service registers. Both arrive as events: nothing polls.
class TTrayHostWatcher : public QObject, public QAbstractNativeEventFilter {
public:
    TTrayHostWatcher()
        : QObject(qApp)
    {
        WatchX11();
        WatchDBus();
    }

    bool nativeEventFilter(const QByteArray& EventType, void* Message, qintptr*) override
    {
        if (FManager == XCB_ATOM_NONE || EventType != "xcb_generic_event_t") {
            return false;
        }
        const auto* Event = static_cast<const xcb_generic_event_t*>(Message);
        if ((Event->response_type & 0x7F) != XCB_CLIENT_MESSAGE) {
            return false;
        }
        const auto* Client = reinterpret_cast<const xcb_client_message_event_t*>(Event);
        if (Client->type == FManager && Client->format == 32
            && std::find(FSelections.begin(), FSelections.end(), Client->data.data32[1])
                != FSelections.end()) {
            qCDebug(lcTray) << "an X11 tray host took the selection";
            HostAppeared();
        }
        return false; // Qt's own tray code wants the message too
    }

private:
    void WatchX11()
    {
        auto* X11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
        xcb_connection_t* Connection = X11 ? X11->connection() : nullptr;
        if (!Connection) {
            return;
        }
        FManager = InternAtom(Connection, "MANAGER");
        int Number = 0;
        for (auto It = xcb_setup_roots_iterator(xcb_get_setup(Connection)); It.rem;
             xcb_screen_next(&It), ++Number) {
            FSelections.push_back(InternAtom(Connection, "_NET_SYSTEM_TRAY_S" + QByteArray::number(Number)));
            // MANAGER is sent to the root with the structure-notify mask. Qt selects it on
            // the root already; an event mask is per client, so add to ours, never replace.
            const xcb_window_t Root = It.data->root;
            xcb_get_window_attributes_reply_t* Attributes = xcb_get_window_attributes_reply(
                Connection, xcb_get_window_attributes(Connection, Root), nullptr);
            if (Attributes && !(Attributes->your_event_mask & XCB_EVENT_MASK_STRUCTURE_NOTIFY)) {
                const quint32 Mask = Attributes->your_event_mask | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
                xcb_change_window_attributes(Connection, Root, XCB_CW_EVENT_MASK, &Mask);
                xcb_flush(Connection);
            }
            std::free(Attributes);
        }
        qApp->installNativeEventFilter(this);
    }

    void WatchDBus()
    {
        // Without an address libdbus would start a bus of its own for the display, where
        // no StatusNotifierWatcher can be: only a session bus that exists is watched.
        const QString RuntimeBus = qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/bus");
        if (!qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS")
            && !(qEnvironmentVariableIsSet("XDG_RUNTIME_DIR") && QFileInfo::exists(RuntimeBus))) {
            return;
        }
        QDBusConnection Bus = QDBusConnection::sessionBus();
        if (!Bus.isConnected()) {
            return;
        }
        auto* Watcher = new QDBusServiceWatcher(QStringLiteral("org.kde.StatusNotifierWatcher"), Bus,
            QDBusServiceWatcher::WatchForRegistration, this);
        connect(Watcher, &QDBusServiceWatcher::serviceRegistered, this, [this] {
            qCDebug(lcTray) << "a StatusNotifierWatcher registered";
            HostAppeared();
        });
    }

    // Queued, as the system's broadcast is: Qt's tray code handles the event first.
    void HostAppeared()
    {
        QMetaObject::invokeMethod(
            this,
            [] {
                if (Application) {
                    Application->Guard([] {
                        const quint32 TaskbarCreated
                            = Application->RegisterWindowMessage(QStringLiteral("TaskbarCreated"));
                        Application->Handle().Perform(TaskbarCreated);
                    });
                }
            },
            Qt::QueuedConnection);
    }

    xcb_atom_t FManager = XCB_ATOM_NONE;
    std::vector<xcb_atom_t> FSelections;
};

// One QSystemTrayIcon per record. The icons belong to the application object, so none
// outlives it; a record keeps its key as a plain value and its window behind a guard, so
// a record whose window was destroyed can still be named and removed.
class TQtNotifyArea : public INotifyArea {
public:
    bool ShellNotifyIcon(quint32 Message, const TNotifyIconData& Data) override
    {
        if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
            return false;
        }
        auto It = std::find_if(FRecords.begin(), FRecords.end(), [&](const TRecord& R) {
            return R.Key == Data.hWnd && R.uID == Data.uID && R.Icon;
        });
        switch (Message) {
        case NIM_ADD: {
            if (It == FRecords.end()) {
                FRecords.erase(std::remove_if(FRecords.begin(), FRecords.end(),
                                   [](const TRecord& R) { return !R.Icon; }),
                    FRecords.end());
                TRecord Record;
                Record.Key = Data.hWnd;
                Record.uID = Data.uID;
                Record.Window = Data.hWnd;
                Record.Icon = new QSystemTrayIcon(qApp);
                QSystemTrayIcon* Icon = Record.Icon;
                QObject::connect(Icon, &QSystemTrayIcon::activated, Icon,
                    [this, Icon](QSystemTrayIcon::ActivationReason Reason) { Activated(Icon, Reason); });
                FRecords.push_back(Record);
                It = FRecords.end() - 1;
            }
            Apply(*It, Data);
            // Hiding first makes Qt look for the tray host again and dock the icon anew.
            It->Icon->hide();
            It->Icon->show();
            if (!FWatcher) {
                FWatcher = new TTrayHostWatcher;
            }
            qCDebug(lcTray) << "added" << Data.uID << Data.Tip();
            return true;
        }
        case NIM_MODIFY:
            if (It == FRecords.end()) {
                return false;
            }
            Apply(*It, Data);
            return true;
        case NIM_DELETE:
            if (It == FRecords.end()) {
                return false;
            }
            delete It->Icon.data();
            FRecords.erase(It);
            qCDebug(lcTray) << "deleted" << Data.uID;
            return true;
        default:
            return false;
        }
    }

private:
    struct TRecord {
        const QWidget* Key = nullptr; // compared only, never followed
        quint32 uID = 0;
        QPointer<QWidget> Window;
        quint32 CallbackMessage = 0;
        QPointer<QSystemTrayIcon> Icon;
    };

    static void Apply(TRecord& Record, const TNotifyIconData& Data)
    {
        if (Data.uFlags & NIF_MESSAGE) {
            Record.CallbackMessage = Data.uCallbackMessage;
        }
        if (Data.uFlags & NIF_ICON) {
            Record.Icon->setIcon(Data.hIcon);
        }
        if (Data.uFlags & NIF_TIP) {
            Record.Icon->setToolTip(Data.Tip());
        }
    }

    // Qt reports an action once, on the press; the window receives it as the press and
    // release that it stands for.
    void Activated(QSystemTrayIcon* Icon, QSystemTrayIcon::ActivationReason Reason)
    {
        auto It = std::find_if(
            FRecords.begin(), FRecords.end(), [&](const TRecord& R) { return R.Icon == Icon; });
        if (It == FRecords.end() || !It->Window || It->CallbackMessage == 0) {
            return;
        }
        quint32 Press = 0;
        quint32 Release = 0;
        switch (Reason) {
        case QSystemTrayIcon::Trigger:
            Press = WM_LBUTTONDOWN;
            Release = WM_LBUTTONUP;
            break;
        case QSystemTrayIcon::DoubleClick:
            Press = WM_LBUTTONDBLCLK;
            Release = WM_LBUTTONUP;
            break;
        case QSystemTrayIcon::Context:
            Press = WM_RBUTTONDOWN;
            Release = WM_RBUTTONUP;
            break;
        case QSystemTrayIcon::MiddleClick:
            Press = WM_MBUTTONDOWN;
            Release = WM_MBUTTONUP;
            break;
        default:
            return;
        }
        const QPoint Cursor = QCursor::pos();
        for (quint32 Mouse : { Press, Release }) {
            QCoreApplication::postEvent(
                It->Window, new TNotifyIconMessage(It->CallbackMessage, It->uID, qintptr(Mouse), Cursor));
        }
    }

    std::vector<TRecord> FRecords;
    QPointer<TTrayHostWatcher> FWatcher;
};

TQtNotifyArea QtNotifyArea;
TServiceSlot<INotifyArea> Slot(QtNotifyArea);
}

INotifyArea& NotifyArea() { return Slot.Get(); }
void SetNotifyArea(INotifyArea* Area) { Slot.Set(Area); }
