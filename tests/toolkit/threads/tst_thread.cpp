// The thread facility: start gate, stop flag, self-disposal on the thread's own thread,
// the synchronous hand-over to the window thread and its failures, creation failure.
#include "toolkit/qt/qtconvert.h"
#include "toolkit/threads/thread.h"

#include "tests/fakes/pump.h"

#include <QTest>

#include <atomic>
#include <mutex>
#include <stdexcept>
#include <system_error>

#include <sys/resource.h>

Q_DECLARE_METATYPE(TThreadPriority)

namespace {

// A thread whose body is given by the test.
class TLambdaThread : public TThread {
public:
    using TBody = std::function<void(TLambdaThread& Self)>;
    TLambdaThread(TBody Body, bool Free)
        : TThread(true)
        , FBody(std::move(Body))
    {
        SetFreeOnTerminate(Free);
    }
    ~TLambdaThread() override
    {
        if (!FreeOnTerminate()) {
            // The body uses this object's members: it must be over before they go.
            Terminate();
            WaitFor();
        }
        if (OnDestroy) {
            OnDestroy();
        }
    }
    std::function<void()> OnDestroy;

protected:
    void Execute() override { FBody(*this); }

private:
    TBody FBody;
};

// What a body saw, written on the worker and read by the test once the worker is done.
struct TSeen {
    std::mutex Lock;
    std::thread::id ExecuteThread;
    std::thread::id CallThread;
    std::thread::id DestroyThread;
    bool CallRanBeforeReturn = false;
    QString Caught;
    int Nice = 0;
};

std::thread RefusingStarter(std::function<void()>)
{
    throw std::system_error(EAGAIN, std::generic_category());
}

} // namespace

class tst_Thread : public QObject {
    Q_OBJECT

private slots:
    void cleanup();
    void handOverRunsOnWindowThreadBeforeCallerGoesOn();
    void handOverOnWindowThreadRunsAtOnce();
    void handOverFailureRaisedOnWorker_data();
    void handOverFailureRaisedOnWorker();
    void stopFlagEndsLoop();
    void selfDisposalOnOwnThread();
    void referenceOutlivesThread();
    void unstartedThreadReleasedWithoutBody_data();
    void unstartedThreadReleasedWithoutBody();
    void creationFailureCarriesSystemText();
    void priorityRelativeToProcess_data();
    void priorityRelativeToProcess();
};

void tst_Thread::cleanup()
{
    TThread::SetThreadStarter(nullptr);
    QVERIFY(PumpUntil([] { return TThread::InstanceCount() == 0; }));
}

void tst_Thread::handOverRunsOnWindowThreadBeforeCallerGoesOn()
{
    TSeen Seen;
    bool CallRan = false; // touched by the call on the window thread, then by the worker
    auto* T = new TLambdaThread(
        [&](TLambdaThread&) {
            Seen.ExecuteThread = std::this_thread::get_id();
            TThread::Synchronize([&] {
                Seen.CallThread = std::this_thread::get_id();
                CallRan = true;
            });
            Seen.CallRanBeforeReturn = CallRan;
        },
        false);
    T->Start();
    QVERIFY(PumpUntil([&] { return T->Finished(); }));
    T->WaitFor();
    delete T;
    QCOMPARE(Seen.CallThread, std::this_thread::get_id());
    QVERIFY(Seen.ExecuteThread != std::this_thread::get_id());
    QVERIFY(Seen.CallRanBeforeReturn);
}

void tst_Thread::handOverOnWindowThreadRunsAtOnce()
{
    int Calls = 0;
    TThread::Synchronize([&] { ++Calls; });
    QCOMPARE(Calls, 1);
}

void tst_Thread::handOverFailureRaisedOnWorker_data()
{
    QTest::addColumn<int>("Kind");
    QTest::addColumn<QString>("Expected");
    QTest::newRow("French message kept") << 0 << QStringLiteral("Panne de l'affichage");
    QTest::newRow("standard exception") << 1 << QStringLiteral("std:bad thing");
    QTest::newRow("anything thrown") << 2 << QStringLiteral("other");
}

void tst_Thread::handOverFailureRaisedOnWorker()
{
    QFETCH(int, Kind);
    QFETCH(QString, Expected);
    TSeen Seen;
    int CallsAfter = 0;
    auto* T = new TLambdaThread(
        [&, Kind](TLambdaThread&) {
            try {
                TThread::Synchronize([Kind] {
                    if (Kind == 0) {
                        throw Exception(u"Panne de l'affichage");
                    }
                    if (Kind == 1) {
                        throw std::runtime_error("bad thing");
                    }
                    throw 42;
                });
            } catch (const Exception& E) {
                Seen.Caught = ToQt(E.Message());
            } catch (const std::exception& E) {
                Seen.Caught = QStringLiteral("std:") + QString::fromUtf8(E.what());
            } catch (...) {
                Seen.Caught = QStringLiteral("other");
            }
            // The facility goes on working after a failed call.
            TThread::Synchronize([&] { ++CallsAfter; });
        },
        false);
    T->Start();
    QVERIFY(PumpUntil([&] { return T->Finished(); }));
    delete T;
    QCOMPARE(Seen.Caught, Expected);
    QCOMPARE(CallsAfter, 1);
}

void tst_Thread::stopFlagEndsLoop()
{
    int Calls = 0;
    auto* T = new TLambdaThread(
        [&](TLambdaThread& Self) {
            while (!Self.Terminated()) {
                TThread::Synchronize([&] { ++Calls; });
            }
        },
        false);
    T->Start();
    QVERIFY(PumpUntil([&] { return Calls >= 20; }));
    QVERIFY(!T->Finished());
    T->Terminate();
    QVERIFY(T->Terminated());
    const int AtStop = Calls;
    QVERIFY(PumpUntil([&] { return T->Finished(); }));
    // The call already handed over when the flag was set is the only one after it.
    QVERIFY2(Calls - AtStop <= 1, qPrintable(QString::number(Calls - AtStop)));
    delete T;
}

void tst_Thread::selfDisposalOnOwnThread()
{
    auto Seen = std::make_shared<TSeen>();
    std::atomic<bool> Destroyed { false };
    auto* T = new TLambdaThread(
        [Seen](TLambdaThread&) {
            const std::lock_guard Lock(Seen->Lock);
            Seen->ExecuteThread = std::this_thread::get_id();
        },
        true);
    T->OnDestroy = [Seen, &Destroyed] {
        {
            const std::lock_guard Lock(Seen->Lock);
            Seen->DestroyThread = std::this_thread::get_id();
        }
        Destroyed.store(true);
    };
    QCOMPARE(TThread::InstanceCount(), 1);
    T->Start(); // from here T belongs to its thread
    QVERIFY(PumpUntil([&] { return Destroyed.load(); }));
    QVERIFY(PumpUntil([] { return TThread::InstanceCount() == 0; }));
    const std::lock_guard Lock(Seen->Lock);
    QCOMPARE(Seen->DestroyThread, Seen->ExecuteThread);
    QVERIFY(Seen->DestroyThread != std::this_thread::get_id());
}

void tst_Thread::referenceOutlivesThread()
{
    TThread::TReference Ref;
    QVERIFY(!Ref.Assigned());
    Ref.Terminate(); // unassigned: nothing
    QVERIFY(!Ref.Running());

    auto* T = new TLambdaThread(
        [](TLambdaThread& Self) {
            while (!Self.Terminated()) {
                TThread::Synchronize([] {});
            }
        },
        true);
    Ref = T->Reference();
    QVERIFY(!Ref.Running()); // not started yet
    T->Start();
    QVERIFY(Ref.Running());
    QVERIFY(!Ref.Terminated());
    Ref.Terminate();
    QVERIFY(Ref.Terminated());
    QVERIFY(PumpUntil([] { return TThread::InstanceCount() == 0; }));
    // The object is gone; the reference still answers and stopping again does nothing.
    QVERIFY(!Ref.Running());
    Ref.Terminate();
    Ref.Reset();
    QVERIFY(!Ref.Assigned());
}

void tst_Thread::unstartedThreadReleasedWithoutBody_data()
{
    QTest::addColumn<bool>("Free");
    QTest::newRow("owned thread") << false;
    QTest::newRow("self-disposing thread never started") << true;
}

void tst_Thread::unstartedThreadReleasedWithoutBody()
{
    QFETCH(bool, Free);
    std::atomic<bool> Ran { false };
    auto* T = new TLambdaThread([&](TLambdaThread&) { Ran.store(true); }, Free);
    QVERIFY(!T->Started());
    delete T;
    QVERIFY(!Ran.load());
    QCOMPARE(TThread::InstanceCount(), 0);
}

void tst_Thread::creationFailureCarriesSystemText()
{
    TThread::SetThreadStarter(&RefusingStarter);
    const QString SystemText
        = QString::fromLocal8Bit(std::generic_category().message(EAGAIN).c_str());
    try {
        TLambdaThread T([](TLambdaThread&) {}, false);
        QFAIL("the thread was created");
    } catch (const EThread& E) {
        QCOMPARE(ToQt(E.Message()), QStringLiteral("Erreur de création de thread : ") + SystemText);
    }
    QCOMPARE(TThread::InstanceCount(), 0);
}

void tst_Thread::priorityRelativeToProcess_data()
{
    QTest::addColumn<TThreadPriority>("Priority");
    QTest::addColumn<int>("Step");
    QTest::newRow("normal keeps the process's niceness") << TThreadPriority::tpNormal << 0;
    QTest::newRow("lower adds 5") << TThreadPriority::tpLower << 5;
    QTest::newRow("idle is the weakest there is") << TThreadPriority::tpIdle << 19;
}

void tst_Thread::priorityRelativeToProcess()
{
    QFETCH(TThreadPriority, Priority);
    QFETCH(int, Step);
    const int Base = getpriority(PRIO_PROCESS, 0);
    TSeen Seen;
    auto* T = new TLambdaThread(
        [&](TLambdaThread&) { Seen.Nice = getpriority(PRIO_PROCESS, 0); }, false);
    T->SetPriority(Priority);
    T->Start();
    T->WaitFor();
    delete T;
    QCOMPARE(Seen.Nice, std::min(Base + Step, 19));
}

QTEST_GUILESS_MAIN(tst_Thread)
#include "tst_thread.moc"
