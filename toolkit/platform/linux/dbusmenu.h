#pragma once

#include <QDBusArgument>
#include <QDBusContext>
#include <QDBusVariant>
#include <QList>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QVariantMap>

#include <functional>

class QAction;

// One node of a menu layout as com.canonical.dbusmenu sends it, (ia{sv}av): the item's
// number, its properties and its children, each child wrapped in a variant.
struct TDBusMenuLayoutItem {
    int Id = 0;
    QVariantMap Properties;
    QList<TDBusMenuLayoutItem> Children;
};

// (ia{sv}): the properties of one item.
struct TDBusMenuItemProperties {
    int Id = 0;
    QVariantMap Properties;
};
using TDBusMenuItemPropertiesList = QList<TDBusMenuItemProperties>;

// (ias): property names of one item that went back to their defaults.
struct TDBusMenuItemKeys {
    int Id = 0;
    QStringList Names;
};
using TDBusMenuItemKeysList = QList<TDBusMenuItemKeys>;

// (isvu): one event of EventGroup.
struct TDBusMenuEvent {
    int Id = 0;
    QString EventId;
    QDBusVariant Data;
    uint Timestamp = 0;
};
using TDBusMenuEventList = QList<TDBusMenuEvent>;

Q_DECLARE_METATYPE(TDBusMenuLayoutItem)
Q_DECLARE_METATYPE(TDBusMenuItemProperties)
Q_DECLARE_METATYPE(TDBusMenuItemKeys)
Q_DECLARE_METATYPE(TDBusMenuEvent)

QDBusArgument& operator<<(QDBusArgument& Arg, const TDBusMenuLayoutItem& Item);
const QDBusArgument& operator>>(const QDBusArgument& Arg, TDBusMenuLayoutItem& Item);
QDBusArgument& operator<<(QDBusArgument& Arg, const TDBusMenuItemProperties& Item);
const QDBusArgument& operator>>(const QDBusArgument& Arg, TDBusMenuItemProperties& Item);
QDBusArgument& operator<<(QDBusArgument& Arg, const TDBusMenuItemKeys& Item);
const QDBusArgument& operator>>(const QDBusArgument& Arg, TDBusMenuItemKeys& Item);
QDBusArgument& operator<<(QDBusArgument& Arg, const TDBusMenuEvent& Item);
const QDBusArgument& operator>>(const QDBusArgument& Arg, TDBusMenuEvent& Item);

// Registers the types above with QtDBus; needed before a menu is put on a bus.
void RegisterDBusMenuTypes();

// A Qt menu text as a D-Bus menu label: the accelerator mark "&" becomes "_", "&&"
// stands for a plain "&", and a plain "_" is doubled so that it is not taken for a mark.
QString DBusMenuLabel(const QString& Text);

// Puts a QMenu on the session bus as com.canonical.dbusmenu (version 3), for tray hosts
// that draw an item's menu themselves. Item 0 is the menu; every action of it and of its
// submenus gets a number of its own for as long as it lives. A "clicked" event triggers
// the action, just as choosing it in the shown menu does; it runs after the reply, so
// that a command that opens a dialog never keeps the host waiting.
//
// The menu is asked of the provider when a host first needs it, and again after it has
// been destroyed (a pop-up menu is rebuilt each time it is shown); changes to the
// actions are announced with LayoutUpdated and ItemsPropertiesUpdated.
class TDBusMenuExporter : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
    Q_PROPERTY(uint Version READ Version)
    Q_PROPERTY(QString TextDirection READ TextDirection)
    Q_PROPERTY(QString Status READ Status)
    Q_PROPERTY(QStringList IconThemePath READ IconThemePath)

public:
    using TMenuProvider = std::function<QMenu*()>;

    explicit TDBusMenuExporter(TMenuProvider Provider, QObject* Parent = nullptr);

    uint Version() const { return 3; }
    QString TextDirection() const;
    QString Status() const { return QStringLiteral("normal"); }
    QStringList IconThemePath() const { return {}; }

    // The layout under ParentId, Depth levels deep (-1: all), with the named properties
    // (none named: all); an unknown ParentId gives false.
    bool Layout(int ParentId, int Depth, const QStringList& Names, TDBusMenuLayoutItem& Result);
    uint Revision() const { return FRevision; }
    // The exported menu, asked of the provider when there is none; null when it has none.
    QMenu* Menu() { return Root(); }

public slots:
    uint GetLayout(int ParentId, int RecursionDepth, const QStringList& PropertyNames,
        TDBusMenuLayoutItem& Layout);
    TDBusMenuItemPropertiesList GetGroupProperties(
        const QList<int>& Ids, const QStringList& PropertyNames);
    QDBusVariant GetProperty(int Id, const QString& Name);
    void Event(int Id, const QString& EventId, const QDBusVariant& Data, uint Timestamp);
    QList<int> EventGroup(const TDBusMenuEventList& Events);
    bool AboutToShow(int Id);
    QList<int> AboutToShowGroup(const QList<int>& Ids, QList<int>& IdErrors);

signals:
    void ItemsPropertiesUpdated(
        const TDBusMenuItemPropertiesList& UpdatedProps, const TDBusMenuItemKeysList& RemovedProps);
    void LayoutUpdated(uint Revision, int Parent);
    void ItemActivationRequested(int Id, uint Timestamp);

protected:
    bool eventFilter(QObject* Watched, QEvent* Ev) override;

private:
    QMenu* Root();
    QMenu* MenuOf(int Id);
    int IdOf(QAction* Action);
    QVariantMap Properties(int Id, QAction* Action, const QStringList& Names);
    void Fill(TDBusMenuLayoutItem& Item, QMenu* Menu, int Depth, const QStringList& Names);
    void Watch(QMenu* Menu);
    bool Trigger(int Id, const QString& EventId);
    void Changed(bool LayoutChanged, QAction* Action = nullptr);
    void Flush();

    TMenuProvider FProvider;
    QPointer<QMenu> FRoot;
    QHash<QAction*, int> FIds;
    QHash<int, QPointer<QAction>> FActions;
    QSet<QMenu*> FWatched;
    int FNextId = 1;
    uint FRevision = 1;
    bool FFlushQueued = false;
    bool FLayoutDirty = false;
    QSet<int> FDirtyItems;
};
