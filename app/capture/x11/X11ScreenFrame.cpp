#include "capture/x11/X11ScreenFrame.h"

#include "capture/x11/XcbReply.h"

#include <xcb/xfixes.h>

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

QRect X11ScreenFrame::changedRows(bool full) {
    if (full) {
        return m_display;
    }
    xcb_connection_t* c = m_connection.get();
    XcbReply<xcb_xfixes_fetch_region_reply_t> region(
        xcb_xfixes_fetch_region_reply(c, xcb_xfixes_fetch_region(c, m_scene.damage()), nullptr));
    if (!region) {
        return {};
    }
    const QRect extents =
        QRect(region->extents.x, region->extents.y, region->extents.width, region->extents.height)
            .intersected(m_display);
    if (extents.isEmpty()) {
        return {};
    }
    return QRect(m_display.x(), extents.y(), m_display.width(), extents.height());
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
    const QRect rows = changedRows(!m_frameValid || m_scene.isFullyDamaged());
    m_scene.clearDamage();
    if (rows.isEmpty() && !m_cursorChanged) {
        return std::nullopt;
    }
    m_cursorChanged = false;
    const PixelBuffer frame = m_memory.view();
    auto* data = const_cast<std::uint8_t*>(frame.data);
    // Taken away before the server draws those rows again, never after.
    m_cursor.erase(data, frame.bytesPerRow);
    if (!rows.isEmpty()) {
        const QRegion hidden = m_scene.hiddenArea().intersected(rows);
        const xcb_void_cookie_t copy = xcb_render_composite(
            m_connection.get(), XCB_RENDER_PICT_OP_SRC, m_root, XCB_NONE, m_canvas, rows.x(),
            rows.y(), 0, 0, 0, rows.y() - m_display.y(), rows.width(), rows.height());
        m_drawer.drawArea(m_canvas, hidden);
        finish(rows);
        // The screen was copied as it was at that request: left-out windows that moved before
        // it are where it shows them, so cover where the scene, caught up to that moment, has
        // them. Composing there again never shows a left-out window.
        if (!catchUp(copy.sequence)) {
            m_frameValid = false;
            return std::nullopt;
        }
        if (m_scene.isFullyDamaged()) {
            const QRegion now = m_scene.hiddenArea().intersected(rows);
            if (now != hidden) {
                m_drawer.drawArea(m_canvas, now);
                finish(rows);
            }
        }
    }
    if (m_showsCursor) {
        m_cursor.draw(data, frame.bytesPerRow, m_display);
    }
    m_frameValid = true;
    return frame;
}
