// The main window's stored layout: its controls and components in layout order, with
// their stored values and handlers.
#include "app/unit1.h"

#include "app/builtinfiles.h"
#include "components/shaped_window/kwtranspamoveform.h"
#include "components/transparent_radio/vqtrradiobutton.h"
#include "components/tray_icon/piconebarretache.h"
#include "toolkit/controls/dialogs.h"
#include "toolkit/controls/extctrls.h"
#include "toolkit/controls/menus.h"
#include "toolkit/controls/spin.h"
#include "toolkit/controls/stdctrls.h"
#include "toolkit/graphics/bmpdecoder.h"
#include "toolkit/media/mediaplayer.h"

namespace {
// The built-in pictures are bitmaps, decoded by the toolkit's own decoder: Qt's image
// reader would load every image plugin to sniff them.
TBitmap32 BuiltinBitmap(std::span<const std::uint8_t> Bytes)
{
    return DecodeBitmap(Bytes);
}

template <class T>
T* Place(TForm1* Form, const char* Name, int Left, int Top, int Width, int Height)
{
    T* C = new T(Form);
    C->SetName(Latin1ToString(Name));
    C->SetParent(Form);
    C->SetBounds(Left, Top, Width, Height);
    return C;
}

TLabel* MakeLabel(TForm1* Form, const char* Name, int Left, int Top, TStringView Caption,
    const TFont& Font, bool Visible)
{
    TLabel* L = Place<TLabel>(Form, Name, Left, Top, 0, 0);
    L->SetTransparent(true);
    L->SetFont(Font);
    L->SetCaption(Caption);
    L->SetVisible(Visible);
    return L;
}

TImage* MakeIcon(
    TForm1* Form, const char* Name, int Left, int Top, std::span<const std::uint8_t> Picture)
{
    TImage* I = Place<TImage>(Form, Name, Left, Top, 0, 0);
    I->SetAutoSize(true);
    I->SetImage(BuiltinBitmap(Picture));
    I->SetCursor(TCursor::crHandPoint);
    I->SetTransparent(true);
    I->SetVisible(false);
    return I;
}

TMenuItem* MakeItem(TPopupMenu* Menu, const char* Name, TStringView Caption)
{
    auto* Item = new TMenuItem(Menu);
    Item->SetName(Latin1ToString(Name));
    Item->SetCaption(Caption);
    Menu->Items()->Add(Item);
    return Item;
}
}

// The window itself: no frame, its place and its handlers.
void TForm1::LayoutWindow()
{
    SetName(u"Form1");
    SetBorderStyle(TBorderStyle::bsNone);
    SetCaption(u"Form1");
    SetColor(clBtnFace);
    SetFont(FontOf(u"MS Sans Serif", 11, clWindowText));
    SetBounds(310, 541, 551, 185);
    OnCreate = [this](TObject* S) { FormCreate(S); };
    OnCloseQuery = [this](TObject* S, bool& CanClose) { FormCloseQuery(S, CanClose); };
    OnClose = [this](TObject* S, TCloseAction& A) { FormClose(S, A); };
}

// The face: the skin picture, the time, alarm and stopwatch read-outs and the two alarm
// icons.
void TForm1::LayoutFace()
{
    Image1 = Place<TImage>(this, "Image1", 0, 0, 220, 100);
    Image1->SetAutoSize(true);
    Image1->SetImage(BuiltinBitmap(BuiltinImage1));
    Image1->SetCursor(TCursor::crSizeAll);

    const TFont Digits63 = FontOf(u"DS-Digital", 63, clWhite, true);
    Label1 = MakeLabel(this, "Label1", 25, 21, u"000", FontOf(u"Felix Titling", 11, clWhite), true);
    Label2 = MakeLabel(this, "Label2", 20, 25, u"00", Digits63, true);
    Label3 = MakeLabel(this, "Label3", 81, 25, u":", Digits63, true);
    Label4 = MakeLabel(this, "Label4", 92, 25, u"00", Digits63, true);
    Label5 = MakeLabel(
        this, "Label5", 28, 20, u"Heure :", FontOf(u"MS Sans Serif", 11, clWhite), false);
    Image4 = MakeIcon(this, "Image4", 111, 42, BuiltinImage4);
    Image4->OnClick = [this](TObject* S) { Image4Click(S); };
    Image5 = MakeIcon(this, "Image5", 132, 41, BuiltinImage5);
    Image5->OnClick = [this](TObject* S) { Image5Click(S); };
    Label8 = MakeLabel(this, "Label8", 163, 45, u"ALARME", FontOf(u"Arial", 9, clWhite), true);
    Label9
        = MakeLabel(this, "Label9", 166, 58, u"-- : --", FontOf(u"DS-Digital", 12, clWhite), true);
    Label7 = MakeLabel(
        this, "Label7", 240, 18, u"00:00", FontOf(u"DS-Digital", 61, clWhite, true), false);
    Label10 = MakeLabel(this, "Label10", 415, 37, u"00", FontOf(u"DS-Digital", 40, clWhite), false);
    Label11
        = MakeLabel(this, "Label11", 424, 20, u"000", FontOf(u"DS-Digital", 16, clWhite), false);
}

// The alarm time's hour and minute fields.
void TForm1::LayoutAlarmTime()
{
    SpinEdit1 = Place<TSpinEdit>(this, "SpinEdit1", 68, 19, 41, 22);
    SpinEdit1->SetMinValue(-1);
    SpinEdit1->SetMaxValue(24);
    SpinEdit1->SetValue(0);
    SpinEdit1->SetVisible(false);
    SpinEdit1->OnChange = [this](TObject* S) { SpinEdit1Change(S); };
    SpinEdit2 = Place<TSpinEdit>(this, "SpinEdit2", 108, 19, 41, 22);
    SpinEdit2->SetMinValue(-1);
    SpinEdit2->SetMaxValue(60);
    SpinEdit2->SetValue(0);
    SpinEdit2->SetVisible(false);
    SpinEdit2->OnChange = [this](TObject* S) { SpinEdit2Change(S); };
}

// What the alarm does: the sound player, its file field and the choice between the sound
// and powering off.
void TForm1::LayoutAlarmAction()
{
    MediaPlayer1 = new TMediaPlayer(this);
    MediaPlayer1->SetName(u"MediaPlayer1");
    MediaPlayer1->SetBounds(280, 48, 253, 30);
    MediaPlayer1->SetVisible(false);

    Edit1 = Place<TEdit>(this, "Edit1", 312, 0, 121, 21);
    Edit1->SetVisible(false);

    VqTrRadioButton1 = Place<TVqTrRadioButton>(this, "VqTrRadioButton1", 20, 42, 89, 17);
    VqTrRadioButton2 = Place<TVqTrRadioButton>(this, "VqTrRadioButton2", 20, 56, 97, 17);
    for (TVqTrRadioButton* R : { VqTrRadioButton1, VqTrRadioButton2 }) {
        R->SetFont(FontOf(u"MS Sans Serif", 11, clWhite));
        R->SetTransparent(true);
        R->TransparentOptions()->WordWrap = false;
        R->TransparentOptions()->Layout = TTextLayout::tlTop;
        R->TransparentOptions()->CheckAlignment = TAlignment::taLeftJustify;
        R->SetVisible(false);
    }
    VqTrRadioButton1->SetCaption(u"Alerte Sonnore");
    VqTrRadioButton1->SetChecked(true);
    VqTrRadioButton2->SetCaption(u"Extinction  du PC");
}

// The buttons of the alarm setting and of the stopwatch, and the combo box.
void TForm1::LayoutButtons()
{
    Button2 = Place<TButton>(this, "Button2", 96, 71, 59, 15);
    Button2->SetCaption(u"Valider");
    Button2->SetVisible(false);
    Button2->OnClick = [this](TObject* S) { Button2Click(S); };
    Button1 = Place<TButton>(this, "Button1", 32, 72, 57, 14);
    Button1->SetCaption(u"Annuler");
    Button1->SetVisible(false);
    Button1->OnClick = [this](TObject* S) { Button1Click(S); };
    Button3 = Place<TButton>(this, "Button3", 363, 111, 127, 21);
    Button3->SetFont(FontOf(u"MS Sans Serif", 11, clWindowText));
    Button3->SetCaption(u"Démarrer le chronomètre");
    Button3->SetVisible(false);
    Button3->OnClick = [this](TObject* S) { Button3Click(S); };

    ComboBox1 = Place<TComboBox>(this, "ComboBox1", 112, 104, 145, 21);
    ComboBox1->SetText(u"ComboBox1");
}

// The non-visual components: the window's shape and drag, the timers and the sound file
// dialog.
void TForm1::LayoutServices()
{
    KwTranspaMoveForm1 = new TKwTranspaMoveForm(this);
    KwTranspaMoveForm1->SetName(u"KwTranspaMoveForm1");
    KwTranspaMoveForm1->SetImageLinked(Image1);
    KwTranspaMoveForm1->SetTransparent(true);
    KwTranspaMoveForm1->SetTransparentColor(clWhite);
    KwTranspaMoveForm1->RGVTransparentColor()->SetR(255);
    KwTranspaMoveForm1->RGVTransparentColor()->SetG(255);
    KwTranspaMoveForm1->RGVTransparentColor()->SetB(255);
    KwTranspaMoveForm1->XYTransparentColor()->SetX(-1);
    KwTranspaMoveForm1->XYTransparentColor()->SetY(-1);
    KwTranspaMoveForm1->SetDeplacement(true);

    Timer1 = new TTimer(this);
    Timer1->SetName(u"Timer1");
    Timer1->OnTimer = [this](TObject* S) { Timer1Timer(S); };
    // The clock tick and the alarm watch come just after each second of the local clock,
    // in this order and in one wake-up: the face changes with the time, and the watch
    // sees the new minute in the tick that shows it.
    Timer1->SetAlignedToSecond(true);
    Timer2 = new TTimer(this);
    Timer2->SetName(u"Timer2");
    Timer2->SetEnabled(false);
    Timer2->OnTimer = [this](TObject* S) { Timer2Timer(S); };
    Timer2->SetAlignedToSecond(true);

    OpenDialog1 = new TOpenDialog(this);
    OpenDialog1->SetName(u"OpenDialog1");
    OpenDialog1->Filter = u"mp3|*.mp3|wav|*.wav|mid|*.mid|mp3,wav,mid|*.mp3;*.wav;*.mid";
    OpenDialog1->FilterIndex = 4;
}

// The pop-up menu; the skin items go under "&Couleur" at start.
void TForm1::LayoutMenu()
{
    PopupMenu1 = new TPopupMenu(this);
    PopupMenu1->SetName(u"PopupMenu1");
    PopupMenu1->AutoHotkeys = false;
    PopupMenu1->AutoLineReduction = false;
    Veludor1 = MakeItem(PopupMenu1, "Veludor1", u"&Veludor");
    Veludor1->OnClick = [this](TObject* S) { Veludor1Click(S); };
    config1 = MakeItem(PopupMenu1, "config1", u"&Regleage Alarme");
    config1->OnClick = [this](TObject* S) { config1Click(S); };
    Chronometre1 = MakeItem(PopupMenu1, "Chronometre1", u"Chronometre");
    Chronometre1->OnClick = [this](TObject* S) { Chronometre1Click(S); };
    couleur1 = MakeItem(PopupMenu1, "couleur1", u"&Couleur");
    A1 = MakeItem(PopupMenu1, "A1", u"&A Propos");
    A1->OnClick = [this](TObject* S) { A1Click(S); };
    exit1 = MakeItem(PopupMenu1, "exit1", u"&Quitter");
    exit1->OnClick = [this](TObject* S) { exit1Click(S); };
}

// The notification area icon.
void TForm1::LayoutTrayIcon()
{
    PiconeBarreTache1 = new TPiconeBarreTache(this);
    PiconeBarreTache1->SetName(u"PiconeBarreTache1");
    PiconeBarreTache1->SetReduireSiFin(false);
    PiconeBarreTache1->SetCacherSiMinimize(false);
    PiconeBarreTache1->SetPetiteIconeVisible(true);
    PiconeBarreTache1->SetGrandeIconeVisible(false);
    PiconeBarreTache1->SetApplicationCachee(false);
    PiconeBarreTache1->SetIntervalAnimation(1000);
    PiconeBarreTache1->SetAnimation(false);
    PiconeBarreTache1->SetNumIconeImageList(0);
    PiconeBarreTache1->SetGrandeIconBlink(false);
    PiconeBarreTache1->SetIntervalGrandeIconeBlink(1000);
    PiconeBarreTache1->SetOuvreSiClicGauche(true);
    PiconeBarreTache1->SetOuvreSiDblClick(false);
    PiconeBarreTache1->SetMenuSiClicDroit(true);
    PiconeBarreTache1->SetMenuSiClicGauche(false);
}

// The components in the stored layout's order, which is also their order in the form.
void TForm1::CreateLayout()
{
    LayoutWindow();
    LayoutFace();
    LayoutAlarmTime();
    LayoutAlarmAction();
    LayoutButtons();
    LayoutServices();
    LayoutMenu();
    LayoutTrayIcon();

    // References to other components are put in place once the whole layout is read.
    SetPopupMenu(PopupMenu1);
    PiconeBarreTache1->SetMenuPop(PopupMenu1);
}
