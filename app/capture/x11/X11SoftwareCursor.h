#pragma once

#include "capture/x11/XcbConnection.h"

#include <QRect>

#include <cstdint>
#include <vector>

// The pointer as XFixes reports it, drawn in software into frames this process read back. What
// lay beneath the drawn cursor is kept, so the next frame takes the cursor away without reading
// those pixels from the server again. The blend is RENDER's "over" with its rounding, so a frame
// drawn here matches one the server composed with the same cursor.
class X11SoftwareCursor {
public:
    explicit X11SoftwareCursor(const XcbConnection& connection);

    // One round trip: where the cursor is and how it looks. True when either changed.
    bool update();
    // Where the cursor covers the root, hot spot applied; empty when it has no image.
    QRect rect() const;

    // Puts back what lay beneath the cursor that `draw` drew last. Call before rows are read
    // again: the read then overwrites what it restored, never the other way round.
    void erase(std::uint8_t* frame, int bytesPerRow);
    // Draws the cursor into a frame that shows `display` (root coordinates), opaque 'BGRA'.
    void draw(std::uint8_t* frame, int bytesPerRow, const QRect& display);

private:
    const XcbConnection& m_connection;
    std::vector<std::uint32_t> m_image;  // premultiplied ARGB, row after row
    std::vector<std::uint32_t> m_beneath;
    QRect m_drawn;  // in frame coordinates
    uint32_t m_serial = 0;
    int m_x = 0;
    int m_y = 0;
    int m_hotX = 0;
    int m_hotY = 0;
    int m_width = 0;
    int m_height = 0;
    bool m_known = false;
};
