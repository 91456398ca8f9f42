#pragma once

#include "capture/x11/XcbConnection.h"

#include <xcb/render.h>

// The desktop background as a repeating picture, from the root's _XROOTPMAP_ID: once windows are
// redirected, the root's own background cannot be read. Looked up once, until dropped.
class X11Wallpaper {
public:
    explicit X11Wallpaper(const XcbConnection& connection);
    ~X11Wallpaper();
    X11Wallpaper(const X11Wallpaper&) = delete;
    X11Wallpaper& operator=(const X11Wallpaper&) = delete;

    // The picture, or none when no wallpaper is set (the background is then black).
    xcb_render_picture_t picture();
    // Forgets the picture: the property changed.
    void drop();

private:
    const XcbConnection& m_connection;
    xcb_render_picture_t m_picture = XCB_NONE;
    bool m_known = false;
};
