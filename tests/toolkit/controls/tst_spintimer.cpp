// The spin box and the timer on their real Qt widgets and timers: the spin box clamps
// its value when it loses the keyboard focus and drops refused keys, Enter among them,
// with the default beep; a stored timer starts only once its form is loaded, starts its
// count again when its interval or enabled flag changes, and never ticks at interval 0;
// timers aligned to the second tick together just after each second of the clock source,
// whatever the wall clock did since the last wake-up.
#include "tests/fakes/qtcompare.h"
#include "tests/fakes/widgetof.h"
#include "tests/fakes/fakeclock.h"
#include "tests/fakes/recordingaudio.h"
#include "toolkit/controls/extctrls.h"
#include "toolkit/controls/forms.h"
#include "toolkit/controls/secondbeat.h"
#include "toolkit/controls/spin.h"
#include "toolkit/controls/stdctrls.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QtTest>

class tst_SpinTimer : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void spinBoxKeysAndFocus_data();
    void spinBoxKeysAndFocus();
    void spinBoxPaste_data();
    void spinBoxPaste();
    void timerTicks_data();
    void timerTicks();
    void timerFollowsSeconds_data();
    void timerFollowsSeconds();

private:
    std::unique_ptr<TApplication> FApp;
};

void tst_SpinTimer::initTestCase() { FApp = std::make_unique<TApplication>(); }

void tst_SpinTimer::spinBoxKeysAndFocus_data()
{
    QTest::addColumn<int>("Min");
    QTest::addColumn<int>("Max");
    QTest::addColumn<QString>("Typed"); // typed into the emptied box
    QTest::addColumn<int>("Key"); // then pressed, when not 0
    QTest::addColumn<QString>("Shown"); // the text while the box has the focus
    QTest::addColumn<int>("Beeps");
    QTest::addColumn<QString>("Left"); // the text once the focus has gone

    const int Enter = Qt::Key_Return, PadEnter = Qt::Key_Enter;
    QTest::newRow("above the bounds: clamped on leaving")
        << 0 << 10 << "25" << 0 << "25" << 0 << "10";
    QTest::newRow("below the bounds: clamped on leaving")
        << 0 << 10 << "-3" << 0 << "-3" << 0 << "0";
    QTest::newRow("plus sign: written back plainly") << 0 << 10 << "+7" << 0 << "+7" << 0 << "7";
    QTest::newRow("equal bounds: no clamping") << 0 << 0 << "25" << 0 << "25" << 0 << "25";
    QTest::newRow("Enter dropped with a beep") << 0 << 10 << "5" << Enter << "5" << 1 << "5";
    QTest::newRow("keypad Enter dropped with a beep")
        << 0 << 10 << "5" << PadEnter << "5" << 1 << "5";
    QTest::newRow("letter dropped with a beep") << 0 << 10 << "5a" << 0 << "5" << 1 << "5";
    QTest::newRow("Up key steps") << 0 << 10 << "5" << int(Qt::Key_Up) << "6" << 0 << "6";
    QTest::newRow("Down key at the bound: no wrap")
        << 0 << 10 << "0" << int(Qt::Key_Down) << "0" << 0 << "0";
    QTest::newRow("decimal comma and space: comma kept, space dropped")
        << 0 << 10 << "3, " << 0 << "3," << 1 << "0";
}

void tst_SpinTimer::spinBoxKeysAndFocus()
{
    QFETCH(int, Min);
    QFETCH(int, Max);
    QFETCH(QString, Typed);
    QFETCH(int, Key);
    QFETCH(QString, Shown);
    QFETCH(int, Beeps);
    QFETCH(QString, Left);

    TRecordingAudio Audio;
    TForm Form(nullptr);
    Form.SetBounds(0, 0, 200, 80);
    auto* Spin = new TSpinEdit(&Form);
    Spin->SetParent(&Form);
    Spin->SetBounds(10, 10, 60, 22);
    Spin->SetMinValue(Min);
    Spin->SetMaxValue(Max);
    auto* Other = new TEdit(&Form);
    Other->SetParent(&Form);
    Other->SetBounds(100, 10, 60, 22);
    Form.Show();
    QWidget* Window = WidgetOf(&Form)->window();
    Window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(Window));

    QLineEdit* Line = WidgetOf(Spin)->findChild<QLineEdit*>();
    QVERIFY(Line);
    WidgetOf(Spin)->setFocus();
    QTRY_VERIFY(WidgetOf(Spin)->hasFocus());
    Line->selectAll();
    QTest::keyClick(Line, Qt::Key_Backspace);
    QTest::keyClicks(WidgetOf(Spin), Typed);
    if (Key != 0) {
        QTest::keyClick(WidgetOf(Spin), Qt::Key(Key));
    }
    QCOMPARE(Spin->Text(), Shown);
    QCOMPARE(Audio.Beeps, Beeps);

    WidgetOf(Other)->setFocus();
    QTRY_VERIFY(WidgetOf(Other)->hasFocus());
    QCOMPARE(Spin->Text(), Left);
}

void tst_SpinTimer::spinBoxPaste_data()
{
    QTest::addColumn<QString>("Pasted");
    QTest::addColumn<QString>("Shown");
    QTest::addColumn<int>("Changes");
    QTest::newRow("digits taken") << "12" << "512" << 1;
    QTest::newRow("a letter refuses it whole") << "1a" << "5" << 0;
}

// Text put in without typing it follows the keys' rules; the program's own does not.
void tst_SpinTimer::spinBoxPaste()
{
    QFETCH(QString, Pasted);
    QFETCH(QString, Shown);
    QFETCH(int, Changes);
    TForm Form(nullptr);
    Form.SetBounds(0, 0, 200, 80);
    auto* Spin = new TSpinEdit(&Form);
    Spin->SetParent(&Form);
    Spin->SetBounds(10, 10, 60, 22);
    Spin->SetText(u"5");
    Form.Show();
    int Seen = 0;
    Spin->OnChange = [&Seen](TObject*) { ++Seen; };
    QLineEdit* Line = WidgetOf(Spin)->findChild<QLineEdit*>();
    QVERIFY(Line);
    Line->end(false);
    Line->insert(Pasted);
    QCOMPARE(Spin->Text(), Shown);
    QCOMPARE(Seen, Changes);
    Spin->SetText(u"ab");
    QCOMPARE(Spin->Text(), QStringLiteral("ab"));
}

void tst_SpinTimer::timerTicks_data()
{
    QTest::addColumn<QString>("Case");
    QTest::newRow("starts only after Loaded") << "loaded";
    QTest::newRow("an interval change restarts the count") << "interval";
    QTest::newRow("enabling again restarts the count") << "enabled";
    QTest::newRow("interval 0 never ticks") << "zero";
}

void tst_SpinTimer::timerTicks()
{
    QFETCH(QString, Case);
    TForm Form(nullptr);
    auto* Timer = new TTimer(&Form);
    Timer->BeginLoading();
    QList<qint64> Ticks; // milliseconds since Clock started
    QElapsedTimer Clock;
    Timer->OnTimer = [&](TObject*) { Ticks.append(Clock.elapsed()); };
    Timer->SetInterval(Case == QLatin1String("zero") ? 0 : 100);
    Timer->SetEnabled(true);
    Clock.start();

    if (Case == QLatin1String("loaded")) {
        QTest::qWait(300);
        QVERIFY2(Ticks.isEmpty(), "no tick while the form loads");
        Clock.restart();
        Timer->Loaded();
        QTRY_VERIFY(!Ticks.isEmpty());
        QVERIFY(Ticks.first() >= 90);
        return;
    }
    Timer->Loaded();
    if (Case == QLatin1String("zero")) {
        Timer->SetEnabled(false);
        Timer->SetEnabled(true);
        QTest::qWait(300);
        QVERIFY(Ticks.isEmpty());
        return;
    }
    // 250 ms into a 300 ms count, the change starts a new one: the next tick comes a
    // whole interval after the change (coarse timers may come 5 % early), not 50 ms
    // after it. Only a lower bound is checked, so a loaded machine cannot fail it.
    Timer->SetInterval(300);
    QTest::qWait(250);
    Ticks.clear();
    Clock.restart();
    if (Case == QLatin1String("interval")) {
        Timer->SetInterval(400);
    } else {
        Timer->SetEnabled(false);
        Timer->SetEnabled(true);
    }
    QTRY_VERIFY_WITH_TIMEOUT(!Ticks.isEmpty(), 5000);
    const qint64 Interval = Case == QLatin1String("interval") ? 400 : 300;
    QVERIFY2(Ticks.first() >= Interval * 9 / 10, qPrintable(QString::number(Ticks.first())));
}

void tst_SpinTimer::timerFollowsSeconds_data()
{
    const QDate Day(2026, 12, 7);
    QTest::addColumn<QDateTime>("Wake");
    QTest::addColumn<QString>("Ticks");
    QTest::addColumn<int>("Next");
    // Armed at 07:04:58.250: 751 ms, to 07:04:59.001.
    QTest::newRow("on time: both tick, in order, and wait a second")
        << QDateTime(Day, QTime(7, 4, 59, 1)) << "12" << 1000;
    QTest::newRow("3 ms late: ticks and keeps its period")
        << QDateTime(Day, QTime(7, 4, 59, 4)) << "12" << 1000;
    QTest::newRow("5 ms late: ticks and aims at the boundary again")
        << QDateTime(Day, QTime(7, 4, 59, 5)) << "12" << 996;
    QTest::newRow("4 ms early: no tick, waits for the boundary")
        << QDateTime(Day, QTime(7, 4, 58, 996)) << "" << 5;
    QTest::newRow("clock set back 10 min: ticks, then finds the boundary")
        << QDateTime(Day, QTime(6, 54, 59, 400)) << "12" << 601;
    QTest::newRow("clock set forward 1 h") << QDateTime(Day, QTime(8, 4, 59, 730)) << "12" << 271;
    QTest::newRow("time zone changed to UTC+5:30")
        << QDateTime(Day, QTime(11, 34, 59, 3), Qt::OffsetFromUTC, 19800) << "12" << 1000;
}

void tst_SpinTimer::timerFollowsSeconds()
{
    QFETCH(QDateTime, Wake);
    QFETCH(QString, Ticks);
    QFETCH(int, Next);
    TFakeClock Clock(QDateTime(QDate(2026, 12, 7), QTime(7, 4, 58, 250)));
    TForm Form(nullptr);
    QString Log;
    auto* Plain = new TTimer(&Form); // keeps its own count, off the beat
    Plain->OnTimer = [&](TObject*) { Log += QLatin1Char('p'); };
    for (const QChar Name : { QLatin1Char('1'), QLatin1Char('2') }) {
        auto* Timer = new TTimer(&Form);
        Timer->OnTimer = [&Log, Name](TObject*) { Log += Name; };
        Timer->SetAlignedToSecond(true);
    }
    QCOMPARE(TSecondBeat::ArmedDelay(), 751);
    Clock.Set(Wake);
    TSecondBeat::WakeNow();
    QCOMPARE(Log, Ticks);
    QCOMPARE(TSecondBeat::ArmedDelay(), Next);
}

QTEST_MAIN(tst_SpinTimer)
#include "tst_spintimer.moc"
