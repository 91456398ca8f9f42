#pragma once

#include "capture/PixelBuffer.h"

#include <optional>

class CaptureStream;

enum class StreamOutputType { screen, audio };

// One sample a stream delivers. A screen sample normally carries an image; a sample without one
// (a status-only sample) has none.
struct SampleBuffer {
    std::optional<PixelBuffer> imageBuffer;
};

// Receives a stream's samples, on the stream's own capture thread.
class StreamOutput {
public:
    virtual ~StreamOutput() = default;
    virtual void stream(CaptureStream& stream, const SampleBuffer& sampleBuffer,
                        StreamOutputType type) = 0;
};
