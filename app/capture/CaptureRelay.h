#pragma once

#include "capture/CaptureStream.h"
#include "capture/PixelBuffer.h"

#include <mutex>

class ScreenManager;

// What a running stream knows of its screen manager: a weak link that the manager cuts when it
// goes away, so frames and stop reports arriving on the capture thread never reach a destroyed
// manager or a sink that was unset.
class CaptureRelay final : public CaptureStreamDelegate {
public:
    explicit CaptureRelay(ScreenManager* manager)
        : m_manager(manager) {}

    void detach();

    PixelBufferSink* sink() const;
    // Waits for a frame being handed to the old sink.
    void setSink(PixelBufferSink* sink);

    // Capture thread.
    void publish(const PixelBuffer& pixelBuffer);
    void streamDidStopWithError(CaptureStream& stream, const CaptureError& error) override;

private:
    mutable std::mutex m_mutex;
    ScreenManager* m_manager;
    PixelBufferSink* m_sink = nullptr;
};
