#pragma once

// The Windows API side of the widget set: what its source files share. Nothing outside
// toolkit/widgetset/win32 includes this header; the program reaches the widget set
// through WidgetSet() alone.

#include "toolkit/widgetset/widgetset.h"

#include <windows.h>
// windows.h names TextOutW this way, which would rename the canvas's method.
#undef TextOut

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

namespace win32ws {

// An icon of the bitmap (256 pixels a side at most, else null), which the caller destroys.
HICON IconOf(const TBitmap32& Image);
// The image whose width is nearest Size (of those 256 pixels a side at most); null if none.
const TBitmap32* Nearest(const std::vector<TBitmap32>& Images, int Size);
std::unique_ptr<TWSIcon> CreateTrayIcon(const TIcon& Icon);

enum class TKind { Form, Graphic, Label, Button, Edit, ComboBox, Radio, SpinEdit, Custom };

// The state every control's window object keeps, whatever its kind. Windowed kinds own
// a window (Wnd); graphic ones have none and are painted by the nearest windowed
// ancestor (their host) into its double buffer, in stacking order.
class TNode {
public:
    TNode(IWSClient* AClient, TKind AKind);
    ~TNode();
    TNode(const TNode&) = delete;
    TNode& operator=(const TNode&) = delete;

    bool Windowed() const { return Kind != TKind::Graphic && Kind != TKind::Label; }
    // The window this node's pixels are in, and where its client area lies in that window.
    HWND HostWindow() const;
    TPoint OffsetInHost() const;

    void SetParent(TNode* NewParent, TNode* Above);
    void SetBounds(const TRect& NewBounds);
    void SetVisible(bool Value);
    void SetEnabled(bool Value);
    void SetFont(const TFont& Value);
    void Raise();
    void Invalidate();
    void Repaint();
    bool HasFocus() const;
    void SetFocus();
    bool TakesTabFocus() const;
    TPoint ClientToScreen(TPoint P) const;
    TPoint ScreenToClient(TPoint P) const;
    TWindowHandle Handle() const;

    // Paints Area (client coordinates) of this node and its graphic children into Dc,
    // whose pixel (0, 0) is client point Origin of this node.
    void PaintInto(HDC Dc, std::uint32_t* Bits, TSize BufferSize, TPoint Origin, const TRect& Area);
    // The double-buffered WM_PAINT of a window that paints itself.
    void PaintWindow();
    // Area (client coordinates) painted into a buffer of its size and copied into Dc in
    // one blit, so that the window never shows a half-drawn face.
    void PaintBuffered(HDC Dc, const TRect& Area);
    // The button style of a radio button (its type and BS_LEFTTEXT).
    DWORD RadioStyle() const;
    // The topmost visible graphic child under a client point, for its cursor.
    TNode* GraphicChildAt(TPoint P) const;
    TSize WindowSizeFor(TSize Client) const; // the outer size of a form for a client size

    // Makes the window when the node has a host to put it in (forms at once).
    void EnsureWindow();
    void AdoptHost(TNode* Above);
    void CreateNativeWindow(HWND Parent);
    void CreateFormWindow(HWND Parent); // forms and custom controls
    void PlaceWindow();
    void ApplyFont();
    LRESULT FormMessage(UINT Msg, WPARAM WParam, LPARAM LParam, bool& Done);
    bool ForwardToModel(UINT Msg, WPARAM WParam, LPARAM LParam, LRESULT& Result);
    void ReportBounds();
    void InvalidateTransparentAbove(const TRect& AreaInHost);

    IWSClient* const Client;
    const TKind Kind;
    TNode* Parent = nullptr;
    std::vector<TNode*> Children; // bottom first
    HWND Wnd = nullptr;
    HWND Buddy = nullptr; // the spin edit's up-down control
    HWND LastFocus = nullptr; // a form's: its control that had the focus when it was left
    WNDPROC SystemProc = nullptr; // the system class's procedure under our subclass
    TRect Bounds;
    bool Visible = false;
    bool Enabled = true;
    bool HasOwnFont = false;
    TFont Font;
    HFONT WindowFont = nullptr; // owned; the one given to a native control (WM_SETFONT)
    TCursor Cursor = TCursor::crDefault;
    TString Caption;
    // Forms.
    TWSBorder Border = TWSBorder::None;
    bool StayOnTop = false;
    bool FixedSize = true;
    TColor Color = clBtnFace;
    HBRUSH ColorBrush = nullptr; // owned; the background of native controls on it
    COLORREF BrushColor = 0; // the colour ColorBrush was made in
    bool PlacingWindow = false; // our own SetWindowPos: not reported back
    // Custom controls and radio buttons.
    bool Transparent = false;
    bool Checked = false;
    // A message window: no input, no focus, every message of its own range to the model.
    bool MessageOnly = false;
    bool LeftText = false; // radio buttons: BS_LEFTTEXT
    bool OwnerDraw = false; // radio buttons: BS_OWNERDRAW, painted as a transparent control
    std::vector<TString> Items;
};

// While one is open (a timer's tick, a batch of posted work: where the clock's changes
// come from), the graphic controls' invalidations in windows that paint themselves wait,
// and are painted when it closes, through the window's device context. WM_PAINT would
// cost a message and the system's update-region bookkeeping for each change (under Wine
// each a round trip to its server); a change outside these stays a WM_PAINT. A scope
// opened inside another (a tick in a modal loop opened by a tick) paints what waits at
// its start, so nothing waits for the modal loop to end.
class TPaintScope {
public:
    TPaintScope();
    ~TPaintScope();
    TPaintScope(const TPaintScope&) = delete;
    TPaintScope& operator=(const TPaintScope&) = delete;
    // Takes Area of Host's client area when a scope is open and Host paints itself.
    static bool Defer(HWND Host, const TRect& Area);
    // Paints now what waits (a repaint asked for inside a scope).
    static void PaintWaiting();
};

// The node behind a window of ours (our classes and the subclassed native ones).
TNode* NodeOf(HWND Wnd);
void AttachNode(HWND Wnd, TNode* Node);
void DetachNode(HWND Wnd, const TNode* Node);

// Window classes, registered once with the widget set's start.
extern const wchar_t* const FormClass;
extern const wchar_t* const CustomClass;
void RegisterClasses(HINSTANCE Instance);
HINSTANCE Instance();
LRESULT CALLBACK NativeProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
bool LoadUpDownClass();
// Input and focus messages, which go to the model before the window handles them.
bool IsModelInput(UINT Msg);
bool IsNotification(UINT Msg); // focus and enabling: told, never swallowed
// WM_COMMAND, WM_NOTIFY and the colour questions a window's native children send it.
LRESULT ChildNotification(TNode& Host, UINT Msg, WPARAM WParam, LPARAM LParam, bool& Done);

inline RECT RectOf(const TRect& R)
{
    return { R.Left, R.Top, R.Right, R.Bottom };
}

// Colours: TColor is a COLORREF (red in the low byte); system colours are resolved.
COLORREF ColorRef(TColor Color);
std::uint32_t PixelOf(TColor Color); // 0xFFRRGGBB as a 32-bit DIB holds it

// One HFONT per font for painting and measuring, made on first use and kept (bounded).
HFONT CachedFont(const TFont& Font);
// Quality: the texts the widget set paints are smoothed in grey on every system, and
// Wine realises such a font without asking the X resources (on disk, for each context
// the default quality is set up in); the native controls' text follows the system's
// setting (DEFAULT_QUALITY).
HFONT CreateFontFor(const TFont& Font, DWORD Quality = ANTIALIASED_QUALITY);
void ClearFontCache();
// The fonts made with a stand-in face try their own face again at their next use: the
// system's fonts changed (WM_FONTCHANGE).
void RetryStandInFonts();
// Alias names Family from now on: the face a font asks for is mapped before GDI makes it.
void SetFaceAlias(TStringView Alias, TStringView Family);
TTextMetrics MetricsOf(const TFont& Font);
// The metrics of the face as GDI draws it (MetricsOf gives the line the layouts measure,
// which for the digit face is not the drawn face's own).
TTextMetrics DrawnMetricsOf(const TFont& Font);
TSize ExtentOf(const TFont& Font, TStringView Text);

// A 32-bit top-down DIB section selected into a memory DC: the double buffer, at least
// the size asked for (Size() tells), its pixel (0, 0) at the top left.
class TBuffer {
public:
    explicit TBuffer(TSize Size);
    ~TBuffer();
    TBuffer(const TBuffer&) = delete;
    TBuffer& operator=(const TBuffer&) = delete;
    bool Valid() const { return FBits != nullptr; }
    HDC Dc() const { return FDc; }
    std::uint32_t* Bits() const { return FBits; }
    TSize Size() const { return FSize; }

private:
    TSize FSize;
    HDC FDc = nullptr;
    HBITMAP FBitmap = nullptr;
    HGDIOBJ FOld = nullptr;
    std::uint32_t* FBits = nullptr;
    bool FKept = false; // the kept buffer, larger than asked for
};

// The drawing primitives over a double buffer, for one control: its client point (0, 0)
// at buffer pixel Offset, nothing drawn outside Clip (buffer pixels).
class TCanvas : public IWSCanvas {
public:
    TCanvas(HDC Dc, std::uint32_t* Bits, TSize Size, TPoint Offset, const TRect& Clip);
    void FillRect(const TRect& Area, TColor Color) override;
    void DrawBitmap(int X, int Y, const TBitmap32& Bitmap) override;
    void DrawBitmap(
        int X, int Y, const TBitmap32& Bitmap, const TRect& Source, bool Opaque) override;
    void TextOut(const TFont& Font, const TBrush& Brush, int X, int Y, TStringView Text,
        const TRect* Clip) override;
    void SetPixel(int X, int Y, TColor Color) override;
    void Arc(double X, double Y, double W, double H, int StartDegrees, int SpanDegrees,
        TColor Color) override;
    void FillEllipse(double X, double Y, double W, double H, TColor Color) override;
    void SetRightToLeftReading(bool Value) override { FRightToLeft = Value; }

private:
    void Blend(int BX, int BY, std::uint32_t Pixel, double Coverage);

    HDC FDc;
    std::uint32_t* FBits;
    TSize FSize;
    TPoint FOffset;
    TRect FClip;
    bool FRightToLeft = false;
};

// The application side: the hidden window that takes timers and posted work, the menu
// owner, the loop's hook and the program's icons.
class TApp {
public:
    static TApp& Get();
    void Start();
    HWND MessageWindow() const { return FMessageWindow; }
    HWND OwnerWindow() const { return FOwnerWindow; }
    IWSApplicationClient* Client = nullptr;
    HICON BigIcon = nullptr;
    HICON SmallIcon = nullptr;

private:
    HWND FMessageWindow = nullptr;
    HWND FOwnerWindow = nullptr;
};

// Holds the node of one window object, so that a control handed back through the
// contract (a parent, the sibling above) finds its node.
class TNodeHolder {
public:
    TNodeHolder(IWSClient* Client, TKind Kind)
        : FNode(Client, Kind)
    {
    }
    virtual ~TNodeHolder() = default;
    TNode FNode;
};
TNode* NodeOfControl(TWSControl* Control);

// The requests every kind answers the same way, forwarded to the node.
template <class TBase>
class TControlOf : public TBase, public TNodeHolder {
public:
    TControlOf(IWSClient* Client, TKind Kind)
        : TBase(Client)
        , TNodeHolder(Client, Kind)
    {
    }
    void SetParent(TWSControl* Parent, TWSControl* Above) override
    {
        FNode.SetParent(NodeOfControl(Parent), NodeOfControl(Above));
    }
    void SetBounds(const TRect& Bounds) override { FNode.SetBounds(Bounds); }
    void SetVisible(bool Value) override { FNode.SetVisible(Value); }
    bool IsVisible() const override { return FNode.Visible; }
    void SetEnabled(bool Value) override { FNode.SetEnabled(Value); }
    void SetFont(const TFont& Font) override { FNode.SetFont(Font); }
    void SetCursor(TCursor Cursor) override { FNode.Cursor = Cursor; }
    void Raise() override { FNode.Raise(); }
    void Invalidate() override { FNode.Invalidate(); }
    void Repaint() override { FNode.Repaint(); }
    bool HasFocus() const override { return FNode.HasFocus(); }
    void SetFocus() override { FNode.SetFocus(); }
    void SetFocusByTab(bool) override
    {
        FNode.SetFocus();
        // As the dialog manager does: the text of a field tabbed into is selected.
        if (FNode.Wnd && (FNode.Kind == TKind::Edit || FNode.Kind == TKind::SpinEdit)) {
            SendMessageW(FNode.Wnd, EM_SETSEL, 0, -1);
        } else if (FNode.Wnd && FNode.Kind == TKind::ComboBox) {
            SendMessageW(FNode.Wnd, CB_SETEDITSEL, 0, MAKELPARAM(0, 0xFFFF));
        }
    }
    bool TakesTabFocus() const override { return FNode.TakesTabFocus(); }
    TPoint ClientToScreen(TPoint P) const override { return FNode.ClientToScreen(P); }
    TPoint ScreenToClient(TPoint P) const override { return FNode.ScreenToClient(P); }
    TWindowHandle Handle() const override { return FNode.Handle(); }
};

// The window objects of each kind (win32controls.cpp, win32native.cpp).
std::unique_ptr<TWSForm> MakeForm(IWSClient* Client);
std::unique_ptr<TWSGraphicControl> MakeGraphicControl(IWSClient* Client);
std::unique_ptr<TWSLabel> MakeLabel(IWSClient* Client);
std::unique_ptr<TWSCustomControl> MakeCustomControl(IWSClient* Client);
std::unique_ptr<TWSMessageWindow> MakeMessageWindow(IWSClient* Client);
std::unique_ptr<TWSButton> MakeButton(IWSClient* Client);
std::unique_ptr<TWSEdit> MakeEdit(IWSClient* Client);
std::unique_ptr<TWSComboBox> MakeComboBox(IWSClient* Client);
std::unique_ptr<TWSRadioButton> MakeRadioButton(IWSClient* Client);
std::unique_ptr<TWSSpinEdit> MakeSpinEdit(IWSClient* Client);

// Watches a wake-up handle for the window thread's loops (win32wake.cpp); its end, when
// the loop ends, stops the watch before OnEnd.
bool WatchWake(std::intptr_t Handle, std::function<void()> OnWake, std::function<void()> OnEnd);
void EndWakeWatch();

// The folder of the running .exe, with "/" between the names and at the end.
TString ModuleFolder();

// The foreground window when it is the program's own, for menus and dialogs.
HWND OwnForegroundWindow();
// The system's file-open dialog, for TWidgetSet::OpenFileDialog.
bool ShowOpenFileDialog(TStringView Title, const std::vector<std::pair<TString, TString>>& Filters,
    int& FilterIndex, TString& FileName, TWindowHandle Owner);

// A window's text, and text set on a window.
TString TextOfWindow(HWND Wnd);
void SetTextOfWindow(HWND Wnd, TStringView Text);

// A failure escaping the model at a window procedure or posted work: an exception must
// not unwind through the system's frames, so it ends here in an error box.
void ReportFailure();

// The private messages of the hidden window.
constexpr UINT WM_WS_POST = WM_APP + 1; // posted work waits
constexpr UINT WM_WS_QUIT = WM_APP + 3; // Quit from another thread

// Handles a message of the hidden window; false: not one of its own.
bool HiddenWindowMessage(UINT Msg, WPARAM WParam, LPARAM LParam);

}
