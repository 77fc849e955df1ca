#include "components/shaped_window/kwtranspamoveform.h"

#include "components/shaped_window/opaqueregion.h"
#include "toolkit/controls/extctrls.h"
#include "toolkit/controls/forms.h"
#include "toolkit/platform/windowmanager.h"
#include "toolkit/widgetset/widgetset.h"

namespace {

// The callable installed as the application's hook. A named type, so that the destructor
// can recognise its own hook inside the std::function (which has no comparison).
struct TMessageHook {
    TKwTranspaMoveForm* Component;
    void operator()(TMsg& Msg, bool& Handled) const { Component->AppMessage(Msg, Handled); }
};

} // namespace

// A left press taken for a move becomes one at the first motion with the button down:
// then the window manager is asked to move the window from the press's place, or, where
// it cannot (no window manager support, the offscreen platform), the window follows the
// mouse through our own drag until the button is released. A press released without
// motion moves nothing. Asking at the press itself would not do: a window manager that
// reads the request after a quick release (a click with no hold, a touchpad's tap) runs
// the move with no button held and the window follows the pointer until the next click.
// From the press to its end it watches the window's messages in front of the window's
// own handler, taking none: the release must still reach the window so that the window
// system ends its grab of the press.
class TKwTranspaMoveForm::TMove {
public:
    ~TMove() { End(); }

    void Press(TCustomForm* Form, TPoint PressPoint)
    {
        End();
        FForm = Form;
        FPressPoint = PressPoint;
        FOrigin = { Form->Left(), Form->Top() };
        FState = TState::Pressed;
        // The watcher reaches this object through a link that End cuts: a handler chained
        // in front of it later keeps a copy that then only passes messages on.
        FLink = std::make_shared<TMove*>(this);
        FForm->WindowProc = TWatch { FLink, FForm->WindowProc };
    }

    void End()
    {
        if (FLink) {
            *FLink = nullptr;
            const auto* Watch = FForm->WindowProc.target<TWatch>();
            if (Watch && Watch->Link == FLink) {
                FForm->WindowProc = Watch->Previous;
            }
            FLink.reset();
        }
        FForm = nullptr;
        FState = TState::Idle;
    }

    bool Dragging() const { return FState == TState::Dragging; }
    int Started() const { return FStarted; }

private:
    enum class TState { Idle, Pressed, Asked, Dragging };

    struct TWatch {
        std::shared_ptr<TMove*> Link;
        std::function<void(TMessage&)> Previous;
        void operator()(TMessage& Message) const
        {
            // Previous is called from a copy: ending the move replaces this handler.
            const std::function<void(TMessage&)> Next = Previous;
            if (TMove* Move = *Link) {
                Move->Watch(Message);
            }
            if (Next) {
                Next(Message);
            }
        }
    };

    void Watch(const TMessage& Message)
    {
        switch (Message.Msg) {
        case WM_MOUSEMOVE:
            Moved(Message);
            break;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            End(); // another press: the hook decides anew
            break;
        case WM_LBUTTONUP:
            // A release that reaches us after the request came before the window manager
            // took the pointer over.
            if (FState == TState::Asked) {
                WindowManager().CancelSystemMove(FForm->Handle());
            }
            End();
            break;
        case WM_SHOWWINDOW:
            if (Message.WParam == 0) {
                End();
            }
            break;
        case WM_KILLFOCUS:
            // The window manager may take the focus while it moves the window.
            if (FState != TState::Asked) {
                End();
            }
            break;
        default:
            break;
        }
    }

    void Moved(const TMessage& Mouse)
    {
        if (!(Mouse.WParam & MK_LBUTTON)) {
            End(); // the release went elsewhere, or the window manager's move ended
            return;
        }
        if (FState == TState::Pressed) {
            ++FStarted;
            // The window manager moves the window with the pressed button, counting from
            // the press; where it cannot (or there is none) the window follows the mouse.
            if (WindowManager().StartSystemMove(FForm->Handle(), FPressPoint)) {
                FState = TState::Asked;
                return;
            }
            FState = TState::Dragging;
        }
        if (FState == TState::Dragging) {
            const TPoint At
                = FForm->ClientToScreen({ LParamX(Mouse.LParam), LParamY(Mouse.LParam) });
            FForm->SetBounds(FOrigin.X + At.X - FPressPoint.X, FOrigin.Y + At.Y - FPressPoint.Y,
                FForm->Width(), FForm->Height());
        }
    }

    TCustomForm* FForm = nullptr;
    std::shared_ptr<TMove*> FLink; // while a press is followed
    TPoint FPressPoint;
    TPoint FOrigin;
    TState FState = TState::Idle;
    int FStarted = 0;
};

TKwTranspaMoveForm::TKwTranspaMoveForm(TComponent* AOwner)
    : TComponent(AOwner)
    , FXYTransparentColor(nullptr)
    , FRGVTransparentColor(nullptr)
    , FForm(dynamic_cast<TCustomForm*>(AOwner))
    , FMove(std::make_unique<TMove>())
{
    FUpdating = true;
    FRGVTransparentColor = new TRGV;
    FRGVTransparentColor->OnChange = [this](TRGV* Sender) { RGVChange(Sender); };
    FXYTransparentColor = new TCoord;
    FXYTransparentColor->OnChange = [this](TCoord* Sender) { XYChange(Sender); };

    if (!IsDesigning()) {
        if (Application) {
            Application->OnMessage = TMessageHook { this };
        }
        return;
    }
    if (FForm) {
        FForm->SetBorderStyle(TBorderStyle::bsNone);
    }
    FTransparentColor = TColor(-1);
    FXYTransparentColor->SetX(-1);
    FXYTransparentColor->SetY(-1);
    FRGVTransparentColor->SetR(0);
    FRGVTransparentColor->SetG(0);
    FRGVTransparentColor->SetB(0);
    FUpdating = false;
}

TKwTranspaMoveForm::~TKwTranspaMoveForm()
{
    // Another component may have installed its own hook since; that one stays.
    if (Application) {
        const auto* Hook = Application->OnMessage.target<TMessageHook>();
        if (Hook && Hook->Component == this) {
            Application->OnMessage = nullptr;
        }
    }
    FMove.reset();
    delete FRGVTransparentColor;
    FRGVTransparentColor = nullptr;
    delete FXYTransparentColor;
    FXYTransparentColor = nullptr;
}

bool TKwTranspaMoveForm::Dragging() const
{
    return FMove && FMove->Dragging();
}

int TKwTranspaMoveForm::MovesStarted() const
{
    return FMove ? FMove->Started() : 0;
}

void TKwTranspaMoveForm::SetImageLinked(TImage* Value)
{
    if (FImageLinked && FImageLinked != Value) {
        RemoveFreeNotification(FImageLinked);
    }
    FImageLinked = Value;
    if (!Value) {
        return;
    }
    Value->FreeNotification(this);
    if (IsLoading()) {
        return;
    }
    ColourFromTopLeft();
    if (IsDesigning()) {
        FTransparent = true;
        FDeplacement = true;
    } else if (FIsLoaded) {
        BuildRegion();
    }
}

void TKwTranspaMoveForm::SetTransparentColor(TColor Value)
{
    FTransparentColor = Value;
    if (FUpdating) {
        return;
    }
    ClearPick();
    FUpdating = true;
    Mirror();
    FUpdating = false;
    Rebuild();
}

void TKwTranspaMoveForm::RGVChange(TRGV* Sender)
{
    if (FUpdating) {
        return;
    }
    ClearPick();
    FTransparentColor = TColor(Sender->R()) + 256u * Sender->G() + 65536u * Sender->B();
    Rebuild();
}

void TKwTranspaMoveForm::XYChange(TCoord* Sender)
{
    // Only -1 means "no pick": other coordinates outside the picture read as the invalid
    // colour, which matches no pixel.
    if (Sender->X() == -1 || Sender->Y() == -1 || FUpdating || !FImageLinked) {
        return;
    }
    FTransparentColor = FImageLinked->CanvasPixel(Sender->X(), Sender->Y());
    FUpdating = true;
    Mirror();
    FUpdating = false;
    Rebuild();
}

void TKwTranspaMoveForm::ColourFromTopLeft()
{
    FTransparentColor = FImageLinked->CanvasPixel(0, 0);
    ClearPick();
    // Before Loaded the guard is already set and must stay so until Loaded clears it.
    FUpdating = true;
    Mirror();
    if (FIsLoaded || IsDesigning()) {
        FUpdating = false;
    }
}

void TKwTranspaMoveForm::ClearPick()
{
    // X keeps its value; XYChange ignores the write since Y is -1.
    FXYTransparentColor->SetY(-1);
}

void TKwTranspaMoveForm::Mirror()
{
    FRGVTransparentColor->SetR(std::uint8_t(FTransparentColor & 0xFF));
    FRGVTransparentColor->SetG(std::uint8_t((FTransparentColor >> 8) & 0xFF));
    FRGVTransparentColor->SetB(std::uint8_t((FTransparentColor >> 16) & 0xFF));
}

void TKwTranspaMoveForm::Rebuild()
{
    if (!IsDesigning()) {
        BuildRegion();
    }
}

void TKwTranspaMoveForm::Loaded()
{
    TComponent::Loaded();
    if (IsDesigning()) {
        return;
    }
    BuildRegion();
    FUpdating = false;
    FIsLoaded = true;
}

void TKwTranspaMoveForm::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == TOperation::opRemove && AComponent && AComponent == FImageLinked) {
        SetImageLinked(nullptr);
    }
}

void TKwTranspaMoveForm::BuildRegion()
{
    if (!FTransparent || !FImageLinked || !FForm) {
        return;
    }
    TImage* Picture = FImageLinked;
    // Two resizes, height first: the window takes the picture control's extent, not the
    // bitmap's. The window has no frame, so its outer size is its client size.
    FForm->SetBounds(
        FForm->Left(), FForm->Top(), FForm->Width(), Picture->Top() + Picture->Height());
    FForm->SetBounds(
        FForm->Left(), FForm->Top(), Picture->Left() + Picture->Width(), FForm->Height());

    // Only a bitmap gives pixels to cut along; another kind of image (an icon, a JPEG)
    // counts as an empty bitmap. The picture itself is left as it is.
    const TPicture& Content = Picture->Picture();
    static const TBitmap32 NoBitmap;
    const TBitmap32& Bits = Content.Kind() == TGraphicKind::Bitmap ? Content.Image() : NoBitmap;
    const TRegion Shape
        = OpaqueRegion(Bits, FTransparentColor, { Picture->Left(), Picture->Top() });

    // Where the windowing system does not cut windows to their shape (Wayland: there it
    // only limits where the window takes the mouse), the window is see-through and the
    // picture is drawn inside the shape only, this picture and every skin loaded into it
    // later (they keep the window's shape), so that the shape still hides the cut-away.
    // On X11 the shape cuts the window: an opaque window costs less to draw and keep.
    // Translucency is chosen before the native window exists (once it does, the window
    // system keeps its background opaque).
    const bool SeeThrough = !WindowManager().CutsToShape();
    if (SeeThrough && !Shape.IsEmpty()) {
        Picture->SetShownArea(Shape.Translated(-Picture->Left(), -Picture->Top()));
    }
    if (SeeThrough) {
        FForm->SetTranslucent(true);
    }

    FForm->Handle(); // the native window, made now as the shape is given
    // No opaque pixel (or no bitmap): there is nothing to cut the window to, and an empty
    // shape would mean "no shape", i.e. the whole rectangle. The window keeps the shape it
    // had, rectangular if it never had one.
    if (!Shape.IsEmpty()) {
        FForm->SetShape(Shape);
    }
    FForm->Raise();
}

void TKwTranspaMoveForm::AppMessage(TMsg& Msg, bool& Handled)
{
    if (IsDesigning() || !FDeplacement || !FForm) {
        return;
    }
    // Presses on controls with a window of their own (buttons, spin boxes, edit fields)
    // are addressed to those; presses on labels and pictures to the form itself.
    if (Msg.hwnd != FForm->Handle()) {
        return;
    }
    if (Msg.message != WM_LBUTTONDOWN) {
        return;
    }
    if (PictureUnderCursor()) {
        return; // the picture gets its click
    }
    ++FPressesTaken;
    FMove->Press(FForm, Msg.pt);
    Handled = true;
}

bool TKwTranspaMoveForm::PictureUnderCursor() const
{
    // The cursor as it is now, not where the press was queued. Hidden pictures count
    // too: the alarm view's picture buttons keep their place when the clock view shows.
    const TPoint P = FForm->ScreenToClient(WidgetSet().CursorPos());
    for (int i = FForm->ComponentCount() - 1; i >= 0; --i) {
        const auto* Picture = dynamic_cast<const TImage*>(FForm->Components(i));
        if (!Picture) {
            continue;
        }
        if (FImageLinked && Picture->Name() == FImageLinked->Name()) {
            continue;
        }
        if (Picture->Left() <= P.X && P.X < Picture->Left() + Picture->Width()
            && Picture->Top() <= P.Y && P.Y < Picture->Top() + Picture->Height()) {
            return true;
        }
    }
    return false;
}
