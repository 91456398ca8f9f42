#pragma once

#include "capture/CaptureStream.h"
#include "capture/ContentFilter.h"
#include "capture/ShareableContent.h"
#include "capture/StreamConfiguration.h"

#include <QImage>

#include <memory>

// The display server as the screen manager sees it. Every call may block on round trips and
// throws CaptureError; none may run on the GUI thread. Implementations are used from one thread
// at a time.
class CaptureBackend {
public:
    virtual ~CaptureBackend() = default;

    // Desktop windows included, on-screen windows only.
    virtual ShareableContent shareableContent() = 0;

    // The delegate must outlive the stream.
    virtual std::unique_ptr<CaptureStream> makeStream(const ContentFilter& filter,
                                                      const StreamConfiguration& configuration,
                                                      CaptureStreamDelegate* delegate) = 0;

    // One still composed exactly as a stream's frame would be ('BGRA', opaque).
    virtual QImage captureImage(const ContentFilter& filter,
                                const StreamConfiguration& configuration) = 0;
};
