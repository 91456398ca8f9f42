#include "capture/x11/X11SceneDrawer.h"

#include "capture/x11/XcbRects.h"

X11SceneDrawer::X11SceneDrawer(XcbConnection& connection, X11Scene& scene,
                               const QRect& displayFrame)
    : m_connection(connection)
    , m_scene(scene)
    , m_display(displayFrame) {
    xcb_connection_t* c = m_connection.get();
    m_clip = xcb_generate_id(c);
    xcb_xfixes_create_region(c, m_clip, 0, nullptr);
    m_area = xcb_generate_id(c);
    xcb_xfixes_create_region(c, m_area, 0, nullptr);
}

X11SceneDrawer::~X11SceneDrawer() {
    xcb_connection_t* c = m_connection.get();
    xcb_xfixes_destroy_region(c, m_clip);
    xcb_xfixes_destroy_region(c, m_area);
}

std::vector<xcb_rectangle_t> X11SceneDrawer::targetRects(const QRegion& region) const {
    return xcbRects(region, m_display.topLeft());
}

void X11SceneDrawer::drawArea(xcb_render_picture_t target, const QRegion& area) {
    const QRegion bounds = area.intersected(m_display);
    if (bounds.isEmpty()) {
        return;
    }
    const std::vector<xcb_rectangle_t> rects = xcbRects(bounds);
    xcb_xfixes_set_region(m_connection.get(), m_area, rects.size(), rects.data());
    draw(target, m_area, bounds);
}

void X11SceneDrawer::draw(xcb_render_picture_t target, xcb_xfixes_region_t clip,
                          const QRegion& bounds) {
    xcb_connection_t* c = m_connection.get();
    const auto setClip = [&](xcb_xfixes_region_t region) {
        xcb_xfixes_set_picture_clip_region(c, target, region,
                                           region == XCB_NONE ? 0 : -m_display.x(),
                                           region == XCB_NONE ? 0 : -m_display.y());
    };
    if (clip != XCB_NONE) {
        setClip(clip);
    }

    // Occlusion, worked out here from the tracked geometry: each opaque rectangular window hides
    // what lies beneath it, so every pixel is composed once, not once per overlapping window.
    const std::vector<const X11Scene::Window*> shown = m_scene.shownWindows();
    std::vector<QRegion> visible(shown.size());
    QRegion covered;
    for (size_t i = shown.size(); i-- > 0;) {
        const X11Scene::Window* window = shown[i];
        const QRegion frame =
            bounds.intersected(QRect(window->x, window->y, window->width, window->height));
        visible[i] = frame.subtracted(covered);
        if (!window->hasAlpha && window->shape == XCB_NONE) {
            covered += frame;
        }
    }

    const QRegion background = bounds.subtracted(covered);
    if (!background.isEmpty()) {
        const std::vector<xcb_rectangle_t> rects = targetRects(background);
        const xcb_render_color_t black{0, 0, 0, 0xffff};
        xcb_render_fill_rectangles(c, XCB_RENDER_PICT_OP_SRC, target, black, rects.size(),
                                   rects.data());
        if (const xcb_render_picture_t wallpaper = m_scene.wallpaper(); wallpaper != XCB_NONE) {
            for (const xcb_rectangle_t& r : rects) {
                xcb_render_composite(c, XCB_RENDER_PICT_OP_SRC, wallpaper, XCB_NONE, target,
                                     r.x + m_display.x(), r.y + m_display.y(), 0, 0, r.x, r.y,
                                     r.width, r.height);
            }
        }
    }

    for (size_t i = 0; i < shown.size(); ++i) {
        const X11Scene::Window* window = shown[i];
        if (visible[i].isEmpty()) {
            continue;
        }
        const int x = window->x - m_display.x();
        const int y = window->y - m_display.y();
        if (!window->hasAlpha && window->shape == XCB_NONE) {
            // A 24-bit source has no alpha: it is copied, and lands opaque in the ARGB canvas.
            for (const xcb_rectangle_t& r : targetRects(visible[i])) {
                xcb_render_composite(c, XCB_RENDER_PICT_OP_SRC, window->picture, XCB_NONE, target,
                                     r.x - x, r.y - y, 0, 0, r.x, r.y, r.width, r.height);
            }
            continue;
        }
        if (window->shape != XCB_NONE) {
            // Clip the destination to the shape (relative to the window's inside corner), and
            // to the area being composed.
            xcb_xfixes_copy_region(c, window->shape, m_clip);
            xcb_xfixes_translate_region(c, m_clip, window->x + window->border,
                                        window->y + window->border);
            if (clip != XCB_NONE) {
                xcb_xfixes_intersect_region(c, m_clip, clip, m_clip);
            }
            setClip(m_clip);
        }
        const uint8_t op = window->hasAlpha ? XCB_RENDER_PICT_OP_OVER : XCB_RENDER_PICT_OP_SRC;
        xcb_render_composite(c, op, window->picture, XCB_NONE, target, 0, 0, 0, 0, x, y,
                             window->width, window->height);
        if (window->shape != XCB_NONE) {
            setClip(clip);
        }
    }
    if (clip != XCB_NONE) {
        setClip(XCB_NONE);
    }
}
