#pragma once

#include "capture/PixelBuffer.h"
#include "capture/x11/XcbConnection.h"

#include <xcb/shm.h>

#include <QRect>

#include <vector>

// Reads a 32-bit-per-pixel drawable of a fixed size back into memory this process owns: through
// one MIT-SHM segment shared with the server when it offers one, else through plain GetImage. One
// request per read. The returned views stay valid until the next read.
class X11ImageReader {
public:
    X11ImageReader(const XcbConnection& connection, int width, int height);
    ~X11ImageReader();
    X11ImageReader(const X11ImageReader&) = delete;
    X11ImageReader& operator=(const X11ImageReader&) = delete;

    // Reads rows [firstRow, firstRow + rows) of the drawable, starting at (`x`, `y`), into their
    // place in a `width` × `height` image; the other rows keep what the last reads left there.
    // Throws CaptureError when the server refuses the read.
    PixelBuffer read(xcb_drawable_t drawable, int firstRow, int rows, int x = 0, int y = 0);
    // The memory as a 32-bit pixmap of the reader's size that the server draws into directly, so
    // what it composes there needs no read-back; none when the server cannot share pixmaps.
    // Owned by the reader.
    xcb_pixmap_t sharedPixmap();
    // The memory as the last reads and draws left it, no request made.
    PixelBuffer view();

private:
    std::uint8_t* fetch(xcb_drawable_t drawable, const QRect& rect, size_t offset);

    const XcbConnection& m_connection;
    int m_width;
    int m_height;
    int m_shmId = -1;
    std::uint8_t* m_shmData = nullptr;
    xcb_shm_seg_t m_segment = XCB_NONE;
    xcb_pixmap_t m_sharedPixmap = XCB_PIXMAP_NONE;
    bool m_sharedPixmapTried = false;
    std::vector<std::uint8_t> m_fallback;
};
