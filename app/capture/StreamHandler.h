#pragma once

#include "capture/StreamOutput.h"

#include <functional>

// Receives a stream's samples and hands every screen image, synchronously and on the capture
// thread, to `onPixelBuffer`. Audio and other outputs, and samples without an image, are dropped.
class StreamHandler final : public StreamOutput {
public:
    using PixelBufferCallback = std::function<void(const PixelBuffer&)>;

    explicit StreamHandler(PixelBufferCallback onPixelBuffer)
        : m_onPixelBuffer(std::move(onPixelBuffer)) {}

    void stream(CaptureStream& stream, const SampleBuffer& sampleBuffer,
                StreamOutputType type) override;

private:
    PixelBufferCallback m_onPixelBuffer;
};
