// The stopwatch: Button3 starts and stops a run; the close request stops a run.
#include "app/unit1.h"

#include "app/chronothread.h"
#include "toolkit/controls/stdctrls.h"
#include "toolkit/qt/qtconvert.h"

const std::array<QString, 2> ChronoCaptions = {
    QStringLiteral("Démarrer le chronomètre"),
    QStringLiteral("Arrêter le chronomètre"),
};
quint8 ChronoState = 1;
TThread::TReference ChronoWorker;

void TForm1::Button3Click(TObject*)
{
    Button3->SetCaption(FromQt(ChronoCaptions[ChronoState]));
    ChronoState = ChronoState == 0 ? 1 : 0;
    if (ChronoState == 1) {
        // The worker ends at its next turn; an update already handed over still runs.
        ChronoWorker.Terminate();
        ChronoWorker.Reset();
        return;
    }
    Label7->SetCaption(u"00:00");
    Label10->SetCaption(u"00");
    Label11->SetCaption(u"000");
    // Dropped first, so that a failed creation leaves no run to stop. The worker owns
    // itself from the moment it starts; the window keeps only the reference.
    ChronoWorker.Reset();
    new TChronoThread(true, &ChronoWorker);
}

void TForm1::FormCloseQuery(TObject*, bool& CanClose)
{
    if (ChronoWorker.Running() && !ChronoWorker.Terminated()) {
        ChronoWorker.Terminate();
    }
    CanClose = true;
}
