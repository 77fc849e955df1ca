// The windows that paint themselves (forms, custom controls): their double-buffered
// paint, which draws the windowless controls on them too, and their messages; the form,
// label and custom control kinds.
#include "toolkit/widgetset/win32/win32ws.h"

#include <algorithm>

namespace win32ws {

namespace {
    DWORD FormStyle(const TNode& Node)
    {
        DWORD Style = WS_CLIPCHILDREN;
        switch (Node.Border) {
        case TWSBorder::None:
            Style |= WS_POPUP;
            break;
        case TWSBorder::Dialog:
            Style |= WS_POPUP | WS_CAPTION | WS_SYSMENU;
            break;
        case TWSBorder::Sizeable:
            Style |= WS_OVERLAPPEDWINDOW;
            if (Node.FixedSize) {
                Style &= ~DWORD(WS_THICKFRAME | WS_MAXIMIZEBOX);
            }
            break;
        }
        return Style;
    }
}

// --- painting ------------------------------------------------------------------------------

void TNode::PaintInto(
    HDC Dc, std::uint32_t* Bits, TSize BufferSize, TPoint Origin, const TRect& Area)
{
    const TRect Clip
        = TRect::FromSize(Area.Left - Origin.X, Area.Top - Origin.Y, Area.Width(), Area.Height());
    TCanvas Canvas(Dc, Bits, BufferSize, { -Origin.X, -Origin.Y }, Clip);
    if (Kind == TKind::Form) {
        Canvas.FillRect(Area, Color);
    } else if (Kind == TKind::Custom || (Kind == TKind::Radio && OwnerDraw)) {
        if ((Transparent || Kind == TKind::Radio) && Parent) {
            // The parent's pixels under it first, its graphic children included.
            const TPoint At = Bounds.TopLeft();
            Parent->PaintInto(Dc, Bits, BufferSize, { Origin.X + At.X, Origin.Y + At.Y },
                TRect::FromSize(Area.Left + At.X, Area.Top + At.Y, Area.Width(), Area.Height()));
        } else {
            const TNode* Form = Parent;
            while (Form && Form->Kind != TKind::Form) {
                Form = Form->Parent;
            }
            Canvas.FillRect(Area, Form ? Form->Color : clBtnFace);
        }
    }
    if (Kind == TKind::Label) {
        // A label draws its caption itself, its base line where its measured line puts
        // it, over its background unless it is transparent.
        if (!Transparent) {
            Canvas.FillRect(Area, Color);
        }
        const int Top = MetricsOf(Font).Ascent - DrawnMetricsOf(Font).Ascent;
        Canvas.TextOut(Font, { clWhite, TBrushStyle::bsClear }, 0, Top, Caption, nullptr);
    }
    Client->WSPaint(Canvas, Area);
    for (TNode* Child : Children) {
        if (Child->Windowed() || !Child->Visible) {
            continue;
        }
        const TRect Common = Area.Intersected(Child->Bounds);
        if (Common.IsEmpty()) {
            continue;
        }
        const TPoint At = Child->Bounds.TopLeft();
        Child->PaintInto(Dc, Bits, BufferSize, { Origin.X - At.X, Origin.Y - At.Y },
            TRect::FromSize(
                Common.Left - At.X, Common.Top - At.Y, Common.Width(), Common.Height()));
    }
}

void TNode::PaintBuffered(HDC Dc, const TRect& Area)
{
    if (!Dc || Area.IsEmpty()) {
        return;
    }
    TBuffer Buffer(Area.Size());
    if (Buffer.Valid()) {
        PaintInto(Buffer.Dc(), Buffer.Bits(), Buffer.Size(), Area.TopLeft(), Area);
        GdiFlush();
        BitBlt(Dc, Area.Left, Area.Top, Area.Width(), Area.Height(), Buffer.Dc(), 0, 0, SRCCOPY);
    }
}

void TNode::PaintWindow()
{
    PAINTSTRUCT Paint {};
    HDC Dc = BeginPaint(Wnd, &Paint);
    PaintBuffered(
        Dc, { Paint.rcPaint.left, Paint.rcPaint.top, Paint.rcPaint.right, Paint.rcPaint.bottom });
    EndPaint(Wnd, &Paint);
}

namespace {
    int OpenPaintScopes = 0;
    // What waits for the scope's end: per window, the rectangle around its areas.
    std::vector<std::pair<HWND, TRect>>& DeferredPaints()
    {
        static std::vector<std::pair<HWND, TRect>> Waiting;
        return Waiting;
    }
}

void TPaintScope::PaintWaiting()
{
    const auto Waiting = std::move(DeferredPaints());
    DeferredPaints().clear();
    for (const auto& [Wnd, Area] : Waiting) {
        TNode* Node = NodeOf(Wnd);
        RECT Client {};
        if (!Node || !GetClientRect(Wnd, &Client)) {
            continue; // gone meanwhile
        }
        if (HDC Dc = GetDC(Wnd)) {
            try {
                Node->PaintBuffered(
                    Dc, Area.Intersected({ Client.left, Client.top, Client.right, Client.bottom }));
            } catch (...) {
                ReportFailure();
            }
            ReleaseDC(Wnd, Dc);
        }
    }
}

TPaintScope::TPaintScope()
{
    PaintWaiting();
    ++OpenPaintScopes;
}

TPaintScope::~TPaintScope()
{
    --OpenPaintScopes;
    PaintWaiting();
}

bool TPaintScope::Defer(HWND Host, const TRect& Area)
{
    const TNode* Node = OpenPaintScopes > 0 ? NodeOf(Host) : nullptr;
    if (!Node || (Node->Kind != TKind::Form && Node->Kind != TKind::Custom) || Node->MessageOnly) {
        return false;
    }
    for (auto& [Wnd, Waiting] : DeferredPaints()) {
        if (Wnd == Host) {
            Waiting = { std::min(Waiting.Left, Area.Left), std::min(Waiting.Top, Area.Top),
                std::max(Waiting.Right, Area.Right), std::max(Waiting.Bottom, Area.Bottom) };
            return true;
        }
    }
    DeferredPaints().emplace_back(Host, Area);
    return true;
}

// --- messages ------------------------------------------------------------------------------

bool TNode::ForwardToModel(UINT Msg, WPARAM WParam, LPARAM LParam, LRESULT& Result)
{
    TMessage Message { Msg, WParam, LParam, 0 };
    const bool Handled = Client->WSMessage(Message);
    Result = Message.Result;
    // The loop's TranslateMessage queued the key's character before the key came here:
    // a key the model handled gives no character as well (Enter would beep in an edit).
    if (Handled && Msg == WM_KEYDOWN && Wnd) {
        MSG Char {};
        PeekMessageW(&Char, Wnd, WM_CHAR, WM_CHAR, PM_REMOVE);
    }
    return Handled;
}

void TNode::ReportBounds()
{
    RECT Outer {}, Inner {};
    GetWindowRect(Wnd, &Outer);
    GetClientRect(Wnd, &Inner);
    if (IsIconic(Wnd)) {
        return;
    }
    Bounds = TRect::FromSize(Outer.left, Outer.top, Inner.right, Inner.bottom);
    Client->WSBoundsChanged(Bounds);
}

bool IsModelInput(UINT Msg)
{
    return (Msg >= WM_MOUSEFIRST && Msg <= WM_MBUTTONDBLCLK) || Msg == WM_KEYDOWN || Msg == WM_KEYUP
        || Msg == WM_CHAR || Msg == WM_CONTEXTMENU || IsNotification(Msg);
}
bool IsNotification(UINT Msg)
{
    return Msg == WM_SETFOCUS || Msg == WM_KILLFOCUS || Msg == WM_ENABLE;
}

namespace {
    HCURSOR CursorOf(TCursor Cursor)
    {
        switch (Cursor) {
        case TCursor::crSizeAll:
            return LoadCursorW(nullptr, IDC_SIZEALL);
        case TCursor::crHandPoint:
            return LoadCursorW(nullptr, IDC_HAND);
        case TCursor::crDefault:
            break;
        }
        return nullptr;
    }
}

// The messages of the windows that paint themselves: forms and custom controls.
LRESULT TNode::FormMessage(UINT Msg, WPARAM WParam, LPARAM LParam, bool& Done)
{
    Done = true;
    LRESULT Result = 0;
    if (MessageOnly && Msg >= WM_USER && Msg < 0xC000) {
        ForwardToModel(Msg, WParam, LParam, Result);
        return Result;
    }
    switch (Msg) {
    case WM_PAINT:
        PaintWindow();
        return 0;
    case WM_ERASEBKGND:
        return 1; // the paint covers everything
    case WM_CLOSE: {
        // The window may close unless the model says otherwise (Result 0).
        TMessage Message { WM_CLOSE, 0, 0, 1 };
        Client->WSMessage(Message);
        if (Message.Result != 0) {
            ShowWindow(Wnd, SW_HIDE);
        }
        return 0;
    }
    case WM_MOVE:
    case WM_SIZE:
        if (Kind == TKind::Form && !PlacingWindow) {
            ForwardToModel(Msg, WParam, LParam, Result);
            ReportBounds();
        }
        return 0;
    case WM_SHOWWINDOW:
        if (Kind == TKind::Form) {
            Visible = WParam != 0;
        }
        ForwardToModel(Msg, WParam, LParam, Result);
        break;
    case WM_ACTIVATE:
        // As a dialog does: a form activated gives the focus back to the control that had
        // it, or to its first control that takes the focus (Enter then presses "Fermer").
        if (Kind == TKind::Form && LOWORD(WParam) == WA_INACTIVE) {
            const HWND Focus = GetFocus();
            LastFocus = Focus && IsChild(Wnd, Focus) ? Focus : nullptr;
        } else if (Kind == TKind::Form && !HIWORD(WParam)) {
            const bool Back = LastFocus && IsChild(Wnd, LastFocus) && IsWindowVisible(LastFocus)
                && IsWindowEnabled(LastFocus);
            if (const HWND Target = Back ? LastFocus : GetNextDlgTabItem(Wnd, nullptr, FALSE)) {
                ::SetFocus(Target);
                return 0;
            }
        }
        break;
    case WM_FONTCHANGE:
        RetryStandInFonts();
        break;
    case WM_ACTIVATEAPP:
        if (WParam && TApp::Get().Client) {
            TApp::Get().Client->WSActivated();
        }
        break;
    case WM_SETCURSOR:
        if (LOWORD(LParam) == HTCLIENT && HWND(WParam) == Wnd) {
            POINT P {};
            GetCursorPos(&P);
            ::ScreenToClient(Wnd, &P);
            const TNode* Under = GraphicChildAt({ int(P.x), int(P.y) });
            if (HCURSOR Shape
                = CursorOf(Under && Under->Cursor != TCursor::crDefault ? Under->Cursor : Cursor)) {
                ::SetCursor(Shape);
                return TRUE;
            }
        }
        break;
    case WM_NCDESTROY:
        DetachNode(Wnd, this);
        Wnd = nullptr;
        break;
    default:
        if (IsModelInput(Msg) && ForwardToModel(Msg, WParam, LParam, Result)
            && !IsNotification(Msg)) {
            return Result;
        }
        return ChildNotification(*this, Msg, WParam, LParam, Done);
    }
    Done = false;
    return 0;
}

LRESULT CALLBACK OwnWindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam)
{
    if (Msg == WM_NCCREATE) {
        auto* Node = static_cast<TNode*>(reinterpret_cast<CREATESTRUCTW*>(LParam)->lpCreateParams);
        Node->Wnd = Wnd;
        AttachNode(Wnd, Node);
    }
    if (TNode* Node = NodeOf(Wnd)) {
        try {
            bool Done = false;
            const LRESULT Result = Node->FormMessage(Msg, WParam, LParam, Done);
            if (Done) {
                return Result;
            }
        } catch (...) {
            ReportFailure();
            return 0;
        }
    }
    return DefWindowProcW(Wnd, Msg, WParam, LParam);
}

void RegisterClasses(HINSTANCE Module)
{
    WNDCLASSEXW Class {};
    Class.cbSize = sizeof(WNDCLASSEXW);
    // Each window keeps its own device context: the paints of every second get it as it
    // was left, where a context of the common cache is set up anew each time (under Wine
    // its default font is realised again, a look-up of the X resources on disk).
    Class.style = CS_DBLCLKS | CS_OWNDC;
    Class.lpfnWndProc = OwnWindowProc;
    Class.hInstance = Module;
    Class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    Class.lpszClassName = FormClass;
    RegisterClassExW(&Class);
    Class.lpszClassName = CustomClass;
    RegisterClassExW(&Class);
}

// --- forms, graphic controls, labels, custom controls ------------------------------------

namespace {

    class TForm : public TControlOf<TWSForm> {
    public:
        explicit TForm(IWSClient* Client)
            : TControlOf(Client, TKind::Form)
        {
            FNode.EnsureWindow();
        }
        void SetCaption(TStringView Caption) override
        {
            FNode.Caption = TString(Caption);
            if (FNode.Wnd) {
                SetTextOfWindow(FNode.Wnd, Caption);
            }
        }
        void SetStyle(TWSBorder Border, bool StayOnTop, bool FixedSize) override
        {
            FNode.Border = Border;
            FNode.StayOnTop = StayOnTop;
            FNode.FixedSize = FixedSize;
            HWND Wnd = FNode.Wnd;
            if (!Wnd) {
                return;
            }
            const LONG_PTR Visible = GetWindowLongPtrW(Wnd, GWL_STYLE) & WS_VISIBLE;
            SetWindowLongPtrW(Wnd, GWL_STYLE, LONG_PTR(FormStyle(FNode)) | Visible);
            FNode.PlacingWindow = true;
            SetWindowPos(Wnd, StayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_FRAMECHANGED);
            FNode.PlacingWindow = false;
            FNode.PlaceWindow(); // the frame changed the outer size
        }
        void SetColor(TColor Color) override
        {
            if (FNode.Color == Color) {
                return;
            }
            FNode.Color = Color;
            FNode.Invalidate();
            // The native controls stand on the form's colour too (WM_CTLCOLORSTATIC):
            // they paint again with it.
            if (FNode.Wnd) {
                RedrawWindow(FNode.Wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
            }
        }
        TSize ClientSize() const override
        {
            RECT R {};
            if (!FNode.Wnd || !GetClientRect(FNode.Wnd, &R)) {
                return FNode.Bounds.Size();
            }
            return { int(R.right), int(R.bottom) };
        }
        TSize OuterSize() const override
        {
            RECT R {};
            if (!FNode.Wnd || !GetWindowRect(FNode.Wnd, &R)) {
                return FNode.Bounds.Size();
            }
            return { int(R.right - R.left), int(R.bottom - R.top) };
        }
        void ShowMinimized() override
        {
            if (FNode.Wnd) {
                ShowWindow(FNode.Wnd, SW_SHOWMINIMIZED);
            }
        }
        bool IsMinimized() const override { return FNode.Wnd && IsIconic(FNode.Wnd); }
        void Restore() override
        {
            if (IsMinimized()) {
                ShowWindow(FNode.Wnd, SW_RESTORE);
            }
        }
        void HandleNeeded() override { FNode.EnsureWindow(); }
        void BringToFront() override
        {
            if (!FNode.Wnd) {
                return;
            }
            if (IsIconic(FNode.Wnd)) {
                ShowWindow(FNode.Wnd, SW_RESTORE);
            }
            SetWindowPos(FNode.Wnd, FNode.StayOnTop ? HWND_TOPMOST : HWND_TOP, 0, 0, 0, 0,
                SWP_NOMOVE | SWP_NOSIZE);
            SetForegroundWindow(FNode.Wnd);
        }
        void Close() override
        {
            if (FNode.Wnd) {
                SendMessageW(FNode.Wnd, WM_CLOSE, 0, 0);
            }
        }
        void SetShape(const TRegion& Shape) override;
        // A region cuts the window: outside it nothing is drawn or taken, so there is nothing
        // to make see-through on Windows.
        void SetTranslucent(bool) override { }
    };

    // The region in one call: Windows keeps region data in the same banded order.
    void TForm::SetShape(const TRegion& Shape)
    {
        HWND Wnd = FNode.Wnd;
        if (!Wnd) {
            return;
        }
        if (Shape.IsEmpty()) {
            SetWindowRgn(Wnd, nullptr, TRUE);
            return;
        }
        const auto& Rects = Shape.Rects();
        std::vector<char> Data(sizeof(RGNDATAHEADER) + Rects.size() * sizeof(RECT));
        auto* Header = reinterpret_cast<RGNDATAHEADER*>(Data.data());
        Header->dwSize = sizeof(RGNDATAHEADER);
        Header->iType = RDH_RECTANGLES;
        Header->nCount = DWORD(Rects.size());
        Header->nRgnSize = DWORD(Rects.size() * sizeof(RECT));
        const TRect Box = Shape.BoundingRect();
        Header->rcBound = RectOf(Box);
        auto* Out = reinterpret_cast<RECT*>(Data.data() + sizeof(RGNDATAHEADER));
        for (std::size_t i = 0; i < Rects.size(); ++i) {
            Out[i] = RectOf(Rects[i]);
        }
        HRGN Region
            = ExtCreateRegion(nullptr, DWORD(Data.size()), reinterpret_cast<RGNDATA*>(Data.data()));
        if (!Region) {
            return;
        }
        // The shape is in client coordinates, the window region in the frame's.
        RECT Outer {};
        POINT Origin {};
        GetWindowRect(Wnd, &Outer);
        ::ClientToScreen(Wnd, &Origin);
        OffsetRgn(Region, Origin.x - Outer.left, Origin.y - Outer.top);
        if (!SetWindowRgn(Wnd, Region, TRUE)) {
            DeleteObject(Region);
        }
    }

    class TLabel : public TControlOf<TWSLabel> {
    public:
        explicit TLabel(IWSClient* Client)
            : TControlOf(Client, TKind::Label)
        {
        }
        void SetLabel(
            TStringView Caption, const TFont& Font, bool Transparent, TColor Background) override
        {
            if (FNode.Caption == Caption && FNode.Font == Font && FNode.Transparent == Transparent
                && FNode.Color == Background) {
                return;
            }
            FNode.Caption = TString(Caption);
            FNode.Font = Font;
            FNode.Transparent = Transparent;
            FNode.Color = Background;
            FNode.Invalidate();
        }
        TSize TextSize(TStringView Caption, const TFont& Font) const override
        {
            return ExtentOf(Font, Caption);
        }
        TTextMetrics Metrics(const TFont& Font) const override { return MetricsOf(Font); }
    };

    class TMessageWindow : public TControlOf<TWSMessageWindow> {
    public:
        explicit TMessageWindow(IWSClient* Client)
            : TControlOf(Client, TKind::Custom)
        {
            FNode.MessageOnly = true;
        }
        TWindowHandle Handle() const override { return reinterpret_cast<TWindowHandle>(FNode.Wnd); }
    };

    class TCustom : public TControlOf<TWSCustomControl> {
    public:
        explicit TCustom(IWSClient* Client)
            : TControlOf(Client, TKind::Custom)
        {
        }
        void SetTransparent(bool Value) override
        {
            if (FNode.Transparent != Value) {
                FNode.Transparent = Value;
                FNode.Invalidate();
            }
        }
    };
}

void TNode::CreateFormWindow(HWND Parent)
{
    const bool Form = Kind == TKind::Form;
    const DWORD Style = Form ? FormStyle(*this) : WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    // The window's first WM_MOVE and WM_SIZE come before the model has its window
    // object: they are not reported.
    PlacingWindow = true;
    CreateWindowExW(0, Form ? FormClass : CustomClass,
        reinterpret_cast<const wchar_t*>(Caption.c_str()), Style, Bounds.Left, Bounds.Top,
        Bounds.Width(), Bounds.Height(), Parent, nullptr, Instance(), this);
    PlacingWindow = false;
    if (Wnd && Form) {
        if (TApp::Get().BigIcon) {
            SendMessageW(Wnd, WM_SETICON, ICON_BIG, LPARAM(TApp::Get().BigIcon));
            SendMessageW(Wnd, WM_SETICON, ICON_SMALL, LPARAM(TApp::Get().SmallIcon));
        }
        PlaceWindow();
    }
}

std::unique_ptr<TWSForm> MakeForm(IWSClient* Client)
{
    return std::make_unique<TForm>(Client);
}
std::unique_ptr<TWSGraphicControl> MakeGraphicControl(IWSClient* Client)
{
    return std::make_unique<TControlOf<TWSGraphicControl>>(Client, TKind::Graphic);
}
std::unique_ptr<TWSLabel> MakeLabel(IWSClient* Client)
{
    return std::make_unique<TLabel>(Client);
}
std::unique_ptr<TWSCustomControl> MakeCustomControl(IWSClient* Client)
{
    return std::make_unique<TCustom>(Client);
}

std::unique_ptr<TWSMessageWindow> MakeMessageWindow(IWSClient* Client)
{
    return std::make_unique<TMessageWindow>(Client);
}

}
