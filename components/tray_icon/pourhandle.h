#pragma once

#include "toolkit/controls/controls.h"

// The tray icon's message window: a windowed control that the user never sees (no size,
// at its parent's top-left corner) whose handle is the window of the notification-area
// record. The notification area's callbacks arrive as the window's messages, through
// WindowProc like any other (so a component may hook them); WndProc hands the record's
// callback message (0x464) to the tray component that owns it, and every other message
// gets the default handling.
//
// Owned by a TPiconeBarreTache and made a child of that component's owner window.
class TPourHandle : public TWinControl {
public:
    explicit TPourHandle(TComponent* AOwner);
    // The window handle, or null once the parent window has destroyed it.
    TWindowHandle Handle() const;
    // Handler of message 0x464: runs the owning tray component's TraiterMessageIcone.
    void TraiterMessageIcone(TMessage& Message);

protected:
    void WndProc(TMessage& Message) override;
};
