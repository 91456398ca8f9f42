#pragma once

#include "capture/ShareableContent.h"

#include <QList>

class XcbConnection;

namespace X11Displays {

// The RandR monitors, primary first; the whole screen as one display when RandR lists none.
// `frame` is in pixels; `width` and `height` are in points of the desktop's scale (DesktopScale:
// Xft.dpi, GDK_SCALE, QT_SCALE_FACTOR), one scale for every monitor as X11 has.
QList<ShareableDisplay> read(const XcbConnection& connection);

}  // namespace X11Displays
