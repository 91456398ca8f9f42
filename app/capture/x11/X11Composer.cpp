#include "capture/x11/X11Composer.h"

#include "x11/XcbOwners.h"

#include <xcb/xfixes.h>

#include <cstring>

namespace {

xcb_render_fixed_t toFixed(double value) {
    return static_cast<xcb_render_fixed_t>(value * 65536.0);
}

// Creates a depth-32 pixmap with an ARGB picture on it.
void createSurface(const XcbConnection& connection, int width, int height, xcb_pixmap_t& pixmap,
                   xcb_render_picture_t& picture) {
    xcb_connection_t* c = connection.get();
    pixmap = xcb_generate_id(c);
    xcb_create_pixmap(c, 32, pixmap, connection.root(), width, height);
    picture = xcb_generate_id(c);
    xcb_render_create_picture(c, picture, pixmap, connection.argbFormat(), 0, nullptr);
}

}  // namespace

X11Composer::X11Composer(XcbConnection& connection, X11Scene& scene, const QRect& displayFrame,
                         const QSize& outputSize, bool showsCursor)
    : m_connection(connection)
    , m_scene(scene)
    , m_display(displayFrame)
    , m_output(outputSize)
    , m_showsCursor(showsCursor)
    , m_drawer(connection, scene, displayFrame) {
    xcb_connection_t* c = m_connection.get();
    createSurface(m_connection, m_display.width(), m_display.height(), m_canvasPixmap, m_canvas);
    if (m_output != m_display.size()) {
        createSurface(m_connection, m_output.width(), m_output.height(), m_outputPixmap,
                      m_outputPicture);
        // The transform maps output coordinates to canvas coordinates; PAD keeps the edges
        // opaque when the filter samples past them.
        const xcb_render_transform_t transform{
            toFixed(double(m_display.width()) / m_output.width()),
            0,
            0,
            0,
            toFixed(double(m_display.height()) / m_output.height()),
            0,
            0,
            0,
            toFixed(1.0)};
        xcb_render_set_picture_transform(c, m_canvas, transform);
        static const char kFilter[] = "bilinear";
        xcb_render_set_picture_filter(c, m_canvas, sizeof kFilter - 1, kFilter, 0, nullptr);
        const uint32_t pad = XCB_RENDER_REPEAT_PAD;
        xcb_render_change_picture(c, m_canvas, XCB_RENDER_CP_REPEAT, &pad);
    }
    m_reader = std::make_unique<X11ImageReader>(m_connection, m_output.width(), m_output.height());
    m_cursorRegion = xcb_generate_id(c);
    xcb_xfixes_create_region(c, m_cursorRegion, 0, nullptr);
}

X11Composer::~X11Composer() {
    xcb_connection_t* c = m_connection.get();
    m_reader.reset();
    freeCursor();
    if (m_outputPicture != XCB_NONE) {
        xcb_render_free_picture(c, m_outputPicture);
        xcb_free_pixmap(c, m_outputPixmap);
    }
    xcb_render_free_picture(c, m_canvas);
    xcb_free_pixmap(c, m_canvasPixmap);
    xcb_xfixes_destroy_region(c, m_cursorRegion);
    xcb_flush(c);
}

QRect X11Composer::cursorRect() const {
    return QRect(m_cursorX - m_cursorHotX, m_cursorY - m_cursorHotY, m_cursorWidth, m_cursorHeight);
}

bool X11Composer::ownsResource(uint32_t id) const {
    return id != XCB_NONE && (id == m_canvas || id == m_canvasPixmap || id == m_outputPicture ||
                              id == m_outputPixmap);
}

bool X11Composer::updateCursor() {
    if (!m_showsCursor) {
        return false;
    }
    xcb_connection_t* c = m_connection.get();
    XcbReply<xcb_xfixes_get_cursor_image_reply_t> image(
        xcb_xfixes_get_cursor_image_reply(c, xcb_xfixes_get_cursor_image(c), nullptr));
    if (!image) {
        return false;
    }
    const QRect before = cursorRect();
    bool changed = !m_cursorKnown || image->x != m_cursorX || image->y != m_cursorY;
    m_cursorX = image->x;
    m_cursorY = image->y;
    if (!m_cursorKnown || image->cursor_serial != m_cursorSerial) {
        uploadCursor(*image);
        changed = true;
    }
    m_cursorKnown = true;
    if (changed) {
        // Where the cursor was is composed again without it; where it is now, with it.
        const QRect after = cursorRect();
        const xcb_rectangle_t rects[2] = {
            {static_cast<int16_t>(before.x()), static_cast<int16_t>(before.y()),
             static_cast<uint16_t>(before.width()), static_cast<uint16_t>(before.height())},
            {static_cast<int16_t>(after.x()), static_cast<int16_t>(after.y()),
             static_cast<uint16_t>(after.width()), static_cast<uint16_t>(after.height())}};
        xcb_xfixes_set_region(c, m_cursorRegion, 2, rects);
        m_cursorDamaged = true;
    }
    return changed;
}

void X11Composer::uploadCursor(const xcb_xfixes_get_cursor_image_reply_t& image) {
    freeCursor();
    m_cursorSerial = image.cursor_serial;
    m_cursorHotX = image.xhot;
    m_cursorHotY = image.yhot;
    m_cursorWidth = image.width;
    m_cursorHeight = image.height;
    if (image.width == 0 || image.height == 0) {
        return;
    }
    xcb_connection_t* c = m_connection.get();
    const xcb_pixmap_t pixmap = xcb_generate_id(c);
    xcb_create_pixmap(c, 32, pixmap, m_connection.root(), image.width, image.height);
    const xcb_gcontext_t gc = xcb_generate_id(c);
    xcb_create_gc(c, gc, pixmap, 0, nullptr);
    // The image is premultiplied ARGB in the client's byte order, exactly a 32-bit ZPixmap.
    const auto* pixels = xcb_xfixes_get_cursor_image_cursor_image(&image);
    xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc, image.width, image.height, 0, 0, 0, 32,
                  static_cast<uint32_t>(image.width) * image.height * 4,
                  reinterpret_cast<const uint8_t*>(pixels));
    xcb_free_gc(c, gc);
    m_cursor = xcb_generate_id(c);
    xcb_render_create_picture(c, m_cursor, pixmap, m_connection.argbFormat(), 0, nullptr);
    // The picture keeps the pixmap alive.
    xcb_free_pixmap(c, pixmap);
}

void X11Composer::freeCursor() {
    if (m_cursor != XCB_NONE) {
        xcb_render_free_picture(m_connection.get(), m_cursor);
        m_cursor = XCB_NONE;
    }
}

std::optional<PixelBuffer> X11Composer::compose() {
    xcb_connection_t* c = m_connection.get();
    const int height = m_display.height();
    const bool scaled = m_outputPicture != XCB_NONE;
    // The canvas keeps the previous frame: only what changed is composed again, unless the
    // output is scaled (stills), which takes the whole canvas anyway.
    const bool full = scaled || m_scene.isFullyDamaged() || !m_canvasValid;
    if (m_cursorDamaged && !full) {
        m_scene.addDamage(m_cursorRegion);
    }
    m_cursorDamaged = false;

    int bandTop = 0;
    int bandRows = height;
    if (!full) {
        XcbReply<xcb_xfixes_fetch_region_reply_t> region(xcb_xfixes_fetch_region_reply(
            c, xcb_xfixes_fetch_region(c, m_scene.damage()), nullptr));
        if (!region) {
            return std::nullopt;
        }
        const QRect extents = QRect(region->extents.x, region->extents.y, region->extents.width,
                                    region->extents.height)
                                  .intersected(m_display);
        if (extents.isEmpty()) {
            m_scene.clearDamage();
            return std::nullopt;
        }
        bandTop = extents.top() - m_display.y();
        bandRows = extents.height();
    }
    m_drawer.draw(m_canvas, full ? XCB_NONE : m_scene.damage(), m_display);

    if (m_showsCursor && m_cursor != XCB_NONE) {
        if (!full) {
            xcb_xfixes_set_picture_clip_region(c, m_canvas, m_scene.damage(), -m_display.x(),
                                               -m_display.y());
        }
        xcb_render_composite(c, XCB_RENDER_PICT_OP_OVER, m_cursor, XCB_NONE, m_canvas, 0, 0, 0, 0,
                             m_cursorX - m_cursorHotX - m_display.x(),
                             m_cursorY - m_cursorHotY - m_display.y(), m_cursorWidth,
                             m_cursorHeight);
        if (!full) {
            xcb_xfixes_set_picture_clip_region(c, m_canvas, XCB_NONE, 0, 0);
        }
    }
    m_scene.clearDamage();
    m_canvasValid = true;

    if (scaled) {
        xcb_render_composite(c, XCB_RENDER_PICT_OP_SRC, m_canvas, XCB_NONE, m_outputPicture, 0, 0,
                             0, 0, 0, 0, m_output.width(), m_output.height());
        return m_reader->read(m_outputPixmap, 0, m_output.height());
    }
    return m_reader->read(m_canvasPixmap, bandTop, bandRows);
}
