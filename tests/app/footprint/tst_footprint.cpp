// No growth: the main window, started from a run folder with the real skins and font and
// shown on the offscreen platform, goes through a simulated day (86,400 clock ticks, the
// fake clock moved one second before each) with 1,000 stopwatch runs spread over it.
// Its resident memory at the end stays within 1 MB of the figure after the first minute.
#include "tests/fakes/qtcompare.h"
#include "tests/fakes/widgetof.h"
#include "app/chronothread.h"
#include "app/programentry.h"
#include "app/unit1.h"
#include "tests/fakes/pump.h"
#include "tests/fakes/fakeclock.h"
#include "tests/fakes/recordingerrorbox.h"
#include "toolkit/controls/extctrls.h"
#include "toolkit/controls/stdctrls.h"
#include "toolkit/qt/qtconvert.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#if defined(__SANITIZE_ADDRESS__)
#define VELUDOR_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELUDOR_ASAN 1
#endif
#endif

#ifdef VELUDOR_ASAN
// AddressSanitizer keeps freed blocks out of use in a quarantine of 256 MB, which makes
// any steady allocation look like growth; a small quarantine keeps the figure readable.
extern "C" const char* __asan_default_options()
{
    return "quarantine_size_mb=1:thread_local_quarantine_size_kb=64";
}
#endif

namespace {
constexpr int TicksPerDay = 86400;
constexpr int FirstMinute = 60;
constexpr int StopwatchRuns = 1000;
constexpr int TicksBetweenRuns = (TicksPerDay - FirstMinute) / StopwatchRuns;
constexpr qint64 AllowedGrowthKiB = 1024;
#ifdef VELUDOR_ASAN
// Under AddressSanitizer the figure also holds what the sanitizer keeps for itself: the
// quarantine filling up (about 2 MB with the ticks alone) and a record of each ended
// thread (about 1 MB for the runs); 3.3 to 3.5 MB were measured in all. The bound then
// only catches a leak of a few dozen bytes a tick or a few kilobytes a run; the build
// without sanitizers holds the 1 MB bound, and the real figure is printed either way.
constexpr qint64 BoundKiB = 6 * 1024;
#else
constexpr qint64 BoundKiB = AllowedGrowthKiB;
#endif

qint64 ResidentKiB()
{
    QFile Status(QStringLiteral("/proc/self/status"));
    if (!Status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& Line : Status.readAll().split('\n')) {
        if (Line.startsWith("VmRSS:")) {
            return Line.mid(6).trimmed().split(' ').first().toLongLong();
        }
    }
    return -1;
}

// Counts the paints of a widget.
class TPaintCounter : public QObject {
public:
    int Paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* Event) override
    {
        Paints += Event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

// What the window thread does between two ticks: paint what changed, delete what was
// left for deletion.
void Settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
}

class tst_Footprint : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void noGrowthOverADay();

private:
    void Tick();
    void StopwatchRun(int Run);

    std::unique_ptr<QTemporaryDir> FDir;
    std::unique_ptr<TFakeClock> FClock;
    std::unique_ptr<TRecordingErrorBox> FErrors;
    std::unique_ptr<TApplication> FApp;
};

void tst_Footprint::init()
{
    FDir = std::make_unique<QTemporaryDir>();
    QVERIFY(FDir->isValid());
    const QString Folder = FDir->path() + QLatin1Char('/');
    QDir().mkpath(Folder + QStringLiteral("skin"));
    const QDir Skins(QStringLiteral(VELUDOR_ASSETS "/skin"));
    for (const QString& Name : Skins.entryList(QDir::Files)) {
        QVERIFY(QFile::copy(Skins.filePath(Name), Folder + QStringLiteral("skin/") + Name));
    }
    QVERIFY(QFile::copy(QStringLiteral(VELUDOR_ASSETS "/DS-DIGI.TTF"), Folder + QStringLiteral("DS-DIGI.TTF")));
    QDir::setCurrent(Folder);
    SetProgramFolder(FromQt(Folder));
    FClock = std::make_unique<TFakeClock>(QDateTime(QDate(2026, 12, 7), QTime(0, 0, 0)));
    FErrors = std::make_unique<TRecordingErrorBox>();
    FApp = std::make_unique<TApplication>();
    FApp->SetTitle(u"Veludor");
    CreateVeludorForms();
    Form1->Show();
    QVERIFY(QTest::qWaitForWindowExposed(WidgetOf(Form1)));
    ChronoState = 1;
    ChronoWorker.Reset();
}

void tst_Footprint::cleanup()
{
    ChronoWorker.Terminate();
    ChronoWorker.Reset();
    QVERIFY(PumpUntil([] { return TThread::InstanceCount() == 0; }));
    ChronoState = 1;
    FApp.reset();
    FErrors.reset();
    FClock.reset();
    SetProgramFolder(TString());
    QDir::setCurrent(QDir::tempPath());
    FDir.reset();
}

void tst_Footprint::Tick()
{
    FClock->AdvanceMs(1000);
    Form1->Timer1->Tick();
    Settle();
}

// One run in the stopwatch view: started, shown at least once with the time the clock
// moved on meanwhile, stopped, its worker gone; then back to the clock view.
void tst_Footprint::StopwatchRun(int Run)
{
    Form1->Chronometre1Click(nullptr);
    Form1->Button3->Click();
    const qint64 Elapsed = 1 + Run % 999;
    FClock->AdvanceMs(Elapsed);
    const QString Shown = QStringLiteral("%1").arg(Elapsed, 3, 10, QLatin1Char('0'));
    QVERIFY2(PumpUntil([&] { return Form1->Label11->Caption() == Shown; }), qPrintable(ToQt(Form1->Label11->Caption())));
    Form1->Button3->Click();
    QVERIFY(PumpUntil([] { return TThread::InstanceCount() == 0; }));
    Form1->Veludor1Click(nullptr);
    Settle();
}

void tst_Footprint::noGrowthOverADay()
{
    QVERIFY2(FErrors->Texts.isEmpty(), qPrintable(FErrors->Texts.join(QLatin1Char('\n'))));
    TPaintCounter Colon;
    WidgetOf(Form1->Label3)->installEventFilter(&Colon);
    for (int i = 0; i < FirstMinute; ++i) {
        Tick();
    }
    // The ticks reach the screen: the blinking colon is painted at each one.
    QVERIFY2(Colon.Paints >= FirstMinute / 2, qPrintable(QString::number(Colon.Paints)));
    const qint64 AfterFirstMinute = ResidentKiB();
    QVERIFY(AfterFirstMinute > 0);

    int Runs = 0;
    for (int i = FirstMinute; i < TicksPerDay; ++i) {
        Tick();
        if ((i - FirstMinute) % TicksBetweenRuns == 0 && Runs < StopwatchRuns) {
            StopwatchRun(Runs++);
            if (QTest::currentTestFailed()) {
                return;
            }
        }
    }
    QCOMPARE(Runs, StopwatchRuns);
    // The day went by: the clock shows midnight of the next day again.
    QCOMPARE(Form1->Label2->Caption(), QStringLiteral("00"));
    QVERIFY(FErrors->Texts.isEmpty());

    const qint64 AfterDay = ResidentKiB();
    const qint64 Growth = AfterDay - AfterFirstMinute;
    qInfo("resident memory: %lld KiB after the first minute, %lld KiB after the day and %d stopwatch runs: %+lld KiB "
          "(bound %lld KiB)",
        AfterFirstMinute, AfterDay, Runs, Growth, BoundKiB);
    QVERIFY2(Growth <= BoundKiB, qPrintable(QStringLiteral("grew by %1 KiB").arg(Growth)));
}

QTEST_MAIN(tst_Footprint)
#include "tst_footprint.moc"
