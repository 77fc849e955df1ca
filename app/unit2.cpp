#include "app/unit2.h"

#include "app/unit1.h"
#include "toolkit/controls/extctrls.h"
#include "toolkit/controls/stdctrls.h"
#include "toolkit/media/messagebeep.h"
#include "toolkit/platform/power.h"
#include "toolkit/qt/qtconvert.h"

TForm2* Form2 = nullptr;

namespace {
const QString CountdownStart = QStringLiteral("30");

TLabel* MakeLabel(
    TForm2* Form, const char* Name, int Left, int Top, const QString& Caption, const TFont& Font)
{
    auto* L = new TLabel(Form);
    L->SetName(Latin1ToString(Name));
    L->SetParent(Form);
    L->SetBounds(Left, Top, 0, 0);
    L->SetFont(Font);
    L->SetCaption(FromQt(Caption));
    return L;
}

}

TForm2::TForm2(TComponent* AOwner)
    : TForm(AOwner)
{
    Form2 = this;
    BeginLayout();
    SetName(u"Form2");
    SetBorderStyle(TBorderStyle::bsDialog);
    SetFormStyle(TFormStyle::fsStayOnTop);
    SetCaption(u"Alame Extinction PC ");
    SetPosition(TPosition::poScreenCenter);
    SetColor(clBlack);
    SetClientSize(217, 84);

    Label1 = MakeLabel(this, "Label1", 8, 16, QStringLiteral("Extinction du PC dans"),
        FontOf(u"MS Sans Serif", 13, clWhite));
    Label2
        = MakeLabel(this, "Label2", 144, 0, CountdownStart, FontOf(u"DS-Digital", 37, clRed, true));
    Label3 = MakeLabel(
        this, "Label3", 192, 12, QStringLiteral("s"), FontOf(u"MS Sans Serif", 13, clWhite));

    Button1 = new TButton(this);
    Button1->SetName(u"Button1");
    Button1->SetParent(this);
    Button1->SetBounds(80, 48, 75, 25);
    Button1->SetCaption(u"Annuler");
    Button1->OnClick = [this](TObject* S) { Button1Click(S); };

    Timer1 = new TTimer(this);
    Timer1->SetName(u"Timer1");
    Timer1->SetEnabled(false);
    Timer1->OnTimer = [this](TObject* S) { Timer1Timer(S); };

    OnShow = [this](TObject* S) { FormShow(S); };
    OnClose = [this](TObject* S, TCloseAction& A) { FormClose(S, A); };
    EndLayout();
}

TForm2::~TForm2()
{
    DestroyComponents();
    if (Form2 == this) {
        Form2 = nullptr;
    }
}

void TForm2::FormShow(TObject*)
{
    // Each countdown starts from 30: one cancelled at 12, or one that went on below zero
    // after a refused power-off, must not carry over to the next alarm.
    Label2->SetCaption(FromQt(CountdownStart));
    Timer1->SetEnabled(true);
}

void TForm2::Timer1Timer(TObject*)
{
    MessageBeep(0);
    Label2->SetCaption(FromQt(QString::number(ToQt(Label2->Caption()).toInt() - 1)));
    // Only the step onto 0 asks: a refused request is not repeated below zero.
    if (Label2->Caption() == u"0") {
        ShutdownComputer();
    }
}

void TForm2::CancelCountdown()
{
    Form1->Timer2->SetEnabled(false);
    Timer1->SetEnabled(false);
    Form1->Tag = 0; // the colon shows at the next clock tick
    Form1->Label9->SetCaption(u"--:--");
}

void TForm2::Button1Click(TObject*)
{
    CancelCountdown();
    Close();
}

void TForm2::FormClose(TObject*, TCloseAction&)
{
    // The close box cancels like "Annuler": a user who dismissed the warning must not
    // have the computer power off unseen.
    CancelCountdown();
}

void ShutdownComputer()
{
    PowerService().PowerOff();
}
