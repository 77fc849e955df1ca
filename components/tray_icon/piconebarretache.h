#pragma once

#include "toolkit/controls/forms.h"
#include "toolkit/core/classes.h"
#include "toolkit/platform/notifyarea.h"

#include "toolkit/core/icon.h"

#include <cstdint>

#include <functional>
#include <memory>

class TImageList;
class TWSIcon;
class TPopupMenu;
class TPourHandle;
class TTimer;
struct TMessage;

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

// Modifier keys and mouse buttons held during a mouse event.
enum TShiftStateFlag : unsigned {
    ssShift = 1u << 0,
    ssAlt = 1u << 1,
    ssCtrl = 1u << 2,
    ssLeft = 1u << 3,
    ssRight = 1u << 4,
    ssMiddle = 1u << 5,
    ssDouble = 1u << 6,
};
using TShiftState = unsigned;

using TMouseEvent
    = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;

// Puts one icon, with an optional tip, into the desktop's notification area for as long
// as it lives, also across a restart of the tray host, and governs how the application
// shows itself on the taskbar: it hides the taskbar button (GrandeIconeVisible), hides it
// when the application is minimised (CacherSiMinimize), turns the closing of its owner
// window into hiding the application (ReduireSiFin), and hides or brings back the whole
// application (ApplicationCachee). Clicks on the icon open the application or show a
// pop-up menu; the icon can run through the images of an image list (Animation) and the
// taskbar button can blink (GrandeIconBlink).
//
// Must be owned by a window (TCustomForm). Its constructor chains handlers onto the
// owner's close event, the application's activate and minimise events and the
// application window's procedure; its destructor puts the saved ones back as they were,
// whatever was installed in between, and a handler of ours still called by someone
// after that passes straight on to the one it had saved.
//
// Owns its icon, its message window FenetreMessages and its two timers; MenuPop and
// ImageList are plain references, dropped when their components are destroyed.
//
// In a layout editor (design mode) it starts from the designed defaults, installs no
// handler, sends nothing to the notification area, shows, hides or flashes no window and
// runs no timer.
class TPiconeBarreTache : public TComponent {
public:
    // Callback message of the notification-area record (WM_USER + 100), and its uID.
    static constexpr std::uint32_t MessageIcone = WM_USER + 100;
    static constexpr std::uint32_t NumeroIcone = 1;

    explicit TPiconeBarreTache(TComponent* AOwner);
    ~TPiconeBarreTache() override;

    // Published properties, in their stored order.
    TPopupMenu* MenuPop() const { return FMenuPop; }
    void SetMenuPop(TPopupMenu* Value);
    bool ReduireSiFin() const { return FReduireSiFin; }
    void SetReduireSiFin(bool Value) { FReduireSiFin = Value; }
    bool CacherSiMinimize() const { return FCacherSiMinimize; }
    void SetCacherSiMinimize(bool Value) { FCacherSiMinimize = Value; }
    // Adds or removes the icon once loaded; while loading only stores.
    bool PetiteIconeVisible() const { return FPetiteIconeVisible; }
    void SetPetiteIconeVisible(bool Value);
    // Shows or hides the taskbar button at once, at every setting.
    bool GrandeIconeVisible() const { return FGrandeIconeVisible; }
    void SetGrandeIconeVisible(bool Value);
    // true hides the application (CacherApplication), false brings it back
    // (MontrerApplication), at every setting.
    bool ApplicationCachee() const { return FApplicationCachee; }
    void SetApplicationCachee(bool Value);
    // A non-empty name loads that icon file into Icone; a file that cannot be read or is
    // no icon raises (EInOutError, EInvalidGraphic) and leaves the icon as it was.
    const TString& IconeFileName() const { return FIconeFileName; }
    void SetIconeFileName(const TString& Value);
    // Copies the icon (a null icon empties it) and updates the notification area.
    const TIcon& Icone() const { return FIcone; }
    void SetIcone(const TIcon& Value);
    TImageList* ImageList() const { return FImageList; }
    void SetImageList(TImageList* Value);
    // Digits and commas only, else ExceptionNumsImageLIstAffiche and nothing changes.
    const TString& OrdreImageListAffiche() const { return FOrdreImageListAffiche; }
    void SetOrdreImageListAffiche(const TString& Value);
    int IntervalAnimation() const { return FIntervalAnimation; }
    void SetIntervalAnimation(int Value);
    bool Animation() const { return FAnimation; }
    void SetAnimation(bool Value);
    int NumIconeImageList() const { return FNumIconeImageList; }
    void SetNumIconeImageList(int Value);
    // Stored whole; the notification area shows its first 63 characters.
    const TString& Hint() const { return FHint; }
    void SetHint(const TString& Value);
    bool GrandeIconBlink() const { return FGrandeIconBlink; }
    void SetGrandeIconBlink(bool Value);
    int IntervalGrandeIconeBlink() const { return FIntervalGrandeIconeBlink; }
    void SetIntervalGrandeIconeBlink(int Value);
    bool OuvreSiClicGauche() const { return FOuvreSiClicGauche; }
    void SetOuvreSiClicGauche(bool Value) { FOuvreSiClicGauche = Value; }
    bool OuvreSiDblClick() const { return FOuvreSiDblClick; }
    void SetOuvreSiDblClick(bool Value) { FOuvreSiDblClick = Value; }
    bool MenuSiClicDroit() const { return FMenuSiClicDroit; }
    void SetMenuSiClicDroit(bool Value) { FMenuSiClicDroit = Value; }
    bool MenuSiClicGauche() const { return FMenuSiClicGauche; }
    void SetMenuSiClicGauche(bool Value) { FMenuSiClicGauche = Value; }
    TMouseEvent OnMouseUp;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnDblClick;

    // End of loading: adds the icon (when PetiteIconeVisible) and shows the resting image.
    void Loaded() override;
    // Drops MenuPop or ImageList when that component is destroyed.
    void Notification(TComponent* AComponent, TOperation Operation) override;

    // Handler of the icon's callback message: the mouse event that LParam names, then
    // opening the application, then the menu (OuvreSi…, MenuSi…).
    void TraiterMessageIcone(TMessage& Message);
    // Makes image Index of ImageList the icon; an index outside the list (or above 255)
    // is only recorded in ImageCourante.
    void ChoisirImage(int Index);
    // One step of the animation (tick of MinuteurAnimation).
    void EtapeAnimation();
    // One blink of the taskbar button (tick of MinuteurClignotement).
    void ClignoterUneFois();
    void ArreterClignotement();

    // Internal state, read by the tests and by a layout editor.
    const TNotifyIconData& DonneesIcone() const { return FDonneesIcone; }
    bool IconeAjoutee() const { return FIconeAjoutee; }
    bool ChargementFini() const { return FChargementFini; }
    std::uint32_t MessageTaskbarCreated() const { return FMessageTaskbarCreated; }
    TPourHandle* FenetreMessages() const { return FFenetreMessages; }
    TTimer* MinuteurAnimation() const { return FMinuteurAnimation; }
    TTimer* MinuteurClignotement() const { return FMinuteurClignotement; }
    int ImageCourante() const { return FImageCourante; }
    int NombreEntrees() const { return FNombreEntrees; }
    int PositionOrdre() const { return FPositionOrdre; }

private:
    struct TCrochets;

    void AjouterIcone();
    void RemplirDonnees();
    void Envoyer(std::uint32_t Commande);
    void CacherApplication();
    void MontrerApplication();
    void SurFermetureFiche(TObject* Sender, TCloseAction& Action);
    void SurActivationApplication(TObject* Sender);
    void SurMinimisationApplication(TObject* Sender);
    std::intptr_t ProcFenetreApplication(
        std::uint32_t Msg, std::uintptr_t WParam, std::intptr_t LParam);
    void InstallerCrochets();
    void RetirerCrochets();

    TPopupMenu* FMenuPop = nullptr;
    bool FReduireSiFin = false;
    bool FCacherSiMinimize = false;
    bool FPetiteIconeVisible = false;
    bool FGrandeIconeVisible = false;
    bool FApplicationCachee = false;
    TString FIconeFileName;
    TIcon FIcone;
    // FIcone as the window system gives it to the notification area (FDonneesIcone.hIcon).
    std::unique_ptr<TWSIcon> FIconeSysteme;
    TImageList* FImageList = nullptr;
    TString FOrdreImageListAffiche;
    int FIntervalAnimation = 0;
    bool FAnimation = false;
    int FNumIconeImageList = 0;
    TString FHint;
    bool FGrandeIconBlink = false;
    int FIntervalGrandeIconeBlink = 0;
    bool FOuvreSiClicGauche = false;
    bool FOuvreSiDblClick = false;
    bool FMenuSiClicDroit = false;
    bool FMenuSiClicGauche = false;

    TNotifyIconData FDonneesIcone;
    bool FIconeAjoutee = false;
    bool FChargementFini = false;
    std::uint32_t FMessageTaskbarCreated = 0;
    TCustomForm* FFicheProprietaire = nullptr;
    // The saved handlers and the entry our installed handlers go through; shared with
    // them so that they can outlive us safely.
    std::shared_ptr<TCrochets> FCrochets;

    TPourHandle* FFenetreMessages = nullptr;
    TTimer* FMinuteurClignotement = nullptr;
    TTimer* FMinuteurAnimation = nullptr;
    int FImageCourante = 0;
    int FNombreEntrees = 0;
    int FPositionOrdre = 0;
};
