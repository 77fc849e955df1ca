// The alarm in the main window and its two dialogs, with a fake clock, recorded sound
// and recorded power-off requests: the wrapping spin boxes, arming and the watch, the
// sound choice, the ringing dialog's edge cases and the countdown.
#include "app/unit1.h"
#include "tests/fakes/widgetof.h"
#include "app/unit2.h"
#include "app/unit4.h"
#include "components/transparent_radio/vqtrradiobutton.h"
#include "tests/app/alarm/alarmfixture.h"
#include "tests/fakes/recordingaudio.h"
#include "tests/fakes/recordingpower.h"
#include "tests/fakes/qtcompare.h"
#include "toolkit/controls/dialogs.h"
#include "toolkit/controls/extctrls.h"
#include "toolkit/controls/menus.h"
#include "toolkit/controls/spin.h"
#include "toolkit/controls/stdctrls.h"
#include "toolkit/text/datetime.h"

#include <QAbstractSpinBox>
#include <QStyle>
#include <QStyleOptionSpinBox>
#include <QtTest>

namespace {
enum class TInput { KeyUp, KeyDown, ArrowUp, ArrowDown, Typed };

QAbstractSpinBox* SpinWidget(TSpinEdit* Box)
{
    return qobject_cast<QAbstractSpinBox*>(WidgetOf(Box));
}

// Clicks the up or down arrow of a spin box with the mouse.
void ClickArrow(TSpinEdit* Box, QStyle::SubControl Arrow)
{
    QAbstractSpinBox* Spin = SpinWidget(Box);
    QStyleOptionSpinBox Option;
    Option.initFrom(Spin);
    Option.rect = Spin->rect();
    Option.subControls
        = QStyle::SC_SpinBoxUp | QStyle::SC_SpinBoxDown | QStyle::SC_SpinBoxEditField;
    Option.stepEnabled = QAbstractSpinBox::StepUpEnabled | QAbstractSpinBox::StepDownEnabled;
    Option.buttonSymbols = QAbstractSpinBox::UpDownArrows;
    const QRect Rect = Spin->style()->subControlRect(QStyle::CC_SpinBox, &Option, Arrow, Spin);
    QTest::mouseClick(Spin, Qt::LeftButton, {}, Rect.center());
}

const QString Unarmed = QStringLiteral("-- : --");
const QString Stopped = QStringLiteral("--:--");
}

class TestAlarm : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void spinBoxesWrap_data();
    void spinBoxesWrap();
    void watchFiresDuringTheMinuteOnly_data();
    void watchFiresDuringTheMinuteOnly();
    void currentMinuteFiresAtTheNextTick();
    void disarmKeepsTheValidatedTime();
    void viewSwitchLeavesTheFocusWithTheWindow_data();
    void viewSwitchLeavesTheFocusWithTheWindow();
    void kindAtTheMinuteCounts_data();
    void kindAtTheMinuteCounts();
    void timeThatDoesNotParse_data();
    void timeThatDoesNotParse();
    void chosenSoundIsTestedAndRings();
    void unreadableSoundRetriesEachTick();
    void ringingSurvivesAFailedTestPlay();
    void countdownRequestsOnceThenGoesBelowZero();
    void countdownStartsFromThirtyEachTime();
    void closeBoxCancelsTheCountdown();
    void dialogLayouts();
    void dialogPlacement_data();
    void dialogPlacement();

private:
    std::unique_ptr<TAlarmFixture> F;
    std::unique_ptr<TRecordingAudio> FAudio;
    std::unique_ptr<TRecordingPower> FPower;
};

void TestAlarm::init()
{
    FAudio = std::make_unique<TRecordingAudio>();
    FPower = std::make_unique<TRecordingPower>();
    F = std::make_unique<TAlarmFixture>();
    F->Start();
    QVERIFY(F->Errors.Texts.isEmpty());
}

void TestAlarm::cleanup()
{
    TOpenDialog::Runner = nullptr;
    FormatSettings().TimeSeparator = u':';
    F.reset();
    FPower.reset();
    FAudio.reset();
}

void TestAlarm::spinBoxesWrap_data()
{
    QTest::addColumn<bool>("hour");
    QTest::addColumn<int>("start");
    QTest::addColumn<TInput>("input");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("expected");
    QTest::newRow("hour 23, Up key -> 0") << true << 23 << TInput::KeyUp << QString() << 0;
    QTest::newRow("hour 0, Down key -> 23") << true << 0 << TInput::KeyDown << QString() << 23;
    QTest::newRow("hour 23, up arrow -> 0") << true << 23 << TInput::ArrowUp << QString() << 0;
    QTest::newRow("hour 0, down arrow -> 23") << true << 0 << TInput::ArrowDown << QString() << 23;
    QTest::newRow("hour 12, Up key -> 13") << true << 12 << TInput::KeyUp << QString() << 13;
    QTest::newRow("minute 59, Up key -> 0") << false << 59 << TInput::KeyUp << QString() << 0;
    QTest::newRow("minute 0, Down key -> 59") << false << 0 << TInput::KeyDown << QString() << 59;
    QTest::newRow("minute 59, up arrow -> 0") << false << 59 << TInput::ArrowUp << QString() << 0;
    QTest::newRow("minute 0, down arrow -> 59")
        << false << 0 << TInput::ArrowDown << QString() << 59;
    QTest::newRow("hour typed 30 -> 0") << true << 7 << TInput::Typed << QStringLiteral("30") << 0;
    QTest::newRow("hour typed 23 stays")
        << true << 7 << TInput::Typed << QStringLiteral("23") << 23;
    QTest::newRow("hour emptied -> 23") << true << 7 << TInput::Typed << QString() << 23;
    QTest::newRow("hour lone minus -> 23")
        << true << 7 << TInput::Typed << QStringLiteral("-") << 23;
    QTest::newRow("minute typed 75 -> 0")
        << false << 7 << TInput::Typed << QStringLiteral("75") << 0;
    QTest::newRow("minute emptied -> 59") << false << 7 << TInput::Typed << QString() << 59;
    QTest::newRow("minute, letters dropped")
        << false << 7 << TInput::Typed << QStringLiteral("ab") << 7;
}

void TestAlarm::spinBoxesWrap()
{
    QFETCH(bool, hour);
    QFETCH(int, start);
    QFETCH(TInput, input);
    QFETCH(QString, typed);
    QFETCH(int, expected);
    Form1->Show();
    Form1->config1->Click();
    TSpinEdit* Box = hour ? Form1->SpinEdit1 : Form1->SpinEdit2;
    Box->SetValue(start);
    QCOMPARE(Box->Value(), start);
    QAbstractSpinBox* Spin = SpinWidget(Box);
    switch (input) {
    case TInput::KeyUp:
        QTest::keyClick(Spin, Qt::Key_Up);
        break;
    case TInput::KeyDown:
        QTest::keyClick(Spin, Qt::Key_Down);
        break;
    case TInput::ArrowUp:
        ClickArrow(Box, QStyle::SC_SpinBoxUp);
        break;
    case TInput::ArrowDown:
        ClickArrow(Box, QStyle::SC_SpinBoxDown);
        break;
    case TInput::Typed:
        // Over the selected text; nothing typed: the text deleted. (Ctrl+A as Qt Test
        // sends it carries the text "a", which the box drops like any letter.)
        QTest::keyClick(Spin, Qt::Key_End);
        QTest::keyClick(Spin, Qt::Key_Home, Qt::ShiftModifier);
        if (typed.isEmpty()) {
            QTest::keyClick(Spin, Qt::Key_Backspace);
        } else {
            QTest::keyClicks(Spin, typed);
        }
        break;
    }
    QCOMPARE(Box->Value(), expected);
    QCOMPARE(Box->Text(), QString::number(expected));
}

void TestAlarm::watchFiresDuringTheMinuteOnly_data()
{
    QTest::addColumn<QTime>("time");
    QTest::addColumn<bool>("rings");
    QTest::newRow("07:04:59, a second early") << QTime(7, 4, 59) << false;
    QTest::newRow("07:05:00") << QTime(7, 5, 0) << true;
    QTest::newRow("07:05:59") << QTime(7, 5, 59) << true;
    QTest::newRow("07:06:00, a minute late") << QTime(7, 6, 0) << false;
    QTest::newRow("19:05:00, twelve hours later") << QTime(19, 5, 0) << false;
}

void TestAlarm::watchFiresDuringTheMinuteOnly()
{
    QFETCH(QTime, time);
    QFETCH(bool, rings);
    F->Arm(7, 5, true);
    QCOMPARE(Form1->Label9->Caption(), QStringLiteral("07:05"));
    QVERIFY(Form1->Timer2->Enabled());
    QVERIFY(Form1->Label2->Visible()); // back to the clock view
    QVERIFY(!Form1->SpinEdit1->Visible());

    F->WatchAt(time);
    QCOMPARE(Form4->Visible(), rings);
    QCOMPARE(Form1->Timer2->Enabled(), !rings);
    QCOMPARE(Form4->Timer1->Enabled(), rings);
    QCOMPARE(FAudio->Log, rings ? QStringList({ "open alarm.mp3", "play" }) : QStringList());
    QVERIFY(F->Errors.Texts.isEmpty());
}

void TestAlarm::currentMinuteFiresAtTheNextTick()
{
    // At start the boxes hold the current time, 07:04.
    Form1->config1->Click();
    QCOMPARE(Form1->SpinEdit1->Value(), 7);
    QCOMPARE(Form1->SpinEdit2->Value(), 4);
    Form1->Button2->Click();
    QCOMPARE(Form1->Label9->Caption(), QStringLiteral("07:04"));
    F->Clock.AdvanceMs(1000);
    TAlarmFixture::Tick(Form1->Timer2);
    QVERIFY(Form4->Visible());
}

void TestAlarm::viewSwitchLeavesTheFocusWithTheWindow_data()
{
    QTest::addColumn<QString>("View"); // the view the user works in
    QTest::addColumn<QString>("Focused"); // the control that has the keyboard focus there
    QTest::addColumn<QString>("Leave"); // how the user leaves the view
    QTest::newRow("hour box, Valider") << "alarm" << "SpinEdit1" << "Button2";
    QTest::newRow("minute box, Annuler") << "alarm" << "SpinEdit2" << "Button1";
    QTest::newRow("hour box, clock view from the menu") << "alarm" << "SpinEdit1" << "clock";
    QTest::newRow("stopwatch button, clock view from the menu")
        << "stopwatch" << "Button3" << "clock";
}

// Hiding the focused control would hand the keyboard focus on along the tab order, to
// the skin list that lies outside the picture: its caret would blink unseen, waking the
// program twice a second, and the keys typed would edit it.
void TestAlarm::viewSwitchLeavesTheFocusWithTheWindow()
{
    QFETCH(QString, View);
    QFETCH(QString, Focused);
    QFETCH(QString, Leave);
    QWidget* Window = WidgetOf(Form1)->window();
    Form1->Show();
    Window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(Window));
    if (View == QLatin1String("alarm")) {
        Form1->config1->Click();
    } else {
        Form1->Chronometre1->Click();
    }
    auto* Control = dynamic_cast<TWinControl*>(Form1->FindComponent(FromQt(Focused)));
    QVERIFY(Control);
    Control->SetFocus();
    QTRY_VERIFY(Control->Focused());

    if (Leave == QLatin1String("clock")) {
        Form1->Veludor1->Click();
    } else {
        // A click on a button gives it the focus before it runs.
        auto* Button = dynamic_cast<TButton*>(Form1->FindComponent(FromQt(Leave)));
        QVERIFY(Button);
        Button->SetFocus();
        Button->Click();
    }
    QWidget* Focus = QApplication::focusWidget();
    QVERIFY2(!Focus || Focus == WidgetOf(Form1), Focus ? Focus->metaObject()->className() : "");
}

void TestAlarm::disarmKeepsTheValidatedTime()
{
    F->Arm(7, 5, true);
    Form1->config1->Click();
    Form1->Button1->Click();
    QVERIFY(!Form1->Timer2->Enabled());
    QCOMPARE(Form1->Label9->Caption(), QStringLiteral("07:05"));
    QVERIFY(Form1->Label2->Visible());
    F->WatchAt(QTime(7, 5, 0));
    QVERIFY(!Form4->Visible());
    QVERIFY(FAudio->Log.isEmpty());
}

void TestAlarm::kindAtTheMinuteCounts_data()
{
    QTest::addColumn<bool>("armedAsSound");
    QTest::newRow("armed as sound, power-off chosen before the minute") << true;
    QTest::newRow("armed as power-off, sound chosen before the minute") << false;
}

void TestAlarm::kindAtTheMinuteCounts()
{
    QFETCH(bool, armedAsSound);
    F->Arm(7, 5, armedAsSound);
    (armedAsSound ? Form1->VqTrRadioButton2 : Form1->VqTrRadioButton1)->SetChecked(true);
    F->WatchAt(QTime(7, 5, 0));
    QCOMPARE(Form2->Visible(), armedAsSound);
    QCOMPARE(Form4->Visible(), !armedAsSound);
    QCOMPARE(FAudio->Log.isEmpty(), armedAsSound);
}

void TestAlarm::timeThatDoesNotParse_data()
{
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QString>("hourText");
    QTest::addColumn<QString>("message");
    QTest::newRow("plus sign, locale separator '.'") << QChar(
        '.') << QStringLiteral("+7") << QStringLiteral("'+7 . 5' n'est pas une heure correcte.");
    QTest::newRow("hour typed with a plus sign") << QChar(
        ':') << QStringLiteral("+7") << QStringLiteral("'+7 : 5' n'est pas une heure correcte.");
}

void TestAlarm::timeThatDoesNotParse()
{
    QFETCH(QChar, separator);
    QFETCH(QString, hourText);
    QFETCH(QString, message);
    FormatSettings().TimeSeparator = separator.unicode();
    Form1->config1->Click();
    Form1->SpinEdit1->SetText(FromQt(hourText));
    Form1->SpinEdit2->SetValue(5);
    QCOMPARE(Form1->SpinEdit1->Text(), hourText);
    Form1->Button2->Click();
    QCOMPARE(F->Errors.Texts, QStringList { message });
    QCOMPARE(F->Errors.Titles, QStringList { QStringLiteral("Veludor") });
    QCOMPARE(Form1->Label9->Caption(), Unarmed);
    QVERIFY(!Form1->Timer2->Enabled());
    QVERIFY(Form1->Label2->Visible()); // the view switched before the failure
}

void TestAlarm::chosenSoundIsTestedAndRings()
{
    const QString Chosen = F->Folder() + QStringLiteral("réveil.wav");
    int FilterIndex = 0;
    TOpenDialog::Runner = [&](TOpenDialog& Dialog) {
        FilterIndex = Dialog.FilterIndex;
        return FromQt(Chosen);
    };
    Form1->Image4->Click();
    QCOMPARE(FilterIndex, 4); // the entry that shows the three kinds
    QCOMPARE(Form1->Edit1->Text(), Chosen);
    TOpenDialog::Runner = [](TOpenDialog&) { return TString(); };
    Form1->Image4->Click(); // cancelled: the choice stays
    QCOMPARE(Form1->Edit1->Text(), Chosen);

    // The test play: the chosen file, once, no dialog.
    Form1->Image5->Click();
    QCOMPARE(FAudio->Log, QStringList({ "open " + Chosen, "play" }));
    QVERIFY(!Form4->Visible());

    FAudio->Log.clear();
    F->Arm(7, 5, true);
    F->WatchAt(QTime(7, 5, 0));
    // The test sound is closed by the alarm's open.
    QCOMPARE(FAudio->Log, QStringList({ "close", "open " + Chosen, "play" }));
    QVERIFY(Form4->Visible());
}

void TestAlarm::unreadableSoundRetriesEachTick()
{
    FAudio->Unreadable << QStringLiteral("alarm.mp3");
    F->Arm(7, 5, true);
    for (int Second : { 0, 1, 2 }) {
        F->WatchAt(QTime(7, 5, Second));
    }
    const QString Text
        = QStringLiteral("Impossible d'ouvrir le fichier son « alarm.mp3 » : fichier introuvable.");
    QCOMPARE(F->Errors.Texts, QStringList({ Text, Text, Text }));
    QVERIFY(!Form4->Visible());
    QVERIFY(Form1->Timer2->Enabled());
    F->WatchAt(QTime(7, 6, 0));
    QCOMPARE(F->Errors.Texts.size(), 3);
    QVERIFY(Form1->Timer2->Enabled()); // armed again for the next day
}

void TestAlarm::ringingSurvivesAFailedTestPlay()
{
    F->Arm(7, 5, true);
    F->WatchAt(QTime(7, 5, 0));
    QVERIFY(Form4->Visible());
    // While it rings, the user tests a file that does not open: the alarm sound is
    // closed by that open.
    Form1->Edit1->SetText(u"absent.mid");
    FAudio->Unreadable << QStringLiteral("absent.mid");
    Form1->Image5->Click();
    QCOMPARE(F->Errors.Texts.size(), 1);
    TAlarmFixture::Tick(Form4->Timer1);
    QCOMPARE(F->Errors.Texts.size(), 1); // the replay loop has nothing to replay
    Form4->Button1->Click();
    QCOMPARE(F->Errors.Texts.size(), 1);
    QVERIFY(!Form4->Visible());
    QCOMPARE(Form1->Label9->Caption(), Stopped);
}

void TestAlarm::countdownRequestsOnceThenGoesBelowZero()
{
    F->Arm(7, 5, false);
    F->WatchAt(QTime(7, 5, 0));
    QVERIFY(Form2->Visible());
    QVERIFY(Form2->Timer1->Enabled());
    QVERIFY(Form1->Timer2->Enabled()); // the watch stays on through the minute
    QCOMPARE(Form2->Label2->Caption(), QStringLiteral("30"));
    QStringList Labels;
    for (int i = 0; i < 30; ++i) {
        TAlarmFixture::Tick(Form2->Timer1);
        Labels << Form2->Label2->Caption();
        QCOMPARE(FPower->Requests, i == 29 ? 1 : 0);
    }
    QCOMPARE(Labels.first(), QStringLiteral("29"));
    QCOMPARE(Labels.last(), QStringLiteral("0"));
    QCOMPARE(FAudio->Beeps, 30);

    // The request was refused: the count goes on below zero, the watch's ticks in the
    // minute only bring the dialog to the front, nothing is asked again.
    for (int i = 1; i <= 3; ++i) {
        F->WatchAt(QTime(7, 5, 30 + i));
        TAlarmFixture::Tick(Form2->Timer1);
        QCOMPARE(Form2->Label2->Caption(), QString::number(-i));
    }
    QCOMPARE(FPower->Requests, 1);
    QCOMPARE(FAudio->Beeps, 33);

    Form1->Tag = 1;
    Form2->Button1->Click();
    QVERIFY(!Form2->Visible());
    QVERIFY(!Form2->Timer1->Enabled());
    QVERIFY(!Form1->Timer2->Enabled());
    QCOMPARE(Form1->Tag, 0);
    QCOMPARE(Form1->Label9->Caption(), Stopped);
}

void TestAlarm::countdownStartsFromThirtyEachTime()
{
    F->Arm(7, 5, false);
    F->WatchAt(QTime(7, 5, 0));
    for (int i = 0; i < 18; ++i) {
        TAlarmFixture::Tick(Form2->Timer1);
    }
    QCOMPARE(Form2->Label2->Caption(), QStringLiteral("12"));
    Form2->Button1->Click();

    F->Arm(7, 10, false);
    F->WatchAt(QTime(7, 10, 0));
    QVERIFY(Form2->Visible());
    QCOMPARE(Form2->Label2->Caption(), QStringLiteral("30"));
    TAlarmFixture::Tick(Form2->Timer1);
    QCOMPARE(Form2->Label2->Caption(), QStringLiteral("29"));
}

void TestAlarm::closeBoxCancelsTheCountdown()
{
    F->Arm(7, 5, false);
    F->WatchAt(QTime(7, 5, 0));
    TAlarmFixture::Tick(Form2->Timer1);
    Form1->Tag = 1;
    Form2->Close(); // what the title bar's close box does
    QVERIFY(!Form2->Visible());
    QVERIFY(!Form2->Timer1->Enabled());
    QVERIFY(!Form1->Timer2->Enabled());
    QCOMPARE(Form1->Tag, 0);
    QCOMPARE(Form1->Label9->Caption(), Stopped);
    // Nothing counts on unseen, and the rest of the minute does not bring it back.
    for (int i = 1; i <= 40; ++i) {
        F->WatchAt(QTime(7, 5, i));
        TAlarmFixture::Tick(Form2->Timer1);
    }
    QVERIFY(!Form2->Visible());
    QCOMPARE(FPower->Requests, 0);
    QCOMPARE(FAudio->Beeps, 1);
}

void TestAlarm::dialogLayouts()
{
    QCOMPARE(Form2->Caption(), QStringLiteral("Alame Extinction PC "));
    QCOMPARE(Form2->BorderStyle(), TBorderStyle::bsDialog);
    QCOMPARE(Form2->FormStyle(), TFormStyle::fsStayOnTop);
    QVERIFY(WidgetOf(Form2)->windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(Form2->Color(), clBlack);
    QCOMPARE(QSize(Form2->ClientWidth(), Form2->ClientHeight()), QSize(217, 84));
    QCOMPARE(Form2->Label1->Caption(), QStringLiteral("Extinction du PC dans"));
    QCOMPARE(ToQt(Form2->Label1->BoundsRect()).topLeft(), QPoint(8, 16));
    QCOMPARE(Form2->Label1->Font().Height, 13);
    QCOMPARE(Form2->Label1->Font().Color, clWhite);
    QCOMPARE(Form2->Label2->Caption(), QStringLiteral("30"));
    QCOMPARE(ToQt(Form2->Label2->BoundsRect()).topLeft(), QPoint(144, 0));
    QCOMPARE(Form2->Label2->Font().Name, QStringLiteral("DS-Digital"));
    QCOMPARE(Form2->Label2->Font().Height, 37);
    QVERIFY(Form2->Label2->Font().Bold);
    QCOMPARE(Form2->Label2->Font().Color, clRed);
    QCOMPARE(Form2->Label3->Caption(), QStringLiteral("s"));
    QCOMPARE(ToQt(Form2->Label3->BoundsRect()).topLeft(), QPoint(192, 12));
    QCOMPARE(Form2->Button1->Caption(), QStringLiteral("Annuler"));
    QCOMPARE(Form2->Button1->BoundsRect(), QRect(80, 48, 75, 25));
    QVERIFY(!Form2->Timer1->Enabled());
    QVERIFY(!Form2->Visible());

    QCOMPARE(Form4->Caption(), QStringLiteral("Alarme !"));
    QCOMPARE(Form4->BorderStyle(), TBorderStyle::bsDialog);
    QCOMPARE(Form4->FormStyle(), TFormStyle::fsStayOnTop);
    QVERIFY(WidgetOf(Form4)->windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(Form4->Color(), clBlack);
    QCOMPARE(QSize(Form4->ClientWidth(), Form4->ClientHeight()), QSize(166, 70));
    QCOMPARE(Form4->Label1->Caption(), QStringLiteral("Arretez l'alarme ?"));
    QCOMPARE(ToQt(Form4->Label1->BoundsRect()).topLeft(), QPoint(40, 8));
    QCOMPARE(Form4->Label1->Font().Name, QStringLiteral("MS Sans Serif"));
    QCOMPARE(Form4->Label1->Font().Height, 11);
    QCOMPARE(Form4->Label1->Font().Color, clWhite);
    QCOMPARE(Form4->Button1->Caption(), QStringLiteral("Maintenant"));
    QCOMPARE(Form4->Button1->BoundsRect(), QRect(32, 32, 105, 25));
    QVERIFY(!Form4->Timer1->Enabled());
    QVERIFY(!Form4->Visible());

    // The texts stand on the dialogs' black.
    for (TLabel* L : { Form2->Label1, Form2->Label2, Form2->Label3, Form4->Label1 }) {
        QCOMPARE(L->Color(), clBlack);
    }
}

void TestAlarm::dialogPlacement_data()
{
    QTest::addColumn<QSize>("primary");
    QTest::addColumn<QRect>("virtualScreen");
    QTest::addColumn<QPoint>("form2");
    QTest::addColumn<QPoint>("form4");
    // Offscreen windows have a frame of 2 pixels on each side: the outer sizes are
    // 221 x 88 and 170 x 74.
    QTest::newRow("one 1920 x 1080 monitor")
        << QSize(1920, 1080) << QRect(0, 0, 1920, 1080) << QPoint(849, 496) << QPoint(875, 503);
    QTest::newRow("two monitors side by side: the ringing dialog spans them")
        << QSize(1920, 1080) << QRect(0, 0, 3840, 1080) << QPoint(849, 496) << QPoint(1835, 503);
    QTest::newRow("odd differences round down")
        << QSize(1280, 1025) << QRect(0, 0, 1281, 1025) << QPoint(529, 468) << QPoint(555, 475);
    QTest::newRow("screen smaller than the dialog rounds toward zero")
        << QSize(100, 50) << QRect(0, 0, 101, 51) << QPoint(-60, -19) << QPoint(-34, -11);
}

void TestAlarm::dialogPlacement()
{
    QFETCH(QSize, primary);
    QFETCH(QRect, virtualScreen);
    QFETCH(QPoint, form2);
    QFETCH(QPoint, form4);
    F->Screen.Primary = primary;
    F->Screen.Virtual = virtualScreen;
    for (TForm* Dialog : { static_cast<TForm*>(Form2), static_cast<TForm*>(Form4) }) {
        const QPoint Expected = Dialog == Form2 ? form2 : form4;
        Dialog->Show();
        QCOMPARE(Dialog->OuterSize(), QSize(Dialog->ClientWidth() + 4, Dialog->ClientHeight() + 4));
        QCOMPARE(QPoint(Dialog->Left(), Dialog->Top()), Expected);
        // Moved by the user, closed, shown again: where it was left.
        Dialog->SetBounds(40, 30, Dialog->Width(), Dialog->Height());
        Dialog->Close();
        Dialog->Show();
        QCOMPARE(QPoint(Dialog->Left(), Dialog->Top()), QPoint(40, 30));
        Dialog->Close();
    }
}

QTEST_MAIN(TestAlarm)
#include "tst_alarm.moc"
