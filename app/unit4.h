#pragma once

#include "toolkit/controls/forms.h"

class TLabel;
class TButton;
class TTimer;

// The ringing dialog: shown while the alarm sound plays in a loop; "Maintenant" or the
// close box stops the sound and disarms the alarm.
class TForm4 : public TForm {
public:
    explicit TForm4(TComponent* AOwner);
    ~TForm4() override;

    TLabel* Label1;
    TButton* Button1;
    TTimer* Timer1; // the replay loop

    void Timer1Timer(TObject* Sender);
    void Button1Click(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);

private:
    void StopRinging();
};

extern TForm4* Form4;
