#pragma once

#include <QPoint>
#include <QRegion>

#include <xcb/xcb.h>

#include <cstdint>
#include <vector>

// The rectangles of `region` as X rectangles, relative to `origin` (a display's top-left corner
// when the target is that display's picture).
inline std::vector<xcb_rectangle_t> xcbRects(const QRegion& region, QPoint origin = {}) {
    std::vector<xcb_rectangle_t> rects;
    rects.reserve(region.rectCount());
    for (const QRect& r : region) {
        rects.push_back({static_cast<int16_t>(r.x() - origin.x()),
                         static_cast<int16_t>(r.y() - origin.y()), static_cast<uint16_t>(r.width()),
                         static_cast<uint16_t>(r.height())});
    }
    return rects;
}
