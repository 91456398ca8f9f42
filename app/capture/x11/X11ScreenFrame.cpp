#include "capture/x11/X11ScreenFrame.h"

#include "capture/x11/XcbRects.h"
#include "x11/XcbOwners.h"

#include <xcb/xfixes.h>

#include <algorithm>
#include <vector>

X11ScreenFrame::X11ScreenFrame(XcbConnection& connection, X11Scene& scene,
                               const QRect& displayFrame, bool showsCursor)
    : m_connection(connection)
    , m_scene(scene)
    , m_display(displayFrame)
    , m_showsCursor(showsCursor)
    , m_memory(connection, displayFrame.width(), displayFrame.height())
    , m_drawer(connection, scene, displayFrame)
    , m_cursor(connection) {
    xcb_connection_t* c = m_connection.get();
    m_canvasPixmap = m_memory.sharedPixmap();
    m_canvasShared = m_canvasPixmap != XCB_PIXMAP_NONE;
    if (!m_canvasShared) {
        m_canvasPixmap = xcb_generate_id(c);
        xcb_create_pixmap(c, 32, m_canvasPixmap, m_connection.root(), m_display.width(),
                          m_display.height());
    }
    m_canvas = xcb_generate_id(c);
    xcb_render_create_picture(c, m_canvas, m_canvasPixmap, m_connection.argbFormat(), 0, nullptr);
    // The root with what its children show on it, the way the screen looks; the copy into the
    // ARGB canvas makes every pixel opaque on the way.
    m_root = xcb_generate_id(c);
    const uint32_t includeInferiors = XCB_SUBWINDOW_MODE_INCLUDE_INFERIORS;
    xcb_render_create_picture(c, m_root, m_connection.root(),
                              m_connection.formatForVisual(m_connection.screen()->root_visual),
                              XCB_RENDER_CP_SUBWINDOW_MODE, &includeInferiors);
}

X11ScreenFrame::~X11ScreenFrame() {
    xcb_connection_t* c = m_connection.get();
    xcb_render_free_picture(c, m_root);
    xcb_render_free_picture(c, m_canvas);
    if (!m_canvasShared) {
        xcb_free_pixmap(c, m_canvasPixmap);
    }
    xcb_flush(c);
}

bool X11ScreenFrame::ownsResource(uint32_t id) const {
    return id != XCB_NONE && (id == m_canvas || id == m_canvasPixmap || id == m_root);
}

bool X11ScreenFrame::updateCursor() {
    if (!m_showsCursor) {
        return false;
    }
    m_cursorChanged = m_cursor.update() || m_cursorChanged;
    return m_cursorChanged;
}

QRegion X11ScreenFrame::changedArea(bool full) {
    if (full) {
        return QRegion(m_display);
    }
    xcb_connection_t* c = m_connection.get();
    XcbReply<xcb_xfixes_fetch_region_reply_t> region(
        xcb_xfixes_fetch_region_reply(c, xcb_xfixes_fetch_region(c, m_scene.damage()), nullptr));
    if (!region) {
        return {};
    }
    const xcb_rectangle_t* rects = xcb_xfixes_fetch_region_rectangles(region.get());
    const int count = xcb_xfixes_fetch_region_rectangles_length(region.get());
    std::vector<QRect> banded;
    banded.reserve(std::max(count, 0));
    for (int i = 0; i < count; ++i) {
        banded.emplace_back(rects[i].x, rects[i].y, rects[i].width, rects[i].height);
    }
    // The server's regions are banded already, as QRegion keeps them.
    QRegion changed;
    changed.setRects(banded.data(), static_cast<int>(banded.size()));
    return changed.intersected(m_display);
}

void X11ScreenFrame::copyScreen(const QRegion& area) {
    xcb_connection_t* c = m_connection.get();
    const QRect bounds = area.boundingRect();
    const std::vector<xcb_rectangle_t> clip = xcbRects(area, m_display.topLeft());
    xcb_render_set_picture_clip_rectangles(c, m_canvas, 0, 0, clip.size(), clip.data());
    m_copySequence =
        xcb_render_composite(c, XCB_RENDER_PICT_OP_SRC, m_root, XCB_NONE, m_canvas, bounds.x(),
                             bounds.y(), 0, 0, bounds.x() - m_display.x(),
                             bounds.y() - m_display.y(), bounds.width(), bounds.height())
            .sequence;
    xcb_xfixes_set_picture_clip_region(c, m_canvas, XCB_NONE, 0, 0);
}

void X11ScreenFrame::finish(const QRect& rows) {
    if (!m_canvasShared) {
        m_memory.read(m_canvasPixmap, rows.y() - m_display.y(), rows.height());
        return;
    }
    xcb_connection_t* c = m_connection.get();
    XcbReply<xcb_get_input_focus_reply_t> reply(
        xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

std::optional<PixelBuffer> X11ScreenFrame::compose(const CatchUp& catchUp) {
    const QRegion changed = changedArea(!m_frameValid || m_scene.isFullyDamaged());
    m_scene.clearDamage();
    if (changed.isEmpty() && !m_cursorChanged) {
        return std::nullopt;
    }
    m_cursorChanged = false;
    const PixelBuffer frame = m_memory.view();
    auto* data = const_cast<std::uint8_t*>(frame.data);
    // Taken away before the server draws there again, never after.
    m_cursor.erase(data, frame.bytesPerRow);
    if (!changed.isEmpty()) {
        const QRect rows = changed.boundingRect();
        const QRegion hidden = m_scene.hiddenArea().intersected(changed);
        // Where left-out windows are, the screen's pixels would only be drawn over.
        const QRegion copied = changed.subtracted(hidden);
        if (!copied.isEmpty()) {
            copyScreen(copied);
        }
        m_drawer.drawArea(m_canvas, hidden);
        finish(rows);
        // The screen was copied as it was at that request: left-out windows that moved before
        // it are where it shows them, so cover where the scene, caught up to that moment, has
        // them. Composing there again never shows a left-out window.
        if (!copied.isEmpty()) {
            if (!catchUp(m_copySequence)) {
                m_frameValid = false;
                return std::nullopt;
            }
            if (m_scene.isFullyDamaged()) {
                const QRegion now = m_scene.hiddenArea().intersected(changed);
                if (!now.subtracted(hidden).isEmpty()) {
                    m_drawer.drawArea(m_canvas, now);
                    finish(rows);
                }
            }
        }
    }
    if (m_showsCursor) {
        m_cursor.draw(data, frame.bytesPerRow, m_display);
    }
    m_frameValid = true;
    return frame;
}
