#include "toolkit/platform/displayplatform.h"

#include <cstdlib>

namespace {
std::string Variable(const char* Name)
{
    const char* Value = std::getenv(Name);
    return Value ? std::string(Value) : std::string();
}
}

TDisplayEnvironment TDisplayEnvironment::FromProcess()
{
    return { Variable("QT_QPA_PLATFORM"), Variable("DISPLAY"), Variable("WAYLAND_DISPLAY"),
        Variable("XDG_SESSION_TYPE") };
}

std::string ChooseDisplayPlatform(const TDisplayEnvironment& Env)
{
    if (!Env.QpaPlatform.empty()) {
        return {};
    }
    const bool Wayland = !Env.WaylandDisplay.empty() || Env.SessionType == "wayland";
    if (!Env.Display.empty()) {
        return Wayland ? "xcb;wayland" : "xcb";
    }
    return Wayland ? "wayland" : "";
}

TDisplayPlatformChoice::TDisplayPlatformChoice()
    : FPlatform(ChooseDisplayPlatform(TDisplayEnvironment::FromProcess()))
{
    if (!FPlatform.empty()) {
        ::setenv("QT_QPA_PLATFORM", FPlatform.c_str(), 1);
    }
}

TDisplayPlatformChoice::~TDisplayPlatformChoice()
{
    if (!FPlatform.empty()) {
        ::unsetenv("QT_QPA_PLATFORM");
    }
}
