#include "toolkit/platform/linux/sni_item.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QImage>
#include <QLoggingCategory>
#include <QtEndian>

Q_LOGGING_CATEGORY(lcSni, "veludor.tray", QtInfoMsg)

namespace {

const QString WatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString ItemPath = QStringLiteral("/StatusNotifierItem");
const QString MenuPath = QStringLiteral("/MenuBar");

} // namespace

QDBusArgument& operator<<(QDBusArgument& Arg, const TSniPixmap& Pixmap)
{
    Arg.beginStructure();
    Arg << Pixmap.Width << Pixmap.Height << Pixmap.Data;
    Arg.endStructure();
    return Arg;
}

const QDBusArgument& operator>>(const QDBusArgument& Arg, TSniPixmap& Pixmap)
{
    Arg.beginStructure();
    Arg >> Pixmap.Width >> Pixmap.Height >> Pixmap.Data;
    Arg.endStructure();
    return Arg;
}

QDBusArgument& operator<<(QDBusArgument& Arg, const TSniToolTip& Tip)
{
    Arg.beginStructure();
    Arg << Tip.IconName << Tip.Pixmaps << Tip.Title << Tip.Description;
    Arg.endStructure();
    return Arg;
}

const QDBusArgument& operator>>(const QDBusArgument& Arg, TSniToolTip& Tip)
{
    Arg.beginStructure();
    Arg >> Tip.IconName >> Tip.Pixmaps >> Tip.Title >> Tip.Description;
    Arg.endStructure();
    return Arg;
}

namespace {

void RegisterTypes()
{
    static const bool Done = [] {
        qDBusRegisterMetaType<TSniPixmap>();
        qDBusRegisterMetaType<TSniPixmapList>();
        qDBusRegisterMetaType<TSniToolTip>();
        RegisterDBusMenuTypes();
        return true;
    }();
    Q_UNUSED(Done);
}

int NextNumber()
{
    static int Number = 0;
    return ++Number;
}

} // namespace

TSniPixmapList SniPixmaps(const QIcon& Icon)
{
    TSniPixmapList Result;
    if (Icon.isNull()) {
        return Result;
    }
    for (const int Size : { 16, 22, 32, 48 }) {
        QImage Image = Icon.pixmap(QSize(Size, Size)).toImage();
        if (Image.isNull()) {
            continue;
        }
        if (Image.size() != QSize(Size, Size)) {
            Image = Image.scaled(Size, Size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        }
        Image = Image.convertToFormat(QImage::Format_ARGB32);
        TSniPixmap Pixmap;
        Pixmap.Width = Image.width();
        Pixmap.Height = Image.height();
        Pixmap.Data.resize(qsizetype(Image.width()) * Image.height() * 4);
        auto* Out = reinterpret_cast<uchar*>(Pixmap.Data.data());
        for (int Y = 0; Y < Image.height(); ++Y) {
            const auto* Line = reinterpret_cast<const quint32*>(Image.constScanLine(Y));
            for (int X = 0; X < Image.width(); ++X, Out += 4) {
                qToBigEndian<quint32>(Line[X], Out);
            }
        }
        Result << Pixmap;
    }
    return Result;
}

TStatusNotifierItem::TStatusNotifierItem(TClick Click, QObject* Parent)
    : QObject(Parent)
    , FConnectionName(QStringLiteral("veludor-sni-%1").arg(NextNumber()))
    , FBus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, FConnectionName))
    , FClick(std::move(Click))
{
    RegisterTypes();
    if (!FBus.isConnected()) {
        qCWarning(lcSni) << "no session bus for the tray icon:" << FBus.lastError().message();
        return;
    }
    FMenu
        = new TDBusMenuExporter([this] { return FMenuProvider ? FMenuProvider() : nullptr; }, this);
    FBus.registerObject(ItemPath, this, QDBusConnection::ExportAllContents);
    FBus.registerObject(MenuPath, FMenu, QDBusConnection::ExportAllContents);
    // The connection's unique name, not a well-known org.kde.StatusNotifierItem-<pid>-<n>:
    // GNOME's AppIndicator extension watches a well-known name it is given, and when the
    // watch's first report comes after it has read our properties it clears Id and Menu
    // and then drops the item (about 3 starts in 10). A unique name it does not watch;
    // every watcher accepts one, and it goes away with the connection.
    FService = FBus.baseService();
    auto* Watcher = new QDBusServiceWatcher(
        WatcherService, FBus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(Watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
        [this](const QString&, const QString&, const QString& NewOwner) {
            if (!NewOwner.isEmpty()) {
                qCDebug(lcSni) << "a StatusNotifierWatcher took the name";
                Register();
            }
        });
    Register();
}

TStatusNotifierItem::~TStatusNotifierItem()
{
    if (FBus.isConnected()) {
        FBus.unregisterObject(MenuPath);
        FBus.unregisterObject(ItemPath);
    }
    QDBusConnection::disconnectFromBus(FConnectionName);
}

void TStatusNotifierItem::Register()
{
    if (FService.isEmpty()) {
        return;
    }
    QDBusMessage Call
        = QDBusMessage::createMethodCall(WatcherService, QStringLiteral("/StatusNotifierWatcher"),
            WatcherService, QStringLiteral("RegisterStatusNotifierItem"));
    Call << FService;
    auto* Pending = new QDBusPendingCallWatcher(FBus.asyncCall(Call), this);
    connect(
        Pending, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* Reply) {
            if (Reply->isError()) {
                qCDebug(lcSni) << "not registered:" << Reply->error().message();
            } else {
                qCDebug(lcSni) << "registered as" << FService;
            }
            Reply->deleteLater();
        });
}

QString TStatusNotifierItem::Id() const
{
    const QString Name = QCoreApplication::applicationName();
    return Name.isEmpty() ? QStringLiteral("veludor") : Name;
}

void TStatusNotifierItem::SetTitle(const QString& Value)
{
    if (Value != FTitle) {
        FTitle = Value;
        emit NewTitle();
    }
}

// The same icon again (each change of the record carries it) announces nothing.
void TStatusNotifierItem::SetIcon(const QIcon& Value)
{
    if (FIconSet && Value.cacheKey() == FIcon.cacheKey()) {
        return;
    }
    FIconSet = true;
    FIcon = Value;
    FPixmaps = SniPixmaps(Value);
    emit NewIcon();
}

void TStatusNotifierItem::SetToolTip(const QString& Value)
{
    if (Value != FToolTip) {
        FToolTip = Value;
        emit NewToolTip();
    }
}

void TStatusNotifierItem::SetMenu(std::function<QMenu*()> Provider)
{
    FMenuProvider = std::move(Provider);
}

TSniToolTip TStatusNotifierItem::ToolTip() const
{
    TSniToolTip Tip;
    Tip.Title = FToolTip;
    return Tip;
}

QDBusObjectPath TStatusNotifierItem::Menu() const
{
    const bool HasMenu = FMenu && FMenu->Menu();
    return QDBusObjectPath(HasMenu ? MenuPath : QStringLiteral("/NO_DBUSMENU"));
}

void TStatusNotifierItem::Activate(int X, int Y)
{
    if (FClick) {
        FClick(this, QSystemTrayIcon::Trigger, QPoint(X, Y));
    }
}

void TStatusNotifierItem::SecondaryActivate(int X, int Y)
{
    if (FClick) {
        FClick(this, QSystemTrayIcon::MiddleClick, QPoint(X, Y));
    }
}

void TStatusNotifierItem::ContextMenu(int X, int Y)
{
    if (FClick) {
        FClick(this, QSystemTrayIcon::Context, QPoint(X, Y));
    }
}

void TStatusNotifierItem::Scroll(int, const QString&)
{
}
