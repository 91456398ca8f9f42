#pragma once

#include "capture/ShareableContent.h"

class XcbConnection;

namespace X11ContentReader {

// Displays, and the viewable top-level windows front to back with their owners. Windows are named
// by their client window (the id other X tools show), framed or not. Desktop, dock and
// notification windows are listed as the system's own: their application carries the name the
// system's components have ("Wallpaper", "Dock", "Notification Center").
ShareableContent read(const XcbConnection& connection);

}  // namespace X11ContentReader
