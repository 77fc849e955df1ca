#include "toolkit/platform/linux/dbusmenu.h"
#include "toolkit/platform/linux/sni_item.h"
#include "toolkit/platform/mousemessages.h"
#include "toolkit/platform/linux/notifyiconevent.h"
#include "toolkit/platform/notifyarea.h"
#include "toolkit/qt/qtconvert.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QMenu>
#include <QPixmap>
#include <QTest>
#include <QWidget>

namespace {

const QString ItemInterface = QStringLiteral("org.kde.StatusNotifierItem");
const QString MenuInterface = QStringLiteral("com.canonical.dbusmenu");

bool OnPrivateBus() { return qEnvironmentVariable("VELUDOR_SESSION_BUS") == QLatin1String("private"); }

// Logs the callback messages a window receives, with the point they carry.
class TReceiver : public QWidget {
public:
    QStringList Received;

protected:
    bool event(QEvent* Event) override
    {
        if (Event->type() == TNotifyIconEvent::EventType()) {
            const auto* M = static_cast<TNotifyIconEvent*>(Event);
            Received << QStringLiteral("%1:%2:0x%3@%4,%5")
                            .arg(M->Msg, 0, 16)
                            .arg(M->WParam)
                            .arg(M->LParam, 0, 16)
                            .arg(M->Pt.X)
                            .arg(M->Pt.Y);
            return true;
        }
        return QWidget::event(Event);
    }
};

// The records' icon: it must outlive the commands that name it.
const QIcon& RedIcon()
{
    static const QIcon Icon = [] {
        QPixmap Pixmap(16, 16);
        Pixmap.fill(Qt::red);
        return QIcon(Pixmap);
    }();
    return Icon;
}

TNotifyIconData Record(QWidget* Window, quint32 Id, const QString& Tip)
{
    TNotifyIconData D;
    D.cbSize = NotifyIconDataV1Size;
    D.hWnd = HandleOf(Window);
    D.uID = Id;
    D.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    D.uCallbackMessage = 0x464;
    D.hIcon = IconHandleOf(RedIcon());
    D.SetTip(FromQt(Tip));
    return D;
}

} // namespace

#define REQUIRE_BUS()                                                                              \
    do {                                                                                           \
        if (!OnPrivateBus()) {                                                                     \
            QSKIP("needs the private session bus (tst_notifyarea_sni)");                           \
        }                                                                                          \
    } while (false)

// A StatusNotifierWatcher of the test's own, on a connection of its own: it lists the
// items that register, as a panel's watcher does.
class TWatcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ Host)

public:
    QDBusConnection Bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("watcher"));
    QStringList Items;
    bool Host() const { return true; }
    void Start()
    {
        Bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), this, QDBusConnection::ExportAllContents);
        QVERIFY(Bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher")));
    }
    void Stop()
    {
        Bus.unregisterService(QStringLiteral("org.kde.StatusNotifierWatcher"));
        Bus.unregisterObject(QStringLiteral("/StatusNotifierWatcher"));
        Items.clear();
    }
    // A call to our own process: the reply is waited for with the event loop running.
    QDBusMessage Call(const QString& Path, const QString& Interface, const QString& Method,
        const QVariantList& Arguments = {})
    {
        QDBusMessage M = QDBusMessage::createMethodCall(Items.value(0), Path, Interface, Method);
        M.setArguments(Arguments);
        return Bus.call(M, QDBus::BlockWithGui);
    }
    // The names that the introspection data of Path lacks.
    QStringList Unlisted(const QString& Path, const QStringList& Names)
    {
        const QString Xml = Call(Path, QStringLiteral("org.freedesktop.DBus.Introspectable"),
            QStringLiteral("Introspect"))
                                .arguments()
                                .value(0)
                                .toString();
        QStringList Missing;
        for (const QString& Name : Names) {
            if (!Xml.contains(QStringLiteral("name=\"%1\"").arg(Name))) {
                Missing << Name;
            }
        }
        return Missing;
    }
    QVariant Property(const QString& Path, const QString& Interface, const QString& Name)
    {
        const QDBusMessage Reply = Call(Path, QStringLiteral("org.freedesktop.DBus.Properties"),
            QStringLiteral("Get"), { Interface, Name });
        return Reply.arguments().value(0).value<QDBusVariant>().variant();
    }

public slots:
    void RegisterStatusNotifierItem(const QString& Service) { Items << Service; }
};

// The system's notification area: records without any tray host (offscreen, no bus),
// and on a private session bus a StatusNotifierItem with its exported menu.
class tst_NotifyArea : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void labels_data();
    void labels();
    void recordsWithoutHost();
    void itemShowsTheRecord();
    void watcherAfterTheRecord();
    void activations_data();
    void activations();
    void menu();

private:
    TWatcher* FWatcher = nullptr;
    int FHostAppeared = 0;
};

void tst_NotifyArea::init()
{
    FHostAppeared = 0;
    SetNotifyAreaClient({ [] { return TString(u"Veludor"); }, [this] { ++FHostAppeared; } });
    if (OnPrivateBus() && !FWatcher) {
        FWatcher = new TWatcher;
    }
}

void tst_NotifyArea::cleanup()
{
    if (FWatcher) {
        FWatcher->Stop();
    }
}

void tst_NotifyArea::labels_data()
{
    QTest::addColumn<QString>("Text");
    QTest::addColumn<QString>("Label");
    QTest::newRow("accelerator") << "&Quitter" << "_Quitter";
    QTest::newRow("accelerator inside") << "Chrono&metre" << "Chrono_metre";
    QTest::newRow("plain ampersand") << "Tom && Jerry" << "Tom & Jerry";
    QTest::newRow("ampersand then accelerator") << "&&&x" << "&_x";
    QTest::newRow("underscore doubled") << "bleu_nuit.bmp" << "bleu__nuit.bmp";
    QTest::newRow("trailing mark dropped") << "fin&" << "fin";
}

void tst_NotifyArea::labels()
{
    QFETCH(QString, Text);
    QFETCH(QString, Label);
    QCOMPARE(DBusMenuLabel(Text), Label);
}

void tst_NotifyArea::recordsWithoutHost()
{
    TReceiver First;
    TReceiver Second;
    TNotifyIconData D = Record(&First, 1, QStringLiteral("un"));
    QVERIFY(!NotifyArea().ShellNotifyIcon(NIM_MODIFY, D)); // no record yet
    QVERIFY(NotifyArea().ShellNotifyIcon(NIM_ADD, D));
    QVERIFY(NotifyArea().ShellNotifyIcon(NIM_ADD, D)); // again, after a tray host restart
    QVERIFY(NotifyArea().ShellNotifyIcon(NIM_ADD, Record(&Second, 1, QString())));
    QVERIFY(NotifyArea().ShellNotifyIcon(NIM_MODIFY, D));
    QVERIFY(NotifyArea().ShellNotifyIcon(NIM_DELETE, D));
    QVERIFY(!NotifyArea().ShellNotifyIcon(NIM_DELETE, D));
    QVERIFY(!NotifyArea().ShellNotifyIcon(NIM_DELETE, Record(&First, 2, QString())));
    QVERIFY(NotifyArea().ShellNotifyIcon(NIM_DELETE, Record(&Second, 1, QString())));
}

void tst_NotifyArea::itemShowsTheRecord()
{
    REQUIRE_BUS();
    FWatcher->Start();
    QTest::qWait(50); // the area sees the watcher's name arrive
    TReceiver Window;
    TNotifyIconData D = Record(&Window, 1, QStringLiteral("Veludor"));
    QVERIFY(NotifyArea().ShellNotifyIcon(NIM_ADD, D));
    QTRY_COMPARE(FWatcher->Items.size(), 1);
    const QString Service = FWatcher->Items.first();
    // A unique name of ours, never a well-known one (GNOME's AppIndicator extension races
    // its watch of a well-known name against its first read of the item).
    QVERIFY(Service.startsWith(QLatin1Char(':')));
    QCOMPARE(FWatcher->Bus.interface()->servicePid(Service).value(), uint(QCoreApplication::applicationPid()));

    const QString Path = QStringLiteral("/StatusNotifierItem");
    // Hosts, and Qt's own tray code, go by the introspection data.
    QCOMPARE(FWatcher->Unlisted(Path,
                 { "Category", "Id", "Title", "Status", "IconName", "IconPixmap", "ToolTip", "ItemIsMenu",
                     "Menu", "Activate", "SecondaryActivate", "ContextMenu", "Scroll", "NewIcon",
                     "NewToolTip", "NewStatus" }),
        QStringList());
    QCOMPARE(FWatcher->Property(Path, ItemInterface, QStringLiteral("Title")).toString(), QStringLiteral("Veludor"));
    QCOMPARE(FWatcher->Property(Path, ItemInterface, QStringLiteral("Menu")).value<QDBusObjectPath>().path(),
        QStringLiteral("/NO_DBUSMENU"));
    TSniPixmapList Pixmaps;
    FWatcher->Property(Path, ItemInterface, QStringLiteral("IconPixmap")).value<QDBusArgument>() >> Pixmaps;
    QVERIFY(!Pixmaps.isEmpty());
    const TSniPixmap& Small = Pixmaps.first();
    QCOMPARE(Small.Data.size(), Small.Width * Small.Height * 4);
    QCOMPARE(Small.Data.left(4), QByteArray("\xff\xff\x00\x00", 4)); // opaque red, A R G B

    D.SetTip(FromQt(QString(QLatin1Char('x')).repeated(70)));
    D.uFlags = NIF_TIP;
    QVERIFY(NotifyArea().ShellNotifyIcon(NIM_MODIFY, D));
    TSniToolTip Tip;
    FWatcher->Property(Path, ItemInterface, QStringLiteral("ToolTip")).value<QDBusArgument>() >> Tip;
    QCOMPARE(Tip.Title, QString(QLatin1Char('x')).repeated(63));

    QVERIFY(NotifyArea().ShellNotifyIcon(NIM_DELETE, D));
    QTRY_VERIFY(!FWatcher->Bus.interface()->isServiceRegistered(Service));
}

void tst_NotifyArea::watcherAfterTheRecord()
{
    REQUIRE_BUS();
    TReceiver Window;
    TNotifyIconData D = Record(&Window, 1, QString());
    QVERIFY(NotifyArea().ShellNotifyIcon(NIM_ADD, D));
    QTest::qWait(100);
    QVERIFY(FWatcher->Items.isEmpty());
    FWatcher->Start();
    QTRY_COMPARE(FWatcher->Items.size(), 1);
    QTRY_VERIFY(FHostAppeared > 0); // the application window hears "TaskbarCreated"
    QVERIFY(NotifyArea().ShellNotifyIcon(NIM_DELETE, D));
}

void tst_NotifyArea::activations_data()
{
    QTest::addColumn<QString>("Method");
    QTest::addColumn<QStringList>("Messages");
    QTest::newRow("Activate: left press and release")
        << "Activate" << QStringList { "464:7:0x201@30,40", "464:7:0x202@30,40" };
    QTest::newRow("ContextMenu: right press and release")
        << "ContextMenu" << QStringList { "464:7:0x204@30,40", "464:7:0x205@30,40" };
    QTest::newRow("SecondaryActivate: middle press and release")
        << "SecondaryActivate" << QStringList { "464:7:0x207@30,40", "464:7:0x208@30,40" };
}

void tst_NotifyArea::activations()
{
    QFETCH(QString, Method);
    QFETCH(QStringList, Messages);
    REQUIRE_BUS();
    FWatcher->Start();
    QTest::qWait(50);
    TReceiver Window;
    TNotifyIconData D = Record(&Window, 7, QString());
    QVERIFY(NotifyArea().ShellNotifyIcon(NIM_ADD, D));
    QTRY_COMPARE(FWatcher->Items.size(), 1);
    const QDBusMessage Reply
        = FWatcher->Call(QStringLiteral("/StatusNotifierItem"), ItemInterface, Method, { 30, 40 });
    QCOMPARE(Reply.type(), QDBusMessage::ReplyMessage);
    QTRY_COMPARE(Window.Received, Messages);
    QVERIFY(NotifyArea().ShellNotifyIcon(NIM_DELETE, D));
}

void tst_NotifyArea::menu()
{
    REQUIRE_BUS();
    FWatcher->Start();
    QTest::qWait(50);
    auto* Menu = new QMenu;
    int Quit = 0;
    QObject::connect(Menu->addAction(QStringLiteral("&Quitter")), &QAction::triggered, [&] { ++Quit; });
    Menu->addSeparator();
    Menu->addAction(QStringLiteral("Grisé"))->setEnabled(false);
    QMenu* Sub = Menu->addMenu(QStringLiteral("&Couleur"));
    Sub->addAction(QStringLiteral("bleu_nuit.bmp"));
    QPointer<QMenu> Guard(Menu);
    int Asked = 0;
    TReceiver Window;
    TNotifyIconData D = Record(&Window, 1, QString());
    D.Menu = [&]() -> TMenuHandle {
        ++Asked;
        return MenuHandleOf(Guard);
    };
    QVERIFY(NotifyArea().ShellNotifyIcon(NIM_ADD, D));
    QTRY_COMPARE(FWatcher->Items.size(), 1);
    const QString MenuPath = FWatcher->Property(QStringLiteral("/StatusNotifierItem"), ItemInterface,
        QStringLiteral("Menu")).value<QDBusObjectPath>().path();
    QCOMPARE(MenuPath, QStringLiteral("/MenuBar"));
    QCOMPARE(FWatcher->Property(MenuPath, MenuInterface, QStringLiteral("Version")).toUInt(), 3u);
    QCOMPARE(FWatcher->Unlisted(MenuPath,
                 { "GetLayout", "GetGroupProperties", "GetProperty", "Event", "EventGroup", "AboutToShow",
                     "AboutToShowGroup", "LayoutUpdated", "ItemsPropertiesUpdated", "Version" }),
        QStringList());

    const QDBusMessage Reply = FWatcher->Call(MenuPath, MenuInterface, QStringLiteral("GetLayout"),
        { 0, -1, QStringList() });
    QCOMPARE(Reply.type(), QDBusMessage::ReplyMessage);
    TDBusMenuLayoutItem Root;
    Reply.arguments().value(1).value<QDBusArgument>() >> Root;
    QCOMPARE(Root.Id, 0);
    QStringList Seen;
    for (const TDBusMenuLayoutItem& Item : Root.Children) {
        QStringList Facts { Item.Properties.value(QStringLiteral("label")).toString() };
        for (const QString Key : { "type", "enabled", "children-display" }) {
            if (Item.Properties.contains(Key)) {
                Facts << Key + QLatin1Char('=') + Item.Properties.value(Key).toString();
            }
        }
        for (const TDBusMenuLayoutItem& Child : Item.Children) {
            Facts << QLatin1Char('[') + Child.Properties.value(QStringLiteral("label")).toString() + QLatin1Char(']');
        }
        Seen << Facts.join(QLatin1Char(' '));
    }
    QCOMPARE(Seen, (QStringList { "_Quitter", " type=separator", "Grisé enabled=false",
                       "_Couleur children-display=submenu [bleu__nuit.bmp]" }));

    // "clicked" triggers the action after the reply, as choosing it in the menu does.
    const int QuitId = Root.Children.first().Id;
    QCOMPARE(FWatcher->Call(MenuPath, MenuInterface, QStringLiteral("Event"),
                          { QuitId, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(0)), 0u })
                 .type(),
        QDBusMessage::ReplyMessage);
    QTRY_COMPARE(Quit, 1);
    // The same through EventGroup, which libdbusmenu hosts use; unknown items come back.
    const TDBusMenuEventList Events { { QuitId, QStringLiteral("clicked"), QDBusVariant(0), 0 },
        { 999, QStringLiteral("clicked"), QDBusVariant(0), 0 } };
    const QDBusMessage Group = FWatcher->Call(MenuPath, MenuInterface, QStringLiteral("EventGroup"),
        { QVariant::fromValue(Events) });
    QCOMPARE(Group.type(), QDBusMessage::ReplyMessage);
    QList<int> Errors;
    Group.arguments().value(0).value<QDBusArgument>() >> Errors;
    QCOMPARE(Errors, QList<int> { 999 });
    QTRY_COMPARE(Quit, 2);

    // A pop-up rebuilt since: the host is told, and the new menu is asked for.
    delete Menu;
    auto* Rebuilt = new QMenu;
    Rebuilt->addAction(QStringLiteral("Nouveau"));
    Guard = Rebuilt;
    const int AskedBefore = Asked;
    const QDBusMessage Again = FWatcher->Call(MenuPath, MenuInterface, QStringLiteral("GetLayout"),
        { 0, 1, QStringList { QStringLiteral("label") } });
    TDBusMenuLayoutItem NewRoot;
    Again.arguments().value(1).value<QDBusArgument>() >> NewRoot;
    QCOMPARE(NewRoot.Children.size(), 1);
    QCOMPARE(NewRoot.Children.first().Properties.value(QStringLiteral("label")).toString(), QStringLiteral("Nouveau"));
    QVERIFY(Again.arguments().value(0).toUInt() > Reply.arguments().value(0).toUInt());
    QCOMPARE(Asked, AskedBefore + 1);
    QVERIFY(NotifyArea().ShellNotifyIcon(NIM_DELETE, D));
    delete Rebuilt;
}

QTEST_MAIN(tst_NotifyArea)
#include "tst_notifyarea.moc"
