#include "components/shaped_window/kwtranspamoveform.h"

#include "components/shaped_window/opaqueregion.h"
#include "toolkit/controls/extctrls.h"
#include "toolkit/controls/forms.h"
#include "toolkit/platform/windowmanager.h"
#include "toolkit/qt/qtconvert.h"
#include "toolkit/widgetset/widgetset.h"

#include <QLoggingCategory>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>
#include <QWindow>

Q_LOGGING_CATEGORY(lcShape, "veludor.shape")

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
// It watches the window's mouse events without taking them: the release must still reach
// the window so that Qt ends its implicit grab of the press.
class TKwTranspaMoveForm::TMove : public QObject {
public:
    void Press(QWidget* Widget, QPoint PressPoint)
    {
        End();
        FWidget = Widget;
        FWindow = Widget->windowHandle();
        FPressPoint = PressPoint;
        FOrigin = Widget->pos();
        if (FWindow) {
            FState = TState::Pressed;
            FWindow->installEventFilter(this);
        }
    }

    void End()
    {
        if (FWindow) {
            FWindow->removeEventFilter(this);
        }
        FWindow = nullptr;
        FWidget = nullptr;
        FState = TState::Idle;
    }

    bool Dragging() const { return FState == TState::Dragging; }
    int Started() const { return FStarted; }

    ~TMove() override { End(); }

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override
    {
        switch (Event->type()) {
        case QEvent::MouseMove:
            Moved(*static_cast<QMouseEvent*>(Event));
            break;
        case QEvent::MouseButtonPress:
            End(); // another press: the hook decides anew
            break;
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent*>(Event)->button() == Qt::LeftButton) {
                // A release that reaches us after the request came before the window
                // manager took the pointer over.
                if (FState == TState::Asked && FWidget) {
                    WindowManager().CancelSystemMove(HandleOf(FWidget));
                }
                End();
            }
            break;
        case QEvent::Hide:
            End();
            break;
        case QEvent::FocusOut:
            // The window manager may take the focus while it moves the window.
            if (FState != TState::Asked) {
                End();
            }
            break;
        default:
            break;
        }
        return QObject::eventFilter(Watched, Event);
    }

private:
    enum class TState { Idle, Pressed, Asked, Dragging };

    void Moved(const QMouseEvent& Mouse)
    {
        if (!(Mouse.buttons() & Qt::LeftButton) || !FWidget) {
            End(); // the release went elsewhere, or the window manager's move ended
            return;
        }
        if (FState == TState::Pressed) {
            ++FStarted;
            // The window manager moves the window with the pressed button, counting from
            // the press; where it cannot (or there is none) the window follows the mouse.
            if (WindowManager().StartSystemMove(HandleOf(FWidget), FromQt(FPressPoint))) {
                FState = TState::Asked;
                return;
            }
            qCDebug(lcShape) << "system move refused, dragging ourselves";
            FState = TState::Dragging;
        }
        if (FState == TState::Dragging) {
            FWidget->move(FOrigin + Mouse.globalPosition().toPoint() - FPressPoint);
        }
    }

    QPointer<QWindow> FWindow;
    QPointer<QWidget> FWidget;
    QPoint FPressPoint;
    QPoint FOrigin;
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
    const TBitmap32 Bits = Content.Kind() == TGraphicKind::Bitmap ? Content.Image() : TBitmap32();
    const TRegion Shape
        = OpaqueRegion(Bits, FTransparentColor, { Picture->Left(), Picture->Top() });

    // Where the windowing system does not cut windows to their shape (Wayland: there it
    // only limits where the window takes the mouse), the window is see-through and the
    // picture is drawn inside the shape only, this picture and every skin loaded into it
    // later (they keep the window's shape), so that the shape still hides the cut-away.
    // On X11 the shape cuts the window: an opaque window costs less to draw and keep.
    // Translucency is chosen before the native window exists.
    const bool SeeThrough = !WindowManager().CutsToShape();
    if (SeeThrough && !Shape.IsEmpty()) {
        Picture->SetShownArea(Shape.Translated(-Picture->Left(), -Picture->Top()));
    }
    if (SeeThrough && !FForm->Widget()->testAttribute(Qt::WA_TranslucentBackground)) {
        if (FForm->Widget()->testAttribute(Qt::WA_WState_Created)) {
            qCDebug(lcShape) << "window already created, its background stays opaque";
        } else {
            FForm->Widget()->setAttribute(Qt::WA_TranslucentBackground);
        }
    }

    QWidget* Window = FForm->Handle();
    if (Shape.IsEmpty()) {
        // No opaque pixel (or no bitmap): there is nothing to cut the window to, and an
        // empty mask would mean "no mask" to Qt, i.e. the whole rectangle. The window
        // keeps the shape it had, rectangular if it never had one.
        qCDebug(lcShape) << "no opaque pixel in" << FImageLinked->Name() << "- shape kept";
    } else {
        Window->setMask(ToQt(Shape));
    }
    Window->raise();
}

void TKwTranspaMoveForm::AppMessage(TMsg& Msg, bool& Handled)
{
    if (IsDesigning() || !FDeplacement || !FForm) {
        return;
    }
    // Presses on controls with a window of their own (buttons, spin boxes, edit fields)
    // are addressed to those; presses on labels and pictures to the form itself.
    if (Msg.hwnd != HandleOf(FForm->Handle())) {
        return;
    }
    if (Msg.message != WM_LBUTTONDOWN) {
        return;
    }
    if (PictureUnderCursor()) {
        return; // the picture gets its click
    }
    ++FPressesTaken;
    FMove->Press(FForm->Widget(), ToQt(Msg.pt));
    Handled = true;
}

bool TKwTranspaMoveForm::PictureUnderCursor() const
{
    // The cursor as it is now, not where the press was queued. Hidden pictures count
    // too: the alarm view's picture buttons keep their place when the clock view shows.
    const QPoint P = ToQt(FForm->ScreenToClient(WidgetSet().CursorPos()));
    for (int i = FForm->ComponentCount() - 1; i >= 0; --i) {
        const auto* Picture = dynamic_cast<const TImage*>(FForm->Components(i));
        if (!Picture) {
            continue;
        }
        if (FImageLinked && Picture->Name() == FImageLinked->Name()) {
            continue;
        }
        if (Picture->Left() <= P.x() && P.x() < Picture->Left() + Picture->Width()
            && Picture->Top() <= P.y() && P.y() < Picture->Top() + Picture->Height()) {
            return true;
        }
    }
    return false;
}
