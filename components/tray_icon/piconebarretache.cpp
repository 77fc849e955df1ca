#include "components/tray_icon/piconebarretache.h"

#include "components/tray_icon/exceptionnumsimagelistaffiche.h"
#include "components/tray_icon/pourhandle.h"
#include "components/tray_icon/separateurs.h"
#include "toolkit/controls/extctrls.h"
#include "toolkit/controls/imglist.h"
#include "toolkit/controls/menus.h"
#include "toolkit/core/filepath.h"
#include "toolkit/graphics/graphicerror.h"
#include "toolkit/graphics/icondecoder.h"
#include "toolkit/widgetset/widgetset.h"

namespace {

// Icon files are far smaller: a larger file, or a device without an end, is refused.
constexpr std::size_t MaxIconFileSize = 16 * 1024 * 1024;

TIcon ChargerIcone(const TString& FileName)
{
    TFileReader File;
    // A folder opens as a file on some systems and then reads nothing: it is no file.
    if (FileKindOf(FileName) == TFileKind::Folder || !File.Open(FileName)) {
        throw EInOutError(FormatMessage(u"Impossible d'ouvrir le fichier %s", { FileName }));
    }
    std::vector<std::uint8_t> Data;
    switch (File.ReadAll(Data, MaxIconFileSize)) {
    case TFileReader::TReadAll::Done:
        break;
    case TFileReader::TReadAll::TooLarge:
        throw EInvalidGraphic(u"Icône incorrecte");
    case TFileReader::TReadAll::Failed:
        throw EInOutError(FormatMessage(u"Impossible de lire le fichier %s", { FileName }));
    }
    return TIcon(std::vector<TBitmap32> { DecodeIcon(Data) });
}

} // namespace

// What our installed handlers call: the component while it lives, and after its
// destruction the handlers it had saved, so that a handler of ours that someone else
// put back later never reaches a destroyed component.
struct TPiconeBarreTache::TCrochets {
    TPiconeBarreTache* Composant = nullptr;
    bool Installes = false;
    TCloseEvent AncienOnClose;
    TNotifyEvent AncienOnActivate;
    TNotifyEvent AncienOnMinimize;
    TApplicationWindow::TWndProc AncienneProcFenetre;
};

TPiconeBarreTache::TPiconeBarreTache(TComponent* AOwner)
    : TComponent(AOwner)
    , FCrochets(std::make_shared<TCrochets>())
{
    auto* Fiche = dynamic_cast<TCustomForm*>(AOwner);
    if (!Fiche) {
        throw Exception(u"PiconeBarreTache doit appartenir à une fiche");
    }
    FCrochets->Composant = this;

    FFenetreMessages = new TPourHandle(this);
    FFenetreMessages->SetParent(Fiche);

    FMinuteurClignotement = new TTimer(this);
    FMinuteurClignotement->SetEnabled(false);
    FMinuteurClignotement->OnTimer = [this](TObject*) { ClignoterUneFois(); };
    FMinuteurAnimation = new TTimer(this);
    FMinuteurAnimation->SetEnabled(false);
    FMinuteurAnimation->OnTimer = [this](TObject*) { EtapeAnimation(); };

    FFicheProprietaire = Fiche;
    if (IsDesigning()) {
        // What a component newly dropped on a window starts with.
        FPetiteIconeVisible = true;
        FGrandeIconeVisible = true;
        FIntervalAnimation = 1000;
        FIntervalGrandeIconeBlink = 1000;
        FOuvreSiClicGauche = true;
        FMenuSiClicDroit = true;
        return;
    }
    SetIcone(Application->Icon());
    InstallerCrochets();
    FMessageTaskbarCreated = Application->RegisterWindowMessage(u"TaskbarCreated");
}

TPiconeBarreTache::~TPiconeBarreTache()
{
    if (FIconeAjoutee) {
        Envoyer(NIM_DELETE);
        FIconeAjoutee = false;
    }
    FDonneesIcone.hIcon = nullptr;
    RetirerCrochets();
    if (FMenuPop) {
        RemoveFreeNotification(FMenuPop);
    }
    if (FImageList) {
        RemoveFreeNotification(FImageList);
    }
    // The message window and the timers go while our members still stand.
    DestroyComponents();
}

void TPiconeBarreTache::InstallerCrochets()
{
    const std::shared_ptr<TCrochets> Crochets = FCrochets;
    Crochets->Installes = true;

    Crochets->AncienOnClose = FFicheProprietaire->OnClose;
    FFicheProprietaire->OnClose = [Crochets](TObject* Sender, TCloseAction& Action) {
        if (Crochets->Composant) {
            Crochets->Composant->SurFermetureFiche(Sender, Action);
        } else if (Crochets->AncienOnClose) {
            Crochets->AncienOnClose(Sender, Action);
        }
    };

    Crochets->AncienOnActivate = Application->OnActivate;
    Application->OnActivate = [Crochets](TObject* Sender) {
        if (Crochets->Composant) {
            Crochets->Composant->SurActivationApplication(Sender);
        } else if (Crochets->AncienOnActivate) {
            Crochets->AncienOnActivate(Sender);
        }
    };
    Crochets->AncienOnMinimize = Application->OnMinimize;
    Application->OnMinimize = [Crochets](TObject* Sender) {
        if (Crochets->Composant) {
            Crochets->Composant->SurMinimisationApplication(Sender);
        } else if (Crochets->AncienOnMinimize) {
            Crochets->AncienOnMinimize(Sender);
        }
    };

    TApplicationWindow& Fenetre = Application->Handle();
    Crochets->AncienneProcFenetre = Fenetre.WindowProc;
    Fenetre.WindowProc = [Crochets](auto Msg, auto WParam, auto LParam) -> std::intptr_t {
        if (Crochets->Composant) {
            return Crochets->Composant->ProcFenetreApplication(Msg, WParam, LParam);
        }
        return Crochets->AncienneProcFenetre ? Crochets->AncienneProcFenetre(Msg, WParam, LParam)
                                             : 0;
    };
}

// The saved handlers go back without regard to what is installed now.
void TPiconeBarreTache::RetirerCrochets()
{
    TCrochets& Crochets = *FCrochets;
    Crochets.Composant = nullptr;
    if (!Crochets.Installes) {
        return;
    }
    if (FFicheProprietaire) {
        FFicheProprietaire->OnClose = Crochets.AncienOnClose;
    }
    if (Application) {
        Application->OnActivate = Crochets.AncienOnActivate;
        Application->OnMinimize = Crochets.AncienOnMinimize;
        if (Crochets.AncienneProcFenetre) {
            Application->Handle().WindowProc = Crochets.AncienneProcFenetre;
        }
    }
}

// ---------------------------------------------------------------------------
// Notification-area record

void TPiconeBarreTache::RemplirDonnees()
{
    FDonneesIcone.cbSize = NotifyIconDataV1Size;
    FDonneesIcone.hWnd = FFenetreMessages->Handle();
    FDonneesIcone.uID = NumeroIcone;
    FDonneesIcone.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    FDonneesIcone.uCallbackMessage = MessageIcone;
    FDonneesIcone.hIcon = FIconeSysteme ? FIconeSysteme->Handle() : nullptr;
    // The menu a right click shows, for hosts that draw it themselves; none once we are gone.
    FDonneesIcone.Menu = [Crochets = FCrochets]() -> TMenuHandle {
        const TPiconeBarreTache* C = Crochets->Composant;
        TPopupMenu* Menu = C && C->FMenuSiClicDroit ? C->FMenuPop : nullptr;
        const TWSMenu* Built = !Menu ? nullptr : Menu->Menu() ? Menu->Menu() : Menu->BuildMenu();
        return Built ? Built->Handle() : nullptr;
    };
}

void TPiconeBarreTache::Envoyer(std::uint32_t Commande)
{
    if (IsDesigning()) {
        return;
    }
    NotifyArea().ShellNotifyIcon(Commande, FDonneesIcone);
}

// Adds even when the icon counts as present: after a restart of the tray host the
// record has to be given again.
void TPiconeBarreTache::AjouterIcone()
{
    RemplirDonnees();
    if (FPetiteIconeVisible && !IsDesigning()) {
        Envoyer(NIM_ADD);
        FIconeAjoutee = true;
    }
}

void TPiconeBarreTache::Loaded()
{
    TComponent::Loaded();
    AjouterIcone();
    FChargementFini = true;
    ChoisirImage(FNumIconeImageList);
}

void TPiconeBarreTache::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation != TOperation::opRemove) {
        return;
    }
    if (AComponent == FMenuPop) {
        FMenuPop = nullptr;
    }
    if (AComponent == FImageList) {
        FImageList = nullptr;
    }
}

// ---------------------------------------------------------------------------
// Property setters

void TPiconeBarreTache::SetMenuPop(TPopupMenu* Value)
{
    if (Value == FMenuPop) {
        return;
    }
    if (FMenuPop) {
        RemoveFreeNotification(FMenuPop);
    }
    FMenuPop = Value;
    // Also a menu of another window may be named: its removal notice keeps the
    // reference from dangling.
    FreeNotification(Value);
}

void TPiconeBarreTache::SetPetiteIconeVisible(bool Value)
{
    if (Value == FPetiteIconeVisible) {
        return;
    }
    FPetiteIconeVisible = Value;
    if (!FChargementFini || IsDesigning()) {
        return;
    }
    if (Value && !FIconeAjoutee) {
        RemplirDonnees();
        Envoyer(NIM_ADD);
        FIconeAjoutee = true;
    }
    if (!Value) {
        if (FIconeAjoutee) {
            Envoyer(NIM_DELETE);
        }
        FIconeAjoutee = false;
    }
}

void TPiconeBarreTache::SetGrandeIconeVisible(bool Value)
{
    FGrandeIconeVisible = Value;
    if (!IsDesigning()) {
        Application->Handle().SetVisible(Value);
    }
}

void TPiconeBarreTache::SetApplicationCachee(bool Value)
{
    FApplicationCachee = Value;
    if (IsDesigning()) {
        return;
    }
    if (Value) {
        CacherApplication();
    } else {
        MontrerApplication();
    }
}

void TPiconeBarreTache::SetIconeFileName(const TString& Value)
{
    FIconeFileName = Value;
    if (!Value.empty()) {
        SetIcone(ChargerIcone(Value));
    }
}

void TPiconeBarreTache::SetIcone(const TIcon& Value)
{
    FIcone = Value;
    FIconeSysteme = WidgetSet().CreateIcon(FIcone);
    FDonneesIcone.hIcon = FIconeSysteme ? FIconeSysteme->Handle() : nullptr;
    if (FIconeAjoutee) {
        Envoyer(NIM_MODIFY);
    }
}

void TPiconeBarreTache::SetImageList(TImageList* Value)
{
    if (Value == FImageList) {
        return;
    }
    if (FImageList) {
        RemoveFreeNotification(FImageList);
    }
    FImageList = Value;
    FreeNotification(Value);
}

void TPiconeBarreTache::SetOrdreImageListAffiche(const TString& Value)
{
    for (const char16_t C : Value) {
        if (C != u',' && (C < u'0' || C > u'9')) {
            throw ExceptionNumsImageLIstAffiche(
                ExceptionNumsImageLIstAffiche::MessageMauvaiseEntree());
        }
    }
    FNombreEntrees = Value.empty() ? 0 : CompterSeparateurs(u",", Value) + 1;
    FOrdreImageListAffiche = Value;
}

void TPiconeBarreTache::SetIntervalAnimation(int Value)
{
    FIntervalAnimation = Value;
    FMinuteurAnimation->SetInterval(Value);
}

void TPiconeBarreTache::SetAnimation(bool Value)
{
    FAnimation = Value;
    FMinuteurAnimation->SetEnabled(Value);
    if (!Value) {
        ChoisirImage(FNumIconeImageList);
    }
}

void TPiconeBarreTache::SetNumIconeImageList(int Value)
{
    FNumIconeImageList = Value;
    if (!FAnimation) {
        ChoisirImage(Value);
    }
}

void TPiconeBarreTache::SetHint(const TString& Value)
{
    FHint = Value;
    FDonneesIcone.SetTip(Value);
    if (FIconeAjoutee) {
        Envoyer(NIM_MODIFY);
    }
}

void TPiconeBarreTache::SetGrandeIconBlink(bool Value)
{
    FGrandeIconBlink = Value;
    FMinuteurClignotement->SetEnabled(Value);
    if (!Value) {
        ArreterClignotement();
    }
}

void TPiconeBarreTache::SetIntervalGrandeIconeBlink(int Value)
{
    FIntervalGrandeIconeBlink = Value;
    FMinuteurClignotement->SetInterval(Value);
}

// ---------------------------------------------------------------------------
// The application and its windows

void TPiconeBarreTache::CacherApplication()
{
    Application->Handle().SetVisible(false);
    if (TCustomForm* Principale = Application->MainForm()) {
        Principale->Hide();
    } else {
        // The main window's own layout is being applied: the program starts with only
        // its icon.
        Application->ShowMainForm = false;
    }
}

void TPiconeBarreTache::MontrerApplication()
{
    TCustomForm* Principale = Application->MainForm();
    if (!Principale) {
        return;
    }
    Application->Restore();
    Principale->Show();
    Principale->Repaint();
    Application->Handle().SetVisible(FGrandeIconeVisible);
    Principale->BringToFront();
}

// Each hook calls the handler it saved first; that handler may destroy us, so the entry
// is held and tells whether we still live.
void TPiconeBarreTache::SurFermetureFiche(TObject* Sender, TCloseAction& Action)
{
    const std::shared_ptr<TCrochets> Crochets = FCrochets;
    if (Crochets->AncienOnClose) {
        Crochets->AncienOnClose(Sender, Action);
    }
    if (Crochets->Composant == this && FReduireSiFin) {
        Application->Handle().SetVisible(false);
        FFicheProprietaire->Hide();
        Action = TCloseAction::caNone;
    }
}

void TPiconeBarreTache::SurActivationApplication(TObject* Sender)
{
    const std::shared_ptr<TCrochets> Crochets = FCrochets;
    if (Crochets->AncienOnActivate) {
        Crochets->AncienOnActivate(Sender);
    }
    if (Crochets->Composant == this && !FGrandeIconeVisible) {
        Application->Handle().SetVisible(false);
    }
}

void TPiconeBarreTache::SurMinimisationApplication(TObject* Sender)
{
    const std::shared_ptr<TCrochets> Crochets = FCrochets;
    if (Crochets->AncienOnMinimize) {
        Crochets->AncienOnMinimize(Sender);
    }
    if (Crochets->Composant == this && FCacherSiMinimize) {
        Application->Handle().SetVisible(false);
    }
}

// The tray host's return (TaskbarCreated) puts the icon back; every message then goes on
// to the previous procedure.
std::intptr_t TPiconeBarreTache::ProcFenetreApplication(
    std::uint32_t Msg, std::uintptr_t WParam, std::intptr_t LParam)
{
    const std::shared_ptr<TCrochets> Crochets = FCrochets; // we may be destroyed below
    if (Msg == FMessageTaskbarCreated) {
        AjouterIcone();
    }
    return Crochets->AncienneProcFenetre ? Crochets->AncienneProcFenetre(Msg, WParam, LParam) : 0;
}

// ---------------------------------------------------------------------------
// Clicks, animation and blinking

void TPiconeBarreTache::TraiterMessageIcone(TMessage& Message)
{
    Application->Guard([&] {
        // The handlers, the opening and the menu's wait all run other code, which may
        // destroy us: after each, go on only while we live.
        const std::shared_ptr<TCrochets> Crochets = FCrochets;
        const auto Vit = [&] { return Crochets->Composant == this; };

        // The cursor in screen coordinates, read when the message is handled.
        const TPoint Curseur = WidgetSet().CursorPos();
        const int X = Curseur.X;
        const int Y = Curseur.Y;
        const std::intptr_t Souris = Message.LParam;
        switch (Souris) {
        case WM_MOUSEMOVE:
            if (OnMouseMove) {
                OnMouseMove(this, ssLeft, X, Y);
            }
            break;
        case WM_LBUTTONDOWN:
            if (OnMouseDown) {
                OnMouseDown(this, TMouseButton::mbLeft, ssLeft, X, Y);
            }
            break;
        case WM_LBUTTONUP:
            if (OnMouseUp) {
                OnMouseUp(this, TMouseButton::mbLeft, ssLeft, X, Y);
            }
            break;
        case WM_LBUTTONDBLCLK:
            if (OnDblClick) {
                OnDblClick(this);
            }
            break;
        case WM_RBUTTONDOWN:
            if (OnMouseDown) {
                OnMouseDown(this, TMouseButton::mbRight, ssRight, X, Y);
            }
            break;
        case WM_RBUTTONUP:
            if (OnMouseUp) {
                OnMouseUp(this, TMouseButton::mbRight, ssRight, X, Y);
            }
            break;
        case WM_MBUTTONDOWN:
            if (OnMouseDown) {
                OnMouseDown(this, TMouseButton::mbMiddle, ssMiddle, X, Y);
            }
            break;
        case WM_MBUTTONUP:
            if (OnMouseUp) {
                OnMouseUp(this, TMouseButton::mbMiddle, ssMiddle, X, Y);
            }
            break;
        default: // the right and middle double-clicks among them
            break;
        }
        if (!Vit()) {
            return;
        }

        if ((Souris == WM_LBUTTONDOWN && FOuvreSiClicGauche)
            || (Souris == WM_LBUTTONDBLCLK && FOuvreSiDblClick)) {
            SetApplicationCachee(false);
            if (!Vit()) {
                return;
            }
        }

        if (FMenuPop
            && ((Souris == WM_RBUTTONDOWN && FMenuSiClicDroit)
                || (Souris == WM_LBUTTONDOWN && FMenuSiClicGauche))) {
            // No window has to be brought forward first: an X11 pop-up menu grabs the
            // pointer and closes on a click outside it by itself.
            Application->ProcessMessages();
            // The pending messages may have destroyed us or the menu.
            if (Vit() && FMenuPop) {
                FMenuPop->Popup(X, Y);
            }
        }
    });
}

void TPiconeBarreTache::ChoisirImage(int Index)
{
    FImageCourante = Index;
    if (!FImageList) {
        return;
    }
    const int Count = FImageList->Count();
    if (Index >= 0 && Index <= Count - 1 && Index <= 255) {
        TIcon Temporaire;
        FImageList->GetIcon(Index, Temporaire);
        SetIcone(Temporaire);
    }
}

void TPiconeBarreTache::EtapeAnimation()
{
    if (!FImageList || FImageList->Count() == 0) {
        return;
    }
    const int Count = FImageList->Count();
    if (FNombreEntrees == 0) {
        ChoisirImage(FImageCourante < Count - 1 ? FImageCourante + 1 : 0);
        return;
    }
    // Advanced before it is read: the first tick uses the second entry.
    ++FPositionOrdre;
    if (FPositionOrdre > FNombreEntrees - 1) {
        FPositionOrdre = 0;
    }
    // An empty field, or a number too large for an int, shows the first image.
    ChoisirImage(StrToIntDef(ChampNumero(u",", FOrdreImageListAffiche, FPositionOrdre), 0));
    if (FImageCourante >= Count - 1) {
        ChoisirImage(Count - 1);
    }
}

void TPiconeBarreTache::ClignoterUneFois()
{
    if (!IsDesigning()) {
        Application->Handle().Flash(true);
    }
}

// The flash state is cleared outright (the urgency hint taken off), whichever of its
// two looks the button was in.
void TPiconeBarreTache::ArreterClignotement()
{
    if (!IsDesigning()) {
        Application->Handle().StopFlashing();
    }
}
