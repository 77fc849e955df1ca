#pragma once

#include "toolkit/controls/forms.h"

class TLabel;
class TButton;
class TTimer;

// The power-off countdown: shown by the alarm watch at the alarm minute, it counts
// down from 30 with a beep each second and asks the system to power off at 0, unless
// the user cancels with "Annuler" or the close box.
class TForm2 : public TForm {
public:
    explicit TForm2(TComponent* AOwner);
    ~TForm2() override;

    TLabel* Label1;
    TLabel* Label2; // the count, as decimal text
    TLabel* Label3;
    TButton* Button1;
    TTimer* Timer1;

    void FormShow(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void Timer1Timer(TObject* Sender);
    void Button1Click(TObject* Sender);

private:
    void CancelCountdown();
};

extern TForm2* Form2;

// Asks the system to power the computer off; the outcome is not reported.
void ShutdownComputer();
