// The power-off alarm with the real power-off request. Run on a private system bus with
// a mock logind (VELUDOR_SYSTEM_BUS=logind) or with no bus at the address ("absent");
// the beeps are counted by a recorded sound output.
#include "tests/fakes/qtcompare.h"
#include "app/unit1.h"
#include "app/unit2.h"
#include "tests/app/alarm/alarmfixture.h"
#include "tests/fakes/categorylog.h"
#include "tests/fakes/mocklogind.h"
#include "tests/fakes/recordingaudio.h"
#include "toolkit/controls/extctrls.h"
#include "toolkit/controls/stdctrls.h"

#include <QtTest>

namespace {
// Fires a power-off alarm at 07:05 and counts the given number of seconds down.
QStringList CountDown(TAlarmFixture& F, int Seconds)
{
    F.Arm(7, 5, false);
    F.WatchAt(QTime(7, 5, 0));
    QStringList Labels;
    for (int i = 0; i < Seconds; ++i) {
        TAlarmFixture::Tick(Form2->Timer1);
        Labels << Form2->Label2->Caption();
    }
    return Labels;
}

QStringList Numbers(int From, int To)
{
    QStringList Result;
    for (int i = From; i >= To; --i) {
        Result << QString::number(i);
    }
    return Result;
}
}

class TestCountdownOnLogind : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(FLogind.IsConnected());
        FLogind.SetRefusing(false);
        FLogind.ClearCalls();
        FAudio = std::make_unique<TRecordingAudio>();
        F = std::make_unique<TAlarmFixture>();
        F->Start();
    }

    void cleanup()
    {
        F.reset();
        FAudio.reset();
    }

    void thirtyBeepsThenOnePowerOff()
    {
        TCategoryLog Log("veludor.power");
        QCOMPARE(CountDown(*F, 30), Numbers(29, 0));
        QCOMPARE(FAudio->Beeps, 30);
        QTRY_COMPARE_WITH_TIMEOUT(Log.Count(QStringLiteral("power-off accepted")), 1, 10000);
        QCOMPARE(FLogind.PowerOffCalls(), QList<bool>({ true }));
        QVERIFY(Form2->Visible());
    }

    void refusalCountsOnBelowZeroUntilCancelled()
    {
        FLogind.SetRefusing(true);
        TCategoryLog Log("veludor.power");
        QCOMPARE(CountDown(*F, 30).last(), QStringLiteral("0"));
        QTRY_COMPARE_WITH_TIMEOUT(Log.Count(QStringLiteral("power-off refused")), 1, 10000);
        for (int i = 1; i <= 5; ++i) {
            TAlarmFixture::Tick(Form2->Timer1);
            QCOMPARE(Form2->Label2->Caption(), QString::number(-i));
        }
        QCOMPARE(FAudio->Beeps, 35);
        QCOMPARE(FLogind.PowerOffCalls(), QList<bool>({ true }));
        QCOMPARE(F->Errors.Texts, QStringList()); // nothing reported to the user

        Form2->Button1->Click();
        QVERIFY(!Form2->Visible());
        QVERIFY(!Form2->Timer1->Enabled());
        QVERIFY(!Form1->Timer2->Enabled());
        QCOMPARE(Form1->Label9->Caption(), QStringLiteral("--:--"));
        QCOMPARE(FLogind.PowerOffCalls(), QList<bool>({ true }));
    }

private:
    TMockLogind FLogind;
    std::unique_ptr<TRecordingAudio> FAudio;
    std::unique_ptr<TAlarmFixture> F;
};

class TestCountdownWithoutBus : public QObject {
    Q_OBJECT

private slots:
    void countdownGoesOnWithoutABus()
    {
        TRecordingAudio Audio;
        TAlarmFixture F;
        F.Start();
        TCategoryLog Log("veludor.power");
        QCOMPARE(CountDown(F, 33), Numbers(29, -3));
        QTRY_COMPARE_WITH_TIMEOUT(Log.Count(QStringLiteral("no system bus")), 1, 10000);
        QCOMPARE(F.Errors.Texts, QStringList());
        QVERIFY(Form2->Visible());
    }
};

int main(int argc, char** argv)
{
    QApplication App(argc, argv);
    const QByteArray Bus = qgetenv("VELUDOR_SYSTEM_BUS");
    if (Bus == "logind") {
        TestCountdownOnLogind Test;
        return QTest::qExec(&Test, argc, argv);
    }
    if (Bus == "absent") {
        TestCountdownWithoutBus Test;
        return QTest::qExec(&Test, argc, argv);
    }
    qCritical("VELUDOR_SYSTEM_BUS must say which private bus this test runs on");
    return 1;
}

#include "tst_alarmpoweroff.moc"
