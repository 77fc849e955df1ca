#pragma once

#include "toolkit/controls/forms.h"

class TImage;
class TLabel;
class TSpinEdit;
class TMediaPlayer;
class TEdit;
class TButton;
class TComboBox;
class TTimer;
class TOpenDialog;
class TPopupMenu;
class TMenuItem;
class TKwTranspaMoveForm;
class TPiconeBarreTache;
class TVqTrRadioButton;

// The main window: the clock, alarm-setting and stopwatch views on one frameless
// window shaped like its skin.
class TForm1 : public TForm {
public:
    explicit TForm1(TComponent* AOwner);
    ~TForm1() override;

    // Controls and components, in the order of the stored layout.
    TImage* Image1;
    TLabel* Label1;
    TLabel* Label2;
    TLabel* Label3;
    TLabel* Label4;
    TLabel* Label5;
    TImage* Image4;
    TImage* Image5;
    TLabel* Label8;
    TLabel* Label9;
    TLabel* Label7;
    TLabel* Label10;
    TLabel* Label11;
    TSpinEdit* SpinEdit1;
    TSpinEdit* SpinEdit2;
    TMediaPlayer* MediaPlayer1;
    TEdit* Edit1;
    TVqTrRadioButton* VqTrRadioButton1;
    TVqTrRadioButton* VqTrRadioButton2;
    TButton* Button2;
    TButton* Button1;
    TButton* Button3;
    TComboBox* ComboBox1;
    TKwTranspaMoveForm* KwTranspaMoveForm1;
    TTimer* Timer1;
    TTimer* Timer2;
    TOpenDialog* OpenDialog1;
    TPopupMenu* PopupMenu1;
    TMenuItem* Veludor1;
    TMenuItem* config1;
    TMenuItem* Chronometre1;
    TMenuItem* couleur1;
    TMenuItem* A1;
    TMenuItem* exit1;
    TPiconeBarreTache* PiconeBarreTache1;

    // Start-up, clock face, views and menu commands.
    void FormCreate(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void Timer1Timer(TObject* Sender);
    void Veludor1Click(TObject* Sender);
    void config1Click(TObject* Sender);
    void Chronometre1Click(TObject* Sender);
    void GenericMenuItemClick(TObject* Sender);
    void A1Click(TObject* Sender);
    void exit1Click(TObject* Sender);

    // Alarm.
    void SpinEdit1Change(TObject* Sender);
    void SpinEdit2Change(TObject* Sender);
    void Button2Click(TObject* Sender);
    void Button1Click(TObject* Sender);
    void Timer2Timer(TObject* Sender);
    void Image4Click(TObject* Sender);
    void Image5Click(TObject* Sender);

    // Stopwatch.
    void Button3Click(TObject* Sender);
    void FormCloseQuery(TObject* Sender, bool& CanClose);

private:
    void CreateLayout();
    void LayoutWindow();
    void LayoutFace();
    void LayoutAlarmTime();
    void LayoutAlarmAction();
    void LayoutButtons();
    void LayoutServices();
    void LayoutMenu();
    void LayoutTrayIcon();
};

extern TForm1* Form1;

// The executable's folder with a trailing "/": settings and skins live there.
TString ProgramFolder();
// Makes another folder stand in for the executable's (tests); empty restores it.
void SetProgramFolder(TStringView Folder);
// The user's fonts folder with a trailing "/", or empty when it cannot be known.
TString GetFontsFolder();

// The six view routines: they show, hide or move the controls of one view.
void ShowClockControls();
void HideClockControls();
void ShowAlarmControls();
void HideAlarmControls();
void ShowStopwatchControls();
void HideStopwatchControls();
