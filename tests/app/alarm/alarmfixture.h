#pragma once

#include "tests/fakes/fakeclock.h"
#include "tests/fakes/fakescreen.h"
#include "tests/fakes/recordingerrorbox.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>

class TApplication;
class TTimer;

// The program as the alarm tests need it: a run folder of its own as current directory
// (skins and digit font, no alarm.mp3 unless a test puts one), a fake clock at
// 2026-12-07 07:04:58, fake screen metrics, recorded error boxes, and the four windows.
// The timers keep their enabled state but never tick on their own: the tests tick them.
class TAlarmFixture {
public:
    using TScreen = TFakeScreen;

    TAlarmFixture();
    ~TAlarmFixture();

    // Creates the windows (after the test has arranged the fakes it wants).
    void Start();
    const QString& Folder() const { return FFolder; }

    // One tick of a timer, as the running timer would give it: nothing when disabled.
    static void Tick(TTimer* Timer);
    // Sets the alarm in the alarm view and presses "Valider".
    static void Arm(int Hour, int Minute, bool Sound);
    // Moves the fake clock to a time of the same day and ticks the watch.
    void WatchAt(const QTime& Time);

    TFakeClock Clock;
    TScreen Screen;
    TRecordingErrorBox Errors;

private:
    QTemporaryDir FDir;
    QString FFolder;
    std::unique_ptr<TApplication> FApp;
};
