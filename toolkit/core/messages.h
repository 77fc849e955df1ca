#pragma once

#include "toolkit/core/types.h"

#include <cstdint>

// Window messages as the model receives them from its window system, numbered as
// Windows numbers them: a window system that is not Windows translates its input into
// these. Mouse positions travel in LParam as client coordinates (x in the low 16 bits,
// y in the high 16 bits, each signed), as Windows packs them.
struct TMessage {
    std::uint32_t Msg = 0;
    std::uintptr_t WParam = 0;
    std::intptr_t LParam = 0;
    std::intptr_t Result = 0;
};

// A queued message as the application-wide hook receives it, before it is delivered.
struct TMsg {
    TWindowHandle hwnd = nullptr; // the window the message is addressed to
    std::uint32_t message = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
    TPoint pt; // cursor in screen coordinates when the message was queued
};

constexpr std::intptr_t MakeLParam(int Low, int High)
{
    return std::intptr_t(
        std::uint32_t(std::uint16_t(Low)) | (std::uint32_t(std::uint16_t(High)) << 16));
}
constexpr int LParamX(std::intptr_t LParam)
{
    return std::int16_t(std::uint32_t(LParam) & 0xFFFF);
}
constexpr int LParamY(std::intptr_t LParam)
{
    return std::int16_t((std::uint32_t(LParam) >> 16) & 0xFFFF);
}
constexpr std::uintptr_t MakeWParam(int Low, int High)
{
    return std::uintptr_t(MakeLParam(Low, High)) & 0xFFFFFFFFu;
}

constexpr std::uint32_t WM_NULL = 0x0000;
constexpr std::uint32_t WM_MOVE = 0x0003;
constexpr std::uint32_t WM_SIZE = 0x0005;
constexpr std::uint32_t WM_ACTIVATE = 0x0006;
constexpr std::uint32_t WM_SETFOCUS = 0x0007;
constexpr std::uint32_t WM_KILLFOCUS = 0x0008;
constexpr std::uint32_t WM_ENABLE = 0x000A;
constexpr std::uint32_t WM_PAINT = 0x000F;
constexpr std::uint32_t WM_CLOSE = 0x0010;
constexpr std::uint32_t WM_SHOWWINDOW = 0x0018;
constexpr std::uint32_t WM_CONTEXTMENU = 0x007B;
constexpr std::uint32_t WM_KEYDOWN = 0x0100;
constexpr std::uint32_t WM_KEYUP = 0x0101;
constexpr std::uint32_t WM_CHAR = 0x0102;
constexpr std::uint32_t WM_COMMAND = 0x0111;
constexpr std::uint32_t WM_TIMER = 0x0113;
constexpr std::uint32_t WM_MOUSEMOVE = 0x0200;
constexpr std::uint32_t WM_LBUTTONDOWN = 0x0201;
constexpr std::uint32_t WM_LBUTTONUP = 0x0202;
constexpr std::uint32_t WM_LBUTTONDBLCLK = 0x0203;
constexpr std::uint32_t WM_RBUTTONDOWN = 0x0204;
constexpr std::uint32_t WM_RBUTTONUP = 0x0205;
constexpr std::uint32_t WM_RBUTTONDBLCLK = 0x0206;
constexpr std::uint32_t WM_MBUTTONDOWN = 0x0207;
constexpr std::uint32_t WM_MBUTTONUP = 0x0208;
constexpr std::uint32_t WM_MBUTTONDBLCLK = 0x0209;
constexpr std::uint32_t WM_USER = 0x0400;

// WM_SIZE's WParam for a minimised window.
constexpr std::uintptr_t SIZE_MINIMIZED = 1;
// Mouse messages' WParam: the buttons held.
constexpr std::uintptr_t MK_LBUTTON = 0x0001;
constexpr std::uintptr_t MK_RBUTTON = 0x0002;

// Notifications a control sends its model as WM_COMMAND, the code in WParam's high word.
constexpr int BN_CLICKED = 0;
constexpr int EN_CHANGE = 0x0300;
constexpr int EN_KILLFOCUS = 0x0200;
constexpr int CBN_SELCHANGE = 1;
constexpr int CBN_EDITCHANGE = 5;

// Virtual keys in WM_KEYDOWN's WParam.
constexpr std::uintptr_t VK_BACK = 0x08;
constexpr std::uintptr_t VK_TAB = 0x09;
constexpr std::uintptr_t VK_RETURN = 0x0D;
constexpr std::uintptr_t VK_ESCAPE = 0x1B;
constexpr std::uintptr_t VK_UP = 0x26;
constexpr std::uintptr_t VK_DOWN = 0x28;
