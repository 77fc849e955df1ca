#pragma once

#include "toolkit/core/types.h"

// Requests to the window manager about the program's top-level windows.
class IWindowManager {
public:
    virtual ~IWindowManager() = default;
    // Keeps the toolkit's record of where each top-level window stands equal to where it
    // is on the screen from the moment it is shown. Called once, by the application object.
    virtual void TrackPositions() = 0;
    // Asks the window manager to move TopLevel with the pointer while the left button
    // stays down, from PressPoint (the press, in screen coordinates). Called while the
    // button is down: a window manager that reads the request after the release runs the
    // move with no button held, until the next click. Where the button is up already by
    // then, asks nothing. False where no window manager takes such requests; the caller
    // then moves the window itself.
    virtual bool StartSystemMove(TWindowHandle TopLevel, TPoint PressPoint) = 0;
    // The left button went up before the window manager took the pointer over for the
    // move StartSystemMove asked: asks it to drop that move. Nothing where no move was
    // asked, or where the compositor itself checks that the button is down (Wayland).
    virtual void CancelSystemMove(TWindowHandle TopLevel) = 0;
    // True where the windowing system cuts a window to its shape (X11 with no
    // compositing manager): nothing outside the shape shows, so a shaped window need not
    // be see-through.
    virtual bool CutsToShape() const = 0;
};

IWindowManager& WindowManager();
// Installs another window manager (tests); nullptr puts the system's back.
void SetWindowManager(IWindowManager* Manager);
