// The alarm: the wrapping hour and minute boxes, arming and disarming, the watch that
// fires at the alarm minute, the choice of the sound file and its test play.
#include "app/unit1.h"

#include "app/unit2.h"
#include "app/unit4.h"
#include "components/transparent_radio/vqtrradiobutton.h"
#include "toolkit/controls/dialogs.h"
#include "toolkit/controls/extctrls.h"
#include "toolkit/controls/spin.h"
#include "toolkit/controls/stdctrls.h"
#include "toolkit/media/mediaplayer.h"
#include "toolkit/qt/qtconvert.h"
#include "toolkit/text/datetime.h"

namespace {
const QString DefaultSound = QStringLiteral("alarm.mp3");

// The boxes reach one step past each end (-1 and Last + 1) so that the arrows can step
// there; the handler then wraps the value round to the other end.
void WrapSpinEdit(TSpinEdit* Box, int Last)
{
    Box->SetMinValue(-1);
    Box->SetMaxValue(Last + 1);
    if (Box->Value() > Last) {
        Box->SetValue(0);
    }
    if (Box->Value() < 0) {
        Box->SetValue(Last);
    }
}

// The chosen sound file, or the default one of the current directory.
QString AlarmSoundFile()
{
    const QString Chosen = ToQt(Form1->Edit1->Text());
    return Chosen.isEmpty() ? DefaultSound : Chosen;
}

void PlaySoundFile(TMediaPlayer* Player)
{
    Player->SetFileName(FromQt(AlarmSoundFile()));
    Player->Open();
    Player->Play();
}
}

void TForm1::SpinEdit1Change(TObject*)
{
    WrapSpinEdit(SpinEdit1, 23);
}

void TForm1::SpinEdit2Change(TObject*)
{
    WrapSpinEdit(SpinEdit2, 59);
}

void TForm1::Button2Click(TObject*)
{
    ShowClockControls();
    HideAlarmControls();
    // Hour, the locale's time separator between blanks, minute: the parse expects that
    // separator, so arming works whatever the locale ("7 : 5", Finnish "7 . 5").
    const TString Separator = TString(u" ") + FormatSettings().TimeSeparator + u" ";
    const TDateTime Time = StrToTime(SpinEdit1->Text() + Separator + SpinEdit2->Text());
    Label9->SetCaption(FormatDateTime(u"hh:nn", Time));
    Timer2->SetEnabled(true);
}

void TForm1::Button1Click(TObject*)
{
    ShowClockControls();
    HideAlarmControls();
    Timer2->SetEnabled(false);
}

void TForm1::Timer2Timer(TObject*)
{
    const int Hour = StrToInt(FormatDateTime(u"hh", Now()));
    const int Minute = StrToInt(FormatDateTime(u"nn", Now()));
    if (Hour != SpinEdit1->Value() || Minute != SpinEdit2->Value()) {
        return;
    }
    if (VqTrRadioButton1->Checked()) {
        // A file that does not open leaves the watch on: the attempt and its error box
        // come again at each tick of the minute.
        PlaySoundFile(MediaPlayer1);
        Form4->Show();
        Timer2->SetEnabled(false);
        Form4->Timer1->SetEnabled(true);
    } else {
        // The watch stays on: during the rest of the minute each tick brings the
        // countdown to the front again.
        Form2->Show();
    }
}

void TForm1::Image4Click(TObject*)
{
    if (OpenDialog1->Execute()) {
        Edit1->SetText(OpenDialog1->FileName);
    }
}

void TForm1::Image5Click(TObject*)
{
    PlaySoundFile(MediaPlayer1);
}
