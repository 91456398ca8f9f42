#include "capture/x11/X11ScreenFrame.h"

#include "capture/x11/XcbReply.h"

#include <xcb/xfixes.h>

#include <algorithm>
#include <cstring>

X11ScreenFrame::X11ScreenFrame(XcbConnection& connection, X11Scene& scene,
                               const QRect& displayFrame, bool showsCursor)
    : m_connection(connection)
    , m_scene(scene)
    , m_display(displayFrame)
    , m_showsCursor(showsCursor)
    , m_reader(connection, displayFrame.width(), displayFrame.height())
    , m_composer(connection, scene, displayFrame, displayFrame.size(), /*showsCursor=*/false)
    , m_cursor(connection) {}

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

std::optional<PixelBuffer> X11ScreenFrame::compose(const CatchUp& catchUp) {
    const QRect rows = changedRows(!m_frameValid || m_scene.isFullyDamaged());
    m_scene.clearDamage();
    if (rows.isEmpty() && !m_cursorChanged) {
        return std::nullopt;
    }
    m_cursorChanged = false;
    // A view of the frame as the last call left it; no request.
    PixelBuffer frame = m_reader.read(m_connection.root(), 0, 0);
    std::uint8_t* data = const_cast<std::uint8_t*>(frame.data);
    m_cursor.erase(data, frame.bytesPerRow);
    if (!rows.isEmpty()) {
        frame = m_reader.read(m_connection.root(), rows.y() - m_display.y(), rows.height(),
                              m_display.x(), m_display.y());
        data = const_cast<std::uint8_t*>(frame.data);
        makeOpaque(data, frame.bytesPerRow, rows);
        // The screen was read as the server saw it then: where left-out windows were at that
        // moment is what must be covered, so the scene catches up to exactly that moment.
        catchUp(m_reader.lastSequence());
        patch(data, frame.bytesPerRow, m_scene.hiddenArea().intersected(rows));
    }
    if (m_showsCursor) {
        m_cursor.draw(data, frame.bytesPerRow, m_display);
    }
    m_frameValid = true;
    return frame;
}

void X11ScreenFrame::makeOpaque(std::uint8_t* data, int bytesPerRow, const QRect& rows) const {
    // The root has no alpha channel: its fourth byte is whatever the server left there.
    for (int y = rows.top(); y <= rows.bottom(); ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<size_t>(y - m_display.y()) *
                                                                bytesPerRow);
        for (int x = 0; x < m_display.width(); ++x) {
            row[x] |= 0xff000000u;
        }
    }
}

void X11ScreenFrame::patch(std::uint8_t* data, int bytesPerRow, const QRegion& area) {
    if (area.isEmpty()) {
        return;
    }
    m_composer.composeArea(area);
    const QRect bounds = area.boundingRect();
    const PixelBuffer composed = m_composer.readArea(bounds);
    for (const QRect& r : area) {
        for (int y = r.top(); y <= r.bottom(); ++y) {
            if (!composed.isValid()) {
                // Never the screen's pixels there: they show what is left out.
                auto* row = reinterpret_cast<std::uint32_t*>(
                    data + static_cast<size_t>(y - m_display.y()) * bytesPerRow);
                std::fill_n(row + (r.x() - m_display.x()), r.width(), 0xff000000u);
                continue;
            }
            const std::uint8_t* source =
                composed.data + static_cast<size_t>(y - bounds.y()) * composed.bytesPerRow +
                static_cast<size_t>(r.x() - bounds.x()) * 4;
            std::uint8_t* target = data + static_cast<size_t>(y - m_display.y()) * bytesPerRow +
                                   static_cast<size_t>(r.x() - m_display.x()) * 4;
            std::memcpy(target, source, static_cast<size_t>(r.width()) * 4);
        }
    }
}
