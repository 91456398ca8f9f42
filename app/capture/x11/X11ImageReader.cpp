#include "capture/x11/X11ImageReader.h"

#include "capture/CaptureError.h"
#include "x11/XcbOwners.h"

#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstring>

X11ImageReader::X11ImageReader(const XcbConnection& connection, int width, int height)
    : m_connection(connection)
    , m_width(width)
    , m_height(height) {
    if (!m_connection.shm().present) {
        return;
    }
    const size_t size = static_cast<size_t>(width) * height * 4;
    m_shmId = shmget(IPC_PRIVATE, size, IPC_CREAT | 0600);
    if (m_shmId < 0) {
        return;
    }
    void* data = shmat(m_shmId, nullptr, 0);
    if (data == reinterpret_cast<void*>(-1)) {
        shmctl(m_shmId, IPC_RMID, nullptr);
        m_shmId = -1;
        return;
    }
    m_shmData = static_cast<std::uint8_t*>(data);
    xcb_connection_t* c = m_connection.get();
    m_segment = xcb_generate_id(c);
    XcbReply<xcb_generic_error_t> error(
        xcb_request_check(c, xcb_shm_attach_checked(c, m_segment, m_shmId, /*read_only=*/0)));
    // Marked for removal at once: the segment disappears with the last of this process and the
    // server, whoever ends first, even after a crash.
    shmctl(m_shmId, IPC_RMID, nullptr);
    if (error) {
        shmdt(m_shmData);
        m_shmData = nullptr;
        m_segment = XCB_NONE;
    }
}

X11ImageReader::~X11ImageReader() {
    if (m_sharedPixmap != XCB_PIXMAP_NONE) {
        xcb_free_pixmap(m_connection.get(), m_sharedPixmap);
    }
    if (m_segment != XCB_NONE) {
        xcb_shm_detach(m_connection.get(), m_segment);
        xcb_flush(m_connection.get());
    }
    if (m_shmData) {
        shmdt(m_shmData);
    }
}

xcb_pixmap_t X11ImageReader::sharedPixmap() {
    if (m_sharedPixmapTried) {
        return m_sharedPixmap;
    }
    m_sharedPixmapTried = true;
    if (m_segment == XCB_NONE || !m_connection.hasSharedPixmaps()) {
        return XCB_PIXMAP_NONE;
    }
    xcb_connection_t* c = m_connection.get();
    const xcb_pixmap_t pixmap = xcb_generate_id(c);
    XcbReply<xcb_generic_error_t> error(
        xcb_request_check(c, xcb_shm_create_pixmap_checked(c, pixmap, m_connection.root(), m_width,
                                                           m_height, 32, m_segment, 0)));
    if (!error) {
        m_sharedPixmap = pixmap;
    }
    return m_sharedPixmap;
}

PixelBuffer X11ImageReader::view() {
    if (m_segment == XCB_NONE) {
        m_fallback.resize(static_cast<size_t>(m_width) * m_height * 4);
        return {m_fallback.data(), m_width, m_height, m_width * 4};
    }
    return {m_shmData, m_width, m_height, m_width * 4};
}

std::uint8_t* X11ImageReader::fetch(xcb_drawable_t drawable, const QRect& rect, size_t offset) {
    xcb_connection_t* c = m_connection.get();
    const size_t size = static_cast<size_t>(rect.width()) * rect.height() * 4;
    m_fallback.resize(static_cast<size_t>(m_width) * m_height * 4);
    xcb_generic_error_t* rawError = nullptr;
    bool ok = false;
    if (m_segment != XCB_NONE) {
        const xcb_shm_get_image_cookie_t cookie =
            xcb_shm_get_image(c, drawable, rect.x(), rect.y(), rect.width(), rect.height(), ~0u,
                              XCB_IMAGE_FORMAT_Z_PIXMAP, m_segment, offset);
        XcbReply<xcb_shm_get_image_reply_t> reply(xcb_shm_get_image_reply(c, cookie, &rawError));
        ok = reply != nullptr;
    } else {
        const xcb_get_image_cookie_t cookie =
            xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, drawable, rect.x(), rect.y(), rect.width(),
                          rect.height(), ~0u);
        XcbReply<xcb_get_image_reply_t> reply(xcb_get_image_reply(c, cookie, &rawError));
        ok = reply && static_cast<size_t>(xcb_get_image_data_length(reply.get())) >= size;
        if (ok) {
            std::memcpy(m_fallback.data() + offset, xcb_get_image_data(reply.get()), size);
        }
    }
    XcbReply<xcb_generic_error_t> error(rawError);
    if (!ok) {
        throw CaptureError(QStringLiteral("The X server refused to read the frame back (error %1)")
                               .arg(error ? error->error_code : 0));
    }
    return m_segment != XCB_NONE ? m_shmData : m_fallback.data();
}

PixelBuffer X11ImageReader::read(xcb_drawable_t drawable, int firstRow, int rows, int x, int y) {
    firstRow = std::clamp(firstRow, 0, m_height);
    rows = std::clamp(rows, 0, m_height - firstRow);
    const size_t stride = static_cast<size_t>(m_width) * 4;
    if (rows > 0) {
        // The rows land where they belong, so only they cross from the server.
        fetch(drawable, QRect(x, y + firstRow, m_width, rows), stride * firstRow);
    }
    return view();
}
