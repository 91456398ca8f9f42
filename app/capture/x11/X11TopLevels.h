#pragma once

#include "capture/x11/XcbConnection.h"
#include "x11/XcbOwners.h"

#include <xcb/xcb.h>

#include <optional>
#include <vector>

// One child of the root window with its attributes and geometry.
struct X11TopLevel {
    xcb_window_t id = XCB_WINDOW_NONE;
    XcbReply<xcb_get_window_attributes_reply_t> attributes;
    XcbReply<xcb_get_geometry_reply_t> geometry;
};

// The root's children bottom to top, their attributes and geometry requested together so the
// whole list costs two round trips. Windows that vanished in between are left out; no value when
// the server did not list the tree at all.
std::optional<std::vector<X11TopLevel>> readTopLevels(const XcbConnection& connection);
