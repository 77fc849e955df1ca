#include "toolkit/platform/linux/notifyiconevent.h"
#include "toolkit/platform/linux/sni_item.h"
#include "toolkit/platform/linux/x11.h"
#include "toolkit/platform/mousemessages.h"
#include "toolkit/platform/notifyarea.h"
#include "toolkit/platform/serviceslot.h"
#include "toolkit/qt/qtconvert.h"

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QCursor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QWidget>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

Q_LOGGING_CATEGORY(lcTray, "veludor.tray", QtInfoMsg)

namespace {

const QString WatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");

// Without an address libdbus would start a bus of its own for the display, where no
// StatusNotifierWatcher can be: only a session bus that exists counts.
bool SessionBusExists()
{
    const QString RuntimeBus = qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/bus");
    return qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS")
        || (qEnvironmentVariableIsSet("XDG_RUNTIME_DIR") && QFileInfo::exists(RuntimeBus));
}

// An X11 (XEmbed) tray needs the X11 platform; elsewhere Qt's tray icon has nothing to
// dock into and complains at start.
bool XEmbedPossible()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

// Watches for tray hosts taking up their place on the desktop: on X11 a new owner of the
// "_NET_SYSTEM_TRAY_S<n>" selection announces itself with a MANAGER client message on
// the root window; on D-Bus the StatusNotifierWatcher name changes owner. Both arrive as
// events: nothing polls. Lives as long as the application object, and the tray objects
// of the records are its children.
class TTrayHostWatcher : public QObject, public QAbstractNativeEventFilter {
public:
    TTrayHostWatcher(std::function<void()> X11Host, std::function<void()> SniWatcherChanged)
        : QObject(qApp)
        , FX11Host(std::move(X11Host))
        , FSniWatcherChanged(std::move(SniWatcherChanged))
    {
        WatchX11();
        WatchDBus();
    }

    bool SniWatcherPresent() const { return FSniWatcherPresent; }

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
            // Queued, as the system's broadcast is: Qt's tray code handles the event first.
            QMetaObject::invokeMethod(
                this, [this] { FX11Host(); }, Qt::QueuedConnection);
        }
        return false; // Qt's own tray code wants the message too
    }

private:
    void WatchX11()
    {
        xcb_connection_t* Connection = X11::Connection();
        if (!Connection) {
            return;
        }
        FManager = X11::Atom(Connection, "MANAGER");
        int Number = 0;
        for (auto It = xcb_setup_roots_iterator(xcb_get_setup(Connection)); It.rem;
             xcb_screen_next(&It), ++Number) {
            const QByteArray Selection = "_NET_SYSTEM_TRAY_S" + QByteArray::number(Number);
            FSelections.push_back(X11::Atom(Connection, Selection.constData()));
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
        if (!SessionBusExists()) {
            return;
        }
        QDBusConnection Bus = QDBusConnection::sessionBus();
        if (!Bus.isConnected()) {
            return;
        }
        auto* Watcher = new QDBusServiceWatcher(
            WatcherService, Bus, QDBusServiceWatcher::WatchForOwnerChange, this);
        connect(Watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& NewOwner) {
                qCDebug(lcTray) << "StatusNotifierWatcher owner:" << NewOwner;
                FSniWatcherPresent = !NewOwner.isEmpty();
                FSniWatcherChanged();
            });
        FSniWatcherPresent = Bus.interface()->isServiceRegistered(WatcherService);
    }

    std::function<void()> FX11Host;
    std::function<void()> FSniWatcherChanged;
    bool FSniWatcherPresent = false;
    xcb_atom_t FManager = XCB_ATOM_NONE;
    std::vector<xcb_atom_t> FSelections;
};

void TellHostAppeared()
{
    if (const auto& HostAppeared = NotifyAreaClient().HostAppeared) {
        HostAppeared();
    }
}

QString ClientTitle()
{
    const auto& Title = NotifyAreaClient().Title;
    return Title ? ToQt(Title()) : QString();
}

// The records, each shown through a StatusNotifierItem when a StatusNotifierWatcher is
// on the session bus, else through a QSystemTrayIcon (XEmbed) on X11, else not at all
// until a host appears. A record keeps its key as a plain value and its window behind a
// guard, so a record whose window was destroyed can still be named and removed.
class TQtNotifyArea : public INotifyArea {
public:
    bool ShellNotifyIcon(quint32 Message, const TNotifyIconData& Data) override
    {
        if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
            return false;
        }
        if (FHadWatcher && !FWatcher) {
            FRecords.clear(); // those of an application object that is gone
            FHadWatcher = false;
        }
        auto It = std::find_if(
            FRecords.begin(), FRecords.end(), [&](const std::unique_ptr<TRecord>& R) {
                return R->Key == Data.hWnd && R->uID == Data.uID;
            });
        switch (Message) {
        case NIM_ADD: {
            if (It == FRecords.end()) {
                auto Record = std::make_unique<TRecord>();
                Record->Key = Data.hWnd;
                Record->uID = Data.uID;
                Record->Window = WidgetOf(Data.hWnd);
                FRecords.push_back(std::move(Record));
                It = FRecords.end() - 1;
            }
            Apply(**It, Data);
            (*It)->Pending = true;
            PutUpLater();
            qCDebug(lcTray) << "added" << Data.uID << ToQt(Data.Tip());
            return true;
        }
        case NIM_MODIFY:
            if (It == FRecords.end()) {
                return false;
            }
            Apply(**It, Data);
            return true;
        case NIM_DELETE:
            if (It == FRecords.end()) {
                return false;
            }
            delete (*It)->XEmbed.data();
            delete (*It)->Sni.data();
            FRecords.erase(It);
            qCDebug(lcTray) << "deleted" << Data.uID;
            return true;
        default:
            return false;
        }
    }

private:
    struct TRecord {
        TWindowHandle Key = nullptr; // compared only, never followed
        quint32 uID = 0;
        QPointer<QWidget> Window;
        quint32 CallbackMessage = 0;
        QIcon Icon;
        QString Tip;
        std::function<QMenu*()> Menu;
        QPointer<QSystemTrayIcon> XEmbed;
        QPointer<TStatusNotifierItem> Sni;
        bool Pending = false; // added, to be put up by the next pass of the event loop
    };

    // Added records are put up once the event loop runs, not at once: looking for the
    // tray hosts takes round trips to the X server and the session bus, which the first
    // window must not wait for.
    void PutUpLater()
    {
        if (FScheduled) {
            return;
        }
        FScheduled = true;
        QMetaObject::invokeMethod(
            qApp,
            [this] {
                FScheduled = false;
                Start();
                for (const std::unique_ptr<TRecord>& Record : FRecords) {
                    if (Record->Pending) {
                        Record->Pending = false;
                        PutUp(*Record, true);
                    }
                }
            },
            Qt::QueuedConnection);
    }

    // The tray objects belong to the watcher, which belongs to the application object:
    // when that goes, so do they, and the records with them.
    void Start()
    {
        if (FWatcher) {
            return;
        }
        FHadWatcher = true;
        FWatcher = new TTrayHostWatcher(TellHostAppeared, [this] {
            for (const std::unique_ptr<TRecord>& Record : FRecords) {
                PutUp(*Record, false);
            }
            if (FWatcher->SniWatcherPresent()) {
                TellHostAppeared();
            }
        });
    }

    // Shows the record through the kind of tray there is now. Again (after a restart of
    // the host) makes Qt look for the X11 tray and dock anew; an item registers itself
    // again whenever the StatusNotifierWatcher changes owner.
    void PutUp(TRecord& Record, bool Again)
    {
        if (FWatcher->SniWatcherPresent()) {
            delete Record.XEmbed.data();
            if (!Record.Sni) {
                Record.Sni = new TStatusNotifierItem(
                    [this](QObject* Item, QSystemTrayIcon::ActivationReason Reason,
                        const QPoint& Pt) { Activated(Item, Reason, Pt); },
                    FWatcher);
                Show(Record);
            }
            return;
        }
        if (!XEmbedPossible()) {
            return; // a StatusNotifierItem stays, and registers itself when a watcher comes
        }
        delete Record.Sni.data();
        if (!Record.XEmbed) {
            Record.XEmbed = new QSystemTrayIcon(FWatcher);
            QSystemTrayIcon* Icon = Record.XEmbed;
            QObject::connect(Icon, &QSystemTrayIcon::activated, Icon,
                [this, Icon](QSystemTrayIcon::ActivationReason Reason) {
                    Activated(Icon, Reason, QCursor::pos());
                });
            Show(Record);
            Again = true;
        }
        if (Again) {
            // Hiding first makes Qt look for the tray host again and dock the icon anew.
            Record.XEmbed->hide();
            Record.XEmbed->show();
        }
    }

    static void Apply(TRecord& Record, const TNotifyIconData& Data)
    {
        if (Data.uFlags & NIF_MESSAGE) {
            Record.CallbackMessage = Data.uCallbackMessage;
            Record.Menu = nullptr;
            if (Data.Menu) {
                Record.Menu = [Menu = Data.Menu] { return MenuOf(Menu()); };
            }
        }
        if (Data.uFlags & NIF_ICON) {
            Record.Icon = IconOf(Data.hIcon);
        }
        if (Data.uFlags & NIF_TIP) {
            Record.Tip = ToQt(Data.Tip());
        }
        Show(Record);
    }

    static void Show(TRecord& Record)
    {
        if (Record.XEmbed) {
            Record.XEmbed->setIcon(Record.Icon);
            Record.XEmbed->setToolTip(Record.Tip);
        }
        if (Record.Sni) {
            Record.Sni->SetTitle(ClientTitle());
            Record.Sni->SetIcon(Record.Icon);
            Record.Sni->SetToolTip(Record.Tip);
            Record.Sni->SetMenu(Record.Menu);
        }
    }

    // A host reports an action once; the window receives it as the press and release
    // that it stands for.
    void Activated(
        const QObject* Source, QSystemTrayIcon::ActivationReason Reason, const QPoint& Pt)
    {
        auto It = std::find_if(
            FRecords.begin(), FRecords.end(), [&](const std::unique_ptr<TRecord>& R) {
                return R->XEmbed == Source || R->Sni == Source;
            });
        if (It == FRecords.end() || !(*It)->Window || (*It)->CallbackMessage == 0) {
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
        const TRecord& Record = **It;
        for (quint32 Mouse : { Press, Release }) {
            QCoreApplication::postEvent(Record.Window,
                new TNotifyIconEvent(
                    { Record.CallbackMessage, Record.uID, std::intptr_t(Mouse), FromQt(Pt) }));
        }
    }

    std::vector<std::unique_ptr<TRecord>> FRecords;
    QPointer<TTrayHostWatcher> FWatcher;
    bool FHadWatcher = false;
    bool FScheduled = false;
};

TQtNotifyArea QtNotifyArea;
TServiceSlot<INotifyArea> Slot(QtNotifyArea);
}

INotifyArea& NotifyArea()
{
    return Slot.Get();
}
void SetNotifyArea(INotifyArea* Area)
{
    Slot.Set(Area);
}
