#include "toolkit/threads/thread.h"

#include "toolkit/core/log.h"
#include "toolkit/platform/wakecounter.h"
#include "toolkit/widgetset/widgetset.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

static const TLogCategory lcThread { "veludor.thread" };

// What a thread shares with the references to it and with its own system thread; it
// outlives a self-disposing thread object for as long as anyone holds it.
struct TThreadState {
    std::atomic<bool> Terminated { false };
    std::atomic<bool> Started { false };
    std::atomic<bool> Finished { false };
    // The system thread, once it runs (priority changes); set before Running is.
    TSystemThread System;
    std::atomic<bool> Running { false };

    // The start gate: the body waits here until Start, or until the object is destroyed
    // without having been started.
    std::mutex GateLock;
    std::condition_variable Gate;
    bool Open = false;
    bool Abandoned = false;
};

namespace {

std::atomic<int> Instances { 0 };

std::thread DefaultStarter(std::function<void()> Body)
{
    return std::thread(std::move(Body));
}

std::atomic<TThread::TThreadStarter> Starter { &DefaultStarter };

TString LoopEndedText()
{
    return u"La boucle de messages est terminée : l'appel n'a pas été exécuté";
}

// ---------------------------------------------------------------------------
// The hand-over to the window thread

// One call handed over: it lives on the waiting worker's stack until Done.
struct TSyncRecord {
    const std::function<void()>* Method;
    std::exception_ptr Error;
    bool Done = false;
    std::condition_variable Event; // the caller's own event, waited on with the lock
};

// The program-wide queue under its one lock. Never destroyed: a worker may still be
// waiting on it while the process exits.
struct TSyncState {
    std::mutex Lock;
    std::vector<TSyncRecord*> Queue;
    // The storage of the last batch run, handed back to Queue at the next run: a worker
    // handing over again and again then queues without allocating.
    std::vector<TSyncRecord*> Spare;
    // The wake-up: an event counter that the window thread's loop watches. Set from the
    // first thread created on the window thread until the hand-overs are closed.
    std::unique_ptr<IWakeCounter> Wake;
    std::thread::id WindowThread;
    bool Closed = false;
};

TSyncState& Sync()
{
    static auto* State = new TSyncState;
    return *State;
}

// Ends the hand-overs for good: the event loop has ended (or the application object is
// going away). Waiting callers are released with a failure instead of the call, so a
// worker still in its loop ends by itself and nothing waits on it.
void CloseSynchronize()
{
    TSyncState& S = Sync();
    const std::lock_guard Guard(S.Lock);
    if (S.Closed) {
        return;
    }
    S.Closed = true;
    S.Wake.reset();
    for (TSyncRecord* R : S.Queue) {
        R->Error = std::make_exception_ptr(EThread(LoopEndedText()));
        R->Done = true;
        R->Event.notify_one();
    }
    S.Queue.clear();
}

// Sets up the wake-up the first time a thread is created on the window thread: the
// window system watches the counter in its loops and closes the hand-overs when its
// loop ends (or its application goes away).
//
// The wake-up is a write to the counter rather than posted work: nothing allocated by a
// worker is handed to the window thread (where the window system's filters would read it
// before any lock of ours could order that), repeated wake-ups before the window thread
// gets to them merge into one, and the counter's write and read order the two threads in
// a way ThreadSanitizer can check.
void InstallWaker()
{
    TSyncState& S = Sync();
    {
        const std::lock_guard Guard(S.Lock);
        if (S.Wake || S.Closed) {
            return;
        }
    }
    TString Error;
    std::unique_ptr<IWakeCounter> Counter = CreateWakeCounter(Error);
    if (!Counter) {
        LogWarning(lcThread, "no wake-up for the window thread: " + StringToUtf8(Error));
        return;
    }
    IWakeCounter* Raw = Counter.get();
    const bool Watched = WidgetSet().WatchWakeHandle(
        Raw->Handle(),
        [Raw] {
            // Drained before the queue is read: a wake-up written after this point
            // leaves the counter readable, so no queued call is ever missed.
            {
                TSyncState& S = Sync();
                const std::lock_guard Guard(S.Lock);
                if (S.Wake.get() == Raw) {
                    Raw->Drain();
                }
            }
            CheckSynchronize();
        },
        [] { CheckSynchronize(); }, [] { CloseSynchronize(); });
    if (!Watched) {
        return; // off the window thread, or no window system yet
    }
    const std::lock_guard Guard(S.Lock);
    S.Wake = std::move(Counter);
    S.WindowThread = std::this_thread::get_id();
}

} // namespace

// ---------------------------------------------------------------------------
// TThread::TReference

bool TThread::TReference::Running() const
{
    return FState && FState->Started.load() && !FState->Finished.load();
}

bool TThread::TReference::Terminated() const
{
    return FState && FState->Terminated.load();
}

void TThread::TReference::Terminate() const
{
    if (FState) {
        FState->Terminated.store(true);
    }
}

// ---------------------------------------------------------------------------
// TThread

TThread::TThread(bool CreateSuspended)
    : FState(std::make_shared<TThreadState>())
    , FCreateSuspended(CreateSuspended)
{
    InstallWaker();
    try {
        FThread = Starter.load()([Self = this, State = FState] {
            {
                std::unique_lock Lock(State->GateLock);
                State->Gate.wait(Lock, [&] { return State->Open || State->Abandoned; });
                if (State->Abandoned) {
                    return; // destroyed before it was started: the object is gone
                }
            }
            ThreadProc(Self);
        });
    } catch (const std::system_error& E) {
        throw EThread(FormatMessage(
            u"Erreur de création de thread : %s", { Utf8ToString(E.code().message()) }));
    }
    ++Instances;
}

TThread::~TThread()
{
    // A self-disposing thread runs this on its own thread, detached: nothing to wait for.
    if (FThread.joinable()) {
        {
            const std::lock_guard Lock(FState->GateLock);
            if (!FState->Open) {
                FState->Abandoned = true;
            }
        }
        FState->Terminated.store(true);
        FState->Gate.notify_one();
        if (FThread.get_id() == std::this_thread::get_id()) {
            FThread.detach(); // an owned thread deleting itself from its body
        } else {
            FThread.join();
        }
    }
    --Instances;
}

void TThread::ThreadProc(TThread* Self)
{
    const std::shared_ptr<TThreadState> State = Self->FState;
    State->System = CurrentSystemThread();
    State->Running.store(true);
    Self->ApplyPriority();
    try {
        Self->Execute();
    } catch (...) {
        Self->FFatalException = std::current_exception();
    }
    const bool Free = Self->FFreeOnTerminate;
    State->Finished.store(true);
    // From here an owned thread's object may be destroyed by its owner at any moment.
    if (Free) {
        delete Self;
    }
}

void TThread::AfterConstruction()
{
    if (!FCreateSuspended) {
        Start();
    }
}

void TThread::Start()
{
    const std::shared_ptr<TThreadState> State = FState;
    std::unique_lock Lock(State->GateLock);
    if (State->Open || State->Abandoned) {
        return;
    }
    // Detached before the gate opens: once it is open, a self-disposing thread may
    // destroy this object at any moment.
    if (FFreeOnTerminate) {
        FThread.detach();
    }
    State->Started.store(true);
    State->Open = true;
    Lock.unlock();
    State->Gate.notify_one();
}

bool TThread::Started() const
{
    return FState->Started.load();
}

bool TThread::Finished() const
{
    return FState->Finished.load();
}

void TThread::Terminate()
{
    FState->Terminated.store(true);
}

bool TThread::Terminated() const
{
    return FState->Terminated.load();
}

void TThread::SetPriority(TThreadPriority Value)
{
    FPriority = Value;
    if (FState->Running.load() && !FState->Finished.load()) {
        ApplyPriority();
    }
}

void TThread::ApplyPriority()
{
    std::string Why;
    if (!SetSystemThreadPriority(FState->System, FPriority.load(), Why)) {
        LogDebug(
            lcThread, "priority refused: " + std::to_string(int(FPriority.load())) + " " + Why);
    }
}

void TThread::WaitFor()
{
    if (Started() && FThread.joinable() && FThread.get_id() != std::this_thread::get_id()) {
        FThread.join();
    }
}

TThread::TReference TThread::Reference() const
{
    TReference R;
    R.FState = FState;
    return R;
}

int TThread::InstanceCount()
{
    return Instances.load();
}

void TThread::SetThreadStarter(TThreadStarter Value)
{
    Starter.store(Value ? Value : &DefaultStarter);
}

void TThread::Synchronize(const std::function<void()>& Method)
{
    TSyncState& S = Sync();
    std::unique_lock Lock(S.Lock);
    if (std::this_thread::get_id() == S.WindowThread) {
        Lock.unlock();
        Method();
        return;
    }
    if (!S.Wake) {
        throw EThread(S.Closed ? LoopEndedText()
                               : TString(u"Aucune boucle de messages ne peut exécuter l'appel"));
    }
    TSyncRecord Record { &Method, {}, false, {} };
    S.Queue.push_back(&Record);
    S.Wake->Signal(); // only fails when the counter is full
    Record.Event.wait(Lock, [&] { return Record.Done; });
    Lock.unlock();
    if (Record.Error) {
        std::rethrow_exception(Record.Error);
    }
}

bool CheckSynchronize()
{
    TSyncState& S = Sync();
    std::vector<TSyncRecord*> Calls;
    {
        const std::lock_guard Lock(S.Lock);
        if (S.Closed || std::this_thread::get_id() != S.WindowThread) {
            return false;
        }
        if (S.Queue.empty()) {
            return false;
        }
        // The queue takes the spare storage (a run nested in one of the calls below finds
        // none and allocates its own).
        Calls.swap(S.Queue);
        S.Queue.swap(S.Spare);
    }
    // The calls run outside the lock: a call that opens a nested event loop (a message
    // box) comes back here from that loop, and workers may queue meanwhile.
    for (TSyncRecord* R : Calls) {
        try {
            (*R->Method)();
        } catch (...) {
            R->Error = std::current_exception();
        }
        // Set and signalled under the lock: the record lives on the caller's stack and
        // disappears as soon as the caller sees Done.
        const std::lock_guard Lock(S.Lock);
        R->Done = true;
        R->Event.notify_one();
    }
    Calls.clear();
    const std::lock_guard Lock(S.Lock);
    if (S.Spare.capacity() < Calls.capacity()) {
        S.Spare.swap(Calls);
    }
    return true;
}
