// Quitting during a run, through the real event loop: the close request stops the
// stopwatch, the loop ends at once, no handed-over call runs after it, and workers still
// in their loop (stopped or not) end by themselves instead of waiting forever. The end of
// the loop is final for the process, so this is a test program of its own.
#include "tests/fakes/qtcompare.h"
#include "tests/fakes/widgetof.h"
#include "app/chronothread.h"
#include "app/unit1.h"
#include "tests/fakes/pump.h"
#include "tests/fakes/recordingerrorbox.h"
#include "toolkit/controls/extctrls.h"
#include "toolkit/controls/stdctrls.h"
#include "toolkit/platform/clocksource.h"
#include "toolkit/qt/qtconvert.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

// A clock that moves on a millisecond at every reading and counts the readings.
class TCountingClock : public IClockSource {
public:
    TCountingClock() { SetClockSource(this); }
    ~TCountingClock() override { SetClockSource(nullptr); }
    TDateTime Now() const override
    {
        return DateTimeFromQt(QDateTime(QDate(2026, 12, 7), QTime(7, 4, 58)).addMSecs(Reads++));
    }
    mutable int Reads = 0;
};

// A worker that hands a call over again and again until stopped.
class TLoopThread : public TThread {
public:
    TLoopThread(std::function<void()> Call)
        : TThread(true)
        , FCall(std::move(Call))
    {
        SetFreeOnTerminate(true);
    }

protected:
    void Execute() override
    {
        while (!Terminated()) {
            Synchronize(FCall);
        }
    }

private:
    std::function<void()> FCall;
};

// A worker that tries one hand-over and keeps what came of it.
class TOnceThread : public TThread {
public:
    TOnceThread()
        : TThread(true)
    {
    }
    ~TOnceThread() override { WaitFor(); }
    QString Outcome;

protected:
    void Execute() override
    {
        try {
            Synchronize([this] { Outcome = QStringLiteral("ran"); });
        } catch (const EThread& E) {
            Outcome = ToQt(E.Message());
        }
    }
};

} // namespace

class tst_ThreadExit : public QObject {
    Q_OBJECT

private slots:
    void quittingDuringRun();
};

void tst_ThreadExit::quittingDuringRun()
{
    QTemporaryDir Dir;
    QDir::setCurrent(Dir.path());
    SetProgramFolder(FromQt(Dir.path() + QLatin1Char('/')));
    TCountingClock Clock;
    TRecordingErrorBox Errors;
    TApplication App;
    App.SetTitle(u"Veludor");
    Application->CreateForm(Form1);
    // The clock tick reads the clock too; the test counts the stopwatch's readings.
    Form1->Timer1->SetEnabled(false);
    Errors.Texts.clear();

    // A second worker nobody stops: still handing over when the loop ends.
    int Calls = 0;
    auto* Endless = new TLoopThread([&Calls] { ++Calls; });
    const TThread::TReference EndlessRef = Endless->Reference();
    Endless->Start();

    // Once the run is under way (its updates read the clock), the user quits.
    const int ReadsBeforeRun = Clock.Reads;
    bool Pressed = false;
    QTimer Script;
    Script.setInterval(0);
    connect(&Script, &QTimer::timeout, [&] {
        if (!Pressed) {
            Pressed = true;
            Form1->Button3->Click();
        } else if (Clock.Reads > ReadsBeforeRun + 30 && Calls > 10) {
            Script.stop();
            Form1->Close();
        }
    });
    Script.start();
    bool Hung = false;
    QTimer::singleShot(60000, [&] {
        Hung = true;
        QCoreApplication::exit(1);
    });

    const int Result = App.Run();
    const int CallsAtEnd = Calls;
    const int ReadsAtEnd = Clock.Reads;
    QVERIFY(!Hung);
    QCOMPARE(Result, 0);
    QVERIFY(!WidgetOf(Form1)->isVisible());
    QVERIFY(ChronoWorker.Terminated());
    QVERIFY(!EndlessRef.Terminated());

    // Both workers end by themselves, and nothing more runs on the window thread.
    QVERIFY(PumpUntil([] { return TThread::InstanceCount() == 0; }));
    QCOMPARE(Calls, CallsAtEnd);
    QCOMPARE(Clock.Reads, ReadsAtEnd);
    QVERIFY(!EndlessRef.Running());

    // A hand-over asked for later fails at once instead of waiting.
    {
        TOnceThread Late;
        Late.Start();
        Late.WaitFor();
        QCOMPARE(Late.Outcome,
            QStringLiteral("La boucle de messages est terminée : l'appel n'a pas été exécuté"));
    }
    QVERIFY(Errors.Texts.isEmpty());
    SetProgramFolder(TString());
    QDir::setCurrent(QDir::tempPath());
}

QTEST_MAIN(tst_ThreadExit)
#include "tst_threadexit.moc"
