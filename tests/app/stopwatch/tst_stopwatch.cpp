// The stopwatch: Button3's caption and state, the reset, the elapsed-time display, the
// stop and close requests, and the worker's life through errors, failed creation,
// thousands of presses and view changes. The clock is a test clock read only on the
// window thread; the workers are real threads.
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
#include "toolkit/text/datetime.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <system_error>

namespace {

// A clock that reads Base + Offset, then moves Offset on by StepMs; Script, when not
// empty, gives the offsets of the next readings instead. From the FailFrom-th reading
// on, reading it fails.
class TTestClock : public IClockSource {
public:
    TTestClock() { SetClockSource(this); }
    ~TTestClock() override { SetClockSource(nullptr); }
    TDateTime Now() const override { return DateTimeFromQt(Read()); }
    QDateTime Read() const
    {
        ++Reads;
        if (FailFrom > 0 && Reads >= FailFrom) {
            throw Exception(u"Horloge en panne");
        }
        if (!Script.isEmpty()) {
            return Base.addMSecs(Script.takeFirst());
        }
        const QDateTime Result = Base.addMSecs(Offset);
        Offset += StepMs;
        return Result;
    }

    QDateTime Base { QDate(2026, 12, 7), QTime(7, 4, 58, 0) };
    mutable qint64 Offset = 0;
    qint64 StepMs = 0;
    mutable QList<qint64> Script;
    mutable int Reads = 0;
    int FailFrom = 0;
};

std::thread RefusingStarter(std::function<void()>)
{
    throw std::system_error(EAGAIN, std::generic_category());
}

QStringList StopwatchFigures()
{
    return { ToQt(Form1->Label7->Caption()), ToQt(Form1->Label10->Caption()), ToQt(Form1->Label11->Caption()) };
}

void Press()
{
    Form1->Button3->Click();
}

bool WorkersGone()
{
    return PumpUntil([] { return TThread::InstanceCount() == 0; });
}

const QStringList Zero { QStringLiteral("00:00"), QStringLiteral("00"), QStringLiteral("000") };

} // namespace

class tst_Stopwatch : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void captionsAndState_data();
    void captionsAndState();
    void elapsed_data();
    void elapsed();
    void workerShowsElapsedTime();
    void resetKeepsColonWhateverSeparator();
    void stopChangesLabelsAtMostOnceMore();
    void runGoesOnInOtherViews();
    void errorInUpdateEndsWorkerSilently_data();
    void errorInUpdateEndsWorkerSilently();
    void threadCreationFailure();
    void closeRequest_data();
    void closeRequest();
    void tenThousandPresses();

private:
    std::unique_ptr<QTemporaryDir> FDir;
    std::unique_ptr<TTestClock> FClock;
    std::unique_ptr<TRecordingErrorBox> FErrors;
    std::unique_ptr<TApplication> FApp;
    TFormatSettings FSettings;
};

void tst_Stopwatch::initTestCase()
{
    FSettings = FormatSettings();
}

void tst_Stopwatch::init()
{
    // An empty run folder: the window's start-up reports the missing skin and font into
    // the recorder, which the stopwatch does not need.
    FDir = std::make_unique<QTemporaryDir>();
    QVERIFY(FDir->isValid());
    QDir::setCurrent(FDir->path());
    SetProgramFolder(FromQt(FDir->path() + QLatin1Char('/')));
    FormatSettings() = FSettings;
    FClock = std::make_unique<TTestClock>();
    FErrors = std::make_unique<TRecordingErrorBox>();
    FApp = std::make_unique<TApplication>();
    FApp->SetTitle(u"Veludor");
    Application->CreateForm(Form1);
    // The clock tick reads the clock too; the tests count the stopwatch's readings.
    Form1->Timer1->SetEnabled(false);
    Form1->Timer2->SetEnabled(false);
    FErrors->Texts.clear();
    FErrors->Titles.clear();
    FClock->Reads = 0;
    ChronoState = 1;
    ChronoWorker.Reset();
}

void tst_Stopwatch::cleanup()
{
    // Workers end while the window still stands; an update already queued needs it.
    ChronoWorker.Terminate();
    ChronoWorker.Reset();
    QVERIFY(WorkersGone());
    ChronoState = 1;
    TThread::SetThreadStarter(nullptr);
    FApp.reset();
    FErrors.reset();
    FClock.reset();
    FormatSettings() = FSettings;
    SetProgramFolder(TString());
    QDir::setCurrent(QDir::tempPath());
    FDir.reset();
}

void tst_Stopwatch::captionsAndState_data()
{
    QTest::addColumn<int>("Presses");
    QTest::addColumn<QString>("Caption");
    QTest::addColumn<int>("State");
    QTest::addColumn<QStringList>("Labels");
    QTest::addColumn<bool>("Running");

    const QString Start = QStringLiteral("Démarrer le chronomètre");
    const QString Stop = QStringLiteral("Arrêter le chronomètre");
    const QStringList Shown { QStringLiteral("12:34"), QStringLiteral("56"),
        QStringLiteral("789") };
    QTest::newRow("before the first press: stopped, zeros") << 0 << Start << 1 << Zero << false;
    QTest::newRow("first press starts from zero") << 1 << Stop << 0 << Zero << true;
    QTest::newRow("second press stops, labels kept") << 2 << Start << 1 << Shown << false;
    QTest::newRow("third press starts again from zero") << 3 << Stop << 0 << Zero << true;
    QTest::newRow("fourth press stops again") << 4 << Start << 1 << Shown << false;
}

void tst_Stopwatch::captionsAndState()
{
    QFETCH(int, Presses);
    QFETCH(QString, Caption);
    QFETCH(int, State);
    QFETCH(QStringList, Labels);
    QFETCH(bool, Running);

    for (int i = 0; i < Presses; ++i) {
        // What the previous run left on the labels.
        Form1->Label7->SetCaption(u"12:34");
        Form1->Label10->SetCaption(u"56");
        Form1->Label11->SetCaption(u"789");
        Press();
    }
    QCOMPARE(Form1->Button3->Caption(), Caption);
    QCOMPARE(int(ChronoState), State);
    QCOMPARE(StopwatchFigures(), Labels);
    QCOMPARE(ChronoWorker.Running(), Running);
    QVERIFY(FErrors->Texts.isEmpty());
}

void tst_Stopwatch::elapsed_data()
{
    QTest::addColumn<QList<qint64>>("Readings"); // ms after the start: zzz, ss, hh:mm
    QTest::addColumn<QString>("Separator");
    QTest::addColumn<QStringList>("Labels"); // Label7, Label10, Label11

    const qint64 H = 3600000;
    const qint64 M = 60000;
    const qint64 Run = H + M + 5250;
    const auto Same = [](qint64 Ms) { return QList<qint64> { Ms, Ms, Ms }; };
    const QString Colon = QStringLiteral(":");
    QTest::newRow("1 h 1 min 5.25 s") << Same(Run) << Colon << QStringList { "01:01", "05", "250" };
    QTest::newRow("exactly 24 h wraps to zero") << Same(24 * H) << Colon << Zero;
    QTest::newRow("a millisecond short of 24 h")
        << Same(24 * H - 1) << Colon << QStringList { "23:59", "59", "999" };
    QTest::newRow("25 h 3 min shows 01:03")
        << Same(25 * H + 3 * M) << Colon << QStringList { "01:03", "00", "000" };
    QTest::newRow("clock put back past the start: the magnitude")
        << Same(-Run) << Colon << QStringList { "01:01", "05", "250" };
    QTest::newRow("three readings: milliseconds, then seconds, then hours and minutes")
        << QList<qint64> { 59999, 60000, H } << Colon << QStringList { "01:00", "00", "999" };
    QTest::newRow("the locale's time separator")
        << Same(Run) << QStringLiteral(".") << QStringList { "01.01", "05", "250" };
}

void tst_Stopwatch::elapsed()
{
    QFETCH(QList<qint64>, Readings);
    QFETCH(QString, Separator);
    QFETCH(QStringList, Labels);
    FormatSettings().TimeSeparator = Separator.at(0).unicode();
    FClock->Script = Readings;
    FClock->Reads = 0;
    TChronoThread::ShowElapsed(DateTimeFromQt(FClock->Base));
    QCOMPARE(StopwatchFigures(), Labels);
    QCOMPARE(FClock->Reads, 3);
}

void tst_Stopwatch::workerShowsElapsedTime()
{
    Press();
    FClock->Offset = 3600000 + 60000 + 5250;
    QVERIFY(PumpUntil([] { return StopwatchFigures() == QStringList { "01:01", "05", "250" }; }));
    // Every update of the run reads the clock three times.
    Press();
    QVERIFY(WorkersGone());
    QCOMPARE((FClock->Reads - 1) % 3, 0);
}

void tst_Stopwatch::resetKeepsColonWhateverSeparator()
{
    FormatSettings().TimeSeparator = u'.';
    Form1->Label7->SetCaption(u"12.34");
    Press();
    QCOMPARE(Form1->Label7->Caption(), QStringLiteral("00:00"));
    QVERIFY(PumpUntil([] { return Form1->Label7->Caption() == QStringLiteral("00.00"); }));
}

void tst_Stopwatch::stopChangesLabelsAtMostOnceMore()
{
    FClock->StepMs = 7; // every reading is later than the one before
    Press();
    QVERIFY(PumpUntil([this] { return FClock->Reads > 30; }));
    Press();
    const int AtStop = FClock->Reads;
    QVERIFY(WorkersGone());
    const QStringList Last = StopwatchFigures();
    const int AfterEnd = FClock->Reads;
    for (int i = 0; i < 50; ++i) {
        QCoreApplication::processEvents();
    }
    // At most the one update already handed over before the press, and then nothing.
    QVERIFY2(AfterEnd - AtStop == 0 || AfterEnd - AtStop == 3,
        qPrintable(QString::number(AfterEnd - AtStop)));
    QCOMPARE(FClock->Reads, AfterEnd);
    QCOMPARE(StopwatchFigures(), Last);
    QCOMPARE(Form1->Button3->Caption(), ToQt(ChronoCaptions[0]));
}

void tst_Stopwatch::runGoesOnInOtherViews()
{
    Form1->Chronometre1Click(nullptr);
    Press();
    Form1->Veludor1Click(nullptr);
    QVERIFY(!Form1->Label7->Visible());
    FClock->Offset = 2 * 60000 + 3004;
    QVERIFY(PumpUntil([] { return StopwatchFigures() == QStringList { "00:02", "03", "004" }; }));
    Form1->Chronometre1Click(nullptr);
    QVERIFY(Form1->Label7->Visible());
    FClock->Offset = 5 * 60000;
    QVERIFY(PumpUntil([] { return StopwatchFigures() == QStringList { "00:05", "00", "000" }; }));
    QCOMPARE(int(ChronoState), 0);
}

void tst_Stopwatch::errorInUpdateEndsWorkerSilently_data()
{
    QTest::addColumn<int>("FailFrom"); // the first failing clock reading (1 is the start)
    QTest::addColumn<bool>("ShowedSome");
    QTest::newRow("first update fails") << 2 << false;
    QTest::newRow("fails after some updates") << 32 << true;
}

void tst_Stopwatch::errorInUpdateEndsWorkerSilently()
{
    QFETCH(int, FailFrom);
    QFETCH(bool, ShowedSome);
    FClock->StepMs = 11;
    FClock->FailFrom = FailFrom;
    Press();
    QVERIFY(WorkersGone());
    QCOMPARE(FClock->Reads, FailFrom); // the failing reading ended the loop
    const QStringList Frozen = StopwatchFigures();
    QCOMPARE(Frozen != Zero, ShowedSome);
    for (int i = 0; i < 20; ++i) {
        QCoreApplication::processEvents();
    }
    QCOMPARE(StopwatchFigures(), Frozen);
    QVERIFY(FErrors->Texts.isEmpty());
    // Still "running" until the next press, which finds no worker to stop.
    QCOMPARE(int(ChronoState), 0);
    QCOMPARE(Form1->Button3->Caption(), ToQt(ChronoCaptions[1]));
    QVERIFY(!ChronoWorker.Running());
    Press();
    QCOMPARE(int(ChronoState), 1);
    QCOMPARE(Form1->Button3->Caption(), ToQt(ChronoCaptions[0]));
    QCOMPARE(StopwatchFigures(), Frozen);
    // And a new run works.
    FClock->FailFrom = 0;
    Press();
    QCOMPARE(StopwatchFigures(), Zero);
    const int Before = FClock->Reads;
    QVERIFY(PumpUntil([&] { return FClock->Reads > Before + 3; }));
    QVERIFY(FErrors->Texts.isEmpty());
}

void tst_Stopwatch::threadCreationFailure()
{
    Form1->Label7->SetCaption(u"12:34");
    TThread::SetThreadStarter(&RefusingStarter);
    Press();
    const QString SystemText
        = QString::fromLocal8Bit(std::generic_category().message(EAGAIN).c_str());
    QCOMPARE(FErrors->Texts,
        QStringList {
            ToQt(ErrorBoxText(FromQt(QStringLiteral("Erreur de création de thread : ") + SystemText))) });
    QCOMPARE(FErrors->Titles, QStringList { QStringLiteral("Veludor") });
    QCOMPARE(Form1->Button3->Caption(), ToQt(ChronoCaptions[1]));
    QCOMPARE(int(ChronoState), 0);
    QCOMPARE(StopwatchFigures(), Zero);
    QVERIFY(!ChronoWorker.Running());
    QCOMPARE(TThread::InstanceCount(), 0);

    // The next press returns to stopped, with nothing to stop.
    TThread::SetThreadStarter(nullptr);
    Press();
    QCOMPARE(Form1->Button3->Caption(), ToQt(ChronoCaptions[0]));
    QCOMPARE(int(ChronoState), 1);
    QCOMPARE(FErrors->Texts.size(), 1);
    QCOMPARE(TThread::InstanceCount(), 0);
}

void tst_Stopwatch::closeRequest_data()
{
    QTest::addColumn<QString>("Before");
    QTest::addColumn<bool>("StopRequested"); // the close request stopped a worker
    QTest::newRow("during a run: the worker is stopped") << "run" << true;
    QTest::newRow("never started: no worker") << "" << false;
    QTest::newRow("after a stopped run: no worker") << "run,stop" << false;
    QTest::newRow("after the worker ended on an error: not touched") << "fail" << false;
}

void tst_Stopwatch::closeRequest()
{
    QFETCH(QString, Before);
    QFETCH(bool, StopRequested);
    Form1->Show();
    FClock->StepMs = 3;
    if (Before.contains(QStringLiteral("run"))) {
        Press();
        QVERIFY(PumpUntil([this] { return FClock->Reads > 10; }));
    }
    if (Before.contains(QStringLiteral("stop"))) {
        Press();
    }
    if (Before == QStringLiteral("fail")) {
        FClock->FailFrom = 2;
        Press();
        QVERIFY(WorkersGone());
    }
    Form1->Close();
    QVERIFY(!WidgetOf(Form1)->isVisible()); // closed at once, nothing waited for
    QVERIFY(Application->Terminated());
    QCOMPARE(ChronoWorker.Terminated(), StopRequested);
    QVERIFY(WorkersGone());
    QVERIFY(FErrors->Texts.isEmpty());
}

void tst_Stopwatch::tenThousandPresses()
{
    // Starts and stops in quick succession: a stop followed at once by a start leaves
    // two workers for a while, and blocked workers pile up between two turns of the
    // event loop.
    for (int i = 0; i < 10000; ++i) {
        Press();
        if (i % 16 == 15) {
            QCoreApplication::processEvents();
        }
    }
    QCOMPARE(int(ChronoState), 1);
    QCOMPARE(Form1->Button3->Caption(), ToQt(ChronoCaptions[0]));
    QVERIFY(!ChronoWorker.Assigned());
    QVERIFY(PumpUntil([] { return TThread::InstanceCount() == 0; }, 120000));
    QVERIFY(FErrors->Texts.isEmpty());
}

QTEST_MAIN(tst_Stopwatch)
#include "tst_stopwatch.moc"
