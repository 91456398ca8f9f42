#pragma once

#include "capture/CaptureBackend.h"

#include <QByteArray>

#include <memory>
#include <mutex>

class XcbConnection;

// Capture on an X11 display: listing from the window tree, streams and stills composed with
// Composite and RENDER. Each stream has its own connection and thread; listing and stills share
// one connection that also keeps every window redirected, so a window's own pixmap holds its real
// content (not what covered it) by the time it is composed without what covered it.
class X11CaptureBackend final : public CaptureBackend {
public:
    // `displayName` empty: $DISPLAY.
    explicit X11CaptureBackend(QByteArray displayName = {});
    ~X11CaptureBackend() override;

    ShareableContent shareableContent() override;
    std::unique_ptr<CaptureStream> makeStream(const ContentFilter& filter,
                                              const StreamConfiguration& configuration,
                                              CaptureStreamDelegate* delegate) override;
    QImage captureImage(const ContentFilter& filter,
                        const StreamConfiguration& configuration) override;

private:
    XcbConnection& connection();

    QByteArray m_displayName;
    std::mutex m_mutex;
    std::unique_ptr<XcbConnection> m_connection;
};
