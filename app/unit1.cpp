#include "app/unit1.h"

#include "app/unit3.h"
#include "components/transparent_radio/vqtrradiobutton.h"
#include "toolkit/controls/extctrls.h"
#include "toolkit/controls/menus.h"
#include "toolkit/controls/spin.h"
#include "toolkit/controls/stdctrls.h"
#include "toolkit/core/filepath.h"
#include "toolkit/platform/filesearch.h"
#include "toolkit/platform/fonts.h"
#include "toolkit/platform/screen.h"
#include "toolkit/text/datetime.h"
#include "toolkit/text/profile.h"
#include "toolkit/widgetset/widgetset.h"

#include <algorithm>
#include <array>

TForm1* Form1 = nullptr;

namespace {
constexpr TStringView SettingsFile = u"parametre.ini";
constexpr TStringView FontFile = u"DS-DIGI.TTF";
constexpr TStringView DefaultSkin = u"horlnoirrose.bmp";
constexpr TStringView DigitFace = u"DS-Digital";

// A regular file, or a link to one; false for anything else and when it cannot be told.
bool IsRegularFile(TStringView Name)
{
    return FileKindOf(Name) == TFileKind::Regular;
}

// Adds the digit face and makes "DS-Digital" name it. Adding a font clears Qt's font
// cache, so labels measured before this point are measured again with the new face.
void InstallDigitFace(const TString& FileName)
{
    if (!IsRegularFile(FileName)) {
        return; // nothing to add; a named pipe would even block the start
    }
    const std::vector<TString> Families = FontService().AddFontResource(FileName);
    if (!Families.empty()) {
        WidgetSet().SetFontAlias(DigitFace, Families.front());
    }
}

TString ProgramFolderOverride;
}

TString ProgramFolder()
{
    if (!ProgramFolderOverride.empty()) {
        return ProgramFolderOverride;
    }
    return WidgetSet().ProgramFolder();
}

void SetProgramFolder(TStringView Folder)
{
    ProgramFolderOverride = Folder;
    if (!Folder.empty() && !Folder.ends_with(u'/')) {
        ProgramFolderOverride += u'/';
    }
}

TString GetFontsFolder()
{
    return FontService().FontsFolder();
}

TForm1::TForm1(TComponent* AOwner)
    : TForm(AOwner)
{
    Form1 = this;
    BeginLayout();
    CreateLayout();
    EndLayout();
}

TForm1::~TForm1()
{
    DestroyComponents();
    if (Form1 == this) {
        Form1 = nullptr;
    }
}

void TForm1::FormCreate(TObject*)
{
    // 1. The digit face: copied into the user's fonts folder, so that it stays installed,
    // and added to the program's font table. With no fonts folder the file is loaded
    // from the current directory as it stands (never copied to the root of the disk).
    const TString Fonts = GetFontsFolder();
    if (!Fonts.empty()) {
        // Only a regular file is copied: reading a named pipe would wait for a writer.
        if (IsRegularFile(FontFile)) {
            FontService().CopyFontFile(TString(FontFile), Fonts + TString(FontFile));
        }
        InstallDigitFace(Fonts + TString(FontFile));
    } else {
        InstallDigitFace(TString(FontFile));
    }
    for (TLabel* L : { Label2, Label3, Label4, Label9, Label7, Label10, Label11 }) {
        L->SetFont(L->Font());
    }

    // 2. Settings.
    const TString Folder = ProgramFolder();
    const TString Skin = GetPrivateProfileString(
        u"form", u"couleur", TString(DefaultSkin), Folder + TString(SettingsFile));

    // 3. Skin: the window keeps the size and shape given by the built-in picture.
    Image1->LoadFromFile(Folder + u"skin/" + Skin);

    // 4. Placement near the bottom-right corner of the primary screen, above the panel.
    const TSize Screen = ScreenMetrics().PrimaryScreenSize();
    const TRect Work = ScreenMetrics().WorkArea();
    const TRect Virtual = ScreenMetrics().VirtualScreen();
    const int W = Width();
    const int H = Height();
    // The height the panels take from the screen stands for the space below the work
    // area only when the work area starts at the screen's top: a panel along the top
    // would lift the window by its height. It is given back, so the window stands 20
    // pixels above the bottom of the work area whatever panels stand above it.
    const int TopPanels = Work.IsEmpty() ? 0 : std::max(0, Work.Top - Virtual.Top);
    TPoint Place { Screen.Width - W - 20,
        Screen.Height - H - (Virtual.Height() - Work.Height()) - 20 + TopPanels };
    // With monitors stacked or side by side the formula can leave the primary work area
    // (a negative top, say); the window then stands 20 pixels inside its bottom-right
    // corner instead, where the user will find it.
    const bool Inside = Place.X >= Work.Left && Place.Y >= Work.Top && Place.X + W <= Work.Right
        && Place.Y + H <= Work.Bottom;
    if (!Work.IsEmpty() && !Inside) {
        Place = { Work.Right - W - 20, Work.Bottom - H - 20 };
    }
    SetBounds(Place.X, Place.Y, W, H);

    // 5. Skin items' captions are file names: no accelerator may be inserted.
    PopupMenu1->AutoHotkeys = false;

    // 6. Skin list, one item per picture under "&Couleur" (found by position).
    for (const TString& Name : FileSearch().FindFiles(Folder + u"skin", u"*.bmp")) {
        ComboBox1->AddItem(Name);
    }
    TMenuItem* Colours = PopupMenu1->Items()->Items(3);
    for (const TString& Name : ComboBox1->Items()) {
        auto* Item = new TMenuItem(PopupMenu1);
        Item->SetCaption(Name);
        Item->OnClick = [this](TObject* S) { GenericMenuItemClick(S); };
        Colours->Add(Item);
    }

    // 7. Initial time, each reading the clock anew.
    Label1->SetCaption(FormatDateTime(u"dddddd", Now()));
    const TString Hours = FormatDateTime(u"hh", Now());
    const TString Minutes = FormatDateTime(u"nn", Now());
    Label2->SetCaption(Hours);
    Label4->SetCaption(Minutes);
    Label3->SetCaption(u":");
    SpinEdit1->SetValue(StrToInt(Hours));
    SpinEdit2->SetValue(StrToInt(Minutes));
}

void TForm1::FormClose(TObject*, TCloseAction&)
{
}

void TForm1::Timer1Timer(TObject*)
{
    Label1->SetCaption(FormatDateTime(u"dddddd", Now()));
    Label2->SetCaption(FormatDateTime(u"hh", Now()));
    Label4->SetCaption(FormatDateTime(u"nn", Now()));
    if (Tag == 0) {
        Label3->SetCaption(u":");
        Tag = 1;
    } else {
        Label3->SetCaption(u" ");
        Tag = 0;
    }
}

namespace {
std::array<TControl*, 6> ClockControls()
{
    return { Form1->Label1, Form1->Label2, Form1->Label3, Form1->Label4, Form1->Label8,
        Form1->Label9 };
}

std::array<TControl*, 9> AlarmControls()
{
    return { Form1->SpinEdit1, Form1->SpinEdit2, Form1->Image4, Form1->Image5, Form1->Label5,
        Form1->Button1, Form1->Button2, Form1->VqTrRadioButton1, Form1->VqTrRadioButton2 };
}

template <size_t N>
void SetVisible(const std::array<TControl*, N>& Controls, bool Visible)
{
    for (TControl* C : Controls) {
        C->SetVisible(Visible);
    }
}
}

void ShowClockControls()
{
    SetVisible(ClockControls(), true);
}

void HideClockControls()
{
    SetVisible(ClockControls(), false);
}

void ShowAlarmControls()
{
    SetVisible(AlarmControls(), true);
    Form1->Label2->SetVisible(false);
    Form1->Label3->SetVisible(false);
}

void HideAlarmControls()
{
    SetVisible(AlarmControls(), false);
}

namespace {
// The stopwatch controls at their place in the view, or moved out of the picture at
// left 240 while hidden.
void PlaceStopwatchControls(bool Shown)
{
    Form1->Label7->SetBounds(Shown ? 22 : 240, 10, Form1->Label7->Width(), Form1->Label7->Height());
    Form1->Label10->SetBounds(
        Shown ? 160 : 240, 37, Form1->Label10->Width(), Form1->Label10->Height());
    Form1->Label11->SetBounds(
        Shown ? 168 : 240, 20, Form1->Label11->Width(), Form1->Label11->Height());
    Form1->Button3->SetBounds(
        Shown ? 27 : 240, 63, Form1->Button3->Width(), Form1->Button3->Height());
    SetVisible(
        std::array<TControl*, 4> { Form1->Label7, Form1->Label10, Form1->Label11, Form1->Button3 },
        Shown);
}
}

void ShowStopwatchControls()
{
    PlaceStopwatchControls(true);
}

void HideStopwatchControls()
{
    PlaceStopwatchControls(false);
}

void TForm1::Veludor1Click(TObject*)
{
    ShowClockControls();
    HideAlarmControls();
    HideStopwatchControls();
}

void TForm1::config1Click(TObject*)
{
    ShowAlarmControls();
    HideClockControls();
    HideStopwatchControls();
    VqTrRadioButton1->Repaint();
    VqTrRadioButton2->Repaint();
}

void TForm1::Chronometre1Click(TObject*)
{
    ShowStopwatchControls();
    HideClockControls();
    HideAlarmControls();
}

void TForm1::GenericMenuItemClick(TObject* Sender)
{
    auto* Item = dynamic_cast<TMenuItem*>(Sender);
    if (!Item) {
        return;
    }
    const TString Folder = ProgramFolder();
    const TString Skin = Item->Caption();
    // Only the picture changes: the window keeps the size and shape built at start from
    // the built-in picture, as a skin chosen from the menu always has.
    Image1->LoadFromFile(Folder + u"skin/" + Skin);
    // Saved only once the picture has loaded.
    const TString Settings = Folder + TString(SettingsFile);
    if (!WritePrivateProfileString(u"form", u"couleur", Skin, Settings)) {
        throw EInOutError(FormatMessage(u"Impossible d'écrire dans %s", { Settings }));
    }
}

void TForm1::A1Click(TObject*)
{
    if (Form3->Visible()) {
        Form3->BringToFront();
    } else {
        Form3->Show();
    }
}

void TForm1::exit1Click(TObject*)
{
    Close();
}
