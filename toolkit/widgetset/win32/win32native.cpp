#include "toolkit/widgetset/win32/win32ws.h"

#include "toolkit/platform/windows/loader/systemfunction.h"

#include <commctrl.h>
#include <commdlg.h>

namespace win32ws {

namespace {
    // WM_COMMAND's identifier of each native control (its low word); the controls are
    // found by their window, so a number used again after 65,000 controls does no harm.
    int NextControlId()
    {
        static int Next = 100;
        Next = Next >= 0xFF00 ? 100 : Next + 1;
        return Next;
    }

    // The colour the native controls of a window stand on: its form's.
    TColor FormColorOf(const TNode& Node)
    {
        for (const TNode* N = &Node; N; N = N->Parent) {
            if (N->Kind == TKind::Form) {
                return N->Color;
            }
        }
        return clBtnFace;
    }

}

void TNode::CreateNativeWindow(HWND Host)
{
    if (Kind == TKind::Form || Kind == TKind::Custom) {
        CreateFormWindow(Host);
        return;
    }
    const wchar_t* Class = L"BUTTON";
    DWORD Style = WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP;
    DWORD ExStyle = 0;
    switch (Kind) {
    case TKind::Button:
        Style |= BS_PUSHBUTTON;
        break;
    case TKind::Radio:
        Style |= RadioStyle();
        break;
    case TKind::Edit:
    case TKind::SpinEdit:
        Class = L"EDIT";
        Style |= ES_AUTOHSCROLL;
        ExStyle = WS_EX_CLIENTEDGE;
        break;
    case TKind::ComboBox:
        Class = L"COMBOBOX";
        Style |= CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL;
        break;
    default:
        return;
    }
    const TString Text = Kind == TKind::ComboBox ? TString() : Caption;
    Wnd = CreateWindowExW(ExStyle, Class, reinterpret_cast<const wchar_t*>(Text.c_str()), Style, 0,
        0, 0, 0, Host, reinterpret_cast<HMENU>(INT_PTR(NextControlId())), Instance(), nullptr);
    if (!Wnd) {
        return;
    }
    AttachNode(Wnd, this);
    SystemProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&NativeProc)));
    if (Kind == TKind::SpinEdit && LoadUpDownClass()) {
        // The arrows change nothing themselves (no buddy integer, no arrow keys of their
        // own): a press comes to the model as the arrow key it stands for.
        Buddy = CreateWindowExW(0, UPDOWN_CLASSW, nullptr, WS_CHILD, 0, 0, 0, 0, Host,
            reinterpret_cast<HMENU>(INT_PTR(NextControlId())), Instance(), nullptr);
        if (Buddy) {
            AttachNode(Buddy, this);
            SendMessageW(Buddy, UDM_SETBUDDY, WPARAM(Wnd), 0);
            SendMessageW(Buddy, UDM_SETRANGE32, 0, 100);
            SendMessageW(Buddy, UDM_SETPOS32, 0, 50);
        }
    }
    ApplyFont();
    if (Kind == TKind::ComboBox) {
        for (const TString& Item : Items) {
            SendMessageW(Wnd, CB_ADDSTRING, 0, LPARAM(Item.c_str()));
        }
        SetTextOfWindow(Wnd, Caption);
    }
    if (Kind == TKind::Radio && Checked) {
        SendMessageW(Wnd, BM_SETCHECK, BST_CHECKED, 0);
    }
    if (!Enabled) {
        SetEnabled(false);
    }
}

// The common controls' library, for the spin edits' arrows, is loaded when the first
// spin edit is made: a clock that never shows one does not keep it resident (about a
// megabyte under Wine). Without it a spin edit has no arrows and keeps its keys.
bool LoadUpDownClass()
{
    static const bool Loaded = [] {
        const auto Init = SystemFunction<BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*)>(
            L"comctl32.dll", "InitCommonControlsEx");
        const INITCOMMONCONTROLSEX Controls { sizeof(INITCOMMONCONTROLSEX), ICC_UPDOWN_CLASS };
        return Init && Init(&Controls);
    }();
    return Loaded;
}

DWORD TNode::RadioStyle() const
{
    // Never an automatic radio button: the check shown is the model's, which keeps the
    // group. The type field takes the owner-draw type whole.
    return (OwnerDraw ? DWORD(BS_OWNERDRAW) : DWORD(BS_RADIOBUTTON))
        | (LeftText ? DWORD(BS_LEFTTEXT) : 0);
}

// The procedure under the native controls' own: input goes to the model first, and
// what it handles the control never sees.
LRESULT CALLBACK NativeProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam)
{
    TNode* Node = NodeOf(Wnd);
    if (!Node || !Node->SystemProc) {
        return DefWindowProcW(Wnd, Msg, WParam, LParam);
    }
    const WNDPROC System = Node->SystemProc;
    if (Msg == WM_NCDESTROY) {
        SetWindowLongPtrW(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(System));
        DetachNode(Wnd, Node);
        Node->Wnd = nullptr;
        Node->SystemProc = nullptr;
        return CallWindowProcW(System, Wnd, Msg, WParam, LParam);
    }
    if (IsModelInput(Msg)) {
        try {
            LRESULT Result = 0;
            if (Node->ForwardToModel(Msg, WParam, LParam, Result) && !IsNotification(Msg)) {
                return Result;
            }
        } catch (...) {
            ReportFailure();
            return 0;
        }
    }
    return CallWindowProcW(System, Wnd, Msg, WParam, LParam);
}

LRESULT ChildNotification(TNode& Host, UINT Msg, WPARAM WParam, LPARAM LParam, bool& Done)
{
    Done = true;
    switch (Msg) {
    case WM_COMMAND: {
        TNode* Child = NodeOf(reinterpret_cast<HWND>(LParam));
        if (!Child || Child == &Host) {
            break;
        }
        if (Child->Kind == TKind::Radio && HIWORD(WParam) == BN_CLICKED) {
            // A click on the radio button that is checked already changes nothing, and
            // the model hears of changes only, as it does of SetChecked's; the model
            // unchecks the others of its group.
            if (Child->Checked) {
                return 0;
            }
            Child->Checked = true;
            SendMessageW(Child->Wnd, BM_SETCHECK, BST_CHECKED, 0);
        }
        TMessage Message { WM_COMMAND, WParam, LParam, 0 };
        Child->Client->WSMessage(Message);
        return 0;
    }
    case WM_NOTIFY: {
        const auto* Header = reinterpret_cast<const NMHDR*>(LParam);
        TNode* Child = Header ? NodeOf(Header->hwndFrom) : nullptr;
        if (!Child || Child->Kind != TKind::SpinEdit || Header->code != UDN_DELTAPOS) {
            break;
        }
        const auto* Delta = reinterpret_cast<const NMUPDOWN*>(LParam);
        if (Child->Wnd && GetFocus() != Child->Wnd) {
            ::SetFocus(Child->Wnd);
        }
        TMessage Message { WM_KEYDOWN, WPARAM(Delta->iDelta > 0 ? VK_UP : VK_DOWN), 0, 0 };
        Child->Client->WSMessage(Message);
        return 1; // the up-down keeps its position: the model owns the value
    }
    case WM_DRAWITEM: {
        const auto* Item = reinterpret_cast<const DRAWITEMSTRUCT*>(LParam);
        TNode* Child = Item ? NodeOf(Item->hwndItem) : nullptr;
        if (!Child || Child->Kind != TKind::Radio || !Child->OwnerDraw) {
            break;
        }
        Child->PaintBuffered(
            Item->hDC, TRect::FromSize(0, 0, Child->Bounds.Width(), Child->Bounds.Height()));
        return TRUE;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
        TNode* Child = NodeOf(reinterpret_cast<HWND>(LParam));
        if (!Child || (Child->Kind != TKind::Radio && Child->Kind != TKind::Button)) {
            break;
        }
        // Radio buttons and buttons stand on the form's colour, not the system's grey.
        const TColor Color = FormColorOf(Host);
        // Made again when the form's colour (or the system's) changed since.
        if (!Host.ColorBrush || Host.BrushColor != ColorRef(Color)) {
            if (Host.ColorBrush) {
                DeleteObject(Host.ColorBrush);
            }
            Host.BrushColor = ColorRef(Color);
            Host.ColorBrush = CreateSolidBrush(Host.BrushColor);
        }
        HDC Dc = reinterpret_cast<HDC>(WParam);
        SetBkColor(Dc, ColorRef(Color));
        if (Child->HasOwnFont) {
            SetTextColor(Dc, ColorRef(Child->Font.Color));
        }
        return reinterpret_cast<LRESULT>(Host.ColorBrush);
    }
    default:
        break;
    }
    Done = false;
    return 0;
}

namespace {

    class TButton : public TControlOf<TWSButton> {
    public:
        explicit TButton(IWSClient* Client)
            : TControlOf(Client, TKind::Button)
        {
        }
        void SetCaption(TStringView Caption) override
        {
            FNode.Caption = TString(Caption);
            if (FNode.Wnd) {
                SetTextOfWindow(FNode.Wnd, Caption);
            }
        }
    };

    // The edit kinds keep their text in the window once it is made.
    template <class TBase>
    class TTextControl : public TControlOf<TBase> {
    public:
        using TControlOf<TBase>::TControlOf;
        using TControlOf<TBase>::FNode;
        TString Text() const override
        {
            return FNode.Wnd ? TextOfWindow(FNode.Wnd) : FNode.Caption;
        }
        void SetText(TStringView Text) override
        {
            FNode.Caption = TString(Text);
            if (FNode.Wnd) {
                SetTextOfWindow(FNode.Wnd, Text);
            }
        }
    };

    class TComboBox : public TTextControl<TWSComboBox> {
    public:
        explicit TComboBox(IWSClient* Client)
            : TTextControl(Client, TKind::ComboBox)
        {
        }
        void SetItems(const std::vector<TString>& Items) override
        {
            FNode.Items = Items;
            if (!FNode.Wnd) {
                return;
            }
            // Emptying the list empties the edit field too: the text is kept across.
            const TString Kept = TextOfWindow(FNode.Wnd);
            SendMessageW(FNode.Wnd, CB_RESETCONTENT, 0, 0);
            for (const TString& Item : Items) {
                SendMessageW(FNode.Wnd, CB_ADDSTRING, 0, LPARAM(Item.c_str()));
            }
            SetTextOfWindow(FNode.Wnd, Kept);
        }
    };

    class TRadioButton : public TControlOf<TWSRadioButton> {
    public:
        explicit TRadioButton(IWSClient* Client)
            : TControlOf(Client, TKind::Radio)
        {
        }
        void SetCaption(TStringView Caption) override
        {
            FNode.Caption = TString(Caption);
            if (FNode.Wnd) {
                SetTextOfWindow(FNode.Wnd, Caption);
            }
        }
        bool Checked() const override { return FNode.Checked; }
        void SetLeftText(bool Value) override
        {
            FNode.LeftText = Value;
            Restyle();
        }
        void SetOwnerDraw(bool Value) override
        {
            FNode.OwnerDraw = Value;
            Restyle();
            if (!Value && FNode.Wnd) {
                SendMessageW(
                    FNode.Wnd, BM_SETCHECK, FNode.Checked ? BST_CHECKED : BST_UNCHECKED, 0);
            }
        }
        // Checking one tells its model, as a click does (BN_CLICKED).
        void SetChecked(bool Value) override
        {
            const bool Was = FNode.Checked;
            FNode.Checked = Value;
            if (FNode.Wnd) {
                SendMessageW(FNode.Wnd, BM_SETCHECK, Value ? BST_CHECKED : BST_UNCHECKED, 0);
            }
            if (Value && !Was) {
                TMessage Message { WM_COMMAND, MakeWParam(0, BN_CLICKED),
                    reinterpret_cast<LPARAM>(FNode.Wnd), 0 };
                FNode.Client->WSMessage(Message);
            }
        }

    private:
        void Restyle()
        {
            if (FNode.Wnd) {
                SendMessageW(FNode.Wnd, BM_SETSTYLE, FNode.RadioStyle(), TRUE);
            }
        }
    };
}

std::unique_ptr<TWSButton> MakeButton(IWSClient* Client)
{
    return std::make_unique<TButton>(Client);
}
std::unique_ptr<TWSEdit> MakeEdit(IWSClient* Client)
{
    return std::make_unique<TTextControl<TWSEdit>>(Client, TKind::Edit);
}
std::unique_ptr<TWSComboBox> MakeComboBox(IWSClient* Client)
{
    return std::make_unique<TComboBox>(Client);
}
std::unique_ptr<TWSRadioButton> MakeRadioButton(IWSClient* Client)
{
    return std::make_unique<TRadioButton>(Client);
}
std::unique_ptr<TWSSpinEdit> MakeSpinEdit(IWSClient* Client)
{
    return std::make_unique<TTextControl<TWSSpinEdit>>(Client, TKind::SpinEdit);
}

// The foreground window when it is the program's own, for menus and dialogs.
HWND OwnForegroundWindow()
{
    HWND Foreground = GetForegroundWindow();
    DWORD Process = 0;
    GetWindowThreadProcessId(Foreground, &Process);
    return Foreground && Process == GetCurrentProcessId() ? Foreground : nullptr;
}

namespace {
    // The file dialog's library is loaded when the dialog first opens, not with the
    // program: it brings the printing service (and under Wine, CUPS, GnuTLS and Kerberos
    // with it), some megabytes a clock that never opens the dialog would keep resident.
    struct TFileDialogs {
        decltype(&GetOpenFileNameW) Open
            = SystemFunction<decltype(&GetOpenFileNameW)>(L"comdlg32.dll", "GetOpenFileNameW");
        decltype(&CommDlgExtendedError) LastError = SystemFunction<decltype(&CommDlgExtendedError)>(
            L"comdlg32.dll", "CommDlgExtendedError");
    };

    const TFileDialogs& FileDialogs()
    {
        static const TFileDialogs Loaded;
        return Loaded;
    }

    std::wstring NoNul(TStringView Text)
    {
        std::wstring Wide(reinterpret_cast<const wchar_t*>(Text.data()), Text.size());
        std::replace(Wide.begin(), Wide.end(), L'\0', L' ');
        return Wide;
    }
}

bool ShowOpenFileDialog(TStringView Title, const std::vector<std::pair<TString, TString>>& Filters,
    int& FilterIndex, TString& FileName, TWindowHandle Owner)
{
    std::wstring Filter;
    for (const auto& [Description, Patterns] : Filters) {
        Filter += NoNul(Description) + L'\0' + NoNul(Patterns) + L'\0';
    }
    Filter += L'\0';
    const std::wstring Caption = NoNul(Title);
    // The longest path the dialog gives back.
    std::vector<wchar_t> Name(32768, L'\0');
    const std::wstring Initial = NoNul(FileName).substr(0, Name.size() - 1);
    std::copy(Initial.begin(), Initial.end(), Name.begin());
    OPENFILENAMEW Open {};
    Open.lStructSize = sizeof(Open);
    Open.hwndOwner = Owner ? reinterpret_cast<HWND>(Owner) : OwnForegroundWindow();
    Open.lpstrFilter = Filters.empty() ? nullptr : Filter.c_str();
    Open.nFilterIndex = DWORD(std::max(FilterIndex, 0));
    Open.lpstrFile = Name.data();
    Open.nMaxFile = DWORD(Name.size());
    // No title of the program's own: the system's ("Ouvrir"), not an empty caption.
    Open.lpstrTitle = Caption.empty() ? nullptr : Caption.c_str();
    Open.Flags
        = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    const TFileDialogs& Dialogs = FileDialogs();
    if (!Dialogs.Open || !Dialogs.LastError) {
        return false; // no dialog to show: as if it were cancelled
    }
    BOOL Chosen = Dialogs.Open(&Open);
    if (!Chosen && Dialogs.LastError() == FNERR_INVALIDFILENAME) {
        // A start name the dialog refuses (a stale setting): it opens without one.
        std::fill(Name.begin(), Name.end(), L'\0');
        Chosen = Dialogs.Open(&Open);
    }
    if (!Chosen) {
        return false;
    }
    FileName = TString(reinterpret_cast<const char16_t*>(Name.data()));
    FilterIndex = int(Open.nFilterIndex);
    return true;
}

}
