#include "toolkit/platform/power.h"

#include "toolkit/platform/serviceslot.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDeadlineTimer>
#include <QLoggingCategory>
#include <QThread>

// The power-off request goes to systemd-logind on the system bus:
// org.freedesktop.login1.Manager.PowerOff(interactive = true), so that the session's
// authentication agent may ask the user when policy wants it.
//
// Connecting to the bus waits for the bus daemon's answer, so the whole exchange runs
// on a worker thread with its own event loop and the window thread never waits. A
// fresh private connection is made for each request: a bus that was missing at one
// request is found at the next, and nothing stays connected while the clock runs.
// No bus, no logind or a refusal is only logged.

namespace {
Q_LOGGING_CATEGORY(lcPower, "veludor.power", QtInfoMsg)

// The user may take a while to answer an authentication prompt; logind answers after it.
constexpr int ReplyTimeoutMs = 10 * 60 * 1000;
constexpr int ExitWaitMs = 2000;

void RequestPowerOff(QObject* Worker)
{
    static int Serial = 0;
    const QString Name = QStringLiteral("veludor-power-%1").arg(++Serial);
    QDBusConnection Bus = QDBusConnection::connectToBus(QDBusConnection::SystemBus, Name);
    if (!Bus.isConnected()) {
        qCDebug(lcPower) << "no system bus:" << Bus.lastError().message();
        QDBusConnection::disconnectFromBus(Name);
        return;
    }
    QDBusMessage Call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.login1"),
        QStringLiteral("/org/freedesktop/login1"), QStringLiteral("org.freedesktop.login1.Manager"),
        QStringLiteral("PowerOff"));
    Call << true;
    auto* Watcher = new QDBusPendingCallWatcher(Bus.asyncCall(Call, ReplyTimeoutMs), Worker);
    QObject::connect(
        Watcher, &QDBusPendingCallWatcher::finished, Worker, [Name](QDBusPendingCallWatcher* W) {
            const QDBusPendingReply<> Reply = *W;
            if (Reply.isError()) {
                qCDebug(lcPower) << "power-off refused or failed:" << Reply.error().name()
                                 << Reply.error().message();
            } else {
                qCDebug(lcPower) << "power-off accepted";
            }
            W->deleteLater();
            QDBusConnection::disconnectFromBus(Name);
        });
}

class TLogindPower : public IPowerService {
public:
    ~TLogindPower() override { Shutdown(); }

    void PowerOff() override
    {
        if (!FThread) {
            Start();
        }
        QObject* Worker = FWorker;
        QMetaObject::invokeMethod(
            Worker, [Worker] { RequestPowerOff(Worker); }, Qt::QueuedConnection);
    }

    // Stops the worker before Qt's D-Bus machinery goes away with the application. A
    // worker still stuck on a bus that does not answer is left to the process's end
    // rather than destroyed while it runs.
    void Shutdown()
    {
        if (!FThread) {
            return;
        }
        FThread->quit();
        if (FThread->wait(QDeadlineTimer(ExitWaitMs))) {
            delete FWorker;
            delete FThread;
        } else {
            qCDebug(lcPower) << "power request still waiting at exit";
        }
        FWorker = nullptr;
        FThread = nullptr;
    }

private:
    void Start();

    QThread* FThread = nullptr;
    QObject* FWorker = nullptr;
};

TLogindPower LogindPower;
TServiceSlot<IPowerService> Slot(LogindPower);

void TLogindPower::Start()
{
    FThread = new QThread;
    FThread->setObjectName(QStringLiteral("veludor-power"));
    FWorker = new QObject;
    FWorker->moveToThread(FThread);
    FThread->start();
    qAddPostRoutine([] { LogindPower.Shutdown(); });
}
}

IPowerService& PowerService()
{
    return Slot.Get();
}
void SetPowerService(IPowerService* Service)
{
    Slot.Set(Service);
}
