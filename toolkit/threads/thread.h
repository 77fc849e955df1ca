#pragma once

#include "toolkit/core/sysutils.h"
#include "toolkit/core/types.h"
#include "toolkit/platform/threadpriority.h"

#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <thread>

// A failure of the thread facility: a thread that cannot be created, or a hand-over to
// the window thread that can no longer run.
class EThread : public Exception {
public:
    using Exception::Exception;
};

struct TThreadState;

// A worker thread bound to its object: the body is Execute, run on a system thread of
// its own.
//
// Life of a thread: the constructor creates the system thread held before its body
// (suspended); Start lets the body run. Terminate sets the stop flag and does nothing
// else: the body reads Terminated() and returns on its own. A thread marked
// FreeOnTerminate destroys its object on its own thread once the body has returned; it
// is never joined, and nothing outside may touch the object after Start. Other threads
// belong to whoever created them: destroying one asks it to stop and waits for it.
//
// Synchronize is the synchronous hand-over of a call to the window thread (the thread
// that runs the Qt event loop): the call is queued under the program-wide lock, the
// window thread's loop is woken through an event counter it watches, and the caller
// waits on an event of its own until the call has run. The window thread runs queued
// calls, oldest first, when the wake-up arrives and whenever its event loop is about to
// block. A failure of the call is raised again in the caller. Once the application's
// event loop has ended no queued call runs any more: waiting callers, and callers that
// come later, get EThread instead of waiting forever, so that a worker still running at
// exit ends by itself.
class TThread : public TObject {
public:
    // A reference to a thread that stays safe to use after the thread has destroyed
    // itself: it shares the thread's stop flag and end marker, never the object. The
    // window keeps one of these for a self-disposing worker.
    class TReference {
    public:
        TReference() = default;
        bool Assigned() const { return FState != nullptr; }
        // True from Start until the body has returned.
        bool Running() const;
        bool Terminated() const;
        // Sets the thread's stop flag; nothing when unassigned or when the thread has ended.
        void Terminate() const;
        void Reset() { FState.reset(); }

    private:
        friend class TThread;
        std::shared_ptr<TThreadState> FState;
    };

    // Creates the system thread, held before its body. Throws EThread with
    // "Erreur de création de thread : <the system's text>" when the system refuses.
    // CreateSuspended false means "start once constructed": the most derived
    // constructor then calls AfterConstruction last.
    explicit TThread(bool CreateSuspended);
    // A thread that has not been started is released without running its body. A
    // started thread that does not dispose of itself is asked to stop and waited for.
    ~TThread() override;

    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    // Lets the body run; nothing when it has already been started.
    void Start();
    void Resume() { Start(); }
    bool Started() const;
    bool Finished() const;

    void Terminate();
    bool Terminated() const;

    // To be set before Start.
    bool FreeOnTerminate() const { return FFreeOnTerminate; }
    void SetFreeOnTerminate(bool Value) { FFreeOnTerminate = Value; }

    // Relative to the process's own scheduling niceness, as thread priorities are
    // relative to the process's priority class elsewhere; tpNormal keeps the process's.
    // Raising the priority above the process's may be refused by the system; the thread
    // then keeps running at its current priority.
    TThreadPriority Priority() const { return FPriority.load(); }
    void SetPriority(TThreadPriority Value);

    // Waits for the body to return; nothing for a thread never started. Not for threads
    // that dispose of themselves.
    void WaitFor();

    TReference Reference() const;
    // What escaped from Execute, if anything (kept, never shown).
    std::exception_ptr FatalException() const { return FFatalException; }

    // Hands Method over to the window thread and waits until it has run there; runs it
    // at once when called on the window thread. Rethrows what Method threw; throws
    // EThread when the window thread's event loop has ended or there is none.
    static void Synchronize(const std::function<void()>& Method);

    // Thread objects alive in the process (created and not yet destroyed).
    static int InstanceCount();

    // Starts the system thread that runs Body; throws std::system_error when the system
    // refuses. Tests install their own to make creation fail; nullptr puts the default
    // (std::thread) back.
    using TThreadStarter = std::thread (*)(std::function<void()> Body);
    static void SetThreadStarter(TThreadStarter Starter);

protected:
    // The body of the thread. What it throws ends the thread and is kept in
    // FatalException.
    virtual void Execute() = 0;
    // Starts a thread that was not created suspended. The most derived constructor calls
    // it as its very last step: a started self-disposing thread may already be gone.
    void AfterConstruction();

private:
    static void ThreadProc(TThread* Self);
    void ApplyPriority();

    std::shared_ptr<TThreadState> FState;
    std::thread FThread;
    bool FCreateSuspended;
    bool FFreeOnTerminate = false;
    std::atomic<TThreadPriority> FPriority { TThreadPriority::tpNormal };
    std::exception_ptr FFatalException;
};

// Runs the calls handed over by worker threads, oldest first; on the window thread only.
// Returns whether any ran. The wake-up and the loop's about-to-block hook call it; a
// program may call it too.
bool CheckSynchronize();
