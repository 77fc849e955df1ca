#include "toolkit/controls/forms.h"

#include "toolkit/controls/menus.h"
#include "toolkit/platform/screen.h"

TCustomForm::TCustomForm(TComponent* AOwner)
    : TWinControl(AOwner, WindowFactory(this, FWindow, &TWidgetSet::CreateForm))
{
    FVisible = false;
    FFont = TFont {};
    WSObject(); // a window has its window from the start
    if (Application) {
        Application->Handle().FormCreated(this);
    }
}

TCustomForm::~TCustomForm()
{
    // Components go first, while the form's own members still stand; the window then
    // takes no child window of ours with it, and goes while the form still stands.
    DestroyComponents();
    if (Application) {
        Application->Handle().FormDestroyed(this);
    }
    DestroyWindowObject();
}

void TCustomForm::InitWidget()
{
    ApplyWindowFlags();
}

void TCustomForm::ApplyWindowFlags()
{
    const TWSBorder Border = FBorderStyle == TBorderStyle::bsNone ? TWSBorder::None
        : FBorderStyle == TBorderStyle::bsSizeable                ? TWSBorder::Sizeable
                                                                  : TWSBorder::Dialog;
    FWindow->SetStyle(Border, FFormStyle == TFormStyle::fsStayOnTop, FixedSize());
}

bool TCustomForm::FixedSize() const
{
    // Only a sizeable border lets the user resize a window. A window without a border
    // says so too (its minimum size is its maximum): tiling window managers then float
    // it at its own size instead of stretching it over the screen.
    return FBorderStyle != TBorderStyle::bsSizeable;
}

void TCustomForm::SetBorderStyle(TBorderStyle Value)
{
    FBorderStyle = Value;
    ApplyWindowFlags();
}

void TCustomForm::SetFormStyle(TFormStyle Value)
{
    if (Value == FFormStyle) {
        return;
    }
    FFormStyle = Value;
    ApplyWindowFlags();
}

void TCustomForm::SetClientSize(int AWidth, int AHeight)
{
    SetBounds(Left(), Top(), AWidth, AHeight);
}

int TCustomForm::ClientWidth() const
{
    return FWindow->ClientSize().Width;
}

int TCustomForm::ClientHeight() const
{
    return FWindow->ClientSize().Height;
}

TSize TCustomForm::OuterSize() const
{
    return FWindow->OuterSize();
}

void TCustomForm::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    FBounds = TRect::FromSize(ALeft, ATop, std::max(0, AWidth), std::max(0, AHeight));
    FWindow->SetBounds(FBounds);
}

void TCustomForm::SetCaption(TStringView Value)
{
    FCaption.assign(Value);
    FWindow->SetCaption(Value);
}

void TCustomForm::SetShape(const TRegion& Shape)
{
    FWindow->SetShape(Shape);
}

void TCustomForm::SetTranslucent(bool Value)
{
    FWindow->SetTranslucent(Value);
}

void TCustomForm::SetVisible(bool Value)
{
    if (FLayingOut) {
        FVisible = Value;
        return; // shown by the program once created
    }
    if (Value && FVisible && FWindow->IsVisible()) {
        BringToFront();
        return;
    }
    FVisible = Value;
    const bool Centre = Value && !FPlaced && FPosition != TPosition::poDesigned;
    FPlaced = FPlaced || Value;
    if (Centre) {
        CentreOnScreen();
    }
    FWindow->SetVisible(Value);
    if (Centre) {
        CentreOnScreen(); // again with the frame, which the window manager adds when it shows
    }
}

void TCustomForm::CentreOnScreen()
{
    const TSize Area = FPosition == TPosition::poScreenCenter
        ? ScreenMetrics().PrimaryScreenSize()
        : ScreenMetrics().VirtualScreen().Size();
    const TSize Outer = OuterSize();
    SetBounds((Area.Width - Outer.Width) / 2, (Area.Height - Outer.Height) / 2, Width(), Height());
}

void TCustomForm::Close()
{
    FWindow->Close();
}

bool TCustomForm::CloseRequested()
{
    bool CanClose = true;
    if (OnCloseQuery) {
        Application->Guard([&] { OnCloseQuery(this, CanClose); });
    }
    if (!CanClose) {
        return false;
    }
    const bool IsMain = Application->MainForm() == this;
    TCloseAction Action = IsMain ? TCloseAction::caFree : TCloseAction::caHide;
    if (OnClose) {
        Application->Guard([&] { OnClose(this, Action); });
    }
    if (Action == TCloseAction::caNone) {
        return false;
    }
    if (Action == TCloseAction::caMinimize) {
        FWindow->ShowMinimized();
        return false;
    }
    FVisible = false;
    if (IsMain) {
        Application->FormClosed(this);
    }
    return true;
}

void TCustomForm::BringToFront()
{
    FWindow->BringToFront();
}

TWindowState TCustomForm::WindowState() const
{
    return FWindow->IsMinimized() ? TWindowState::wsMinimized : TWindowState::wsNormal;
}

void TCustomForm::SetWindowState(TWindowState Value)
{
    if (Value == TWindowState::wsMinimized) {
        FWindow->ShowMinimized();
    } else {
        FWindow->Restore();
    }
}

TWindowHandle TCustomForm::Handle()
{
    FWindow->HandleNeeded();
    return FWindow->Handle();
}

TRect TCustomForm::ClientRect() const
{
    return TRect::FromSize(0, 0, ClientWidth(), ClientHeight());
}

void TCustomForm::Raise()
{
    FWindow->Raise();
}

void TCustomForm::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_CLOSE:
        Message.Result = CloseRequested() ? 1 : 0;
        return;
    case WM_KEYDOWN:
        // Tab and Shift+Tab (LParam 1) go through the windowed controls in layout order,
        // whenever their windows were made.
        if (Message.WParam == VK_TAB && FocusNextControl(Message.LParam == 0)) {
            return;
        }
        break;
    case WM_SHOWWINDOW:
        if (Message.WParam != 0) {
            CreateShownChildren(); // before the first paint and the form's handler
            // Not when the window manager maps the window again (LParam 1).
            if (Message.LParam == 0) {
                Application->FormShown(this);
                Application->CallEvent(OnShow, this);
            }
        }
        break;
    case WM_SIZE:
        if (Message.WParam == SIZE_MINIMIZED) {
            Application->FormMinimized(this);
        }
        break;
    case WM_LBUTTONDOWN:
        FPressed = GraphicControlAt({ LParamX(Message.LParam), LParamY(Message.LParam) });
        break;
    case WM_LBUTTONUP: {
        // A click is a press and a release over the same windowless control.
        TGraphicControl* Pressed = FPressed;
        FPressed = nullptr;
        if (Pressed
            && Pressed == GraphicControlAt({ LParamX(Message.LParam), LParamY(Message.LParam) })) {
            Pressed->Click();
        }
        break;
    }
    case WM_MOUSEMOVE: {
        const TGraphicControl* Over
            = GraphicControlAt({ LParamX(Message.LParam), LParamY(Message.LParam) });
        FWindow->SetCursor(Over ? Over->Cursor() : Cursor());
        break;
    }
    case WM_CONTEXTMENU:
        if (FPopupMenu) {
            FPopupMenu->Popup(LParamX(Message.LParam), LParamY(Message.LParam));
            return;
        }
        break;
    default:
        break;
    }
    TWinControl::WndProc(Message);
}

void TCustomForm::WSPaint(IWSCanvas& Canvas, const TRect& Area)
{
    Canvas.FillRect(Area, Color());
}

void TCustomForm::WSBoundsChanged(const TRect& Bounds)
{
    // Reported as the window shows its new place and size: the controls it now shows
    // make their windows.
    FBounds = Bounds;
    CreateShownChildren();
}

bool TCustomForm::FocusNextControl(bool Forward)
{
    // The windowed controls that have a window, in layout order, and the focused one.
    std::vector<TWSControl*> Windows;
    int Current = -1;
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* C = Controls(i);
        if (dynamic_cast<TWinControl*>(C) && C->WidgetCreated()) {
            TWSControl* W = C->WSObject();
            if (W->HasFocus()) {
                Current = int(Windows.size());
            }
            Windows.push_back(W);
        }
    }
    const int Count = int(Windows.size());
    const int From = Current >= 0 ? Current : (Forward ? -1 : Count);
    for (int Step = 1; Step <= Count; ++Step) {
        TWSControl* W
            = Windows[size_t(((From + (Forward ? Step : -Step)) % Count + Count) % Count)];
        if (W->TakesTabFocus()) {
            W->SetFocusByTab(Forward);
            return true;
        }
    }
    return false;
}

TGraphicControl* TCustomForm::GraphicControlAt(TPoint ClientPoint) const
{
    for (int i = ControlCount() - 1; i >= 0; --i) {
        auto* G = dynamic_cast<TGraphicControl*>(Controls(i));
        if (G && G->Visible() && G->BoundsRect().Contains(ClientPoint)) {
            return G;
        }
    }
    return nullptr;
}

void TCustomForm::BeginLayout()
{
    FLayingOut = true;
    BeginLoading();
    SetLoadsChildren(true);
}

void TCustomForm::EndLayout()
{
    // Windowed controls stand above the windowless ones, whatever the creation order.
    // (Windows made later take the same place by themselves.)
    for (int i = 0; i < ControlCount(); ++i) {
        if (dynamic_cast<TWinControl*>(Controls(i)) && Controls(i)->WidgetCreated()) {
            Controls(i)->WSObject()->Raise();
        }
    }
    SetLoadsChildren(false);
    // Every component's end-of-loading step, in layout order, then the form's own.
    const int Count = ComponentCount();
    for (int i = 0; i < Count && i < ComponentCount(); ++i) {
        TComponent* C = Components(i);
        if (C->IsLoading()) {
            C->Loaded();
        }
    }
    Loaded();
    FLayingOut = false;
    Application->CallEvent(OnCreate, this);
}
