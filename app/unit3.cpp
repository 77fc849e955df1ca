#include "app/unit3.h"

#include "toolkit/controls/stdctrls.h"
#include "toolkit/platform/shell.h"
#include "toolkit/qt/qtconvert.h"

TForm3* Form3 = nullptr;

const QString AuthorHost;
const QString AuthorUrl;

TForm3::TForm3(TComponent* AOwner)
    : TForm(AOwner)
{
    Form3 = this;
    BeginLayout();
    SetName(u"Form3");
    SetBorderStyle(TBorderStyle::bsDialog);
    SetCaption(u"A propos de Veludor !");
    SetColor(clBlack);
    SetBounds(589, 511, 237, 76);

    TFont Small;
    Small.Height = 11;
    Small.Color = clWhite;
    Label1 = new TLabel(this);
    Label1->SetName(u"Label1");
    Label1->SetParent(this);
    Label1->SetBounds(16, 8, 0, 0);
    Label1->SetFont(Small);
    Label1->SetCaption(u"Quorvane a ete realiser par Morvek");

    TFont Link;
    Link.Height = 13;
    Link.Bold = true;
    Link.Underline = true;
    Link.Color = clBlue;
    Label2 = new TLabel(this);
    Label2->SetName(u"Label2");
    Label2->SetParent(this);
    Label2->SetBounds(72, 24, 0, 0);
    Label2->SetFont(Link);
    Label2->SetCaption(FromQt(AuthorHost));
    Label2->SetCursor(TCursor::crHandPoint);
    Label2->OnClick = [this](TObject* S) { Label2Click(S); };

    Button1 = new TButton(this);
    Button1->SetName(u"Button1");
    Button1->SetParent(this);
    Button1->SetBounds(88, 48, 75, 25);
    Button1->SetCaption(u"Fermer");
    Button1->OnClick = [this](TObject* S) { Button1Click(S); };
    EndLayout();
}

void TForm3::Label2Click(TObject*)
{
    if (!AuthorUrl.isEmpty()) {
        Shell().OpenUrl(FromQt(AuthorUrl));
    }
}

void TForm3::Button1Click(TObject*)
{
    Close();
}
