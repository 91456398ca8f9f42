#pragma once

#include "capture/PixelBuffer.h"
#include "capture/x11/XcbConnection.h"

#include <xcb/shm.h>

#include <vector>

// Reads a 32-bit drawable of a fixed size back into memory this process owns: through one MIT-SHM
// segment shared with the server when it offers one, else through plain GetImage. The returned
// view stays valid until the next read.
class X11ImageReader {
public:
    X11ImageReader(const XcbConnection& connection, int width, int height);
    ~X11ImageReader();
    X11ImageReader(const X11ImageReader&) = delete;
    X11ImageReader& operator=(const X11ImageReader&) = delete;

    // Reads rows [firstRow, firstRow + rows) into place; the other rows keep what the last reads
    // left there. Throws CaptureError when the server refuses the read.
    PixelBuffer read(xcb_drawable_t drawable, int firstRow, int rows);

private:
    const XcbConnection& m_connection;
    int m_width;
    int m_height;
    int m_shmId = -1;
    std::uint8_t* m_shmData = nullptr;
    xcb_shm_seg_t m_segment = XCB_NONE;
    std::vector<std::uint8_t> m_fallback;
};
