#pragma once

#include "capture/x11/XcbConnection.h"

#include <xcb/xcb.h>

// Whether a compositing manager runs on the connection's screen (it owns the _NET_WM_CM_S0
// selection), followed from XFixes selection events. Such a manager paints the screen itself,
// when it gets to it and with its own effects, so the screen may show a window where the window
// no longer is.
class X11CompositorWatch {
public:
    // One round trip: asks for the events and for the selection's owner now.
    explicit X11CompositorWatch(const XcbConnection& connection);

    bool isRunning() const { return m_running; }
    // True when the event is about the selection (then `isRunning()` may have changed).
    bool handleEvent(const xcb_generic_event_t* event);

private:
    const XcbConnection& m_connection;
    xcb_atom_t m_selection = XCB_ATOM_NONE;
    bool m_running = false;
};
