#include "camera_extension/v4l2/V4L2LoopbackOutput.h"

#include "camera_extension/DeviceLog.h"
#include "shared/FrameHandoff.h"

#include <libyuv/convert_from_argb.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace {

// YUYV first: every V4L2 consumer takes it and it needs no plane arithmetic; I420 for a device
// whose format another program has fixed to it.
VideoNode::OutputFormat requestedFormat(std::uint32_t pixelFormat) {
    VideoNode::OutputFormat format;
    format.pixelFormat = pixelFormat;
    format.width = FrameHandoff::kFrameWidth;
    format.height = FrameHandoff::kFrameHeight;
    if (pixelFormat == VideoNode::kPixelFormatYUYV) {
        format.bytesPerLine = format.width * 2;
        format.sizeImage = std::size_t(format.bytesPerLine) * std::size_t(format.height);
    } else {
        format.bytesPerLine = format.width;
        format.sizeImage = std::size_t(format.width) * std::size_t(format.height) * 3 / 2;
    }
    return format;
}

// What a frame of `format` needs at least; a driver that reports less is not believed.
std::size_t minimumFrameBytes(const VideoNode::OutputFormat& format) {
    const std::size_t rows = std::size_t(format.height);
    const std::size_t line = std::size_t(format.bytesPerLine);
    if (format.pixelFormat == VideoNode::kPixelFormatYUYV) {
        return line * rows;
    }
    return line * rows + 2 * (line / 2) * (rows / 2);
}

bool isUsable(const VideoNode::OutputFormat& format) {
    const bool knownLayout = format.pixelFormat == VideoNode::kPixelFormatYUYV ||
                             format.pixelFormat == VideoNode::kPixelFormatI420;
    const int minimumLine =
        format.pixelFormat == VideoNode::kPixelFormatYUYV ? format.width * 2 : format.width;
    // The conversion buffer is allocated from the driver's answer: a line or frame size far
    // beyond what the picture needs is refused rather than believed.
    return knownLayout && format.width == FrameHandoff::kFrameWidth &&
           format.height == FrameHandoff::kFrameHeight && format.bytesPerLine >= minimumLine &&
           format.bytesPerLine <= 2 * minimumLine &&
           format.sizeImage >= minimumFrameBytes(format) &&
           format.sizeImage <= 2 * minimumFrameBytes(format);
}

}  // namespace

V4L2LoopbackOutput::V4L2LoopbackOutput(DeviceLog& log, Callbacks callbacks)
    : m_log(log)
    , m_callbacks(std::move(callbacks)) {}

V4L2LoopbackOutput::~V4L2LoopbackOutput() {
    close();
}

bool V4L2LoopbackOutput::configure(VideoNode& node, VideoNode::OutputFormat& format) {
    for (const std::uint32_t pixelFormat :
         {VideoNode::kPixelFormatYUYV, VideoNode::kPixelFormatI420}) {
        format = requestedFormat(pixelFormat);
        if (const int error = node.setOutputFormat(format)) {
            m_log.error("v4l2loopback device %s refused the output format: %s", node.path().c_str(),
                        std::strerror(error));
            return false;
        }
        if (isUsable(format)) {
            return true;
        }
    }
    m_log.error(
        "v4l2loopback device %s keeps the format %s %dx%d (%d bytes a line, %zu a frame); it "
        "needs YUYV or I420 %dx%d",
        node.path().c_str(), VideoNode::fourccName(format.pixelFormat).c_str(), format.width,
        format.height, format.bytesPerLine, format.sizeImage, FrameHandoff::kFrameWidth,
        FrameHandoff::kFrameHeight);
    return false;
}

bool V4L2LoopbackOutput::open(const std::string& path) {
    VideoNode node;
    if (const int error = node.open(path)) {
        m_log.error("v4l2loopback device %s cannot be opened: %s", path.c_str(),
                    std::strerror(error));
        return false;
    }
    VideoNode::OutputFormat format;
    if (!configure(node, format)) {
        return false;
    }
    // A refused frame rate leaves the consumers guessing it; the frames still flow.
    const int rateError = node.setOutputFrameRate(FrameHandoff::kFramesPerSecond);

    std::lock_guard lock(m_mutex);
    closeLocked();
    m_node = std::move(node);
    m_format = format;
    m_converted.assign(format.sizeImage, 0);
    m_log.info("v4l2loopback output on %s: %s %dx%d @%dfps%s", path.c_str(),
               VideoNode::fourccName(format.pixelFormat).c_str(), format.width, format.height,
               FrameHandoff::kFramesPerSecond,
               rateError ? " (the device did not take the frame rate)" : "");
    if (m_callbacks.clientStarted) {
        m_callbacks.clientStarted();
    }
    return true;
}

void V4L2LoopbackOutput::close() {
    std::lock_guard lock(m_mutex);
    closeLocked();
}

void V4L2LoopbackOutput::closeLocked() {
    if (!m_node.isOpen()) {
        return;
    }
    m_node.close();
    m_converted = {};
    if (m_callbacks.clientStopped) {
        m_callbacks.clientStopped();
    }
}

bool V4L2LoopbackOutput::isOpen() const {
    std::lock_guard lock(m_mutex);
    return m_node.isOpen();
}

std::uint32_t V4L2LoopbackOutput::pixelFormat() const {
    std::lock_guard lock(m_mutex);
    return m_node.isOpen() ? m_format.pixelFormat : 0;
}

std::optional<std::string> V4L2LoopbackOutput::takeFailedDevice() {
    std::lock_guard lock(m_mutex);
    return std::exchange(m_failedDevice, std::nullopt);
}

bool V4L2LoopbackOutput::convert(const CameraBuffer& frame) {
    if (frame.width != m_format.width || frame.height != m_format.height ||
        frame.pixelFormat != FrameHandoff::kPixelFormatBGRA) {
        return false;
    }
    // libyuv's "ARGB" is B, G, R, A in memory: the daemon's BGRA frames as they are.
    if (m_format.pixelFormat == VideoNode::kPixelFormatYUYV) {
        return libyuv::ARGBToYUY2(frame.data, frame.bytesPerRow, m_converted.data(),
                                  m_format.bytesPerLine, frame.width, frame.height) == 0;
    }
    const int lumaStride = m_format.bytesPerLine;
    const int chromaStride = lumaStride / 2;
    std::uint8_t* y = m_converted.data();
    std::uint8_t* u = y + std::size_t(lumaStride) * std::size_t(frame.height);
    std::uint8_t* v = u + std::size_t(chromaStride) * std::size_t(frame.height / 2);
    return libyuv::ARGBToI420(frame.data, frame.bytesPerRow, y, lumaStride, u, chromaStride, v,
                              chromaStride, frame.width, frame.height) == 0;
}

int V4L2LoopbackOutput::sendFrame(std::shared_ptr<CameraBuffer> frame, std::uint64_t,
                                  std::uint64_t) {
    std::lock_guard lock(m_mutex);
    if (!m_node.isOpen()) {
        return 0;  // no device, nothing asked of this sink
    }
    if (!frame || !convert(*frame)) {
        return EINVAL;
    }
    std::size_t written = 0;
    const int error = m_node.writeFrame(m_converted.data(), m_format.sizeImage, written);
    if (error == EAGAIN) {
        return error;  // the device is busy this tick; the next frame replaces this one
    }
    if (error || written != m_format.sizeImage) {
        if (error) {
            m_log.error("v4l2loopback output on %s failed (%s); the device is closed",
                        m_node.path().c_str(), std::strerror(error));
        } else {
            m_log.error("v4l2loopback output on %s took %zu of %zu bytes; the device is closed",
                        m_node.path().c_str(), written, m_format.sizeImage);
        }
        m_failedDevice = m_node.path();
        closeLocked();
        return error ? error : EIO;
    }
    return 0;
}
