#include "toolkit/platform/linux/dbusmenu.h"

#include <QAction>
#include <QActionEvent>
#include <QActionGroup>
#include <QBuffer>
#include <QDBusMetaType>
#include <QGuiApplication>
#include <QIcon>
#include <QTimer>

QDBusArgument& operator<<(QDBusArgument& Arg, const TDBusMenuLayoutItem& Item)
{
    Arg.beginStructure();
    Arg << Item.Id << Item.Properties;
    Arg.beginArray(qMetaTypeId<QDBusVariant>());
    for (const TDBusMenuLayoutItem& Child : Item.Children) {
        Arg << QDBusVariant(QVariant::fromValue(Child));
    }
    Arg.endArray();
    Arg.endStructure();
    return Arg;
}

const QDBusArgument& operator>>(const QDBusArgument& Arg, TDBusMenuLayoutItem& Item)
{
    Arg.beginStructure();
    Arg >> Item.Id >> Item.Properties;
    Item.Children.clear();
    Arg.beginArray();
    while (!Arg.atEnd()) {
        QDBusVariant Wrapped;
        Arg >> Wrapped;
        TDBusMenuLayoutItem Child;
        qvariant_cast<QDBusArgument>(Wrapped.variant()) >> Child;
        Item.Children << Child;
    }
    Arg.endArray();
    Arg.endStructure();
    return Arg;
}

QDBusArgument& operator<<(QDBusArgument& Arg, const TDBusMenuItemProperties& Item)
{
    Arg.beginStructure();
    Arg << Item.Id << Item.Properties;
    Arg.endStructure();
    return Arg;
}

const QDBusArgument& operator>>(const QDBusArgument& Arg, TDBusMenuItemProperties& Item)
{
    Arg.beginStructure();
    Arg >> Item.Id >> Item.Properties;
    Arg.endStructure();
    return Arg;
}

QDBusArgument& operator<<(QDBusArgument& Arg, const TDBusMenuItemKeys& Item)
{
    Arg.beginStructure();
    Arg << Item.Id << Item.Names;
    Arg.endStructure();
    return Arg;
}

const QDBusArgument& operator>>(const QDBusArgument& Arg, TDBusMenuItemKeys& Item)
{
    Arg.beginStructure();
    Arg >> Item.Id >> Item.Names;
    Arg.endStructure();
    return Arg;
}

QDBusArgument& operator<<(QDBusArgument& Arg, const TDBusMenuEvent& Item)
{
    Arg.beginStructure();
    Arg << Item.Id << Item.EventId << Item.Data << Item.Timestamp;
    Arg.endStructure();
    return Arg;
}

const QDBusArgument& operator>>(const QDBusArgument& Arg, TDBusMenuEvent& Item)
{
    Arg.beginStructure();
    Arg >> Item.Id >> Item.EventId >> Item.Data >> Item.Timestamp;
    Arg.endStructure();
    return Arg;
}

void RegisterDBusMenuTypes()
{
    static const bool Done = [] {
        qDBusRegisterMetaType<TDBusMenuLayoutItem>();
        qDBusRegisterMetaType<TDBusMenuItemProperties>();
        qDBusRegisterMetaType<TDBusMenuItemPropertiesList>();
        qDBusRegisterMetaType<TDBusMenuItemKeys>();
        qDBusRegisterMetaType<TDBusMenuItemKeysList>();
        qDBusRegisterMetaType<TDBusMenuEvent>();
        qDBusRegisterMetaType<TDBusMenuEventList>();
        // QtDBus finds the types of methods and signals by the names they are written
        // with: without these, EventGroup and ItemsPropertiesUpdated would not be exported.
        qRegisterMetaType<TDBusMenuItemPropertiesList>("TDBusMenuItemPropertiesList");
        qRegisterMetaType<TDBusMenuItemKeysList>("TDBusMenuItemKeysList");
        qRegisterMetaType<TDBusMenuEventList>("TDBusMenuEventList");
        return true;
    }();
    Q_UNUSED(Done);
}

QString DBusMenuLabel(const QString& Text)
{
    QString Label;
    Label.reserve(Text.size() + 1);
    for (qsizetype i = 0; i < Text.size(); ++i) {
        const QChar C = Text.at(i);
        if (C == QLatin1Char('&')) {
            if (i + 1 < Text.size() && Text.at(i + 1) == QLatin1Char('&')) {
                Label += QLatin1Char('&');
                ++i;
            } else if (i + 1 < Text.size()) {
                Label += QLatin1Char('_'); // a trailing "&" marks nothing and is dropped
            }
        } else if (C == QLatin1Char('_')) {
            Label += QStringLiteral("__");
        } else {
            Label += C;
        }
    }
    return Label;
}

TDBusMenuExporter::TDBusMenuExporter(TMenuProvider Provider, QObject* Parent)
    : QObject(Parent)
    , FProvider(std::move(Provider))
{
    RegisterDBusMenuTypes();
}

QString TDBusMenuExporter::TextDirection() const
{
    return QGuiApplication::layoutDirection() == Qt::RightToLeft ? QStringLiteral("rtl")
                                                                 : QStringLiteral("ltr");
}

QMenu* TDBusMenuExporter::Root()
{
    if (!FRoot && FProvider) {
        FRoot = FProvider();
        if (FRoot) {
            Watch(FRoot);
        }
    }
    return FRoot;
}

QMenu* TDBusMenuExporter::MenuOf(int Id)
{
    if (Id == 0) {
        return Root();
    }
    const QPointer<QAction> Action = FActions.value(Id);
    return Action ? Action->menu() : nullptr;
}

int TDBusMenuExporter::IdOf(QAction* Action)
{
    auto It = FIds.constFind(Action);
    if (It != FIds.constEnd()) {
        return *It;
    }
    const int Id = FNextId++;
    FIds.insert(Action, Id);
    FActions.insert(Id, Action);
    connect(Action, &QObject::destroyed, this, [this, Action, Id] {
        FIds.remove(Action);
        FActions.remove(Id);
    });
    return Id;
}

void TDBusMenuExporter::Watch(QMenu* Menu)
{
    if (FWatched.contains(Menu)) {
        return;
    }
    FWatched.insert(Menu);
    Menu->installEventFilter(this);
    connect(Menu, &QObject::destroyed, this, [this, Menu] {
        FWatched.remove(Menu);
        Changed(true);
    });
}

QVariantMap TDBusMenuExporter::Properties(int Id, QAction* Action, const QStringList& Names)
{
    QVariantMap All;
    if (Id == 0) {
        All.insert(QStringLiteral("children-display"), QStringLiteral("submenu"));
    } else if (Action->isSeparator()) {
        All.insert(QStringLiteral("type"), QStringLiteral("separator"));
    } else {
        All.insert(QStringLiteral("label"), DBusMenuLabel(Action->text()));
        if (Action->menu()) {
            All.insert(QStringLiteral("children-display"), QStringLiteral("submenu"));
        }
        if (Action->isCheckable()) {
            const bool Radio = Action->actionGroup() && Action->actionGroup()->isExclusive();
            All.insert(QStringLiteral("toggle-type"),
                Radio ? QStringLiteral("radio") : QStringLiteral("checkmark"));
            All.insert(QStringLiteral("toggle-state"), Action->isChecked() ? 1 : 0);
        }
        if (!Action->icon().isNull()) {
            QByteArray Png;
            QBuffer Buffer(&Png);
            Buffer.open(QIODevice::WriteOnly);
            Action->icon().pixmap(16, 16).save(&Buffer, "PNG");
            All.insert(QStringLiteral("icon-data"), Png);
        }
    }
    // Defaults (enabled, visible) are left out, as the protocol asks.
    if (Action && !Action->isEnabled()) {
        All.insert(QStringLiteral("enabled"), false);
    }
    if (Action && !Action->isVisible()) {
        All.insert(QStringLiteral("visible"), false);
    }
    if (Names.isEmpty()) {
        return All;
    }
    QVariantMap Named;
    for (const QString& Name : Names) {
        auto It = All.constFind(Name);
        if (It != All.constEnd()) {
            Named.insert(Name, *It);
        }
    }
    return Named;
}

void TDBusMenuExporter::Fill(
    TDBusMenuLayoutItem& Item, QMenu* Menu, int Depth, const QStringList& Names)
{
    if (!Menu || Depth == 0) {
        return;
    }
    Watch(Menu);
    const QList<QAction*> Actions = Menu->actions();
    for (QAction* Action : Actions) {
        TDBusMenuLayoutItem Child;
        Child.Id = IdOf(Action);
        Child.Properties = Properties(Child.Id, Action, Names);
        Fill(Child, Action->menu(), Depth < 0 ? Depth : Depth - 1, Names);
        Item.Children << Child;
    }
}

bool TDBusMenuExporter::Layout(
    int ParentId, int Depth, const QStringList& Names, TDBusMenuLayoutItem& Result)
{
    Result = TDBusMenuLayoutItem();
    Result.Id = ParentId;
    QMenu* Menu = MenuOf(ParentId);
    if (ParentId != 0 && !FActions.value(ParentId)) {
        return false;
    }
    Result.Properties = Properties(ParentId, FActions.value(ParentId), Names);
    Fill(Result, Menu, Depth, Names);
    return true;
}

uint TDBusMenuExporter::GetLayout(
    int ParentId, int RecursionDepth, const QStringList& PropertyNames, TDBusMenuLayoutItem& Layout)
{
    if (!this->Layout(ParentId, RecursionDepth, PropertyNames, Layout) && calledFromDBus()) {
        sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("Unknown item %1").arg(ParentId));
    }
    return FRevision;
}

TDBusMenuItemPropertiesList TDBusMenuExporter::GetGroupProperties(
    const QList<int>& Ids, const QStringList& PropertyNames)
{
    TDBusMenuItemPropertiesList Result;
    for (int Id : Ids) {
        if (Id == 0 && Root()) {
            Result << TDBusMenuItemProperties { Id, Properties(0, nullptr, PropertyNames) };
        } else if (QAction* Action = FActions.value(Id)) {
            Result << TDBusMenuItemProperties { Id, Properties(Id, Action, PropertyNames) };
        }
    }
    return Result;
}

QDBusVariant TDBusMenuExporter::GetProperty(int Id, const QString& Name)
{
    QAction* Action = Id == 0 ? nullptr : FActions.value(Id).data();
    if ((Id != 0 && !Action) || (Id == 0 && !Root())) {
        if (calledFromDBus()) {
            sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("Unknown item %1").arg(Id));
        }
        return QDBusVariant(QVariant(0));
    }
    const QVariant Value = Properties(Id, Action, { Name }).value(Name);
    if (!Value.isValid() && calledFromDBus()) {
        sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("Unknown property %1").arg(Name));
        return QDBusVariant(QVariant(0));
    }
    return QDBusVariant(Value);
}

bool TDBusMenuExporter::Trigger(int Id, const QString& EventId)
{
    const QPointer<QAction> Action = FActions.value(Id);
    if (Id == 0 || !Action) {
        return Id == 0;
    }
    if (EventId != QLatin1String("clicked") || Action->menu() || Action->isSeparator()
        || !Action->isEnabled()) {
        return true; // "opened", "closed", "hovered" need nothing
    }
    QTimer::singleShot(0, Action, [Action] {
        if (Action && Action->isEnabled()) {
            Action->trigger();
        }
    });
    return true;
}

void TDBusMenuExporter::Event(int Id, const QString& EventId, const QDBusVariant&, uint)
{
    if (!Trigger(Id, EventId) && calledFromDBus()) {
        sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("Unknown item %1").arg(Id));
    }
}

QList<int> TDBusMenuExporter::EventGroup(const TDBusMenuEventList& Events)
{
    QList<int> Errors;
    for (const TDBusMenuEvent& E : Events) {
        if (!Trigger(E.Id, E.EventId)) {
            Errors << E.Id;
        }
    }
    return Errors;
}

// A menu filled when it is about to be shown fills itself now; whether that changed the
// layout tells the host to fetch it again.
bool TDBusMenuExporter::AboutToShow(int Id)
{
    QMenu* Menu = MenuOf(Id);
    if (!Menu) {
        return false;
    }
    const uint Before = FRevision;
    QMetaObject::invokeMethod(Menu, "aboutToShow");
    if (FFlushQueued) {
        Flush();
    }
    return FRevision != Before;
}

QList<int> TDBusMenuExporter::AboutToShowGroup(const QList<int>& Ids, QList<int>& IdErrors)
{
    QList<int> Updates;
    for (int Id : Ids) {
        if (!MenuOf(Id)) {
            IdErrors << Id;
        } else if (AboutToShow(Id)) {
            Updates << Id;
        }
    }
    return Updates;
}

bool TDBusMenuExporter::eventFilter(QObject* Watched, QEvent* Ev)
{
    switch (Ev->type()) {
    case QEvent::ActionAdded:
    case QEvent::ActionRemoved:
        Changed(true);
        break;
    case QEvent::ActionChanged:
        Changed(false, static_cast<QActionEvent*>(Ev)->action());
        break;
    default:
        break;
    }
    return QObject::eventFilter(Watched, Ev);
}

// Changes come in bursts (a menu being filled): they are announced once, when control
// returns to the event loop.
void TDBusMenuExporter::Changed(bool LayoutChanged, QAction* Action)
{
    if (LayoutChanged) {
        FLayoutDirty = true;
    } else if (Action && FIds.contains(Action)) {
        FDirtyItems.insert(FIds.value(Action));
    }
    if (!FFlushQueued) {
        FFlushQueued = true;
        QMetaObject::invokeMethod(this, &TDBusMenuExporter::Flush, Qt::QueuedConnection);
    }
}

void TDBusMenuExporter::Flush()
{
    if (!FFlushQueued) {
        return;
    }
    FFlushQueued = false;
    if (FLayoutDirty) {
        FLayoutDirty = false;
        FDirtyItems.clear();
        ++FRevision;
        emit LayoutUpdated(FRevision, 0);
        return;
    }
    TDBusMenuItemPropertiesList Updated;
    for (int Id : std::as_const(FDirtyItems)) {
        if (QAction* Action = FActions.value(Id)) {
            // Sent whole, defaults too, so that an item enabled again is seen as such.
            QVariantMap Values = Properties(Id, Action, {});
            Values.insert(QStringLiteral("enabled"), Action->isEnabled());
            Values.insert(QStringLiteral("visible"), Action->isVisible());
            Updated << TDBusMenuItemProperties { Id, Values };
        }
    }
    FDirtyItems.clear();
    if (!Updated.isEmpty()) {
        emit ItemsPropertiesUpdated(Updated, {});
    }
}
