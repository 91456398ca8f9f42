#pragma once

#include "camera_extension/CameraBufferPool.h"

#include <cstdint>
#include <memory>

// Where the frames of the stream go: the PipeWire node, a v4l2loopback device, a test. Called on
// the frame timer's thread.
class FrameSink {
public:
    virtual ~FrameSink() = default;
    // 0 when the frame was handed on, else an errno value (the frame is dropped).
    virtual int sendFrame(std::shared_ptr<CameraBuffer> frame, std::uint64_t hostTimeNs,
                          std::uint64_t durationNs) = 0;
};
