// The minimal Win32 clock: one window holding one static text that shows the local time
// as HH:MM:SS, set anew by a 1 s timer. The footprint measurement takes it as the floor
// for any Windows clock, as qtclock.cpp is the floor for Qt programs: nothing but the
// window, the text and the timer, no font or colour of its own, no C++ run-time.
#define UNICODE
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace {

constexpr UINT_PTR TimerId = 1;
HWND Text = nullptr;

void ShowTime()
{
    SYSTEMTIME Now;
    GetLocalTime(&Now);
    const WORD Fields[] = { Now.wHour, Now.wMinute, Now.wSecond };
    wchar_t Digits[] = L"00:00:00";
    for (int I = 0; I < 3; ++I) {
        Digits[I * 3] = static_cast<wchar_t>(L'0' + Fields[I] / 10);
        Digits[I * 3 + 1] = static_cast<wchar_t>(L'0' + Fields[I] % 10);
    }
    SetWindowTextW(Text, Digits);
}

LRESULT CALLBACK WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam)
{
    switch (Message) {
    case WM_CREATE:
        Text = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_CENTER, 10, 10, 180,
            20, Window, nullptr, reinterpret_cast<CREATESTRUCTW*>(LParam)->hInstance, nullptr);
        ShowTime();
        SetTimer(Window, TimerId, 1000, nullptr);
        return 0;
    case WM_TIMER:
        ShowTime();
        return 0;
    case WM_DESTROY:
        KillTimer(Window, TimerId);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(Window, Message, WParam, LParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE Instance, HINSTANCE, LPSTR, int Show)
{
    WNDCLASSW Class = {};
    Class.lpfnWndProc = WindowProc;
    Class.hInstance = Instance;
    Class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    Class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    Class.lpszClassName = L"HorlogeWin32";
    if (!RegisterClassW(&Class))
        return 1;
    // 200 x 40 pixels of client area around the text.
    RECT Frame = { 0, 0, 200, 40 };
    AdjustWindowRectEx(&Frame, WS_OVERLAPPEDWINDOW, FALSE, 0);
    HWND Window = CreateWindowExW(0, Class.lpszClassName, L"Horloge Win32", WS_OVERLAPPEDWINDOW,
        CW_USEDEFAULT, CW_USEDEFAULT, Frame.right - Frame.left, Frame.bottom - Frame.top, nullptr,
        nullptr, Instance, nullptr);
    if (!Window)
        return 1;
    ShowWindow(Window, Show);
    MSG Message;
    while (GetMessageW(&Message, nullptr, 0, 0) > 0) {
        TranslateMessage(&Message);
        DispatchMessageW(&Message);
    }
    return static_cast<int>(Message.wParam);
}
