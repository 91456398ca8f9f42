#pragma once

#include <optional>

// Whether a compositing manager runs on the application's X screen (it owns the _NET_WM_CM_Sn
// selection), i.e. whether translucent windows are shown translucent. Empty when the application
// does not run on X11. GUI thread only.
namespace X11Compositor {

std::optional<bool> isRunning();

// The screen number of DISPLAY (0 without one).
int screenNumber();

}  // namespace X11Compositor
