#include "capture/x11/X11ImageReader.h"

#include "capture/CaptureError.h"
#include "capture/x11/XcbReply.h"

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
    if (m_segment != XCB_NONE) {
        xcb_shm_detach(m_connection.get(), m_segment);
        xcb_flush(m_connection.get());
    }
    if (m_shmData) {
        shmdt(m_shmData);
    }
}

PixelBuffer X11ImageReader::read(xcb_drawable_t drawable, int firstRow, int rows) {
    xcb_connection_t* c = m_connection.get();
    firstRow = std::clamp(firstRow, 0, m_height);
    rows = std::clamp(rows, 0, m_height - firstRow);
    const size_t stride = static_cast<size_t>(m_width) * 4;
    if (rows == 0) {
        return {m_segment != XCB_NONE ? m_shmData : m_fallback.data(), m_width, m_height,
                m_width * 4};
    }
    xcb_generic_error_t* rawError = nullptr;
    if (m_segment != XCB_NONE) {
        XcbReply<xcb_shm_get_image_reply_t> reply(
            xcb_shm_get_image_reply(c,
                                    xcb_shm_get_image(c, drawable, 0, 0, m_width, m_height, ~0u,
                                                      XCB_IMAGE_FORMAT_Z_PIXMAP, m_segment, 0),
                                    &rawError));
        XcbReply<xcb_generic_error_t> error(rawError);
        if (!reply) {
            throw CaptureError(
                QStringLiteral("The X server refused to read the frame back (error %1)")
                    .arg(error ? error->error_code : 0));
        }
        return {m_shmData, m_width, m_height, m_width * 4};
    }
    XcbReply<xcb_get_image_reply_t> reply(xcb_get_image_reply(
        c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, drawable, 0, firstRow, m_width, rows, ~0u),
        &rawError));
    XcbReply<xcb_generic_error_t> error(rawError);
    const size_t size = stride * rows;
    if (!reply || static_cast<size_t>(xcb_get_image_data_length(reply.get())) < size) {
        throw CaptureError(QStringLiteral("The X server refused to read the frame back (error %1)")
                               .arg(error ? error->error_code : 0));
    }
    m_fallback.resize(stride * m_height);
    std::memcpy(m_fallback.data() + firstRow * stride, xcb_get_image_data(reply.get()), size);
    return {m_fallback.data(), m_width, m_height, m_width * 4};
}
