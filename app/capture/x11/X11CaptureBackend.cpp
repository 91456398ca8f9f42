#include "capture/x11/X11CaptureBackend.h"

#include "capture/x11/X11CaptureStream.h"
#include "capture/x11/X11Composer.h"
#include "capture/x11/X11ContentReader.h"
#include "capture/x11/X11Scene.h"
#include "capture/x11/XcbConnection.h"
#include "x11/XcbOwners.h"

#include <xcb/composite.h>

#include <QThread>

namespace {

// Once windows are first redirected their clients repaint what was covered; a still taken at
// once would show, in a window's own pixmap, the pixels of the window that covered it.
constexpr int kFirstRedirectSettleMs = 150;

}  // namespace

X11CaptureBackend::X11CaptureBackend(QByteArray displayName)
    : m_displayName(std::move(displayName)) {}

X11CaptureBackend::~X11CaptureBackend() = default;

XcbConnection& X11CaptureBackend::connection() {
    if (m_connection && m_connection->hasError()) {
        // The server went away (or restarted): start afresh next time.
        m_connection.reset();
    }
    if (!m_connection) {
        auto connection = std::make_unique<XcbConnection>(m_displayName);
        // Held for as long as this connection lives.
        xcb_composite_redirect_subwindows(connection->get(), connection->root(),
                                          XCB_COMPOSITE_REDIRECT_AUTOMATIC);
        xcb_flush(connection->get());
        m_connection = std::move(connection);
        QThread::msleep(kFirstRedirectSettleMs);
    }
    return *m_connection;
}

ShareableContent X11CaptureBackend::shareableContent() {
    const std::lock_guard lock(m_mutex);
    XcbConnection& conn = connection();
    xcbDiscardEvents(conn.get());
    return X11ContentReader::read(conn);
}

std::unique_ptr<CaptureStream> X11CaptureBackend::makeStream(
    const ContentFilter& filter, const StreamConfiguration& configuration,
    CaptureStreamDelegate* delegate) {
    {
        // Redirect now, so the stream's first frames show real window contents.
        const std::lock_guard lock(m_mutex);
        connection();
    }
    return std::make_unique<X11CaptureStream>(m_displayName, filter, configuration, delegate);
}

QImage X11CaptureBackend::captureImage(const ContentFilter& filter,
                                       const StreamConfiguration& configuration) {
    const std::lock_guard lock(m_mutex);
    XcbConnection& conn = connection();
    ExclusionRule rule = ExclusionRule::from(filter);
    QImage image;
    {
        X11Scene scene(conn, std::move(rule));
        scene.resolvePendingOwners();
        X11Composer composer(conn, scene, filter.display.frame,
                             QSize(configuration.width, configuration.height),
                             configuration.showsCursor);
        composer.updateCursor();
        // A fresh composer composes everything: there is always a frame.
        const PixelBuffer frame = *composer.compose();
        image = QImage(frame.width, frame.height, QImage::Format_RGB32);
        for (int y = 0; y < frame.height; ++y) {
            const auto* source =
                reinterpret_cast<const quint32*>(frame.data + y * frame.bytesPerRow);
            auto* target = reinterpret_cast<quint32*>(image.scanLine(y));
            for (int x = 0; x < frame.width; ++x) {
                // Scaling filters may leave an opaque alpha a little below 255.
                target[x] = source[x] | 0xff000000u;
            }
        }
    }
    // The still's scene selected events on the shared connection: stop them and drop the rest.
    const uint32_t noEvents = 0;
    xcb_change_window_attributes(conn.get(), conn.root(), XCB_CW_EVENT_MASK, &noEvents);
    XcbReply<xcb_get_input_focus_reply_t> sync(
        xcb_get_input_focus_reply(conn.get(), xcb_get_input_focus(conn.get()), nullptr));
    xcbDiscardEvents(conn.get());
    return image;
}
