#pragma once

#include "toolkit/platform/linux/dbusmenu.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QSystemTrayIcon>

#include <functional>

// (iiay): one picture of an icon, ARGB32 pixels in network byte order.
struct TSniPixmap {
    int Width = 0;
    int Height = 0;
    QByteArray Data;
};
using TSniPixmapList = QList<TSniPixmap>;

// (sa(iiay)ss): an item's tip: icon name, pictures, title and description.
struct TSniToolTip {
    QString IconName;
    TSniPixmapList Pixmaps;
    QString Title;
    QString Description;
};

Q_DECLARE_METATYPE(TSniPixmap)
Q_DECLARE_METATYPE(TSniToolTip)

QDBusArgument& operator<<(QDBusArgument& Arg, const TSniPixmap& Pixmap);
const QDBusArgument& operator>>(const QDBusArgument& Arg, TSniPixmap& Pixmap);
QDBusArgument& operator<<(QDBusArgument& Arg, const TSniToolTip& Tip);
const QDBusArgument& operator>>(const QDBusArgument& Arg, TSniToolTip& Tip);

// The pictures of Icon at the sizes tray hosts draw, for IconPixmap.
TSniPixmapList SniPixmaps(const QIcon& Icon);

// One icon of ours in a StatusNotifierItem host (org.kde.StatusNotifierItem), with its
// menu exported as com.canonical.dbusmenu at /MenuBar.
//
// Each item has a session-bus connection of its own, on which it serves
// /StatusNotifierItem. It registers the connection's unique name with
// org.kde.StatusNotifierWatcher at once and again whenever the watcher's owner changes,
// so a host that starts (or restarts) after us still gets the icon. Destroying the item
// closes the connection, whose name going away takes the icon out of the hosts.
class TStatusNotifierItem : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ Category)
    Q_PROPERTY(QString Id READ Id)
    Q_PROPERTY(QString Title READ Title)
    Q_PROPERTY(QString Status READ Status)
    Q_PROPERTY(int WindowId READ WindowId)
    Q_PROPERTY(QString IconThemePath READ NoName)
    Q_PROPERTY(QString IconName READ IconName)
    Q_PROPERTY(TSniPixmapList IconPixmap READ IconPixmap)
    Q_PROPERTY(QString OverlayIconName READ NoName)
    Q_PROPERTY(TSniPixmapList OverlayIconPixmap READ NoPixmaps)
    Q_PROPERTY(QString AttentionIconName READ NoName)
    Q_PROPERTY(TSniPixmapList AttentionIconPixmap READ NoPixmaps)
    Q_PROPERTY(QString AttentionMovieName READ NoName)
    Q_PROPERTY(TSniToolTip ToolTip READ ToolTip)
    Q_PROPERTY(bool ItemIsMenu READ ItemIsMenu)
    Q_PROPERTY(QDBusObjectPath Menu READ Menu)

public:
    // Clicks as Qt names them: Trigger (Activate), MiddleClick (SecondaryActivate) and
    // Context (ContextMenu), with the point the host gave.
    using TClick = std::function<void(
        TStatusNotifierItem* Item, QSystemTrayIcon::ActivationReason Reason, const QPoint& Pt)>;

    explicit TStatusNotifierItem(TClick Click, QObject* Parent = nullptr);
    ~TStatusNotifierItem() override;

    // The bus name the item is registered under; empty when there is no session bus.
    QString Service() const { return FService; }
    void SetTitle(const QString& Value);
    void SetIcon(const QIcon& Value);
    void SetToolTip(const QString& Value);
    void SetMenu(std::function<QMenu*()> Provider);

    QString Category() const { return QStringLiteral("ApplicationStatus"); }
    QString Id() const;
    QString Title() const { return FTitle; }
    QString Status() const { return QStringLiteral("Active"); }
    int WindowId() const { return 0; }
    QString NoName() const { return {}; }
    TSniPixmapList NoPixmaps() const { return {}; }
    QString IconName() const { return FIcon.name(); }
    TSniPixmapList IconPixmap() const { return FPixmaps; }
    TSniToolTip ToolTip() const;
    bool ItemIsMenu() const { return false; }
    // /MenuBar while there is a menu to show, else the protocol's "no menu" path.
    QDBusObjectPath Menu() const;

public slots:
    void Activate(int X, int Y);
    void SecondaryActivate(int X, int Y);
    void ContextMenu(int X, int Y);
    void Scroll(int Delta, const QString& Orientation);

signals:
    void NewTitle();
    void NewIcon();
    void NewAttentionIcon();
    void NewOverlayIcon();
    void NewToolTip();
    void NewStatus(const QString& Status);

private:
    // Asks the watcher to list the item (again); a missing watcher is no failure.
    void Register();

    QString FConnectionName;
    QString FService;
    QDBusConnection FBus;
    TClick FClick;
    QString FTitle;
    QIcon FIcon;
    bool FIconSet = false;
    TSniPixmapList FPixmaps;
    QString FToolTip;
    std::function<QMenu*()> FMenuProvider;
    TDBusMenuExporter* FMenu = nullptr;
};
