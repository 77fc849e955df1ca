// The node every window object stands on: its place among its parent's children, its
// window when it has one, and the requests the contract makes of every kind.
#include "toolkit/core/sysutils.h"
#include "toolkit/widgetset/win32/win32ws.h"

#include <algorithm>
#include <unordered_map>

namespace win32ws {

namespace {
    // The node of each window the widget set made, kept in the program: a window
    // property would be a call into the system on every message (under Wine a round trip
    // to its server), and a window's user data may be set by code that made the window.
    // Windows live on the window thread, and only it asks.
    std::unordered_map<HWND, TNode*>& Nodes()
    {
        static std::unordered_map<HWND, TNode*> All;
        return All;
    }
}

const wchar_t* const FormClass = L"ToolkitForm";
const wchar_t* const CustomClass = L"ToolkitControl";

TNode* NodeOf(HWND Wnd)
{
    const auto Found = Wnd ? Nodes().find(Wnd) : Nodes().end();
    return Found != Nodes().end() ? Found->second : nullptr;
}
void AttachNode(HWND Wnd, TNode* Node)
{
    Nodes()[Wnd] = Node;
}
void DetachNode(HWND Wnd, const TNode* Node)
{
    // Only its own: a window destroyed with its parent, unseen, may have left its handle
    // to a later window.
    const auto Found = Nodes().find(Wnd);
    if (Found != Nodes().end() && Found->second == Node) {
        Nodes().erase(Found);
    }
}

TNode* NodeOfControl(TWSControl* Control)
{
    auto* Holder = dynamic_cast<TNodeHolder*>(Control);
    return Holder ? &Holder->FNode : nullptr;
}

TString TextOfWindow(HWND Wnd)
{
    const int Length = GetWindowTextLengthW(Wnd);
    if (Length <= 0) {
        return {};
    }
    std::wstring Text(std::size_t(Length) + 1, L'\0');
    const int Read = GetWindowTextW(Wnd, Text.data(), Length + 1);
    return TString(reinterpret_cast<const char16_t*>(Text.data()), std::size_t(std::max(Read, 0)));
}

void SetTextOfWindow(HWND Wnd, TStringView Text)
{
    const TString Copy(Text);
    SetWindowTextW(Wnd, reinterpret_cast<const wchar_t*>(Copy.c_str()));
}

TString ModuleFolder()
{
    // A path may be longer than MAX_PATH: the buffer grows until the name fits, up to the
    // longest path there is.
    std::wstring Name(MAX_PATH, L'\0');
    DWORD Length = 0;
    for (;;) {
        Length = GetModuleFileNameW(nullptr, Name.data(), DWORD(Name.size()));
        if (Length < Name.size() || Name.size() >= 32768) {
            break;
        }
        Name.resize(Name.size() * 2);
    }
    Name.resize(std::min<std::size_t>(Length, Name.size()));
    // The folder with "/" between names, as the program joins names to it.
    std::replace(Name.begin(), Name.end(), L'\\', L'/');
    Name.erase(Name.find_last_of(L'/') + 1);
    return TString(reinterpret_cast<const char16_t*>(Name.data()), Name.size());
}

void ReportFailure()
{
    TString Text;
    try {
        throw;
    } catch (const Exception& E) {
        Text = ErrorBoxText(E.Message());
    } catch (const std::exception& E) {
        Text = u"Erreur interne : " + Utf8ToString(E.what());
    } catch (...) {
        Text = u"Erreur inattendue.";
    }
    MessageBoxW(nullptr, reinterpret_cast<const wchar_t*>(Text.c_str()), L"Erreur",
        MB_ICONERROR | MB_OK | MB_TASKMODAL);
}

// --- the node ----------------------------------------------------------------------------

TNode::TNode(IWSClient* AClient, TKind AKind)
    : Client(AClient)
    , Kind(AKind)
{
}

TNode::~TNode()
{
    if (!Windowed() && Visible) {
        Invalidate();
    }
    if (Parent) {
        std::erase(Parent->Children, this);
    }
    for (TNode* Child : Children) {
        Child->Parent = nullptr;
    }
    if (Buddy) {
        DetachNode(Buddy, this);
        DestroyWindow(Buddy);
    }
    if (Wnd) {
        // The model's control is going: nothing the window says while it is destroyed
        // (a lost focus, say) may reach it. A native control gets its own procedure back.
        HWND Window = Wnd;
        DetachNode(Window, this);
        if (SystemProc) {
            SetWindowLongPtrW(Window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SystemProc));
        }
        Wnd = nullptr;
        DestroyWindow(Window);
    }
    if (WindowFont) {
        DeleteObject(WindowFont);
    }
    if (ColorBrush) {
        DeleteObject(ColorBrush);
    }
}

HWND TNode::HostWindow() const
{
    for (const TNode* N = this; N; N = N->Parent) {
        if (N->Windowed()) {
            return N->Wnd;
        }
    }
    return nullptr;
}

TPoint TNode::OffsetInHost() const
{
    TPoint Offset;
    for (const TNode* N = this; N && !N->Windowed(); N = N->Parent) {
        Offset.X += N->Bounds.Left;
        Offset.Y += N->Bounds.Top;
    }
    return Offset;
}

void TNode::SetParent(TNode* NewParent, TNode* Above)
{
    if (!Windowed() && Visible) {
        Invalidate();
    }
    if (Parent) {
        std::erase(Parent->Children, this);
    }
    Parent = NewParent;
    if (Parent) {
        auto At = std::find(Parent->Children.begin(), Parent->Children.end(), Above);
        Parent->Children.insert(At, this);
    }
    if (Kind == TKind::Form) {
        return; // forms stay top-level windows
    }
    if (!Windowed()) {
        if (Visible) {
            Invalidate();
        }
        return;
    }
    AdoptHost(Above);
}

// Puts the window under its parent's host window, making it when it has none yet.
void TNode::AdoptHost(TNode* Above)
{
    HWND Host = Parent ? Parent->HostWindow() : nullptr;
    if (!Wnd) {
        EnsureWindow();
        if (!Wnd) {
            return;
        }
    } else {
        // A control taken off every parent waits, hidden, under the owner window.
        HWND Target = Host ? Host : TApp::Get().OwnerWindow();
        if (!Host) {
            ShowWindow(Wnd, SW_HIDE);
        }
        ::SetParent(Wnd, Target);
        if (Buddy) {
            ::SetParent(Buddy, Target);
        }
    }
    HWND After = Above && Above->Wnd ? Above->Wnd : HWND_TOP;
    SetWindowPos(Wnd, After, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    PlaceWindow();
    if (Host && Visible) {
        ShowWindow(Wnd, SW_SHOWNA);
        if (Buddy) {
            ShowWindow(Buddy, SW_SHOWNA);
        }
    }
}

void TNode::EnsureWindow()
{
    if (!Windowed() || Wnd) {
        return;
    }
    if (Kind == TKind::Form) {
        CreateNativeWindow(nullptr);
    } else if (HWND Host = Parent ? Parent->HostWindow() : nullptr) {
        CreateNativeWindow(Host);
    }
    if (!Wnd) {
        return;
    }
    // Windowed children given to this node before it had a window get theirs now.
    for (TNode* Child : Children) {
        if (Child->Windowed() && !Child->Wnd) {
            Child->AdoptHost(nullptr);
        }
    }
}

TSize TNode::WindowSizeFor(TSize ClientSize) const
{
    if (Kind != TKind::Form || !Wnd) {
        return ClientSize;
    }
    RECT R { 0, 0, ClientSize.Width, ClientSize.Height };
    AdjustWindowRectEx(&R, DWORD(GetWindowLongPtrW(Wnd, GWL_STYLE)), FALSE,
        DWORD(GetWindowLongPtrW(Wnd, GWL_EXSTYLE)));
    return { int(R.right - R.left), int(R.bottom - R.top) };
}

void TNode::PlaceWindow()
{
    if (!Wnd) {
        return;
    }
    PlacingWindow = true;
    if (Kind == TKind::Form) {
        const TSize Outer = WindowSizeFor(Bounds.Size());
        SetWindowPos(Wnd, nullptr, Bounds.Left, Bounds.Top, Outer.Width, Outer.Height,
            SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        const TPoint At = Parent ? Parent->OffsetInHost() : TPoint {};
        const int X = Bounds.Left + At.X, Y = Bounds.Top + At.Y;
        int Width = std::max(Bounds.Width(), 0);
        int Height = std::max(Bounds.Height(), 0);
        if (Kind == TKind::ComboBox) {
            // A drop-down combo box's window height includes its open list.
            Height += 8 * std::max(Height, 16);
        }
        if (Buddy) {
            const int Arrows = std::min(GetSystemMetrics(SM_CXVSCROLL), Width / 2);
            Width -= Arrows;
            SetWindowPos(
                Buddy, nullptr, X + Width, Y, Arrows, Height, SWP_NOZORDER | SWP_NOACTIVATE);
        }
        SetWindowPos(Wnd, nullptr, X, Y, Width, Height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    PlacingWindow = false;
}

void TNode::SetBounds(const TRect& NewBounds)
{
    if (NewBounds == Bounds) {
        return;
    }
    if (!Windowed()) {
        if (Visible) {
            Invalidate();
        }
        Bounds = NewBounds;
        if (Visible) {
            Invalidate();
        }
        return;
    }
    Bounds = NewBounds;
    PlaceWindow();
}

void TNode::SetVisible(bool Value)
{
    if (!Windowed()) {
        if (Value != Visible) {
            Visible = Value;
            Invalidate();
        }
        return;
    }
    Visible = Value;
    if (Value) {
        EnsureWindow();
    }
    if (!Wnd) {
        return;
    }
    if (Kind == TKind::Form) {
        ShowWindow(Wnd, Value ? SW_SHOW : SW_HIDE);
        if (Value && StayOnTop) {
            SetWindowPos(Wnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
        return;
    }
    const bool Placed = Parent && Parent->HostWindow();
    ShowWindow(Wnd, Value && Placed ? SW_SHOWNA : SW_HIDE);
    if (Buddy) {
        ShowWindow(Buddy, Value && Placed ? SW_SHOWNA : SW_HIDE);
    }
}

void TNode::SetEnabled(bool Value)
{
    Enabled = Value;
    if (Wnd) {
        EnableWindow(Wnd, Value);
    }
    if (Buddy) {
        EnableWindow(Buddy, Value);
    }
    if (!Windowed()) {
        Invalidate();
    }
}

void TNode::SetFont(const TFont& Value)
{
    if (HasOwnFont && Font == Value) {
        return;
    }
    HasOwnFont = true;
    Font = Value;
    ApplyFont();
    Invalidate();
}

void TNode::ApplyFont()
{
    if (!Wnd || Kind == TKind::Form || Kind == TKind::Custom) {
        return;
    }
    HFONT Old = WindowFont;
    WindowFont = HasOwnFont ? CreateFontFor(Font, DEFAULT_QUALITY) : nullptr;
    HGDIOBJ Given = WindowFont ? WindowFont : GetStockObject(DEFAULT_GUI_FONT);
    SendMessageW(Wnd, WM_SETFONT, WPARAM(Given), TRUE);
    if (Old) {
        DeleteObject(Old);
    }
}

void TNode::Raise()
{
    if (Parent) {
        std::erase(Parent->Children, this);
        Parent->Children.push_back(this);
    }
    if (Wnd) {
        SetWindowPos(Wnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    } else {
        Invalidate();
    }
}

void TNode::Invalidate()
{
    if (Windowed()) {
        if (Wnd) {
            const bool Native = Kind != TKind::Form && Kind != TKind::Custom;
            InvalidateRect(Wnd, nullptr, Native);
            RECT Client {};
            GetClientRect(Wnd, &Client);
            InvalidateTransparentAbove({ Client.left, Client.top, Client.right, Client.bottom });
        }
        return;
    }
    HWND Host = HostWindow();
    if (!Host) {
        return;
    }
    const TPoint At = OffsetInHost();
    const TRect Area = TRect::FromSize(At.X, At.Y, Bounds.Width(), Bounds.Height());
    const RECT R = RectOf(Area);
    if (!TPaintScope::Defer(Host, Area)) {
        InvalidateRect(Host, &R, FALSE);
    }
    for (TNode* N = Parent; N; N = N->Parent) {
        if (N->Windowed()) {
            N->InvalidateTransparentAbove(Area);
            break;
        }
    }
}

// A transparent custom control shows its parent's pixels: when they change, so does it.
void TNode::InvalidateTransparentAbove(const TRect& AreaInHost)
{
    for (TNode* Child : Children) {
        if (Child->Kind != TKind::Custom || !Child->Transparent || !Child->Wnd || !Child->Visible) {
            continue;
        }
        const TRect Common = AreaInHost.Intersected(Child->Bounds);
        if (Common.IsEmpty()) {
            continue;
        }
        const RECT R = RectOf(TRect::FromSize(Common.Left - Child->Bounds.Left,
            Common.Top - Child->Bounds.Top, Common.Width(), Common.Height()));
        InvalidateRect(Child->Wnd, &R, FALSE);
    }
}

void TNode::Repaint()
{
    Invalidate();
    TPaintScope::PaintWaiting();
    if (HWND Host = HostWindow()) {
        UpdateWindow(Host);
    }
}

bool TNode::HasFocus() const
{
    if (!Wnd) {
        return false;
    }
    HWND Focus = GetFocus();
    return Focus == Wnd || (Kind == TKind::ComboBox && IsChild(Wnd, Focus));
}

void TNode::SetFocus()
{
    if (Wnd) {
        ::SetFocus(Wnd);
    }
}

bool TNode::TakesTabFocus() const
{
    if (!Windowed() || Kind == TKind::Form || MessageOnly || !Visible || !Enabled) {
        return false;
    }
    return !Wnd || (IsWindowVisible(Wnd) && IsWindowEnabled(Wnd));
}

TPoint TNode::ClientToScreen(TPoint P) const
{
    HWND Host = HostWindow();
    if (!Host) {
        return P;
    }
    const TPoint At = OffsetInHost();
    POINT Point { P.X + At.X, P.Y + At.Y };
    ::ClientToScreen(Host, &Point);
    return { int(Point.x), int(Point.y) };
}

TPoint TNode::ScreenToClient(TPoint P) const
{
    HWND Host = HostWindow();
    if (!Host) {
        return P;
    }
    const TPoint At = OffsetInHost();
    POINT Point { P.X, P.Y };
    ::ScreenToClient(Host, &Point);
    return { int(Point.x) - At.X, int(Point.y) - At.Y };
}

TWindowHandle TNode::Handle() const
{
    HWND Host = HostWindow();
    HWND Top = Host ? GetAncestor(Host, GA_ROOT) : nullptr;
    return reinterpret_cast<TWindowHandle>(Top);
}

TNode* TNode::GraphicChildAt(TPoint P) const
{
    for (auto It = Children.rbegin(); It != Children.rend(); ++It) {
        if (!(*It)->Windowed() && (*It)->Visible && (*It)->Bounds.Contains(P)) {
            return *It;
        }
    }
    return nullptr;
}

}
