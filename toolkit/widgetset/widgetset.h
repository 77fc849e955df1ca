#pragma once

// The contract between the toolkit's control model (toolkit/controls) and a window
// system. The model keeps every rule a control follows (its properties while it has no
// window, its owner, the stored-layout order, the error box around each handler); a
// window system only carries the controls: it makes a window object for each kind,
// forwards the model's requests to it and reports back input, paints and changes as
// messages in Windows' numbering (toolkit/core/messages.h).
//
// Each window system implements this contract in a folder of its own below this one
// (qt/ over Qt Widgets, win32/ over the Windows API) and supplies WidgetSet(); a program
// links exactly one of them. Nothing here, nor in the model, sees a window system's
// headers.

#include "toolkit/core/bitmap32.h"
#include "toolkit/core/icon.h"
#include "toolkit/core/messages.h"
#include "toolkit/core/region.h"
#include "toolkit/core/tstring.h"
#include "toolkit/core/types.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// A control's font as the layouts give it: face name, character height in pixels,
// styles and colour.
struct TFont {
    TString Name = u"MS Sans Serif";
    int Height = 11; // character height in pixels
    bool Bold = false;
    bool Underline = false;
    TColor Color = clWindowText;
    friend bool operator==(const TFont&, const TFont&) = default;
};

enum class TBrushStyle { bsSolid, bsClear };

// The background drawn behind text: a colour, or nothing when the style is bsClear.
struct TBrush {
    TColor Color = clWhite;
    TBrushStyle Style = TBrushStyle::bsSolid;
};

enum class TCursor { crDefault, crSizeAll, crHandPoint };

// The drawing primitives of a paint in progress, in the painted control's client
// coordinates. Valid only during the paint call it is handed to.
class IWSCanvas {
public:
    virtual ~IWSCanvas() = default;
    virtual void FillRect(const TRect& Area, TColor Color) = 0;
    // Draws Bitmap with its top-left pixel at (X, Y), blending by its alpha.
    virtual void DrawBitmap(int X, int Y, const TBitmap32& Bitmap) = 0;
    // Draws the Source part of Bitmap (cut to the bitmap) with its top-left pixel at
    // (X, Y); Opaque says every alpha there is 255, so it is copied without blending.
    // Nothing of the bitmap is copied for it: a picture repainted every second costs only
    // the pixels drawn.
    virtual void DrawBitmap(int X, int Y, const TBitmap32& Bitmap, const TRect& Source, bool Opaque)
        = 0;
    // Draws Text in Font (its colour) with the top-left corner of its line cell at
    // (X, Y), over Brush unless the brush is clear, clipped to Clip when given.
    virtual void TextOut(const TFont& Font, const TBrush& Brush, int X, int Y, TStringView Text,
        const TRect* Clip = nullptr)
        = 0;
    virtual void SetPixel(int X, int Y, TColor Color) = 0;
    // A one-pixel smoothed arc along the ellipse in the box (X, Y, W, H) from
    // StartDegrees counterclockwise (0 = three o'clock) over SpanDegrees.
    virtual void Arc(
        double X, double Y, double W, double H, int StartDegrees, int SpanDegrees, TColor Color)
        = 0;
    virtual void FillEllipse(double X, double Y, double W, double H, TColor Color) = 0;
    // Text drawn right to left from here on.
    virtual void SetRightToLeftReading(bool Value) = 0;
};

// What a window system knows of the font faces and of text.
struct TTextMetrics {
    int Ascent = 0;
    int Descent = 0;
    int Height = 0; // line cell height
};

// What the window object of a control reports to its model. Every input, notification
// and state change arrives as a message through Message: mouse, keys, focus, WM_COMMAND
// notifications of native controls (BN_CLICKED, EN_CHANGE, …), WM_CLOSE (the model says
// whether the window may close by setting Result to 1), WM_SIZE with SIZE_MINIMIZED,
// WM_SHOWWINDOW, WM_MOVE/WM_SIZE from the window manager. Returning true means the model
// handled it: the window system then does nothing more with it.
class IWSClient {
public:
    virtual ~IWSClient() = default;
    virtual bool WSMessage(TMessage& Message) = 0;
    // Paints Area (client coordinates) of a control that draws itself (forms, custom
    // controls and pictures). A label's caption is drawn by its window object, from
    // what SetLabel gave it.
    virtual void WSPaint(IWSCanvas& Canvas, const TRect& Area) = 0;
    // The window system moved or resized a top-level window (outer place, client size).
    virtual void WSBoundsChanged(const TRect& Bounds) { }
};

// The window object of one control. Made by the widget set for a client, destroyed with
// the control; its requests mirror the model's properties.
class TWSControl {
public:
    explicit TWSControl(IWSClient* AClient)
        : FClient(AClient)
    {
    }
    virtual ~TWSControl() = default;
    IWSClient* Client() const { return FClient; }

    // Child of Parent (null: none), stacked under Above (null: on top of its siblings).
    virtual void SetParent(TWSControl* Parent, TWSControl* Above) = 0;
    virtual void SetBounds(const TRect& Bounds) = 0;
    virtual void SetVisible(bool Value) = 0;
    virtual bool IsVisible() const = 0;
    virtual void SetEnabled(bool Value) = 0;
    virtual void SetFont(const TFont& Font) = 0;
    virtual void SetCursor(TCursor Cursor) = 0;
    virtual void Raise() = 0;
    // Repaint requests: later (coalesced) or now.
    virtual void Invalidate() = 0;
    virtual void Repaint() = 0;
    // Whether it, or a window inside it, has the keyboard focus.
    virtual bool HasFocus() const = 0;
    virtual void SetFocus() = 0;
    // The focus arriving by Tab (Forward) or Shift+Tab: an edit field then selects its
    // text, as a user tabbing into it expects.
    virtual void SetFocusByTab(bool Forward) { SetFocus(); }
    // Whether it takes the keyboard focus from Tab (enabled, visible, of a kind that does).
    virtual bool TakesTabFocus() const = 0;
    virtual TPoint ClientToScreen(TPoint P) const = 0;
    virtual TPoint ScreenToClient(TPoint P) const = 0;
    // The top-level window this control is in, as the platform services name it. The
    // native window may not exist yet (see TWSForm::HandleNeeded).
    virtual TWindowHandle Handle() const = 0;

private:
    IWSClient* FClient;
};

enum class TWSBorder { None, Dialog, Sizeable };

class TWSForm : public TWSControl {
public:
    using TWSControl::TWSControl;
    virtual void SetCaption(TStringView Caption) = 0;
    // Border and frame; a fixed-size window (no sizeable border) has one size.
    virtual void SetStyle(TWSBorder Border, bool StayOnTop, bool FixedSize) = 0;
    virtual void SetColor(TColor Color) = 0;
    virtual TSize ClientSize() const = 0;
    virtual TSize OuterSize() const = 0; // with the window manager's frame
    virtual void ShowMinimized() = 0;
    virtual bool IsMinimized() const = 0;
    // Back from minimised to the state it had before.
    virtual void Restore() = 0;
    // Makes the native window now, for services that act on it before it first shows.
    virtual void HandleNeeded() = 0;
    virtual void BringToFront() = 0;
    // Asks the window to close: the model answers the WM_CLOSE that follows.
    virtual void Close() = 0;
    // The window's shape (input and drawing); an empty region removes the shape.
    virtual void SetShape(const TRegion& Shape) = 0;
    // See-through: only what the controls draw shows (a shaped window's cut-away pixels
    // transparent where a compositor shows them).
    virtual void SetTranslucent(bool Value) = 0;
};

// A windowless control drawn over its parent (labels, pictures): the model paints it
// through WSPaint; presses pass through to the parent.
class TWSGraphicControl : public TWSControl {
public:
    using TWSControl::TWSControl;
};

// A label's text as the window system shapes it: measuring and drawing prepared once per
// font and caption, so that a clock repainting the same text every second only draws.
class TWSLabel : public TWSGraphicControl {
public:
    using TWSGraphicControl::TWSGraphicControl;
    virtual void SetLabel(
        TStringView Caption, const TFont& Font, bool Transparent, TColor Background)
        = 0;
    // The caption's advance and the font's metrics (for an auto-sized label).
    virtual TSize TextSize(TStringView Caption, const TFont& Font) const = 0;
    virtual TTextMetrics Metrics(const TFont& Font) const = 0;
};

class TWSButton : public TWSControl {
public:
    using TWSControl::TWSControl;
    virtual void SetCaption(TStringView Caption) = 0; // "&" marks the accelerator
};

class TWSEdit : public TWSControl {
public:
    using TWSControl::TWSControl;
    virtual TString Text() const = 0;
    virtual void SetText(TStringView Text) = 0;
};

class TWSComboBox : public TWSControl {
public:
    using TWSControl::TWSControl;
    virtual void SetItems(const std::vector<TString>& Items) = 0;
    virtual TString Text() const = 0;
    virtual void SetText(TStringView Text) = 0;
};

// A radio button shows the checked state its model gives it; the model keeps the rule of
// the exclusive group. A click that checks it, and SetChecked(true) on one that was not
// checked, arrive as WM_COMMAND BN_CLICKED; a click on a checked one changes nothing.
class TWSRadioButton : public TWSControl {
public:
    using TWSControl::TWSControl;
    virtual void SetCaption(TStringView Caption) = 0;
    virtual bool Checked() const = 0;
    virtual void SetChecked(bool Value) = 0;
    // The caption on the left-hand side of the mark (BS_LEFTTEXT).
    virtual void SetLeftText(bool Value) = 0;
    // Owner-drawn (BS_OWNERDRAW): the model paints the whole face through WSPaint over
    // what its parent shows there (no background of the button's own), and the button
    // takes the focus from the keyboard only: on a press the model gives it the focus.
    virtual void SetOwnerDraw(bool Value) = 0;
};

// An edit with an up-down control. Keys come to the model first (WM_KEYDOWN, WM_CHAR:
// the model handles and beeps what it refuses); the arrows arrive as WM_KEYDOWN VK_UP /
// VK_DOWN; a change of the text as WM_COMMAND EN_CHANGE; leaving it as EN_KILLFOCUS.
class TWSSpinEdit : public TWSControl {
public:
    using TWSControl::TWSControl;
    virtual TString Text() const = 0;
    virtual void SetText(TStringView Text) = 0;
};

// A windowed control that paints itself (WSPaint) and takes its input as messages. When
// transparent, what its parent and the controls below it paint shows under it.
class TWSCustomControl : public TWSControl {
public:
    using TWSControl::TWSControl;
    virtual void SetTransparent(bool Value) = 0;
};

// A window the user never sees that only receives messages: the notification area's
// callbacks are addressed to it by its handle (Handle() names this window itself, not
// its top-level window). It takes neither input nor the focus; messages sent to it
// reach the model as they are.
class TWSMessageWindow : public TWSControl {
public:
    using TWSControl::TWSControl;
};

// One entry of a pop-up menu; an entry captioned "-" is a separator.
struct TWSMenuEntry {
    TString Caption;
    int Command = 0; // returned by Popup when chosen
    bool Enabled = true;
    std::vector<TWSMenuEntry> Children;
};

// A menu built ahead for the platform services that take a TMenuHandle (the tray hosts
// that draw an icon's menu themselves); choosing an entry reports its command to the
// callback it was built with. The handle is good while this object lives.
class TWSMenu {
public:
    virtual ~TWSMenu() = default;
    virtual TMenuHandle Handle() const = 0;
};

// The window system's copy of an icon, for the platform services that take a
// TIconHandle (the notification area); the handle is good while this object lives.
class TWSIcon {
public:
    virtual ~TWSIcon() = default;
    virtual TIconHandle Handle() const = 0;
};

// A timer on the window thread. Precise timers keep to the millisecond (the second
// beat); others may be coalesced by the system.
class TWSTimer {
public:
    virtual ~TWSTimer() = default;
    virtual void Start(int IntervalMs, bool SingleShot, bool Precise) = 0;
    virtual void Stop() = 0;
    virtual bool Active() const = 0;
};

// The application-wide side: the message loop, its hook, and what belongs to no control.
class IWSApplicationClient {
public:
    virtual ~IWSApplicationClient() = default;
    // Every queued mouse message before it is delivered; true swallows it.
    virtual bool WSQueuedMessage(TMsg& Msg) = 0;
    // The program became active (one of its windows took the focus from another program).
    virtual void WSActivated() = 0;
};

// The window system's hold on a program, from its start to its end (see
// TWidgetSet::Start).
class TWSSession {
public:
    virtual ~TWSSession() = default;
};

class TWidgetSet {
public:
    virtual ~TWidgetSet() = default;

    virtual std::unique_ptr<TWSForm> CreateForm(IWSClient* Client) = 0;
    virtual std::unique_ptr<TWSGraphicControl> CreateGraphicControl(IWSClient* Client) = 0;
    virtual std::unique_ptr<TWSLabel> CreateLabel(IWSClient* Client) = 0;
    virtual std::unique_ptr<TWSButton> CreateButton(IWSClient* Client) = 0;
    virtual std::unique_ptr<TWSEdit> CreateEdit(IWSClient* Client) = 0;
    virtual std::unique_ptr<TWSComboBox> CreateComboBox(IWSClient* Client) = 0;
    virtual std::unique_ptr<TWSRadioButton> CreateRadioButton(IWSClient* Client) = 0;
    virtual std::unique_ptr<TWSSpinEdit> CreateSpinEdit(IWSClient* Client) = 0;
    virtual std::unique_ptr<TWSCustomControl> CreateCustomControl(IWSClient* Client) = 0;
    virtual std::unique_ptr<TWSMessageWindow> CreateMessageWindow(IWSClient* Client) = 0;
    virtual std::unique_ptr<TWSTimer> CreateTimer(std::function<void()> OnTick) = 0;

    // The message loop: runs until Quit; ProcessMessages handles what is queued now.
    virtual void Initialize(IWSApplicationClient* Client) = 0;
    // Whether the window system was started (a unit test may run the model without one).
    virtual bool Available() const = 0;
    virtual int Run() = 0;
    virtual void ProcessMessages() = 0;
    virtual void Quit(int ExitCode) = 0;
    // Runs Work on the window thread as soon as it is free, from any thread.
    virtual void Post(std::function<void()> Work) = 0;

    // Shows the menu at a screen point, returns the chosen entry's command (0: none),
    // after the menu has closed.
    virtual int PopupMenu(const std::vector<TWSMenuEntry>& Entries, TPoint At) = 0;
    // The menu of Entries as the window system's notification area takes it; null where
    // that area takes no menu (it reports right clicks and the model shows PopupMenu).
    virtual std::unique_ptr<TWSMenu> CreateMenu(
        const std::vector<TWSMenuEntry>& Entries, std::function<void(int Command)> OnCommand)
        = 0;
    // The icon converted for the platform services; an empty icon gives a null handle.
    virtual std::unique_ptr<TWSIcon> CreateIcon(const TIcon& Icon) = 0;
    // The file-open dialog; Filters as pairs (description, pattern list "*.mp3;*.wav"),
    // modal to Owner (null: to none).
    virtual bool OpenFileDialog(TStringView Title,
        const std::vector<std::pair<TString, TString>>& Filters, int& FilterIndex,
        TString& FileName, TWindowHandle Owner = nullptr)
        = 0;
    virtual TTextMetrics FontMetrics(const TFont& Font) = 0;
    virtual TSize TextExtent(const TFont& Font, TStringView Text) = 0;
    // The colour a system colour stands for.
    virtual TColor SystemColor(TColor Color) = 0;
    // Whether the system has a font of this face name (not a substitute).
    virtual bool HasFontFace(TStringView Name) = 0;
    // Whether the program's windows read right to left (the user's language does).
    virtual bool RightToLeftReading() = 0;
    // The program's icon for its windows and taskbar button (bitmaps of several sizes).
    virtual void SetApplicationIcon(const TIcon& Icon) = 0;
    // Where the mouse pointer is now, in screen coordinates (not where a queued message
    // found it).
    virtual TPoint CursorPos() = 0;
    // Has the faces the layouts name (MS Sans Serif, Arial, Felix Titling) stand for
    // installed ones of the same metrics or look, where the system lacks them.
    virtual void SubstituteLayoutFaces() = 0;
    // Makes Alias name the installed face Family wherever a font asks for Alias.
    virtual void SetFontAlias(TStringView Alias, TStringView Family) = 0;
    // The folder the running program was started from, with a trailing "/".
    virtual TString ProgramFolder() = 0;
    // Starts the window system for a program, first thing in its entry (a test brings
    // its own start): the program's name as the desktop knows it, its command line, and
    // the language of the window system's own texts (dialog buttons), as a tag ("fr"). It
    // lasts as long as the session returned, which must outlive every control.
    virtual std::unique_ptr<TWSSession> Start(
        int& Argc, char** Argv, TStringView ApplicationName, TStringView Language)
        = 0;
    // Watches a wake-up handle (toolkit/platform/wakecounter.h) on the window thread, in
    // every loop it runs, nested ones too: OnWake each time the handle becomes readable,
    // OnIdle where the loop tells when it is about to wait. OnEnd runs once, when the
    // program's loop has ended or its application goes away; the handle is no longer
    // watched by then, so OnEnd may close it. False off the window thread or before the
    // window system has started.
    virtual bool WatchWakeHandle(std::intptr_t Handle, std::function<void()> OnWake,
        std::function<void()> OnIdle, std::function<void()> OnEnd)
        = 0;
};

// The widget set the program was linked with.
TWidgetSet& WidgetSet();
