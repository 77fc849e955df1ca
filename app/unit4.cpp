#include "app/unit4.h"

#include "app/unit1.h"
#include "toolkit/controls/extctrls.h"
#include "toolkit/controls/stdctrls.h"
#include "toolkit/media/mediaplayer.h"

TForm4* Form4 = nullptr;

TForm4::TForm4(TComponent* AOwner)
    : TForm(AOwner)
{
    Form4 = this;
    BeginLayout();
    SetName(u"Form4");
    SetBorderStyle(TBorderStyle::bsDialog);
    SetFormStyle(TFormStyle::fsStayOnTop);
    SetCaption(u"Alarme !");
    SetPosition(TPosition::poDesktopCenter);
    SetColor(clBlack);
    SetClientSize(166, 70);

    TFont Text;
    Text.Height = 11;
    Text.Color = clWhite;
    Label1 = new TLabel(this);
    Label1->SetName(u"Label1");
    Label1->SetParent(this);
    Label1->SetBounds(40, 8, 0, 0);
    Label1->SetColor(clBlack); // the dialog's black behind the text
    Label1->SetFont(Text);
    Label1->SetCaption(u"Arretez l'alarme ?");

    Button1 = new TButton(this);
    Button1->SetName(u"Button1");
    Button1->SetParent(this);
    Button1->SetBounds(32, 32, 105, 25);
    Button1->SetCaption(u"Maintenant");
    Button1->OnClick = [this](TObject* S) { Button1Click(S); };

    Timer1 = new TTimer(this);
    Timer1->SetName(u"Timer1");
    Timer1->SetEnabled(false);
    Timer1->OnTimer = [this](TObject* S) { Timer1Timer(S); };

    OnClose = [this](TObject* S, TCloseAction& A) { FormClose(S, A); };
    EndLayout();
}

TForm4::~TForm4()
{
    DestroyComponents();
    if (Form4 == this) {
        Form4 = nullptr;
    }
}

void TForm4::Timer1Timer(TObject*)
{
    TMediaPlayer* Player = Form1->MediaPlayer1;
    // At its end the sound starts again (play rewinds first). Nothing open (a test play
    // of a file that failed to open replaced the alarm sound): nothing to replay.
    if (Player->IsOpen() && Player->Position() == Player->Length()) {
        Player->Play();
    }
}

void TForm4::StopRinging()
{
    Form1->Label9->SetCaption(u"--:--");
    Form1->Timer2->SetEnabled(false);
    Timer1->SetEnabled(false);
    if (Form1->MediaPlayer1->IsOpen()) {
        Form1->MediaPlayer1->Stop();
    }
}

void TForm4::Button1Click(TObject*)
{
    StopRinging();
    Close();
}

void TForm4::FormClose(TObject*, TCloseAction&)
{
    StopRinging();
}
