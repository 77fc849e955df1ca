// The sound alarm on the real decoders, its sound read back from SDL's disk driver:
// the missing default file, and MP3, WAV and MIDI files ringing in a loop until
// "Maintenant" or the close box.
#include "tests/fakes/qtcompare.h"
#include "app/unit1.h"
#include "app/unit4.h"
#include "tests/app/alarm/alarmfixture.h"
#include "tests/fakes/diskaudiooutput.h"
#include "toolkit/controls/extctrls.h"
#include "toolkit/controls/stdctrls.h"
#include "toolkit/media/mediaplayer.h"

#include <QFile>
#include <QtTest>

#include <SDL2/SDL.h>

namespace {
bool DeviceOpen() { return SDL_WasInit(SDL_INIT_AUDIO) != 0; }

QString Sound(const QString& Name) { return QStringLiteral(VELUDOR_TEST_DATA "/sounds/") + Name; }

bool AtEnd() { return Form1->MediaPlayer1->Position() == Form1->MediaPlayer1->Length(); }
}

class TestAlarmSound : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void missingDefaultSoundErrorsAtEachTickOfTheMinute();
    void ringsInALoopUntilStopped_data();
    void ringsInALoopUntilStopped();

private:
    std::unique_ptr<TDiskAudioOutput> FOutput;
    std::unique_ptr<TAlarmFixture> F;
};

void TestAlarmSound::init()
{
    FOutput = std::make_unique<TDiskAudioOutput>();
    F = std::make_unique<TAlarmFixture>();
    F->Start();
}

void TestAlarmSound::cleanup()
{
    F.reset();
    QVERIFY(!DeviceOpen());
    FOutput.reset();
}

void TestAlarmSound::missingDefaultSoundErrorsAtEachTickOfTheMinute()
{
    F->Arm(7, 5, true);
    for (int Second : { 0, 1, 2, 59 }) {
        F->WatchAt(QTime(7, 5, Second));
        QVERIFY(!Form4->Visible());
        QVERIFY(Form1->Timer2->Enabled());
        QVERIFY(!DeviceOpen());
    }
    const QString Text
        = QStringLiteral("Impossible d'ouvrir le fichier son « alarm.mp3 » : fichier introuvable.");
    QCOMPARE(F->Errors.Texts, QStringList(4, Text));
    F->WatchAt(QTime(7, 6, 0));
    QCOMPARE(F->Errors.Texts.size(), 4);
    QVERIFY(Form1->Timer2->Enabled());
    QCOMPARE(Form1->Label9->Caption(), QStringLiteral("07:05"));
}

void TestAlarmSound::ringsInALoopUntilStopped_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("asDefault"); // copied as alarm.mp3, or chosen in Edit1
    QTest::addColumn<bool>("closeBox"); // stopped by the close box, or by "Maintenant"
    QTest::newRow("default alarm.mp3, Maintenant") << QStringLiteral("tone.mp3") << true << false;
    QTest::newRow("default alarm.mp3, close box") << QStringLiteral("tone.mp3") << true << true;
    QTest::newRow("chosen WAV, Maintenant") << QStringLiteral("tone.wav") << false << false;
    QTest::newRow("chosen WAV, close box") << QStringLiteral("tone.wav") << false << true;
    QTest::newRow("chosen MIDI, Maintenant") << QStringLiteral("tone.mid") << false << false;
    QTest::newRow("chosen MIDI, close box") << QStringLiteral("tone.mid") << false << true;
}

void TestAlarmSound::ringsInALoopUntilStopped()
{
    QFETCH(QString, file);
    QFETCH(bool, asDefault);
    QFETCH(bool, closeBox);
    if (asDefault) {
        QVERIFY(QFile::copy(Sound(file), F->Folder() + QStringLiteral("alarm.mp3")));
    } else {
        Form1->Edit1->SetText(FromQt(Sound(file)));
    }
    F->Arm(7, 5, true);
    F->WatchAt(QTime(7, 5, 0));
    QVERIFY(F->Errors.Texts.isEmpty());
    QVERIFY(Form4->Visible());
    QVERIFY(!Form1->Timer2->Enabled());
    QVERIFY(Form4->Timer1->Enabled());
    QVERIFY(DeviceOpen());

    // Twice through: it plays to its end, then the replay loop starts it again.
    for (int Round = 0; Round < 2; ++Round) {
        QTRY_VERIFY_WITH_TIMEOUT(AtEnd(), 20000);
        QVERIFY2(FOutput->Peak() > 1000,
            qPrintable(QStringLiteral("round %1, peak %2").arg(Round).arg(FOutput->Peak())));
        QTRY_VERIFY(!DeviceOpen()); // released between rounds
        TAlarmFixture::Tick(Form4->Timer1);
        QVERIFY(DeviceOpen());
        QVERIFY(!AtEnd());
    }

    if (closeBox) {
        Form4->Close();
    } else {
        Form4->Button1->Click();
    }
    QVERIFY(!DeviceOpen());
    QVERIFY(!Form4->Visible());
    QVERIFY(!Form4->Timer1->Enabled());
    QVERIFY(!Form1->Timer2->Enabled());
    QCOMPARE(Form1->Label9->Caption(), QStringLiteral("--:--"));
    QVERIFY(F->Errors.Texts.isEmpty());
}

QTEST_MAIN(TestAlarmSound)
#include "tst_alarmsound.moc"
