#include "tests/fakes/diskaudiooutput.h"
#include "toolkit/core/sysutils.h"
#include "toolkit/media/mediaplayer.h"
#include "toolkit/media/messagebeep.h"
#include "toolkit/qt/qtconvert.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <SDL2/SDL.h>

#include <csignal>

// The media player on the real decoders, its sound read back from SDL's disk driver.
class TestMediaPlayer : public QObject {
    Q_OBJECT

private:
    static QString Sound(const char* Name)
    {
        return QStringLiteral(VELUDOR_TEST_DATA "/sounds/") + QLatin1String(Name);
    }
    static bool DeviceOpen() { return SDL_WasInit(SDL_INIT_AUDIO) != 0; }
    static QString NotOpen() { return QStringLiteral("Aucun périphérique MCI ouvert"); }

private slots:
    void init() { QVERIFY(!DeviceOpen()); }
    void cleanup()
    {
        // Every test leaves the device closed: nothing is held while idle.
        QTRY_VERIFY(!DeviceOpen());
    }

    void playsToTheEndAndAgain_data();
    void playsToTheEndAndAgain();
    void stopKeepsThePositionAndFreesTheDevice();
    void openClosesTheSoundAlreadyOpen();
    void closeWhilePlayingFreesTheDevice();
    void openFailuresNameTheFile_data();
    void openFailuresNameTheFile();
    void nothingOpen_data();
    void nothingOpen();
    void noAudioDevice();
    void playFailureAfterOpenIsStored();
    void beepIsAShortToneThatDoesNotWait();
    void stopSignalsStillStopTheProgramWhileSoundPlays();
};

void TestMediaPlayer::playsToTheEndAndAgain_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("lengthKnownAtOpen");
    QTest::newRow("MP3 plays, knows its length") << Sound("tone.mp3") << true;
    QTest::newRow("WAV plays, knows its length") << Sound("tone.wav") << true;
    QTest::newRow("MIDI plays, learns its length at the end") << Sound("tone.mid") << false;
}

void TestMediaPlayer::playsToTheEndAndAgain()
{
    QFETCH(QString, file);
    QFETCH(bool, lengthKnownAtOpen);
    TDiskAudioOutput Output;
    TMediaPlayer Player(nullptr);
    Player.SetFileName(FromQt(file));
    Player.Open();
    QVERIFY(Player.IsOpen());
    QCOMPARE(Player.Position(), 0);
    QCOMPARE(Player.Length() > 0, lengthKnownAtOpen);
    QVERIFY(Player.Position() != Player.Length());

    Player.Play();
    QCOMPARE(Player.Error(), 0);
    QVERIFY(DeviceOpen());
    QVERIFY(Player.Position() != Player.Length());
    QTRY_VERIFY_WITH_TIMEOUT(Player.Position() == Player.Length(), 20000);
    QVERIFY(Player.Length() > 0);
    QVERIFY2(Output.Peak() > 1000, qPrintable(QStringLiteral("peak %1").arg(Output.Peak())));
    QTRY_VERIFY(!DeviceOpen());
    const qint64 Length = Player.Length();

    // At the end, play starts again from the beginning (the device output starts
    // afresh at the new opening).
    QFile::remove(Output.FileName());
    Player.Play();
    QVERIFY(DeviceOpen());
    QVERIFY(Player.Position() < Length);
    QTRY_VERIFY_WITH_TIMEOUT(Player.Position() == Player.Length(), 20000);
    QCOMPARE(Player.Length(), Length);
    QVERIFY(Output.Peak() > 1000);
}

void TestMediaPlayer::stopKeepsThePositionAndFreesTheDevice()
{
    TDiskAudioOutput Output(1); // real time, so the stop lands inside the sound
    TMediaPlayer Player(nullptr);
    Player.SetFileName(FromQt(Sound("tone.wav")));
    Player.Open();
    Player.Play();
    Player.Stop();
    QCOMPARE(Player.Error(), 0);
    QVERIFY(!DeviceOpen());
    const qint64 Stopped = Player.Position();
    QVERIFY(Stopped < Player.Length());
    QCoreApplication::processEvents();
    QCOMPARE(Player.Position(), Stopped);

    // The next play goes on from there to the end; a stop at the end changes nothing.
    Output.SetSpeedUp(10);
    Player.Play();
    QVERIFY(DeviceOpen());
    QTRY_VERIFY_WITH_TIMEOUT(Player.Position() == Player.Length(), 20000);
    Player.Stop();
    QCOMPARE(Player.Position(), Player.Length());
}

void TestMediaPlayer::openClosesTheSoundAlreadyOpen()
{
    TDiskAudioOutput Output(1);
    TMediaPlayer Player(nullptr);
    Player.SetFileName(FromQt(Sound("tone.mid")));
    Player.Open();
    Player.Play();
    QVERIFY(DeviceOpen());
    Player.SetFileName(FromQt(Sound("tone.wav")));
    Player.Open();
    QVERIFY(!DeviceOpen());
    QCOMPARE(Player.Position(), 0);
    QCOMPARE(Player.Length(), 400);

    // A failed open leaves nothing open.
    Player.SetFileName(FromQt(Sound("absent.mp3")));
    QVERIFY_THROWS_EXCEPTION(Exception, Player.Open());
    QVERIFY(!Player.IsOpen());
}

void TestMediaPlayer::closeWhilePlayingFreesTheDevice()
{
    TDiskAudioOutput Output(1);
    TMediaPlayer Player(nullptr);
    Player.SetFileName(FromQt(Sound("tone.mp3")));
    Player.Open();
    Player.Play();
    QVERIFY(DeviceOpen());
    Player.Close();
    QVERIFY(!Player.IsOpen());
    QVERIFY(!DeviceOpen());

    // The same when the owner goes away with the sound playing.
    {
        TComponent Owner(nullptr);
        auto* Owned = new TMediaPlayer(&Owner);
        Owned->SetFileName(FromQt(Sound("tone.mp3")));
        Owned->Open();
        Owned->Play();
        QVERIFY(DeviceOpen());
    }
    QVERIFY(!DeviceOpen());
}

void TestMediaPlayer::openFailuresNameTheFile_data()
{
    QTest::addColumn<QByteArray>("content"); // null: no file at all
    QTest::addColumn<bool>("folder");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing file") << QByteArray() << false << QStringLiteral("fichier introuvable");
    QTest::newRow("zero-length file") << QByteArray("") << false << QStringLiteral("fichier vide");
    QTest::newRow("text posing as MP3")
        << QByteArray("Ceci n'est pas un son.\n").repeated(8) << false
        << QStringLiteral("format non reconnu ou fichier endommagé");
    QTest::newRow("MP3 frame header then garbage")
        << QByteArray("\xFF\xFB\x90\x64").append(QByteArray(400, '\x13')) << false
        << QStringLiteral("format non reconnu ou fichier endommagé");
    QTest::newRow("truncated WAV header") << QByteArray("RIFF\x24\x00\x00\x00WAVEfmt ",
        16) << false << QStringLiteral("format non reconnu ou fichier endommagé");
    QTest::newRow("folder named like a sound")
        << QByteArray() << true << QStringLiteral("ce n'est pas un fichier");
}

void TestMediaPlayer::openFailuresNameTheFile()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, folder);
    QFETCH(QString, reason);
    TDiskAudioOutput Output;
    QTemporaryDir Dir;
    const QString Name = Dir.filePath(QStringLiteral("réveil.mp3"));
    if (folder) {
        QVERIFY(QDir().mkdir(Name));
    } else if (!content.isNull()) {
        QFile File(Name);
        QVERIFY(File.open(QIODevice::WriteOnly));
        File.write(content);
    }

    TMediaPlayer Player(nullptr);
    Player.SetFileName(FromQt(Name));
    try {
        Player.Open();
        QFAIL("the open succeeded");
    } catch (const Exception& E) {
        QCOMPARE(ToQt(E.Message()),
            QStringLiteral("Impossible d'ouvrir le fichier son « %1 » : %2").arg(Name, reason));
    }
    QVERIFY(!Player.IsOpen());
    QVERIFY(!DeviceOpen());
}

void TestMediaPlayer::nothingOpen_data()
{
    QTest::addColumn<int>("operation");
    QTest::newRow("play") << 0;
    QTest::newRow("stop") << 1;
    QTest::newRow("length") << 2;
}

void TestMediaPlayer::nothingOpen()
{
    QFETCH(int, operation);
    TMediaPlayer Player(nullptr);
    Player.SetFileName(FromQt(Sound("tone.wav"))); // a name alone opens nothing
    try {
        switch (operation) {
        case 0:
            Player.Play();
            break;
        case 1:
            Player.Stop();
            break;
        default:
            Player.Length();
        }
        QFAIL("no failure");
    } catch (const Exception& E) {
        QCOMPARE(ToQt(E.Message()), NotOpen());
    }
    QCOMPARE(Player.Position(), 0);
    QVERIFY(!DeviceOpen());
}

void TestMediaPlayer::noAudioDevice()
{
    TDiskAudioOutput Output;
    qputenv("SDL_AUDIODRIVER", "veludor-no-such-driver");
    TMediaPlayer Player(nullptr);
    Player.SetFileName(FromQt(Sound("tone.wav")));
    try {
        Player.Open();
        QFAIL("the open succeeded");
    } catch (const Exception& E) {
        QCOMPARE(ToQt(E.Message()),
            QStringLiteral(
                "Impossible d'ouvrir le fichier son « %1 » : aucun périphérique audio disponible")
                .arg(Sound("tone.wav")));
    }
    MessageBeep(0); // silent, and nothing breaks
    QVERIFY(!DeviceOpen());
}

void TestMediaPlayer::playFailureAfterOpenIsStored()
{
    TDiskAudioOutput Output;
    TMediaPlayer Player(nullptr);
    Player.SetFileName(FromQt(Sound("tone.wav")));
    Player.Open();
    qputenv("SDL_AUDIODRIVER", "veludor-no-such-driver"); // the device goes away
    Player.Play(); // does not throw
    QVERIFY(Player.Error() != 0);
    QCOMPARE(ToQt(Player.ErrorMessage()),
        QStringLiteral(
            "Impossible de lire le fichier son « %1 » : aucun périphérique audio disponible")
            .arg(Sound("tone.wav")));
    QCOMPARE(Player.Position(), 0);

    qputenv("SDL_AUDIODRIVER", "disk"); // back: the next play works and clears the error
    Player.Play();
    QCOMPARE(Player.Error(), 0);
    QVERIFY(Player.ErrorMessage().empty());
    QTRY_VERIFY_WITH_TIMEOUT(Player.Position() == Player.Length(), 20000);
}

void TestMediaPlayer::beepIsAShortToneThatDoesNotWait()
{
    TDiskAudioOutput Output(1);
    MessageBeep(0);
    // It returned while the tone sounds.
    QVERIFY(DeviceOpen());
    QTRY_VERIFY_WITH_TIMEOUT(!DeviceOpen(), 5000);
    const int Span = Output.LoudSpanMs();
    QVERIFY2(Span >= 100 && Span <= 200, qPrintable(QStringLiteral("tone of %1 ms").arg(Span)));
}

void TestMediaPlayer::stopSignalsStillStopTheProgramWhileSoundPlays()
{
    // As in the program, which keeps the default actions (Qt Test installs its own).
    struct sigaction Default = {}, SavedInt = {}, SavedTerm = {}, Now = {};
    Default.sa_handler = SIG_DFL;
    sigaction(SIGINT, &Default, &SavedInt);
    sigaction(SIGTERM, &Default, &SavedTerm);
    {
        TDiskAudioOutput Output(1);
        TMediaPlayer Player(nullptr);
        Player.SetFileName(FromQt(Sound("tone.mid")));
        Player.Open();
        Player.Play();
        QVERIFY(DeviceOpen());
        sigaction(SIGINT, nullptr, &Now);
        const bool IntDefault = Now.sa_handler == SIG_DFL;
        sigaction(SIGTERM, nullptr, &Now);
        const bool TermDefault = Now.sa_handler == SIG_DFL;
        Player.Close();
        sigaction(SIGINT, &SavedInt, nullptr);
        sigaction(SIGTERM, &SavedTerm, nullptr);
        QVERIFY(IntDefault);
        QVERIFY(TermDefault);
    }
}

QTEST_GUILESS_MAIN(TestMediaPlayer)
#include "tst_mediaplayer.moc"
