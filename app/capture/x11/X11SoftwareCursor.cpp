#include "capture/x11/X11SoftwareCursor.h"

#include "x11/XcbOwners.h"

#include <xcb/xfixes.h>

#include <algorithm>
#include <cstring>

namespace {

// `value` × `alpha` / 255 for each byte of a pixel, rounded as RENDER rounds it.
std::uint32_t scale(std::uint32_t value, std::uint32_t alpha) {
    std::uint32_t result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const std::uint32_t t = ((value >> shift) & 0xff) * alpha + 0x80;
        result |= (((t >> 8) + t) >> 8 & 0xff) << shift;
    }
    return result;
}

// `a` + `b` for each byte of a pixel, saturated.
std::uint32_t addSaturated(std::uint32_t a, std::uint32_t b) {
    std::uint32_t result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const std::uint32_t sum = ((a >> shift) & 0xff) + ((b >> shift) & 0xff);
        result |= std::min<std::uint32_t>(sum, 0xff) << shift;
    }
    return result;
}

}  // namespace

X11SoftwareCursor::X11SoftwareCursor(const XcbConnection& connection)
    : m_connection(connection) {}

QRect X11SoftwareCursor::rect() const {
    if (m_width == 0 || m_height == 0) {
        return {};
    }
    return QRect(m_x - m_hotX, m_y - m_hotY, m_width, m_height);
}

bool X11SoftwareCursor::update() {
    xcb_connection_t* c = m_connection.get();
    XcbReply<xcb_xfixes_get_cursor_image_reply_t> image(
        xcb_xfixes_get_cursor_image_reply(c, xcb_xfixes_get_cursor_image(c), nullptr));
    if (!image) {
        return false;
    }
    bool changed = !m_known || image->x != m_x || image->y != m_y;
    m_x = image->x;
    m_y = image->y;
    if (!m_known || image->cursor_serial != m_serial) {
        m_serial = image->cursor_serial;
        m_hotX = image->xhot;
        m_hotY = image->yhot;
        m_width = image->width;
        m_height = image->height;
        const size_t count = static_cast<size_t>(m_width) * m_height;
        const int length = xcb_xfixes_get_cursor_image_cursor_image_length(image.get());
        if (length < 0 || static_cast<size_t>(length) < count) {
            m_width = m_height = 0;  // a malformed reply: no cursor rather than a read past it
        }
        const std::uint32_t* pixels = xcb_xfixes_get_cursor_image_cursor_image(image.get());
        m_image.assign(pixels, pixels + (m_width > 0 ? count : 0));
        changed = true;
    }
    m_known = true;
    return changed;
}

void X11SoftwareCursor::erase(std::uint8_t* frame, int bytesPerRow) {
    if (m_drawn.isEmpty()) {
        return;
    }
    const std::uint32_t* saved = m_beneath.data();
    for (int y = m_drawn.top(); y <= m_drawn.bottom(); ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(frame + static_cast<size_t>(y) * bytesPerRow);
        std::memcpy(row + m_drawn.x(), saved, m_drawn.width() * sizeof(std::uint32_t));
        saved += m_drawn.width();
    }
    m_drawn = QRect();
}

void X11SoftwareCursor::draw(std::uint8_t* frame, int bytesPerRow, const QRect& display) {
    erase(frame, bytesPerRow);
    const QRect cursor = rect();
    const QRect area = cursor.intersected(display);
    if (area.isEmpty()) {
        return;
    }
    m_drawn = area.translated(-display.topLeft());
    m_beneath.resize(static_cast<size_t>(area.width()) * area.height());
    std::uint32_t* saved = m_beneath.data();
    for (int y = area.top(); y <= area.bottom(); ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(frame + static_cast<size_t>(y - display.y()) *
                                                                 bytesPerRow) +
                    (area.x() - display.x());
        const std::uint32_t* source = m_image.data() +
                                      static_cast<size_t>(y - cursor.y()) * m_width +
                                      (area.x() - cursor.x());
        std::memcpy(saved, row, area.width() * sizeof(std::uint32_t));
        saved += area.width();
        for (int x = 0; x < area.width(); ++x) {
            const std::uint32_t s = source[x];
            const std::uint32_t alpha = s >> 24;
            if (alpha == 0xff) {
                row[x] = s;
            } else if (s != 0) {
                row[x] = addSaturated(s, scale(row[x], 0xff - alpha));
            }
        }
    }
}
