#pragma once

#include "toolkit/controls/forms.h"

class TLabel;
class TButton;

// The about dialog.
class TForm3 : public TForm {
public:
    explicit TForm3(TComponent* AOwner);

    TLabel* Label1;
    TLabel* Label2;
    TButton* Button1;

    void Label2Click(TObject* Sender);
    void Button1Click(TObject* Sender);
};

extern TForm3* Form3;

// The address the about dialog shows (host name) and opens (full address). Empty: the
// project has no web site of its own yet, so the dialog shows no link.
extern const TString AuthorHost;
extern const TString AuthorUrl;
