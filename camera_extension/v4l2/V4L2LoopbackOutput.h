#pragma once

#include "camera_extension/FrameSink.h"
#include "camera_extension/v4l2/VideoNode.h"

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class DeviceLog;

// The camera written to a v4l2loopback device as 1920 × 1080 YUYV (I420 when the device holds on
// to that), converted from the daemon's BGRA frames into a buffer allocated once at open. While
// the device is open it is one client of the stream, so the frame timer runs for it.
//
// Threads: open() and close() run on the control thread, sendFrame() on the frame timer's; one
// mutex keeps a frame being written and a close apart. The callbacks run under that mutex, on
// whichever thread opened or lost the device: they must only hand work on (post it), never call
// back into this object.
class V4L2LoopbackOutput final : public FrameSink {
public:
    struct Callbacks {
        std::function<void()> clientStarted;
        std::function<void()> clientStopped;
    };

    V4L2LoopbackOutput(DeviceLog& log, Callbacks callbacks);
    ~V4L2LoopbackOutput() override;
    V4L2LoopbackOutput(const V4L2LoopbackOutput&) = delete;
    V4L2LoopbackOutput& operator=(const V4L2LoopbackOutput&) = delete;

    // Opens and configures the device and starts its client; false (reason logged) otherwise.
    bool open(const std::string& path);
    // Stops the client and closes the device; nothing if it is not open.
    void close();
    bool isOpen() const;
    std::uint32_t pixelFormat() const;
    // The device a failed write closed since the last call, if any.
    std::optional<std::string> takeFailedDevice();

    // Converts and writes one frame. A failed write is logged once, closes the device and stops
    // its client; frames sent after that are ignored.
    int sendFrame(std::shared_ptr<CameraBuffer> frame, std::uint64_t hostTimeNs,
                  std::uint64_t durationNs) override;

private:
    bool configure(VideoNode& node, VideoNode::OutputFormat& format);
    bool convert(const CameraBuffer& frame);
    void closeLocked();

    DeviceLog& m_log;
    Callbacks m_callbacks;
    mutable std::mutex m_mutex;
    VideoNode m_node;
    VideoNode::OutputFormat m_format;
    std::vector<std::uint8_t> m_converted;
    std::optional<std::string> m_failedDevice;
};
