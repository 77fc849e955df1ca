// What a stopwatch run costs. The worker hands its updates over with no pause, so a run
// keeps the window thread and the worker busy for as long as it lasts; these figures say
// how busy.
//
//   StopwatchRun     the real window (stopwatch view shown, digit font, skin) with a
//                    run in progress for one second: updates per second, processor
//                    seconds per second (both threads together, and the window thread
//                    alone)
//   ClockIdle        the same window for one second without a run, for comparison
//   EmptyHandOver    the hand-over alone: a worker handing an empty call over and over
//   ClockTick        one tick of the clock (Timer1's handler), without the paint it asks for
//   WatchTick        one tick of the armed alarm watch (Timer2's handler) outside the
//                    alarm minute: two clock readings and the comparison with the boxes
//
// Run: build/release/bench/chrono/bench_chrono (offscreen unless QT_QPA_PLATFORM is set).
#include "app/chronothread.h"
#include "app/unit1.h"
#include "toolkit/controls/extctrls.h"
#include "toolkit/controls/spin.h"
#include "toolkit/controls/stdctrls.h"
#include "toolkit/platform/clocksource.h"
#include "toolkit/platform/errorbox.h"
#include "toolkit/qt/qtconvert.h"
#include "toolkit/text/datetime.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <ctime>

namespace {

// The system clock, counting its readings: an update reads it three times.
class TCountingClock : public IClockSource {
public:
    TDateTime Now() const override
    {
        ++Reads;
        return DateTimeFromQt(QDateTime::currentDateTime());
    }
    mutable qint64 Reads = 0;
};

// Start-up failures are printed, never shown in a box that would wait for a click.
class TPrintedErrors : public IErrorBox {
public:
    void ShowError(const TString&, const TString& Text) override
    {
        std::fprintf(stderr, "error box: %s\n", StringToUtf8(Text).c_str());
    }
};

double Seconds(clockid_t Clock)
{
    timespec T {};
    clock_gettime(Clock, &T);
    return double(T.tv_sec) + double(T.tv_nsec) / 1e9;
}

// Lets the window thread's event loop run for Ms milliseconds.
void RunLoopFor(int Ms)
{
    QEventLoop Loop;
    QTimer::singleShot(Ms, &Loop, &QEventLoop::quit);
    Loop.exec();
}

void WaitForWorkers()
{
    while (TThread::InstanceCount() != 0) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

TCountingClock* Clock = nullptr;

// One second of the event loop; Setup and Teardown run outside the measurement.
template <class S, class T>
void MeasureSecond(benchmark::State& State, S Setup, T Teardown, bool CountUpdates)
{
    double Wall = 0, Process = 0, Window = 0;
    qint64 Updates = 0;
    for (auto _ : State) {
        Setup();
        const qint64 Reads0 = Clock->Reads;
        const double W0 = Seconds(CLOCK_MONOTONIC);
        const double P0 = Seconds(CLOCK_PROCESS_CPUTIME_ID);
        const double T0 = Seconds(CLOCK_THREAD_CPUTIME_ID);
        RunLoopFor(1000);
        const double W1 = Seconds(CLOCK_MONOTONIC);
        Window += Seconds(CLOCK_THREAD_CPUTIME_ID) - T0;
        Process += Seconds(CLOCK_PROCESS_CPUTIME_ID) - P0;
        Wall += W1 - W0;
        Updates += (Clock->Reads - Reads0) / 3;
        State.SetIterationTime(W1 - W0);
        Teardown();
    }
    if (CountUpdates) {
        State.counters["updates_per_s"] = double(Updates) / Wall;
    }
    State.counters["cpu_s_per_s"] = Process / Wall;
    State.counters["window_cpu_s_per_s"] = Window / Wall;
}

void StopwatchRun(benchmark::State& State)
{
    MeasureSecond(
        State, [] { Form1->Button3->Click(); },
        [] {
            Form1->Button3->Click();
            WaitForWorkers();
        },
        true);
}

void ClockIdle(benchmark::State& State)
{
    MeasureSecond(
        State, [] {}, [] {}, false);
}

// A worker handing an empty call over until stopped.
class TEmptyHandOver : public TThread {
public:
    TEmptyHandOver()
        : TThread(true)
    {
        SetFreeOnTerminate(true);
    }
    std::atomic<qint64>* Count = nullptr;

protected:
    void Execute() override
    {
        const std::function<void()> Call
            = [this] { Count->fetch_add(1, std::memory_order_relaxed); };
        while (!Terminated()) {
            Synchronize(Call);
        }
    }
};

void EmptyHandOver(benchmark::State& State)
{
    std::atomic<qint64> Count { 0 };
    double Wall = 0, Process = 0;
    for (auto _ : State) {
        auto* Worker = new TEmptyHandOver;
        Worker->Count = &Count;
        const TThread::TReference Ref = Worker->Reference();
        const double W0 = Seconds(CLOCK_MONOTONIC);
        const double P0 = Seconds(CLOCK_PROCESS_CPUTIME_ID);
        Worker->Start();
        RunLoopFor(1000);
        const double W1 = Seconds(CLOCK_MONOTONIC);
        Process += Seconds(CLOCK_PROCESS_CPUTIME_ID) - P0;
        Wall += W1 - W0;
        State.SetIterationTime(W1 - W0);
        Ref.Terminate();
        WaitForWorkers();
    }
    State.counters["handovers_per_s"] = double(Count.load()) / Wall;
    State.counters["cpu_s_per_s"] = Process / Wall;
}

void ClockTick(benchmark::State& State)
{
    for (auto _ : State) {
        Form1->Timer1->Tick();
    }
}

void WatchTick(benchmark::State& State)
{
    // An alarm twelve hours away: the watch reads and compares, and never rings.
    const int Hour = StrToInt(FormatDateTime(u"hh", Now()));
    Form1->SpinEdit1->SetValue((Hour + 12) % 24);
    for (auto _ : State) {
        Form1->Timer2->Tick();
    }
}

BENCHMARK(StopwatchRun)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(ClockIdle)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(EmptyHandOver)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(ClockTick)->Unit(benchmark::kMicrosecond);
BENCHMARK(WatchTick)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    // A private run folder and fonts folder: the window's start-up copies the digit font.
    QTemporaryDir Dir;
    const QString Folder = Dir.path() + QLatin1Char('/');
    qputenv("XDG_DATA_HOME", (Folder + QStringLiteral("data")).toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QDir().mkpath(Folder + QStringLiteral("skin"));
    const QDir Skins(QStringLiteral(VELUDOR_ASSETS "/skin"));
    for (const QString& Name : Skins.entryList(QDir::Files)) {
        QFile::copy(Skins.filePath(Name), Folder + QStringLiteral("skin/") + Name);
    }
    QFile::copy(
        QStringLiteral(VELUDOR_ASSETS "/DS-DIGI.TTF"), Folder + QStringLiteral("DS-DIGI.TTF"));

    QApplication App(argc, argv);
    QDir::setCurrent(Folder);
    SetProgramFolder(Folder);
    TPrintedErrors Errors;
    SetErrorBox(&Errors);
    TCountingClock Counting;
    Clock = &Counting;
    SetClockSource(&Counting);
    {
        TApplication Veludor;
        Veludor.SetTitle(u"Veludor");
        Application->CreateForm(Form1);
        Form1->Show();
        Form1->Chronometre1Click(nullptr);

        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }
    SetClockSource(nullptr);
    SetErrorBox(nullptr);
    SetProgramFolder(QString());
    return 0;
}
