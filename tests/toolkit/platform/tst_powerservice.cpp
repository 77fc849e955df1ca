#include "tests/fakes/categorylog.h"
#include "tests/fakes/mocklogind.h"
#include "toolkit/platform/power.h"

#include <QtTest>

// The power-off request against what the system bus may hold. Each ctest entry runs
// this program in one setting, named by VELUDOR_SYSTEM_BUS: "logind" (a mock logind on
// a private bus), "empty" (a private bus without logind) or "absent" (no bus at the
// address). The machine's own bus is never used.

namespace {
const QString Accepted = QStringLiteral("power-off accepted");
const QString Refused = QStringLiteral("power-off refused or failed");
const QString NoBus = QStringLiteral("no system bus");
}

class TestPowerOffOnLogind : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(FLogind.IsConnected());
        FLogind.SetRefusing(false);
        FLogind.ClearCalls();
    }

    void eachRequestIsOneInteractivePowerOff_data()
    {
        QTest::addColumn<int>("requests");
        QTest::newRow("one request, one call") << 1;
        QTest::newRow("three requests, three calls") << 3;
    }

    void eachRequestIsOneInteractivePowerOff()
    {
        QFETCH(int, requests);
        TCategoryLog Log("veludor.power");
        for (int i = 0; i < requests; ++i) {
            PowerService().PowerOff();
        }
        QTRY_COMPARE_WITH_TIMEOUT(Log.Count(Accepted), requests, 10000);
        QCOMPARE(FLogind.PowerOffCalls(), QList<bool>(requests, true));
        QCOMPARE(Log.Count(Refused), 0);
    }

    void refusalIsOnlyLogged()
    {
        FLogind.SetRefusing(true);
        TCategoryLog Log("veludor.power");
        PowerService().PowerOff();
        QTRY_COMPARE_WITH_TIMEOUT(Log.Count(Refused), 1, 10000);
        QVERIFY(Log.Messages().join(QLatin1Char('\n')).contains(QStringLiteral("AccessDenied")));
        QCOMPARE(FLogind.PowerOffCalls(), QList<bool>({ true }));
    }

private:
    TMockLogind FLogind;
};

class TestPowerOffWithoutLogind : public QObject {
    Q_OBJECT

private slots:
    void missingServiceIsOnlyLogged()
    {
        TCategoryLog Log("veludor.power");
        PowerService().PowerOff();
        QTRY_COMPARE_WITH_TIMEOUT(Log.Count(Refused), 1, 10000);
        QVERIFY(Log.Messages().join(QLatin1Char('\n')).contains(QStringLiteral("ServiceUnknown")));
    }
};

class TestPowerOffWithoutBus : public QObject {
    Q_OBJECT

private slots:
    void missingBusIsOnlyLogged()
    {
        TCategoryLog Log("veludor.power");
        PowerService().PowerOff();
        PowerService().PowerOff(); // tried again at each request
        QTRY_COMPARE_WITH_TIMEOUT(Log.Count(NoBus), 2, 10000);
        QCOMPARE(Log.Count(Accepted) + Log.Count(Refused), 0);
    }
};

int main(int argc, char** argv)
{
    QCoreApplication App(argc, argv);
    const QByteArray Bus = qgetenv("VELUDOR_SYSTEM_BUS");
    if (Bus == "logind") {
        TestPowerOffOnLogind Test;
        return QTest::qExec(&Test, argc, argv);
    }
    if (Bus == "empty") {
        TestPowerOffWithoutLogind Test;
        return QTest::qExec(&Test, argc, argv);
    }
    if (Bus == "absent") {
        TestPowerOffWithoutBus Test;
        return QTest::qExec(&Test, argc, argv);
    }
    qCritical("VELUDOR_SYSTEM_BUS must say which private bus this test runs on");
    return 1;
}

#include "tst_powerservice.moc"
