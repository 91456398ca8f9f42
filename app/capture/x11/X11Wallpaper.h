#pragma once

#include "capture/x11/XcbConnection.h"

#include <xcb/render.h>

// The desktop background as a repeating picture: the pixmap a wallpaper setter announces
// (_XROOTPMAP_ID, else ESETROOT_PMAP_ID), or, when none is announced (a window manager with
// `xsetroot -solid`), the root window's own background. Once windows are redirected the root's
// background cannot be read where a window covers it, so it is taken from a small helper window
// of ours, off screen, whose background is its parent's (ParentRelative): the server paints the
// root's background into it, tile-aligned for any tile whose size divides the helper's.
// Looked up once, until dropped.
class X11Wallpaper {
public:
    explicit X11Wallpaper(const XcbConnection& connection);
    ~X11Wallpaper();
    X11Wallpaper(const X11Wallpaper&) = delete;
    X11Wallpaper& operator=(const X11Wallpaper&) = delete;

    // The picture; none only when the server refuses every way (the background is then black).
    xcb_render_picture_t picture();
    // Forgets the picture: a wallpaper property changed.
    void drop();
    // The helper window, XCB_NONE until made. It is never shown and its damage means nothing.
    xcb_window_t helperWindow() const { return m_helper; }

private:
    xcb_render_picture_t announcedPicture(XcbConnection::Atom property);
    xcb_render_picture_t rootBackgroundPicture();

    const XcbConnection& m_connection;
    xcb_render_picture_t m_picture = XCB_NONE;
    bool m_fromHelper = false;  // m_picture shows m_helper, repainted before each use
    xcb_window_t m_helper = XCB_NONE;
    bool m_known = false;
};
