#include "toolkit/platform/displayplatform.h"

#include <QtGlobal>

TDisplayEnvironment TDisplayEnvironment::FromProcess()
{
    return { qgetenv("QT_QPA_PLATFORM"), qgetenv("DISPLAY"), qgetenv("WAYLAND_DISPLAY"),
        qgetenv("XDG_SESSION_TYPE") };
}

QByteArray ChooseDisplayPlatform(const TDisplayEnvironment& Env)
{
    if (!Env.QpaPlatform.isEmpty()) {
        return {};
    }
    const bool Wayland = !Env.WaylandDisplay.isEmpty() || Env.SessionType == "wayland";
    if (!Env.Display.isEmpty()) {
        return Wayland ? QByteArray("xcb;wayland") : QByteArray("xcb");
    }
    return Wayland ? QByteArray("wayland") : QByteArray();
}

TDisplayPlatformChoice::TDisplayPlatformChoice()
    : FPlatform(ChooseDisplayPlatform(TDisplayEnvironment::FromProcess()))
{
    if (!FPlatform.isEmpty()) {
        qputenv("QT_QPA_PLATFORM", FPlatform);
    }
}

TDisplayPlatformChoice::~TDisplayPlatformChoice()
{
    if (!FPlatform.isEmpty()) {
        qunsetenv("QT_QPA_PLATFORM");
    }
}
