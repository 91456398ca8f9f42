#pragma once

#include "capture/PixelBuffer.h"
#include "capture/x11/X11ImageReader.h"
#include "capture/x11/X11Scene.h"
#include "capture/x11/X11SceneDrawer.h"
#include "capture/x11/XcbConnection.h"

#include <xcb/xfixes.h>

#include <QRect>
#include <QRegion>
#include <QSize>

#include <memory>
#include <optional>
#include <vector>

// Composes one display's picture on the server with RENDER: the wallpaper, then every window the
// scene shows, bottom to top (shaped windows clipped at the destination; 32-bit clients blended
// over what lies beneath), then the cursor, into an opaque 32-bit canvas; scales it to the output
// size when that differs, and reads it back as 'BGRA'.
class X11Composer {
public:
    X11Composer(XcbConnection& connection, X11Scene& scene, const QRect& displayFrame,
                const QSize& outputSize, bool showsCursor);
    ~X11Composer();
    X11Composer(const X11Composer&) = delete;
    X11Composer& operator=(const X11Composer&) = delete;

    // One round trip: where the cursor is and how it looks. True when either changed.
    bool updateCursor();
    // Composes what changed since the last call and reads back the rows that hold it; the frame
    // is whole either way. Nothing when no shown pixel changed. The view is valid until the next
    // call. Throws CaptureError when the read-back fails.
    std::optional<PixelBuffer> compose();
    // Whether an X resource belongs to the composer itself: an error about it ends the stream.
    bool ownsResource(uint32_t id) const;

private:
    void uploadCursor(const xcb_xfixes_get_cursor_image_reply_t& image);
    void freeCursor();
    QRect cursorRect() const;

    XcbConnection& m_connection;
    X11Scene& m_scene;
    QRect m_display;
    QSize m_output;
    bool m_showsCursor;
    X11SceneDrawer m_drawer;

    xcb_pixmap_t m_canvasPixmap = XCB_PIXMAP_NONE;
    xcb_render_picture_t m_canvas = XCB_NONE;
    xcb_pixmap_t m_outputPixmap = XCB_PIXMAP_NONE;
    xcb_render_picture_t m_outputPicture = XCB_NONE;
    std::unique_ptr<X11ImageReader> m_reader;

    xcb_render_picture_t m_cursor = XCB_NONE;
    uint32_t m_cursorSerial = 0;
    int m_cursorX = 0;
    int m_cursorY = 0;
    int m_cursorHotX = 0;
    int m_cursorHotY = 0;
    int m_cursorWidth = 0;
    int m_cursorHeight = 0;
    bool m_cursorKnown = false;
    bool m_cursorDamaged = false;
    bool m_canvasValid = false;
    xcb_xfixes_region_t m_cursorRegion = XCB_NONE;
};
