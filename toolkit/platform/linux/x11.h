#pragma once

// Small helpers over the X connection that Qt's xcb platform opened. Without one (other
// platforms, tests under "offscreen") Connection() is null and callers do nothing.

#include <QByteArray>

#include <xcb/xcb.h>

#include <vector>

namespace X11 {

xcb_connection_t* Connection();
// Atoms are fixed for the life of the X server: each is looked up once.
xcb_atom_t Atom(xcb_connection_t* C, const char* Name);
xcb_window_t DefaultRoot(xcb_connection_t* C);
// A property of 32-bit items of the given type (XCB_ATOM_ANY for any), at most MaxItems;
// empty when the window has no such property.
std::vector<quint32> ReadCardinals(xcb_connection_t* C, xcb_window_t Window, xcb_atom_t Property,
    xcb_atom_t Type, quint32 MaxItems = 1024);

}
