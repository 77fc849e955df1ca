#pragma once

#include <string>

// Which windowing platform the program starts on. The program's window relies on three
// things only an X server grants a client: its place on the screen, its shape, and
// staying off the task list. Under a Wayland compositor that also runs an X server
// (XWayland) the program therefore starts on X11; with Wayland alone it runs natively
// and the compositor places it.

// The variables the choice reads, as the process environment has them (empty: unset).
struct TDisplayEnvironment {
    std::string QpaPlatform; // QT_QPA_PLATFORM: the user's own choice
    std::string Display; // DISPLAY: an X server
    std::string WaylandDisplay; // WAYLAND_DISPLAY: a Wayland compositor
    std::string SessionType; // XDG_SESSION_TYPE: "wayland", "x11", ...

    static TDisplayEnvironment FromProcess();
};

// The platform list to give Qt, or empty to leave the choice to Qt (the user chose one,
// or neither display is known). With both displays X11 comes first and Wayland is the
// fallback, for a DISPLAY left over from elsewhere that no server answers.
std::string ChooseDisplayPlatform(const TDisplayEnvironment& Env);

// Makes the choice for the application object created while it lives, without passing
// it on to the programs the clock starts (a browser, say).
class TDisplayPlatformChoice {
public:
    TDisplayPlatformChoice();
    ~TDisplayPlatformChoice();
    TDisplayPlatformChoice(const TDisplayPlatformChoice&) = delete;
    TDisplayPlatformChoice& operator=(const TDisplayPlatformChoice&) = delete;
    const std::string& Platform() const { return FPlatform; }

private:
    std::string FPlatform;
};
