#include "app/chronothread.h"

#include "app/unit1.h"
#include "toolkit/controls/stdctrls.h"

TChronoThread::TChronoThread(bool CreateSuspended, TThread::TReference* Reference)
    : TThread(CreateSuspended)
{
    SetFreeOnTerminate(true);
    StartTime = Now();
    SetPriority(TThreadPriority::tpNormal);
    if (Reference) {
        *Reference = this->Reference();
    }
    // Started now because a suspended creation was asked for; otherwise the base starts
    // it once construction is complete, which for this final class is here as well.
    // Either way nothing of this object may be touched afterwards: it may be gone.
    if (CreateSuspended) {
        Start();
    } else {
        AfterConstruction();
    }
}

void TChronoThread::Execute()
{
    // No pause: the window thread's pace is the only limit on the update rate.
    const std::function<void()> Update = [this] { UpdateDisplay(); };
    while (!Terminated()) {
        Synchronize(Update);
    }
}

void TChronoThread::UpdateDisplay()
{
    if (!Form1) {
        Terminate(); // the main window is gone: nothing left to show the run on
        return;
    }
    ShowElapsed(StartTime);
}

void TChronoThread::ShowElapsed(TDateTime AStartTime)
{
    // Runs thousands of times a second during a run, on the window thread only: the
    // captions are formatted into buffers kept from one update to the next, and a label
    // whose text has not changed does nothing more (SetCaption compares first).
    static TString Milliseconds;
    static TString Seconds;
    static TString HoursMinutes;
    FormatDateTime(Milliseconds, u"zzz", Now() - AStartTime);
    Form1->Label11->SetCaption(Milliseconds);
    FormatDateTime(Seconds, u"ss", Now() - AStartTime);
    Form1->Label10->SetCaption(Seconds);
    FormatDateTime(HoursMinutes, u"hh:mm", Now() - AStartTime);
    Form1->Label7->SetCaption(HoursMinutes);
}
