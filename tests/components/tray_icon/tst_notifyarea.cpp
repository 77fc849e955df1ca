#include "toolkit/platform/notifyarea.h"

#include <QApplication>
#include <QCursor>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTest>
#include <QWidget>

#include <memory>

namespace {

// Logs the callback messages a window receives.
class TReceiver : public QWidget {
public:
    QStringList Received;

protected:
    bool event(QEvent* Event) override
    {
        if (Event->type() == TNotifyIconMessage::EventType()) {
            const auto* M = static_cast<TNotifyIconMessage*>(Event);
            Received << QStringLiteral("%1:%2:0x%3")
                            .arg(M->Msg, 0, 16)
                            .arg(M->WParam)
                            .arg(M->LParam, 0, 16);
            return true;
        }
        return QWidget::event(Event);
    }
};

TNotifyIconData Record(QWidget* Window, quint32 Id, const QString& Tip)
{
    TNotifyIconData D;
    D.cbSize = NotifyIconDataV1Size;
    D.hWnd = Window;
    D.uID = Id;
    D.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    D.uCallbackMessage = 0x464;
    QPixmap Pixmap(16, 16);
    Pixmap.fill(Qt::red);
    D.hIcon = QIcon(Pixmap);
    D.SetTip(Tip);
    return D;
}

QList<QSystemTrayIcon*> Icons()
{
    return qApp->findChildren<QSystemTrayIcon*>(Qt::FindDirectChildrenOnly);
}

} // namespace

// The system's notification area on QSystemTrayIcon, without a tray host (offscreen).
class tst_NotifyArea : public QObject {
    Q_OBJECT

private slots:
    void cleanup();
    void addModifyDelete();
    void addingAgainPutsTheSameRecordUp();
    void recordsAreKeyedByWindowAndNumber();
    void activations_data();
    void activations();
    void recordWithoutCallbackMessageReportsNothing();
    void removalAfterTheWindowIsGone();
};

void tst_NotifyArea::cleanup()
{
    for (QSystemTrayIcon* Icon : Icons()) {
        delete Icon;
    }
}

void tst_NotifyArea::addModifyDelete()
{
    TReceiver Window;
    TNotifyIconData D = Record(&Window, 1, QStringLiteral("Veludor"));
    QVERIFY(!NotifyArea().ShellNotifyIcon(NIM_MODIFY, D)); // no record yet
    QVERIFY(NotifyArea().ShellNotifyIcon(NIM_ADD, D));
    QCOMPARE(Icons().size(), 1);
    QSystemTrayIcon* Icon = Icons().first();
    QCOMPARE(Icon->toolTip(), QStringLiteral("Veludor"));
    QVERIFY(!Icon->icon().isNull());
    QVERIFY(Icon->isVisible());

    D.SetTip(QString(QLatin1Char('x')).repeated(70));
    D.hIcon = QIcon();
    D.uFlags = NIF_TIP; // only the tip changes
    QVERIFY(NotifyArea().ShellNotifyIcon(NIM_MODIFY, D));
    QCOMPARE(Icon->toolTip(), QString(QLatin1Char('x')).repeated(63));
    QVERIFY(!Icon->icon().isNull());

    QVERIFY(NotifyArea().ShellNotifyIcon(NIM_DELETE, D));
    QVERIFY(Icons().isEmpty());
    QVERIFY(!NotifyArea().ShellNotifyIcon(NIM_DELETE, D));
}

void tst_NotifyArea::addingAgainPutsTheSameRecordUp()
{
    TReceiver Window;
    TNotifyIconData D = Record(&Window, 1, QStringLiteral("un"));
    QVERIFY(NotifyArea().ShellNotifyIcon(NIM_ADD, D));
    D.SetTip(QStringLiteral("deux"));
    QVERIFY(NotifyArea().ShellNotifyIcon(NIM_ADD, D)); // after a tray host restart
    QCOMPARE(Icons().size(), 1);
    QCOMPARE(Icons().first()->toolTip(), QStringLiteral("deux"));
    QVERIFY(Icons().first()->isVisible());
    QVERIFY(NotifyArea().ShellNotifyIcon(NIM_DELETE, D));
}

void tst_NotifyArea::recordsAreKeyedByWindowAndNumber()
{
    TReceiver First;
    TReceiver Second;
    QVERIFY(NotifyArea().ShellNotifyIcon(NIM_ADD, Record(&First, 1, QStringLiteral("a"))));
    QVERIFY(NotifyArea().ShellNotifyIcon(NIM_ADD, Record(&First, 2, QStringLiteral("b"))));
    QVERIFY(NotifyArea().ShellNotifyIcon(NIM_ADD, Record(&Second, 1, QStringLiteral("c"))));
    QCOMPARE(Icons().size(), 3);
    QVERIFY(NotifyArea().ShellNotifyIcon(NIM_DELETE, Record(&First, 2, QString())));
    QStringList Tips;
    for (QSystemTrayIcon* Icon : Icons()) {
        Tips << Icon->toolTip();
    }
    Tips.sort();
    QCOMPARE(Tips, (QStringList { "a", "c" }));
    NotifyArea().ShellNotifyIcon(NIM_DELETE, Record(&First, 1, QString()));
    NotifyArea().ShellNotifyIcon(NIM_DELETE, Record(&Second, 1, QString()));
    QVERIFY(Icons().isEmpty());
}

void tst_NotifyArea::activations_data()
{
    QTest::addColumn<QSystemTrayIcon::ActivationReason>("Reason");
    QTest::addColumn<QStringList>("Messages");

    QTest::newRow("left click: left press and release")
        << QSystemTrayIcon::Trigger << QStringList { "464:7:0x201", "464:7:0x202" };
    QTest::newRow("double-click: double-click and release")
        << QSystemTrayIcon::DoubleClick << QStringList { "464:7:0x203", "464:7:0x202" };
    QTest::newRow("right click: right press and release")
        << QSystemTrayIcon::Context << QStringList { "464:7:0x204", "464:7:0x205" };
    QTest::newRow("middle click: middle press and release")
        << QSystemTrayIcon::MiddleClick << QStringList { "464:7:0x207", "464:7:0x208" };
    QTest::newRow("unknown: nothing") << QSystemTrayIcon::Unknown << QStringList {};
}

void tst_NotifyArea::activations()
{
    QFETCH(QSystemTrayIcon::ActivationReason, Reason);
    QFETCH(QStringList, Messages);
    TReceiver Window;
    TNotifyIconData D = Record(&Window, 7, QString());
    QVERIFY(NotifyArea().ShellNotifyIcon(NIM_ADD, D));

    emit Icons().first()->activated(Reason);
    QVERIFY(Window.Received.isEmpty()); // queued, as the tray's messages are
    QCoreApplication::processEvents();
    QCOMPARE(Window.Received, Messages);
    NotifyArea().ShellNotifyIcon(NIM_DELETE, D);
}

void tst_NotifyArea::recordWithoutCallbackMessageReportsNothing()
{
    TReceiver Window;
    TNotifyIconData D = Record(&Window, 1, QString());
    D.uFlags = NIF_ICON;
    QVERIFY(NotifyArea().ShellNotifyIcon(NIM_ADD, D));
    emit Icons().first()->activated(QSystemTrayIcon::Trigger);
    QCoreApplication::processEvents();
    QVERIFY(Window.Received.isEmpty());
    NotifyArea().ShellNotifyIcon(NIM_DELETE, D);
}

void tst_NotifyArea::removalAfterTheWindowIsGone()
{
    auto* Window = new TReceiver;
    TNotifyIconData D = Record(Window, 1, QStringLiteral("Veludor"));
    QVERIFY(NotifyArea().ShellNotifyIcon(NIM_ADD, D));
    QSystemTrayIcon* Icon = Icons().first();
    emit Icon->activated(QSystemTrayIcon::Trigger); // still queued when the window goes
    delete Window;
    QCoreApplication::processEvents();

    emit Icon->activated(QSystemTrayIcon::Context); // no window to tell
    QCoreApplication::processEvents();
    QVERIFY(NotifyArea().ShellNotifyIcon(NIM_MODIFY, D));
    QVERIFY(NotifyArea().ShellNotifyIcon(NIM_DELETE, D));
    QVERIFY(Icons().isEmpty());
}

QTEST_MAIN(tst_NotifyArea)
#include "tst_notifyarea.moc"
