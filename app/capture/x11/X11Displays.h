#pragma once

#include "capture/ShareableContent.h"

#include <QList>

class XcbConnection;

namespace X11Displays {

// The RandR monitors, primary first; the whole screen as one display when RandR lists none.
// X11 has no point scale of its own: one point is one pixel.
QList<ShareableDisplay> read(const XcbConnection& connection);

}  // namespace X11Displays
