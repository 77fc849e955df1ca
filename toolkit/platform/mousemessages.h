#pragma once

#include <QtGlobal>

// Mouse message numbers, as the notification area reports an icon's clicks and as the
// application's message hook sees presses.
constexpr quint32 WM_MOUSEMOVE = 0x0200;
constexpr quint32 WM_LBUTTONDOWN = 0x0201;
constexpr quint32 WM_LBUTTONUP = 0x0202;
constexpr quint32 WM_LBUTTONDBLCLK = 0x0203;
constexpr quint32 WM_RBUTTONDOWN = 0x0204;
constexpr quint32 WM_RBUTTONUP = 0x0205;
constexpr quint32 WM_RBUTTONDBLCLK = 0x0206;
constexpr quint32 WM_MBUTTONDOWN = 0x0207;
constexpr quint32 WM_MBUTTONUP = 0x0208;
constexpr quint32 WM_MBUTTONDBLCLK = 0x0209;
