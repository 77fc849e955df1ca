// The windowing platform chosen at start from the environment.
#include "toolkit/platform/displayplatform.h"

#include <QTest>

class tst_DisplayPlatform : public QObject {
    Q_OBJECT
private slots:
    void choice_data()
    {
        QTest::addColumn<QByteArray>("Qpa");
        QTest::addColumn<QByteArray>("Display");
        QTest::addColumn<QByteArray>("Wayland");
        QTest::addColumn<QByteArray>("Session");
        QTest::addColumn<QByteArray>("Expected");
        // XWayland under GNOME or KDE: X11 first, so that place, shape and task list work.
        QTest::newRow("both displays") << QByteArray() << QByteArray(":1")
                                       << QByteArray("wayland-0") << QByteArray("wayland")
                                       << QByteArray("xcb;wayland");
        QTest::newRow("plain X11") << QByteArray() << QByteArray(":0") << QByteArray()
                                   << QByteArray("x11") << QByteArray("xcb");
        QTest::newRow("Wayland alone") << QByteArray() << QByteArray() << QByteArray("wayland-1")
                                       << QByteArray() << QByteArray("wayland");
        QTest::newRow("Wayland session, default socket")
            << QByteArray() << QByteArray() << QByteArray() << QByteArray("wayland")
            << QByteArray("wayland");
        // The user's own choice stands, whatever the displays.
        QTest::newRow("user chose wayland") << QByteArray("wayland") << QByteArray(":1")
                                            << QByteArray("wayland-0") << QByteArray()
                                            << QByteArray();
        QTest::newRow("user chose offscreen") << QByteArray("offscreen") << QByteArray(":0")
                                              << QByteArray() << QByteArray() << QByteArray();
        // Nothing known: Qt's default and its own error message.
        QTest::newRow("no display") << QByteArray() << QByteArray() << QByteArray()
                                    << QByteArray("tty") << QByteArray();
    }

    void choice()
    {
        QFETCH(QByteArray, Qpa);
        QFETCH(QByteArray, Display);
        QFETCH(QByteArray, Wayland);
        QFETCH(QByteArray, Session);
        QFETCH(QByteArray, Expected);
        QCOMPARE(QByteArray::fromStdString(ChooseDisplayPlatform({ Qpa.toStdString(),
                     Display.toStdString(), Wayland.toStdString(), Session.toStdString() })),
            Expected);
    }

    // The choice reaches the application object but not the programs started later.
    void choiceLastsWhileItLives()
    {
        const QByteArray Saved = qgetenv("QT_QPA_PLATFORM");
        qunsetenv("QT_QPA_PLATFORM");
        qputenv("DISPLAY", ":7");
        {
            TDisplayPlatformChoice Choice;
            QCOMPARE(qgetenv("QT_QPA_PLATFORM"), QByteArray::fromStdString(Choice.Platform()));
            QVERIFY(Choice.Platform().starts_with("xcb"));
        }
        QVERIFY(!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"));
        if (!Saved.isEmpty()) {
            qputenv("QT_QPA_PLATFORM", Saved);
        }
    }
};

QTEST_GUILESS_MAIN(tst_DisplayPlatform)
#include "tst_displayplatform.moc"
