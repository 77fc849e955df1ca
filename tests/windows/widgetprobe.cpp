// Drives the Win32 widget set through WidgetSet() directly, as the control model will,
// and prints what its window objects report (tests/desktop/test_windows.py reads it):
//   show    a shaped form with a label, a picture, a button, an edit, a combo box, a
//           radio pair, an owner-drawn radio button, a spin edit and a transparent
//           custom control; prints the shape's pixel count and each control's place
//           on the screen, then one line per event until the form is closed
//   post    a worker thread posts work without pause while a timer ticks; prints how
//           much was posted and run and how often the timer ticked meanwhile
//   beat    a precise single-shot timer armed for just after each of five seconds of
//           the local clock; prints how late each tick came (ms)
//   paint   a clock-sized form (220 × 100, a picture, the time and a long date) painted
//           again and again; prints the time of one whole repaint (µs), then how many
//           pixels differ once it is repainted a narrow band at a time
//   font <file> <face>
//           measures "88:88" in <face> before and after the font file is added for the
//           program alone, as the platform's font service adds the digit font, and a
//           form is sent WM_FONTCHANGE, then
//           in an alias named for <face>; prints the program's folder
#include "toolkit/platform/windowmanager.h"
#include "toolkit/widgetset/widgetset.h"

#include <windows.h>
// windows.h names TextOutW this way, which would rename the canvas's method.
#undef TextOut

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {
void Print(const char* Format, ...)
{
    va_list Args;
    va_start(Args, Format);
    std::vprintf(Format, Args);
    va_end(Args);
    std::printf("\n");
    std::fflush(stdout);
}

std::string Narrow(TStringView Text)
{
    return StringToUtf8(Text);
}

// A client that prints what it is told, with a hook for the cases that answer.
class TProbeClient : public IWSClient {
public:
    TProbeClient(const char* AName)
        : Name(AName)
    {
    }
    bool WSMessage(TMessage& M) override { return OnMessage ? OnMessage(M) : false; }
    void WSBoundsChanged(const TRect& Bounds) override
    {
        Print("bounds %s %d %d %d %d", Name, Bounds.Left, Bounds.Top, Bounds.Width(),
            Bounds.Height());
    }
    void WSPaint(IWSCanvas& Canvas, const TRect& Area) override
    {
        if (OnPaint) {
            OnPaint(Canvas, Area);
        }
    }
    const char* Name;
    std::function<bool(TMessage&)> OnMessage;
    std::function<void(IWSCanvas&, const TRect&)> OnPaint;
};

class TAppClient : public IWSApplicationClient {
public:
    // Right and middle presses as the loop's hook sees them: the cursor on the screen,
    // the window (the form's or another) and the position in the receiving control.
    bool WSQueuedMessage(TMsg& M) override
    {
        if (M.message == WM_RBUTTONDOWN || M.message == WM_MBUTTONDOWN) {
            Print("hook %u %d %d %s %d %d", unsigned(M.message), M.pt.X, M.pt.Y,
                M.hwnd == Form ? "form" : "other", LParamX(M.lParam), LParamY(M.lParam));
        }
        return false;
    }
    TWindowHandle Form = nullptr;
    void WSActivated() override { }
};

// A control's place on the screen: its bounds in the form's client area, moved to where
// the form's client area lies.
void PrintPlace(const char* Name, const TWSForm& Form, const TRect& Bounds)
{
    const TPoint At = Form.ClientToScreen(Bounds.TopLeft());
    Print("at %s %d %d %d %d", Name, At.X, At.Y, Bounds.Width(), Bounds.Height());
}

int CommandOf(const TMessage& M)
{
    return M.Msg == WM_COMMAND ? int(M.WParam >> 16) : -1;
}

int Show()
{
    TWidgetSet& WS = WidgetSet();
    TAppClient AppClient;
    WS.Initialize(&AppClient);

    const TFont Text { u"Tahoma", 20, false, false, clBlack };
    TProbeClient FormClient("form"), LabelClient("label"), PictureClient("picture"),
        NightClient("nuit"), ButtonClient("bouton"), EditClient("edit"), ComboClient("combo"),
        OneClient("un"), TwoClient("deux"), SpinClient("spin"), CustomClient("custom"),
        ThreeClient("trois");
    std::unique_ptr<TWSForm> Form = WS.CreateForm(&FormClient);
    Form->SetStyle(TWSBorder::None, false, true);
    Form->SetCaption(u"Sonde");
    Form->SetColor(clWhite);
    Form->SetBounds(TRect::FromSize(100, 100, 360, 240));
    // A green band across the form, under the custom control too.
    FormClient.OnPaint = [](IWSCanvas& C, const TRect&) {
        C.FillRect(TRect::FromSize(0, 200, 360, 16), RGBColor(0, 160, 0));
    };

    std::vector<std::pair<const char*, TRect>> Places { { "form",
        TRect::FromSize(0, 0, 360, 240) } };
    auto Make = [&](auto Control, const TRect& Bounds) {
        Places.emplace_back(static_cast<TProbeClient*>(Control->Client())->Name, Bounds);
        Control->SetParent(Form.get(), nullptr);
        Control->SetBounds(Bounds);
        Control->SetVisible(true);
        return Control;
    };
    auto Label = Make(WS.CreateLabel(&LabelClient), TRect::FromSize(10, 10, 200, 30));
    TString Caption = u"Veludor 12:34";
    Label->SetLabel(Caption, Text, true, clWhite);
    // An opaque label: its own background under its text.
    auto Night = Make(WS.CreateLabel(&NightClient), TRect::FromSize(10, 160, 120, 26));
    Night->SetLabel(u"Nuit", { u"Tahoma", 20, true, false, clWhite }, false, clBlack);
    const TTextMetrics Metrics = Label->Metrics(Text);
    const TSize Extent = Label->TextSize(Caption, Text);
    Print("metrics %d %d %d extent %d %d", Metrics.Ascent, Metrics.Descent, Metrics.Height,
        Extent.Width, Extent.Height);
    auto Picture = Make(WS.CreateGraphicControl(&PictureClient), TRect::FromSize(220, 10, 40, 40));
    const TBitmap32 HalfRed(40, 40, 0x80FF0000u);
    PictureClient.OnPaint = [&](IWSCanvas& C, const TRect&) { C.DrawBitmap(0, 0, HalfRed); };
    auto Button = Make(WS.CreateButton(&ButtonClient), TRect::FromSize(10, 50, 100, 28));
    Button->SetCaption(u"&Bouton");
    auto Edit = Make(WS.CreateEdit(&EditClient), TRect::FromSize(120, 50, 100, 24));
    Edit->SetText(u"texte");
    auto Combo = Make(WS.CreateComboBox(&ComboClient), TRect::FromSize(230, 50, 120, 24));
    Combo->SetItems({ u"rouge", u"vert", u"bleu" });
    Combo->SetText(u"vert");
    auto One = Make(WS.CreateRadioButton(&OneClient), TRect::FromSize(10, 90, 80, 20));
    auto Two = Make(WS.CreateRadioButton(&TwoClient), TRect::FromSize(100, 90, 80, 20));
    One->SetCaption(u"Un");
    Two->SetCaption(u"Deux");
    // Owner-drawn across the band's top edge: a blue dot over the form's own pixels.
    auto Three = Make(WS.CreateRadioButton(&ThreeClient), TRect::FromSize(135, 195, 60, 24));
    Three->SetOwnerDraw(true);
    ThreeClient.OnPaint = [](IWSCanvas& C, const TRect&) { C.FillEllipse(2, 2, 12, 12, clBlue); };
    auto Spin = Make(WS.CreateSpinEdit(&SpinClient), TRect::FromSize(10, 120, 80, 24));
    Spin->SetText(u"5");
    auto Custom = Make(WS.CreateCustomControl(&CustomClient), TRect::FromSize(200, 150, 100, 80));
    Custom->SetTransparent(true);
    CustomClient.OnPaint = [](IWSCanvas& C, const TRect&) { C.FillEllipse(25, 5, 50, 40, clBlue); };

    // What the controls report.
    for (TProbeClient* Client : { &ButtonClient, &EditClient, &ComboClient }) {
        Client->OnMessage = [&, Client](TMessage& M) {
            if (M.Msg == WM_COMMAND) {
                Print("command %s %d", Client->Name, CommandOf(M));
            }
            // The button changes the label: only the label's rectangle is painted again.
            if (Client == &ButtonClient && CommandOf(M) == BN_CLICKED) {
                Caption = u"Réveil 07:30";
                Label->SetLabel(Caption, Text, true, clWhite);
                Form->SetColor(RGBColor(224, 224, 224));
            }
            return false;
        };
    }
    ThreeClient.OnMessage = [&](TMessage& M) {
        if (CommandOf(M) == BN_CLICKED) {
            Print("command trois %d", int(Three->Checked()));
        }
        return false;
    };
    for (TProbeClient* Client : { &OneClient, &TwoClient }) {
        Client->OnMessage = [&, Client](TMessage& M) {
            if (CommandOf(M) == BN_CLICKED) {
                Print("command %s 0", Client->Name);
                // The group is the model's rule: the other one is unchecked here.
                (Client == &OneClient ? Two : One)->SetChecked(false);
                Print("checked un %d deux %d", int(One->Checked()), int(Two->Checked()));
            }
            return false;
        };
    }
    One->SetChecked(true); // told to its model as a click
    // The spin edit's key filter: digits and editing keys pass, the arrows step the
    // value, anything else is refused (swallowed).
    SpinClient.OnMessage = [&](TMessage& M) {
        if (M.Msg == WM_KEYDOWN && M.WParam == VK_RETURN) {
            Print("enter");
            return true;
        }
        if (M.Msg == WM_KEYDOWN && (M.WParam == VK_UP || M.WParam == VK_DOWN)) {
            const int Value = StrToIntDef(Spin->Text(), 0) + (M.WParam == VK_UP ? 1 : -1);
            Spin->SetText(IntToStr(Value));
            return true;
        }
        if (M.Msg == WM_CHAR) {
            const auto C = char16_t(M.WParam);
            if ((C >= u'0' && C <= u'9') || C == u'\b') {
                return false;
            }
            Print("refused %s", Narrow(TString(1, C)).c_str());
            return true;
        }
        if (CommandOf(M) == EN_CHANGE) {
            Print("spin %s", Narrow(Spin->Text()).c_str());
        }
        return false;
    };
    CustomClient.OnMessage = [](TMessage& M) {
        if (M.Msg == WM_LBUTTONDOWN) {
            Print("custom down %d %d", LParamX(M.LParam), LParamY(M.LParam));
            return true;
        }
        return false;
    };
    auto CoarseTimer = WS.CreateTimer([] { Print("timer during menu"); });
    auto PreciseTimer = WS.CreateTimer([] { Print("precise timer during menu"); });
    FormClient.OnMessage = [&](TMessage& M) {
        if (M.Msg == WM_RBUTTONUP) {
            // While the menu's own loop runs: work posted from a thread, a window timer
            // and a precise one.
            std::thread Worker([&] {
                for (int i = 1; i <= 3; ++i) {
                    Sleep(30);
                    WS.Post([i] { Print("posted during menu %d", i); });
                }
            });
            CoarseTimer->Start(20, true, false);
            PreciseTimer->Start(20, true, true);
            const TPoint At = Form->ClientToScreen({ LParamX(M.LParam), LParamY(M.LParam) });
            const int Chosen
                = WS.PopupMenu({ { u"Premier", 1, true, {} }, { u"-", 0, true, {} },
                                   { u"Grisé", 3, false, {} }, { u"Second", 2, true, {} } },
                    At);
            Worker.join();
            Print("menu %d", Chosen);
            return true;
        }
        // A press on the form's own surface moves it, as the clock is moved: the
        // platform's window manager hands the move to the system.
        if (M.Msg == WM_LBUTTONDOWN) {
            Print("press");
            WindowManager().StartSystemMove(
                Form->Handle(), Form->ClientToScreen({ LParamX(M.LParam), LParamY(M.LParam) }));
            return true;
        }
        if (M.Msg == WM_CLOSE) {
            M.Result = 1;
            Print("close");
            WS.Quit(0);
            return true;
        }
        return false;
    };

    // The form without its top-right 40 × 40 corner.
    const TRegion Shape = TRegion(TRect::FromSize(0, 0, 360, 240))
                              .Subtracted(TRegion(TRect::FromSize(320, 0, 40, 40)));
    long long Pixels = 0;
    for (const TRect& R : Shape.Rects()) {
        Pixels += (long long)R.Width() * R.Height();
    }
    Form->SetShape(Shape);
    Form->SetVisible(true);
    AppClient.Form = Form->Handle();
    Print("shape %lld", Pixels);
    for (const auto& [Name, Bounds] : Places) {
        PrintPlace(Name, *Form, Bounds);
    }

    // A dialog beside it: a frame of the window manager's around a fixed client area;
    // its model refuses the first close and leaves the next one to the default.
    TProbeClient DialogClient("dialog");
    std::unique_ptr<TWSForm> Dialog = WS.CreateForm(&DialogClient);
    Dialog->SetCaption(u"Réglages");
    Dialog->SetStyle(TWSBorder::Dialog, false, true);
    Dialog->SetBounds(TRect::FromSize(600, 100, 200, 100));
    Dialog->SetColor(clWhite);
    int Closes = 0;
    DialogClient.OnMessage = [&](TMessage& M) {
        if (M.Msg == WM_CLOSE) {
            if (++Closes == 1) {
                M.Result = 0;
                Print("close refused");
                return true;
            }
            Print("close dialog");
        }
        return false;
    };
    Dialog->SetVisible(true);
    const TSize Client = Dialog->ClientSize(), Outer = Dialog->OuterSize();
    Print(
        "dialog client %d %d outer %d %d", Client.Width, Client.Height, Outer.Width, Outer.Height);
    Print("ready");
    return WS.Run();
}

int Post()
{
    TWidgetSet& WS = WidgetSet();
    TAppClient AppClient;
    WS.Initialize(&AppClient);
    std::atomic<int> Ticks { 0 };
    std::atomic<long long> Ran { 0 };
    auto Timer = WS.CreateTimer([&] { ++Ticks; });
    Timer->Start(20, false, false);
    long long Posted = 0;
    int TicksWhilePosting = 0;
    ULONGLONG Elapsed = 0;
    std::thread Worker([&] {
        // Posts without pause until the timer has ticked five times, bounded.
        const int Start = Ticks;
        const ULONGLONG Began = GetTickCount64();
        while (Ticks - Start < 5 && Posted < 1000000) {
            // Each item costs the window thread more than posting it costs the worker,
            // so the queue never runs empty.
            WS.Post([&] {
                volatile unsigned Sum = 0;
                for (unsigned i = 0; i < 5000; ++i) {
                    Sum = Sum + i;
                }
                ++Ran;
            });
            ++Posted;
        }
        TicksWhilePosting = Ticks - Start;
        Elapsed = GetTickCount64() - Began;
        WS.Post([&] { WS.Quit(0); });
    });
    const int Code = WS.Run();
    Worker.join();
    Print("posted %lld ran %lld ticks %d", Posted, (long long)Ran, TicksWhilePosting);
    Print("flood %llu ms", Elapsed);
    return Code;
}

int Beat()
{
    TWidgetSet& WS = WidgetSet();
    TAppClient AppClient;
    WS.Initialize(&AppClient);
    int Count = 0;
    std::unique_ptr<TWSTimer> Timer;
    auto Arm = [&] {
        SYSTEMTIME Now;
        GetLocalTime(&Now);
        Timer->Start(1000 - Now.wMilliseconds + 1, true, true);
    };
    Timer = WS.CreateTimer([&] {
        SYSTEMTIME Now;
        GetLocalTime(&Now);
        Print("late %d", int(Now.wMilliseconds));
        if (++Count == 5) {
            WS.Quit(0);
        } else {
            Arm();
        }
    });
    Arm();
    return WS.Run();
}
}

int Font(const wchar_t* File, const wchar_t* Face)
{
    TFont Digits;
    Digits.Name = reinterpret_cast<const char16_t*>(Face);
    Digits.Height = 40;
    TWidgetSet& WS = WidgetSet();
    TAppClient AppClient;
    WS.Initialize(&AppClient);
    TProbeClient FormClient("form");
    std::unique_ptr<TWSForm> Form = WS.CreateForm(&FormClient);
    Form->HandleNeeded();
    const TSize Before = WS.TextExtent(Digits, u"88:88");
    // A second on, the stand-in tries its face again and waits longer for the next try.
    Sleep(1100);
    WS.TextExtent(Digits, u"88:88");
    if (AddFontResourceExW(File, FR_PRIVATE, nullptr) == 0) {
        Print("not added");
        return 1;
    }
    // Told that the fonts changed, the font made with a stand-in face is made again in
    // its own face at once.
    SendMessageW(reinterpret_cast<HWND>(Form->Handle()), WM_FONTCHANGE, 0, 0);
    const TSize After = WS.TextExtent(Digits, u"88:88");
    Print("before %d after %d", Before.Width, After.Width);
    WS.SetFontAlias(u"Chiffres", Digits.Name);
    Print("alias %d", WS.TextExtent({ u"chiffres", 40, false, false, clBlack }, u"88:88").Width);
    Print("folder %s", Narrow(WS.ProgramFolder()).c_str());
    return 0;
}

// The form's pixels as the screen shows them.
std::vector<COLORREF> Pixels(HWND Window, TSize Size)
{
    std::vector<COLORREF> Out;
    HDC Dc = GetDC(Window);
    for (int Y = 0; Y < Size.Height; ++Y) {
        for (int X = 0; X < Size.Width; ++X) {
            Out.push_back(GetPixel(Dc, X, Y));
        }
    }
    ReleaseDC(Window, Dc);
    return Out;
}

int Paint()
{
    TWidgetSet& WS = WidgetSet();
    TAppClient AppClient;
    WS.Initialize(&AppClient);
    TProbeClient FormClient("form"), PictureClient("picture"), LabelClient("label"),
        DateClient("date"), BandClient("band");
    auto Form = WS.CreateForm(&FormClient);
    Form->SetStyle(TWSBorder::None, false, true);
    const TSize Size { 220, 100 };
    Form->SetBounds(TRect::FromSize(100, 100, Size.Width, Size.Height));
    auto Picture = WS.CreateGraphicControl(&PictureClient);
    auto Label = WS.CreateLabel(&LabelClient);
    auto Date = WS.CreateLabel(&DateClient);
    auto Band = WS.CreateGraphicControl(&BandClient);
    const TBitmap32 Skin(Size.Width, Size.Height, 0xC0406080u);
    PictureClient.OnPaint = [&](IWSCanvas& C, const TRect&) { C.DrawBitmap(0, 0, Skin); };
    const std::pair<TWSControl*, TRect> Places[]
        = { { Picture.get(), { 0, 0, 220, 100 } }, { Label.get(), { 0, 0, 220, 100 } },
              { Date.get(), { 5, 2, 215, 30 } }, { Band.get(), { 0, 0, 8, 63 } } };
    for (const auto& [Control, Bounds] : Places) {
        Control->SetParent(Form.get(), nullptr);
        Control->SetBounds(Bounds);
        Control->SetVisible(true);
    }
    Label->SetLabel(u"12:34", { u"Tahoma", 60, true, false, clWhite }, true, clBlack);
    Date->SetLabel(u"mercredi 9 décembre 2026", { u"Felix Titling", 16, false, false, clWhite },
        true, clBlack);
    Form->SetVisible(true);
    WS.ProcessMessages();
    LARGE_INTEGER Frequency, Start, End;
    QueryPerformanceFrequency(&Frequency);
    constexpr int Rounds = 300;
    QueryPerformanceCounter(&Start);
    for (int i = 0; i < Rounds; ++i) {
        Form->Repaint();
    }
    QueryPerformanceCounter(&End);
    Print("repaint %.1f us",
        double(End.QuadPart - Start.QuadPart) * 1e6 / double(Frequency.QuadPart) / Rounds);
    // Repainted a narrow band at a time across the texts, as a tick repaints the colon,
    // the face comes out as the whole paint drew it.
    const HWND Window = reinterpret_cast<HWND>(Form->Handle());
    const std::vector<COLORREF> Whole = Pixels(Window, Size);
    for (int Top : { 0, 37 }) {
        for (int Left = 0; Left + 8 <= Size.Width; Left += 3) {
            Band->SetBounds(TRect::FromSize(Left, Top, 8, 63));
            Band->Invalidate();
            WS.ProcessMessages();
        }
    }
    const std::vector<COLORREF> Banded = Pixels(Window, Size);
    int Differing = 0;
    for (std::size_t i = 0; i < Whole.size(); ++i) {
        Differing += Whole[i] != Banded[i];
    }
    Print("differing %d", Differing);
    return 0;
}

int wmain(int Argc, wchar_t** Argv)
{
    const std::wstring Command = Argc > 1 ? Argv[1] : L"";
    if (Command == L"show") {
        return Show();
    }
    if (Command == L"post") {
        return Post();
    }
    if (Command == L"beat") {
        return Beat();
    }
    if (Command == L"paint") {
        return Paint();
    }
    if (Command == L"font" && Argc > 3) {
        return Font(Argv[2], Argv[3]);
    }
    std::fprintf(stderr, "usage: widget_probe show|post|beat|paint|font <file> <face>\n");
    return 2;
}
