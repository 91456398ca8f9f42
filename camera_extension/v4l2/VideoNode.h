#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

constexpr std::uint32_t videoFourcc(char a, char b, char c, char d) {
    return std::uint32_t(std::uint8_t(a)) | (std::uint32_t(std::uint8_t(b)) << 8) |
           (std::uint32_t(std::uint8_t(c)) << 16) | (std::uint32_t(std::uint8_t(d)) << 24);
}

// One open V4L2 device node; the descriptor closes with the object. Every call answers 0 or an
// errno value and logs nothing: the callers decide what a failure means.
class VideoNode {
public:
    // The two layouts video-call applications take from a V4L2 camera.
    static constexpr std::uint32_t kPixelFormatYUYV = videoFourcc('Y', 'U', 'Y', 'V');
    static constexpr std::uint32_t kPixelFormatI420 = videoFourcc('Y', 'U', '1', '2');
    static std::string fourccName(std::uint32_t pixelFormat);

    struct Capabilities {
        std::string driver;
        std::string card;
        bool videoOutput = false;
        bool videoCapture = false;
    };
    struct OutputFormat {
        std::uint32_t pixelFormat = 0;
        int width = 0;
        int height = 0;
        int bytesPerLine = 0;
        std::size_t sizeImage = 0;
    };

    VideoNode() = default;
    ~VideoNode();
    VideoNode(VideoNode&& other) noexcept;
    VideoNode& operator=(VideoNode&& other) noexcept;
    VideoNode(const VideoNode&) = delete;
    VideoNode& operator=(const VideoNode&) = delete;

    // Read-write, non-blocking, closed on exec.
    int open(const std::string& path);
    void close();
    bool isOpen() const { return m_fd >= 0; }
    const std::string& path() const { return m_path; }

    // The node's own capabilities (device_caps when the driver reports them).
    int queryCapabilities(Capabilities& capabilities) const;
    // VIDIOC_S_FMT on the output queue, progressive, BT.601 limited range; `format` comes back
    // as the driver settled it, which may differ from what was asked.
    int setOutputFormat(OutputFormat& format) const;
    int setOutputFrameRate(int framesPerSecond) const;
    // One write() is one frame on v4l2loopback's simple output path; `written` is what it took.
    int writeFrame(const std::uint8_t* data, std::size_t size, std::size_t& written) const;

private:
    int m_fd = -1;
    std::string m_path;
};
