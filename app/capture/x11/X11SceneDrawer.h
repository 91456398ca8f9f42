#pragma once

#include "capture/x11/X11Scene.h"
#include "capture/x11/XcbConnection.h"

#include <xcb/xfixes.h>

#include <QRect>
#include <QRegion>

#include <vector>

// Draws one display's part of the scene with RENDER into a 32-bit ARGB picture whose origin is
// the display's corner: the wallpaper (or black), then every window the scene shows, bottom to
// top, each pixel composed once beneath opaque windows; shaped windows clipped at the
// destination, 32-bit clients blended over what lies beneath. No cursor, no read-back.
class X11SceneDrawer {
public:
    X11SceneDrawer(XcbConnection& connection, X11Scene& scene, const QRect& displayFrame);
    ~X11SceneDrawer();
    X11SceneDrawer(const X11SceneDrawer&) = delete;
    X11SceneDrawer& operator=(const X11SceneDrawer&) = delete;

    // Draws within `bounds` (root coordinates), clipped to the server region `clip` (root
    // coordinates) unless that is none. Leaves the target unclipped.
    void draw(xcb_render_picture_t target, xcb_xfixes_region_t clip, const QRegion& bounds);
    // Draws exactly `area` (root coordinates).
    void drawArea(xcb_render_picture_t target, const QRegion& area);

private:
    // Root-coordinate region → target rectangles.
    std::vector<xcb_rectangle_t> targetRects(const QRegion& region) const;

    XcbConnection& m_connection;
    X11Scene& m_scene;
    QRect m_display;
    xcb_xfixes_region_t m_clip = XCB_NONE;
    xcb_xfixes_region_t m_area = XCB_NONE;
};
