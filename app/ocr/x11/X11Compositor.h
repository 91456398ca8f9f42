#pragma once

#include <QByteArray>

#include <optional>

struct xcb_connection_t;

// Whether a compositing manager runs on the application's X screen (it owns the _NET_WM_CM_Sn
// selection), i.e. whether translucent windows are shown translucent. Empty when the application
// does not run on X11. GUI thread only.
namespace X11Compositor {

std::optional<bool> isRunning();

// The screen number of DISPLAY (0 without one).
int screenNumber();

// The selection a compositing manager owns on that screen: _NET_WM_CM_Sn.
QByteArray selectionName();

// Qt's own connection to the X server; null when the application does not run on X11.
xcb_connection_t* qtConnection();

}  // namespace X11Compositor
