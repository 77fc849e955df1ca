#include "toolkit/platform/displayplatform.h"

#include <cstdlib>

// Windows has one windowing system: there is nothing to choose, and the process's
// environment is left as it is.

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

std::string ChooseDisplayPlatform(const TDisplayEnvironment&)
{
    return {};
}

TDisplayPlatformChoice::TDisplayPlatformChoice()
{
}

TDisplayPlatformChoice::~TDisplayPlatformChoice()
{
}
