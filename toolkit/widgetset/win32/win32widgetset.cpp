#include "toolkit/widgetset/win32/win32ws.h"

#include "toolkit/platform/windows/loader/systemfunction.h"

#include <commctrl.h>

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <mutex>

namespace win32ws {

HINSTANCE Instance()
{
    return GetModuleHandleW(nullptr);
}

namespace {
    const wchar_t* const MessageClass = L"ToolkitMessages";
    const wchar_t* const OwnerClass = L"ToolkitOwner";
    constexpr UINT_PTR DrainTimerId = 1;
    constexpr UINT_PTR FirstTimerId = 16;
    // Posted work runs this many items at a time: the next batch waits behind the input,
    // paints and timers that came meanwhile.
    constexpr std::size_t DrainBatch = 64;
    // A worker thread that posts faster than the window thread runs the work waits once
    // this many items are queued, rather than growing the queue without end.
    constexpr std::size_t MaxQueued = 100000;
    // How deep a menu may nest: a menu is the program's own, but a cycle of nothing but
    // sub-menus must not run the stack out.
    constexpr int MaxMenuDepth = 16;

    LRESULT CALLBACK HiddenProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam)
    {
        try {
            if (HiddenWindowMessage(Msg, WParam, LParam)) {
                return 0;
            }
        } catch (...) {
            ReportFailure();
            return 0;
        }
        return DefWindowProcW(Wnd, Msg, WParam, LParam);
    }

    class TTimer;
    // The timers by their identifier, on the window thread only.
    std::map<UINT_PTR, TTimer*>& Timers()
    {
        static std::map<UINT_PTR, TTimer*> All;
        return All;
    }

    // A precise window timer: one the system keeps to its deadline rather than coalesce
    // it with other wake-ups (Windows 8 and later; before, a plain one). It comes at the
    // first tick of the system's clock after its deadline, at most 16 ms late on a
    // Windows at its default timer resolution: the program does not raise that
    // resolution, which would cost the whole machine's power all day. A window timer
    // costs nothing between its ticks, is never late by a backlog (the system makes
    // WM_TIMER only when the queue is empty, one at a time) and ticks through Windows'
    // own modal loops.
    UINT_PTR SetPreciseTimer(HWND Window, UINT_PTR Id, UINT Elapse)
    {
        static const auto SetCoalescable
            = SystemFunction<UINT_PTR(WINAPI*)(HWND, UINT_PTR, UINT, TIMERPROC, ULONG)>(
                L"user32.dll", "SetCoalescableTimer");
        constexpr ULONG NoCoalescing = 0xFFFFFFFF; // TIMERV_NO_COALESCING
        return SetCoalescable ? SetCoalescable(Window, Id, Elapse, nullptr, NoCoalescing)
                              : SetTimer(Window, Id, Elapse, nullptr);
    }

    // Timers are window timers of the hidden window, by the timer's identifier; precise
    // ones are not coalesced. A single-shot timer's system timer is left running through
    // its tick and killed after it only if the tick did not start it again: a timer armed
    // anew (the second beat, each second) replaces the system's in one call, and none when
    // armed from its own tick for the period the system's already runs with, which then
    // goes on from the deadline just passed (the beat, while its ticks keep their place
    // in the second, costs no call).
    class TTimer : public TWSTimer {
    public:
        explicit TTimer(std::function<void()> OnTick)
            : FOnTick(std::move(OnTick))
        {
            static UINT_PTR Next = FirstTimerId;
            FId = Next++;
            Timers()[FId] = this;
        }
        ~TTimer() override
        {
            Stop();
            Timers().erase(FId);
        }
        void Start(int IntervalMs, bool SingleShot, bool Precise) override
        {
            FSingleShot = SingleShot;
            const UINT Elapse = UINT(std::clamp(IntervalMs, int(USER_TIMER_MINIMUM), 0x7FFFFFFF));
            if (FTicking && FWindowTimer && Elapse == FElapse && Precise == FPrecise) {
                FActive = true;
                return;
            }
            HWND Hidden = TApp::Get().MessageWindow();
            FActive = (Precise ? SetPreciseTimer(Hidden, FId, Elapse)
                               : SetTimer(Hidden, FId, Elapse, nullptr))
                != 0;
            FWindowTimer = FWindowTimer || FActive;
            FElapse = Elapse;
            FPrecise = Precise;
        }
        void Stop() override
        {
            FActive = false;
            // Only a window timer that was set: each KillTimer is a call into the system
            // (a round trip to Wine's server).
            if (FWindowTimer) {
                KillTimer(TApp::Get().MessageWindow(), FId);
                FWindowTimer = false;
            }
        }
        bool Active() const override { return FActive; }

        void Tick()
        {
            if (!FActive) {
                Stop(); // a tick of a timer stopped meanwhile
                return;
            }
            if (FSingleShot) {
                FActive = false;
            }
            const UINT_PTR Id = FId;
            FTicking = true;
            FOnTick();
            // The tick may have destroyed its timer (identifiers are never used again).
            auto Found = Timers().find(Id);
            if (Found != Timers().end()) {
                Found->second->FTicking = false;
                if (!Found->second->FActive) {
                    Found->second->Stop();
                }
            }
        }

    private:
        std::function<void()> FOnTick;
        UINT_PTR FId = 0;
        bool FSingleShot = false;
        bool FActive = false;
        bool FWindowTimer = false;
        bool FTicking = false; // in its tick: the system's timer has just fired
        UINT FElapse = 0; // the system timer's period and kind, while FWindowTimer
        bool FPrecise = false;
    };

    // Work posted from any thread, run on the window thread.
    class TPostQueue {
    public:
        void Post(std::function<void()> Work)
        {
            std::unique_lock Lock(FLock);
            if (GetCurrentThreadId() != FWindowThread) {
                FRoom.wait(Lock, [this] { return FWork.size() < MaxQueued; });
            }
            FWork.push_back(std::move(Work));
            if (!FWakePosted && TApp::Get().MessageWindow()) {
                FWakePosted = PostMessageW(TApp::Get().MessageWindow(), WM_WS_POST, 0, 0);
            }
        }

        // Posted messages come before input, paints and timers, which Windows makes only
        // when no posted message waits: a worker that posts without pause would starve them.
        // So when one of them is waiting, the work waits for a timer tick of its own, which
        // comes once they are handled.
        void Drain(bool FromTimer)
        {
            HWND Hidden = TApp::Get().MessageWindow();
            if (FromTimer) {
                KillTimer(Hidden, DrainTimerId);
            } else if (HIWORD(GetQueueStatus(QS_INPUT | QS_PAINT | QS_TIMER)) != 0) {
                SetTimer(Hidden, DrainTimerId, USER_TIMER_MINIMUM, nullptr);
                return;
            }
            std::vector<std::function<void()>> Batch;
            {
                std::lock_guard Lock(FLock);
                const std::size_t Count = std::min(FWork.size(), DrainBatch);
                for (std::size_t i = 0; i < Count; ++i) {
                    Batch.push_back(std::move(FWork.front()));
                    FWork.pop_front();
                }
                // The rest is asked for before this batch runs: a modal loop that the work
                // opens (a message box) keeps running what comes next.
                FWakePosted = !FWork.empty() && PostMessageW(Hidden, WM_WS_POST, 0, 0);
                if (!FWork.empty() && !FWakePosted) {
                    FWakePosted = SetTimer(Hidden, DrainTimerId, USER_TIMER_MINIMUM, nullptr) != 0;
                }
            }
            FRoom.notify_all();
            for (auto& Work : Batch) {
                try {
                    Work();
                } catch (...) {
                    ReportFailure();
                }
            }
        }

        // Work posted before the hidden window existed.
        void Started(DWORD WindowThread)
        {
            std::lock_guard Lock(FLock);
            FWindowThread = WindowThread;
            if (!FWork.empty() && !FWakePosted) {
                FWakePosted = PostMessageW(TApp::Get().MessageWindow(), WM_WS_POST, 0, 0);
            }
        }

    private:
        std::mutex FLock;
        std::condition_variable FRoom;
        std::deque<std::function<void()>> FWork;
        bool FWakePosted = false;
        DWORD FWindowThread = 0;
    };

    TPostQueue& PostQueue()
    {
        static TPostQueue Queue;
        return Queue;
    }

    bool IsMouseMessage(UINT Msg)
    {
        return Msg >= WM_MOUSEFIRST && Msg <= WM_MOUSELAST;
    }

    // One queued message: mouse messages pass the application's hook first, addressed to
    // the window that receives them, as the Qt side does: a press on a native control
    // (a button, an edit) is the control's, so that a hook that moves the form by a
    // press on it lets the control have its own. The position is in the receiver's
    // client area, as Windows gives it.
    void Dispatch(MSG& M)
    {
        if (IsMouseMessage(M.message) && TApp::Get().Client) {
            TMsg Hooked { reinterpret_cast<TWindowHandle>(M.hwnd), M.message, M.wParam, M.lParam,
                { int(M.pt.x), int(M.pt.y) } };
            try {
                if (TApp::Get().Client->WSQueuedMessage(Hooked)) {
                    return;
                }
            } catch (...) {
                ReportFailure();
                return;
            }
        }
        TranslateMessage(&M);
        DispatchMessageW(&M);
    }

    HMENU BuildMenu(const std::vector<TWSMenuEntry>& Entries, int Depth)
    {
        HMENU Menu = CreatePopupMenu();
        if (!Menu) {
            return nullptr;
        }
        for (const TWSMenuEntry& Entry : Entries) {
            const auto* Caption = reinterpret_cast<const wchar_t*>(Entry.Caption.c_str());
            const UINT Grayed = Entry.Enabled ? 0 : MF_GRAYED;
            if (Entry.Caption == u"-") {
                AppendMenuW(Menu, MF_SEPARATOR, 0, nullptr);
            } else if (!Entry.Children.empty() && Depth < MaxMenuDepth) {
                if (HMENU Sub = BuildMenu(Entry.Children, Depth + 1)) {
                    AppendMenuW(Menu, MF_POPUP | Grayed, UINT_PTR(Sub), Caption);
                }
            } else {
                AppendMenuW(Menu, MF_STRING | Grayed, UINT_PTR(UINT(Entry.Command)), Caption);
            }
        }
        return Menu;
    }

    BOOL CALLBACK SetIconOf(HWND Wnd, LPARAM)
    {
        wchar_t Class[32] = {};
        if (GetClassNameW(Wnd, Class, 32) && std::wstring_view(Class) == FormClass) {
            SendMessageW(Wnd, WM_SETICON, ICON_BIG, LPARAM(TApp::Get().BigIcon));
            SendMessageW(Wnd, WM_SETICON, ICON_SMALL, LPARAM(TApp::Get().SmallIcon));
        }
        return TRUE;
    }
}

TApp& TApp::Get()
{
    static TApp App;
    return App;
}

void TApp::Start()
{
    if (FMessageWindow) {
        return;
    }
    RegisterClasses(Instance());
    WNDCLASSEXW Class {};
    Class.cbSize = sizeof(WNDCLASSEXW);
    Class.lpfnWndProc = HiddenProc;
    Class.hInstance = Instance();
    Class.lpszClassName = MessageClass;
    RegisterClassExW(&Class);
    Class.lpfnWndProc = DefWindowProcW;
    Class.lpszClassName = OwnerClass;
    RegisterClassExW(&Class);
    // Timers and posted work go to a message-only window: Windows' own modal loops (a
    // move, a menu, a message box) dispatch its messages as any other.
    FMessageWindow = CreateWindowExW(
        0, MessageClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, Instance(), nullptr);
    // Menus need a top-level window that can be brought to the foreground; never shown.
    FOwnerWindow = CreateWindowExW(WS_EX_TOOLWINDOW, OwnerClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr,
        nullptr, Instance(), nullptr);
    PostQueue().Started(GetCurrentThreadId());
}

bool HiddenWindowMessage(UINT Msg, WPARAM WParam, LPARAM LParam)
{
    switch (Msg) {
    case WM_WS_POST: {
        TPaintScope Paints;
        PostQueue().Drain(false);
        return true;
    }
    case WM_TIMER: {
        TPaintScope Paints;
        if (WParam == DrainTimerId) {
            PostQueue().Drain(true);
            return true;
        }
        auto Found = Timers().find(UINT_PTR(WParam));
        if (Found != Timers().end()) {
            Found->second->Tick();
        }
        return true;
    }
    case WM_WS_QUIT:
        PostQuitMessage(int(WParam));
        return true;
    default:
        return false;
    }
}

namespace {

    class TWin32WidgetSet : public TWidgetSet {
    public:
        TWin32WidgetSet() { TApp::Get().Start(); }

        std::unique_ptr<TWSForm> CreateForm(IWSClient* Client) override { return MakeForm(Client); }
        std::unique_ptr<TWSGraphicControl> CreateGraphicControl(IWSClient* Client) override
        {
            return MakeGraphicControl(Client);
        }
        std::unique_ptr<TWSLabel> CreateLabel(IWSClient* Client) override
        {
            return MakeLabel(Client);
        }
        std::unique_ptr<TWSButton> CreateButton(IWSClient* Client) override
        {
            return MakeButton(Client);
        }
        std::unique_ptr<TWSEdit> CreateEdit(IWSClient* Client) override { return MakeEdit(Client); }
        std::unique_ptr<TWSComboBox> CreateComboBox(IWSClient* Client) override
        {
            return MakeComboBox(Client);
        }
        std::unique_ptr<TWSRadioButton> CreateRadioButton(IWSClient* Client) override
        {
            return MakeRadioButton(Client);
        }
        std::unique_ptr<TWSSpinEdit> CreateSpinEdit(IWSClient* Client) override
        {
            return MakeSpinEdit(Client);
        }
        std::unique_ptr<TWSCustomControl> CreateCustomControl(IWSClient* Client) override
        {
            return MakeCustomControl(Client);
        }
        std::unique_ptr<TWSMessageWindow> CreateMessageWindow(IWSClient* Client) override
        {
            return MakeMessageWindow(Client);
        }
        std::unique_ptr<TWSTimer> CreateTimer(std::function<void()> OnTick) override
        {
            return std::make_unique<TTimer>(std::move(OnTick));
        }

        void Initialize(IWSApplicationClient* Client) override { TApp::Get().Client = Client; }
        bool Available() const override { return true; }
        // Windows has those faces, or maps them itself (FontSubstitutes in the registry).
        void SubstituteLayoutFaces() override { }

        int Run() override
        {
            MSG M {};
            for (;;) {
                const BOOL Got = GetMessageW(&M, nullptr, 0, 0);
                if (Got == 0) {
                    EndWakeWatch(); // the program's loop has ended
                    return int(M.wParam);
                }
                if (Got < 0) {
                    return 1;
                }
                Dispatch(M);
            }
        }

        // What is queued now, bounded: a message that queues another each time it is
        // handled must not keep this call from returning.
        void ProcessMessages() override
        {
            MSG M {};
            for (int i = 0; i < 10000 && PeekMessageW(&M, nullptr, 0, 0, PM_REMOVE); ++i) {
                if (M.message == WM_QUIT) {
                    PostQuitMessage(int(M.wParam)); // for the loop that Run is in
                    return;
                }
                Dispatch(M);
            }
        }

        void Quit(int ExitCode) override
        {
            if (GetWindowThreadProcessId(TApp::Get().MessageWindow(), nullptr)
                == GetCurrentThreadId()) {
                PostQuitMessage(ExitCode);
            } else {
                PostMessageW(TApp::Get().MessageWindow(), WM_WS_QUIT, WPARAM(ExitCode), 0);
            }
        }

        void Post(std::function<void()> Work) override { PostQueue().Post(std::move(Work)); }

        // The tray's rule: the menu's owner in the foreground first, and a message posted
        // to it after, or the menu does not close when the user clicks elsewhere.
        int PopupMenu(const std::vector<TWSMenuEntry>& Entries, TPoint At) override
        {
            HMENU Menu = BuildMenu(Entries, 0);
            if (!Menu) {
                return 0;
            }
            HWND Owner = OwnForegroundWindow();
            if (!Owner) {
                Owner = TApp::Get().OwnerWindow();
                SetForegroundWindow(Owner);
            }
            const int Command = int(TrackPopupMenu(Menu,
                TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, At.X, At.Y, 0, Owner, nullptr));
            PostMessageW(Owner, WM_NULL, 0, 0);
            DestroyMenu(Menu);
            return Command;
        }

        bool OpenFileDialog(TStringView Title,
            const std::vector<std::pair<TString, TString>>& Filters, int& FilterIndex,
            TString& FileName, TWindowHandle Owner) override
        {
            return ShowOpenFileDialog(Title, Filters, FilterIndex, FileName, Owner);
        }

        TTextMetrics FontMetrics(const TFont& Font) override { return MetricsOf(Font); }
        TSize TextExtent(const TFont& Font, TStringView Text) override
        {
            return ExtentOf(Font, Text);
        }

        TColor SystemColor(TColor Color) override
        {
            return (Color & 0xFF000000) == clSystemColor ? TColor(GetSysColor(int(Color & 0xFF)))
                                                         : Color;
        }

        bool HasFontFace(TStringView Name) override
        {
            LOGFONTW Wanted {};
            Wanted.lfCharSet = DEFAULT_CHARSET;
            const size_t Length = std::min<size_t>(Name.size(), LF_FACESIZE - 1);
            std::copy_n(Name.data(), Length, reinterpret_cast<char16_t*>(Wanted.lfFaceName));
            bool Found = false;
            HDC Dc = GetDC(nullptr);
            EnumFontFamiliesExW(
                Dc, &Wanted,
                [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM Data) -> int {
                    *reinterpret_cast<bool*>(Data) = true;
                    return 0; // one is enough
                },
                reinterpret_cast<LPARAM>(&Found), 0);
            ReleaseDC(nullptr, Dc);
            return Found;
        }

        bool RightToLeftReading() override
        {
            DWORD Layout = 0;
            return GetProcessDefaultLayout(&Layout) && (Layout & LAYOUT_RTL) != 0;
        }

        // Where the pointer is now (GetCursorPos), not where a queued message found it.
        TPoint CursorPos() override
        {
            POINT P {};
            GetCursorPos(&P);
            return { int(P.x), int(P.y) };
        }

        void SetFontAlias(TStringView Alias, TStringView Family) override
        {
            SetFaceAlias(Alias, Family);
        }
        TString ProgramFolder() override { return ModuleFolder(); }
        bool WatchWakeHandle(std::intptr_t Handle, std::function<void()> OnWake,
            std::function<void()>, std::function<void()> OnEnd) override
        {
            return WatchWake(Handle, std::move(OnWake), std::move(OnEnd));
        }
        // The windows' classes are registered with the widget set; Windows' own texts are
        // in the system's language.
        std::unique_ptr<TWSSession> Start(int&, char**, TStringView, TStringView) override
        {
            return std::make_unique<TWSSession>();
        }
        // The notification area reports right clicks to the icon's window, where the
        // model shows its menu through PopupMenu: it takes no menu of its own.
        std::unique_ptr<TWSMenu> CreateMenu(
            const std::vector<TWSMenuEntry>&, std::function<void(int)>) override
        {
            return nullptr;
        }
        std::unique_ptr<TWSIcon> CreateIcon(const TIcon& Icon) override
        {
            return CreateTrayIcon(Icon);
        }

        void SetApplicationIcon(const TIcon& Icon) override
        {
            const std::vector<TBitmap32>& Images = Icon.Images();
            TApp& App = TApp::Get();
            HICON OldBig = App.BigIcon, OldSmall = App.SmallIcon;
            const TBitmap32* Big = Nearest(Images, GetSystemMetrics(SM_CXICON));
            const TBitmap32* Small = Nearest(Images, GetSystemMetrics(SM_CXSMICON));
            App.BigIcon = Big ? IconOf(*Big) : nullptr;
            App.SmallIcon = Small ? IconOf(*Small) : nullptr;
            EnumThreadWindows(GetCurrentThreadId(), SetIconOf, 0);
            for (HICON Old : { OldBig, OldSmall }) {
                if (Old) {
                    DestroyIcon(Old);
                }
            }
        }
    };
}

}

TWidgetSet& WidgetSet()
{
    static win32ws::TWin32WidgetSet Set;
    return Set;
}
