#pragma once

// The application object comes with the forms: every form reports to it.
#include "toolkit/controls/application.h"
#include "toolkit/controls/controls.h"

#include <functional>
#include <memory>

class TPopupMenu;

enum class TBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog };
enum class TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum class TCloseAction { caNone, caHide, caFree, caMinimize };
enum class TWindowState { wsNormal, wsMinimized };
// Where a window first appears: at its designed place, or centred (outer size, halves
// rounded toward zero) on the primary screen or on the desktop spanning every monitor.
enum class TPosition { poDesigned, poScreenCenter, poDesktopCenter };

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

// A top-level window over the widget set's TWSForm: the model answers its close requests,
// moves the focus on Tab, hands clicks to its windowless controls, shows its cursor and
// pop-up menu and paints its colour. Its stored layout is applied by the constructor of the
// concrete form between BeginLayout and EndLayout; EndLayout runs every component's Loaded and then
// the creation handler OnCreate (through the error box).
class TCustomForm : public TWinControl {
public:
    explicit TCustomForm(TComponent* AOwner);
    ~TCustomForm() override;

    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    TFormStyle FormStyle() const { return FFormStyle; }
    void SetFormStyle(TFormStyle Value);

    // Client size and outer place on the screen. Frameless windows have no difference.
    void SetClientSize(int AWidth, int AHeight);
    int ClientWidth() const;
    int ClientHeight() const;
    // Outer size of the window including its frame, as the window manager reports it.
    TSize OuterSize() const;
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void SetCaption(TStringView Value) override;
    // Showing a window already shown brings it to the front. The first showing places a
    // centred window; later ones find it where it was left.
    void SetVisible(bool Value) override;
    TPosition Position() const { return FPosition; }
    void SetPosition(TPosition Value) { FPosition = Value; }

    TPopupMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TPopupMenu* Value) { FPopupMenu = Value; }

    // Closes the window: OnCloseQuery, then OnClose with the action caHide (caFree for the
    // main window, whose close ends the program).
    void Close();
    void BringToFront();
    TWindowState WindowState() const;
    void SetWindowState(TWindowState Value);
    // The window's handle, its native window created on demand.
    TWindowHandle Handle();
    // Above the program's other windows, without taking the focus.
    void Raise();

    // The window's outline (empty: the whole rectangle).
    void SetShape(const TRegion& Shape);
    // A see-through window shows only what its controls draw; chosen before it is first
    // shown (the window system may not change it afterwards).
    void SetTranslucent(bool Value);

    TNotifyEvent OnCreate;
    TNotifyEvent OnShow;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;

    // Gives the keyboard focus to the next (or previous) windowed control in layout
    // order that takes it by the keyboard, round the end; false when there is none.
    bool FocusNextControl(bool Forward);

    // Hands a click of the left button at a client point to the topmost visible
    // windowless control there; used by the window's mouse handling.
    TGraphicControl* GraphicControlAt(TPoint ClientPoint) const;

    void WndProc(TMessage& Message) override;
    void WSPaint(IWSCanvas& Canvas, const TRect& Area) override;
    void WSBoundsChanged(const TRect& Bounds) override;

protected:
    void BeginLayout();
    void EndLayout();
    void InitWidget() override;
    TRect ClientRect() const override;

private:
    void ApplyWindowFlags();
    bool FixedSize() const;
    void CentreOnScreen();
    bool CloseRequested(); // true when the window may close

    TWSForm* FWindow = nullptr; // FHandle, typed
    TBorderStyle FBorderStyle = TBorderStyle::bsSizeable;
    TFormStyle FFormStyle = TFormStyle::fsNormal;
    TPopupMenu* FPopupMenu = nullptr;
    TGraphicControl* FPressed = nullptr;
    TPosition FPosition = TPosition::poDesigned;
    bool FPlaced = false;
    bool FLayingOut = false;
};

using TForm = TCustomForm;
