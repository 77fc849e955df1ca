// Calls the Windows platform services the way the program will and prints what they
// give, one command per run (tests/desktop/test_windows.py reads the output):
//   clock                 the clock source's value (days since 1899-12-30)
//   screen                primary W H, virtual L T R B, work L T R B
//   find <folder> <pat>   the names the file search lists, one a line
//   font <file> <face>    the face GDI gives for <face> before and after the digit font
//                         is installed as the program does it (copied into the fonts
//                         folder, added to the font table)
//   play <file>           opens, plays to the end, and prints length and end position;
//                         a failure prints its message
//   error <title> <text>  the error box, and its texts as the box's window holds them
//                         (read from a second thread), until it is dismissed
//   wake                  a wake counter signalled from threads, then drained
//   poweroff              asks for the power-off and prints the session messages its
//                         window receives
//   tray                  a notification-area icon driven by lines on the standard input
//                         ("add <tip>", "modify <tip>" with another icon, "delete",
//                         "quit"): prints each command's result and the mouse messages of
//                         the icon's callback
//   date <y> <m> <d>      the user's locale, its long date of that day, "dddd d mmmm
//                         yyyy" and "ddd mmm" of it, and "hh:nn" at 07:30
//   jpeg <file>           the size of the picture the JPEG decoder gives, and its pixels
//                         at the centres of the four quarters as RRGGBB; or the error
//   profile <file> <section> <key> <value> <default>
//                         writes the value to the settings file, prints whether it was
//                         written and what reading it back gives (<default> when missing)
#include "toolkit/core/sysutils.h"
#include "toolkit/graphics/graphicerror.h"
#include "toolkit/graphics/jpegdecoder.h"
#include "toolkit/platform/audio.h"
#include "toolkit/platform/clocksource.h"
#include "toolkit/platform/errorbox.h"
#include "toolkit/platform/filesearch.h"
#include "toolkit/platform/fonts.h"
#include "toolkit/platform/notifyarea.h"
#include "toolkit/platform/power.h"
#include "toolkit/platform/screen.h"
#include "toolkit/platform/wakecounter.h"
#include "toolkit/text/datetime.h"
#include "toolkit/text/profile.h"

#include <windows.h>
// windows.h names AddFontResourceW this way, which would rename the font service's method.
#undef AddFontResource
// And the settings file's functions after their wide Windows namesakes.
#undef GetPrivateProfileString
#undef WritePrivateProfileString

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {
TString Arg(const wchar_t* Wide)
{
    return reinterpret_cast<const char16_t*>(Wide);
}

void Print(const TString& Text)
{
    const auto* Wide = reinterpret_cast<const wchar_t*>(Text.c_str());
    const int Size = WideCharToMultiByte(CP_UTF8, 0, Wide, -1, nullptr, 0, nullptr, nullptr);
    std::string Utf8(size_t(Size > 0 ? Size : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, Wide, -1, Utf8.data(), Size, nullptr, nullptr);
    std::printf("%s\n", Utf8.c_str());
    std::fflush(stdout);
}

void PrintRect(const char* Name, const TRect& R)
{
    std::printf(" %s %d %d %d %d", Name, R.Left, R.Top, R.Right, R.Bottom);
}

// The face GDI realises for a font asked for by name (a substitute when it has none).
TString RealisedFace(const TString& Face)
{
    HDC Dc = CreateCompatibleDC(nullptr);
    HFONT Font = CreateFontW(-32, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
        OUT_TT_ONLY_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
        reinterpret_cast<const wchar_t*>(Face.c_str()));
    HGDIOBJ Old = SelectObject(Dc, Font);
    wchar_t Name[LF_FACESIZE] = {};
    GetTextFaceW(Dc, LF_FACESIZE, Name);
    SelectObject(Dc, Old);
    DeleteObject(Font);
    DeleteDC(Dc);
    return reinterpret_cast<const char16_t*>(Name);
}

int Font(const TString& File, const TString& Face)
{
    Print(u"before " + RealisedFace(Face));
    const TString Folder = FontService().FontsFolder();
    const size_t Slash = File.find_last_of(u"\\/");
    const TString Target = Folder + (Slash == TString::npos ? File : File.substr(Slash + 1));
    Print(FontService().CopyFontFile(File, Target) ? u"copied" : u"not copied");
    TString Families = u"families";
    for (const TString& Family : FontService().AddFontResource(Target)) {
        Families += u" " + Family;
    }
    Print(Families);
    Print(u"after " + RealisedFace(Face));
    return 0;
}

int Play(const TString& File)
{
    try {
        std::unique_ptr<ISound> Sound = AudioService().OpenSound(File);
        std::printf("length %lld\n", static_cast<long long>(Sound->Length()));
        Sound->Play();
        // Bounded: the test's sounds last a second or two.
        for (int i = 0; i < 600 && Sound->Playing(); ++i) {
            Sleep(50);
        }
        std::printf("ended %d position %lld\n", int(!Sound->Playing()),
            static_cast<long long>(Sound->Position()));
        return 0;
    } catch (const Exception& E) {
        Print(u"error " + E.Message());
        return 1;
    }
}

int Wake()
{
    TString Error;
    std::unique_ptr<IWakeCounter> Counter = CreateWakeCounter(Error);
    if (!Counter) {
        Print(u"no counter: " + Error);
        return 1;
    }
    HANDLE Handle = reinterpret_cast<HANDLE>(Counter->Handle());
    const bool IdleAtStart = WaitForSingleObject(Handle, 0) == WAIT_TIMEOUT;
    std::vector<std::thread> Threads;
    for (int i = 0; i < 3; ++i) {
        Threads.emplace_back([&] { Counter->Signal(); });
    }
    for (std::thread& T : Threads) {
        T.join();
    }
    const bool Woken = WaitForSingleObject(Handle, 5000) == WAIT_OBJECT_0;
    Counter->Drain();
    const bool IdleAfterDrain = WaitForSingleObject(Handle, 0) == WAIT_TIMEOUT;
    std::printf("idle %d woken %d drained %d\n", IdleAtStart, Woken, IdleAfterDrain);
    return 0;
}

BOOL CALLBACK AddText(HWND Child, LPARAM Texts)
{
    wchar_t Text[512] = {};
    if (GetWindowTextW(Child, Text, 512) > 0) {
        *reinterpret_cast<TString*>(Texts) += u" [" + Arg(Text) + u"]";
    }
    return TRUE;
}

int Error(const TString& Title, const TString& Text)
{
    std::thread Reader([&] {
        const auto* Wide = reinterpret_cast<const wchar_t*>(Title.c_str());
        HWND Box = nullptr;
        for (int i = 0; i < 300 && !(Box = FindWindowW(L"#32770", Wide)); ++i) {
            Sleep(50); // bounded: the box comes up at once
        }
        // The box's window is there before the controls holding its texts: read again
        // until they are (bounded).
        TString Texts = u"box";
        for (int i = 0; Box && i < 100 && Texts == u"box"; ++i) {
            EnumChildWindows(Box, AddText, reinterpret_cast<LPARAM>(&Texts));
            if (Texts == u"box") {
                Sleep(50);
            }
        }
        Print(Texts);
    });
    ErrorBox().ShowError(Title, Text);
    Reader.join();
    Print(u"dismissed");
    return 0;
}

LRESULT CALLBACK SessionWindow(HWND Window, UINT Msg, WPARAM W, LPARAM L)
{
    if (Msg == WM_QUERYENDSESSION) {
        std::printf("queryendsession\n");
        std::fflush(stdout);
        return TRUE;
    }
    if (Msg == WM_ENDSESSION) {
        std::printf("endsession %d\n", int(W != 0));
        std::fflush(stdout);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(Window, Msg, W, L);
}

int PowerOff()
{
    WNDCLASSW Class {};
    Class.lpfnWndProc = SessionWindow;
    Class.hInstance = GetModuleHandleW(nullptr);
    Class.lpszClassName = L"VeludorPowerProbe";
    RegisterClassW(&Class);
    CreateWindowW(Class.lpszClassName, L"Veludor power probe", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
        nullptr, nullptr, Class.hInstance, nullptr);
    PowerService().PowerOff();
    std::printf("requested\n");
    std::fflush(stdout);
    // Bounded: the session's end comes within seconds.
    SetTimer(nullptr, 0, 30000, nullptr);
    MSG Msg;
    while (GetMessageW(&Msg, nullptr, 0, 0) > 0 && Msg.message != WM_TIMER) {
        DispatchMessageW(&Msg);
    }
    return 0;
}

int Jpeg(const wchar_t* File)
{
    std::ifstream In(File, std::ios::binary);
    const std::vector<std::uint8_t> Data(
        (std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
    try {
        const TBitmap32 Image = DecodeJpeg(Data);
        std::printf("size %d %d", Image.Width(), Image.Height());
        for (const auto& [X, Y] : { std::pair { 1, 1 }, { 3, 1 }, { 1, 3 }, { 3, 3 } }) {
            std::printf(" %06X",
                unsigned(Image.Pixel(Image.Width() * X / 4, Image.Height() * Y / 4) & 0xFFFFFF));
        }
        std::printf(" alpha %02X\n", unsigned(Image.Pixel(0, 0) >> 24));
        return 0;
    } catch (const Exception& E) {
        Print(u"error " + E.Message());
        return 1;
    }
}

// The icon's callback, and the commands the reading thread hands to the window thread.
constexpr UINT TrayCallback = WM_APP + 1;
constexpr UINT TrayCommand = WM_APP + 2;

const char* MouseName(LPARAM Message)
{
    switch (Message) {
    case WM_LBUTTONDOWN:
        return "WM_LBUTTONDOWN";
    case WM_LBUTTONUP:
        return "WM_LBUTTONUP";
    case WM_RBUTTONDOWN:
        return "WM_RBUTTONDOWN";
    case WM_RBUTTONUP:
        return "WM_RBUTTONUP";
    default:
        return nullptr;
    }
}

LRESULT CALLBACK TrayWindow(HWND Window, UINT Msg, WPARAM W, LPARAM L)
{
    if (Msg == TrayCallback) {
        if (const char* Name = MouseName(L)) {
            std::printf("callback %u %s\n", unsigned(W), Name);
            std::fflush(stdout);
        }
        return 0;
    }
    return DefWindowProcW(Window, Msg, W, L);
}

TString FromUtf8(const std::string& Text)
{
    std::wstring Wide(Text.size(), L'\0');
    Wide.resize(size_t(MultiByteToWideChar(
        CP_UTF8, 0, Text.data(), int(Text.size()), Wide.data(), int(Wide.size()))));
    return Arg(Wide.c_str());
}

int Tray()
{
    WNDCLASSW Class {};
    Class.lpfnWndProc = TrayWindow;
    Class.hInstance = GetModuleHandleW(nullptr);
    Class.lpszClassName = L"VeludorTrayProbe";
    RegisterClassW(&Class);
    HWND Window = CreateWindowW(Class.lpszClassName, L"Veludor tray probe", WS_OVERLAPPEDWINDOW, 0,
        0, 100, 100, nullptr, nullptr, Class.hInstance, nullptr);
    // Each line goes to the window thread, which owns the icon's window.
    std::thread Reader([Window] {
        std::string Line;
        while (std::getline(std::cin, Line)) {
            if (!Line.empty() && Line.back() == '\r') {
                Line.pop_back();
            }
            PostMessageW(Window, TrayCommand, 0, reinterpret_cast<LPARAM>(new std::string(Line)));
        }
        PostMessageW(Window, TrayCommand, 0, reinterpret_cast<LPARAM>(new std::string("quit")));
    });
    Reader.detach();
    MSG Msg;
    while (GetMessageW(&Msg, nullptr, 0, 0) > 0) {
        if (Msg.message != TrayCommand) {
            DispatchMessageW(&Msg);
            continue;
        }
        const std::unique_ptr<std::string> Line(reinterpret_cast<std::string*>(Msg.lParam));
        const std::string Command = Line->substr(0, Line->find(' '));
        const std::string Rest
            = Line->size() > Command.size() ? Line->substr(Command.size() + 1) : "";
        TNotifyIconData Data;
        Data.cbSize = NotifyIconDataV1Size;
        Data.hWnd = reinterpret_cast<TWindowHandle>(Window);
        Data.uID = 1;
        Data.uFlags = NIF_TIP;
        Data.SetTip(FromUtf8(Rest));
        std::uint32_t Message = NIM_DELETE;
        if (Command == "add") {
            Message = NIM_ADD;
            Data.uFlags |= NIF_MESSAGE | NIF_ICON;
            Data.uCallbackMessage = TrayCallback;
            Data.hIcon = reinterpret_cast<TIconHandle>(LoadIconW(nullptr, IDI_APPLICATION));
        } else if (Command == "modify") {
            Message = NIM_MODIFY;
            Data.uFlags |= NIF_ICON;
            Data.hIcon = reinterpret_cast<TIconHandle>(LoadIconW(nullptr, IDI_WARNING));
        } else if (Command != "delete") {
            break;
        }
        std::printf("%s %d\n", Command.c_str(), int(NotifyArea().ShellNotifyIcon(Message, Data)));
        std::fflush(stdout);
    }
    DestroyWindow(Window);
    return 0;
}
}

int wmain(int argc, wchar_t** argv)
{
    const std::wstring Command = argc > 1 ? argv[1] : L"";
    if (Command == L"clock") {
        std::printf("%.10f\n", ClockSource().Now());
    } else if (Command == L"screen") {
        const TSize S = ScreenMetrics().PrimaryScreenSize();
        std::printf("primary %d %d", S.Width, S.Height);
        PrintRect("virtual", ScreenMetrics().VirtualScreen());
        PrintRect("work", ScreenMetrics().WorkArea());
        std::printf("\n");
    } else if (Command == L"find" && argc == 4) {
        for (const TString& Name : FileSearch().FindFiles(Arg(argv[2]), Arg(argv[3]))) {
            Print(Name);
        }
    } else if (Command == L"font" && argc == 4) {
        return Font(Arg(argv[2]), Arg(argv[3]));
    } else if (Command == L"play" && argc == 3) {
        return Play(Arg(argv[2]));
    } else if (Command == L"error" && argc == 4) {
        return Error(Arg(argv[2]), Arg(argv[3]));
    } else if (Command == L"wake") {
        return Wake();
    } else if (Command == L"date" && argc == 5) {
        const TDateTime Day
            = EncodeDateTime({ _wtoi(argv[2]), _wtoi(argv[3]), _wtoi(argv[4]), 7, 30 });
        Print(FormatSettings().LocaleName);
        Print(FormatDateTime(u"dddddd", Day));
        Print(FormatDateTime(u"dddd d mmmm yyyy|ddd mmm|hh:nn", Day));
    } else if (Command == L"jpeg" && argc == 3) {
        return Jpeg(argv[2]);
    } else if (Command == L"tray") {
        return Tray();
    } else if (Command == L"poweroff") {
        return PowerOff();
    } else if (Command == L"profile" && argc == 7) {
        const TString File = Arg(argv[2]), Section = Arg(argv[3]), Key = Arg(argv[4]);
        Print(WritePrivateProfileString(Section, Key, Arg(argv[5]), File) ? u"written"
                                                                          : u"not written");
        Print(GetPrivateProfileString(Section, Key, Arg(argv[6]), File));
    } else {
        std::printf("unknown command\n");
        return 2;
    }
    return 0;
}
