#include "camera_extension/v4l2/VideoNode.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <linux/videodev2.h>
#include <sys/ioctl.h>
#include <unistd.h>

static_assert(VideoNode::kPixelFormatYUYV == V4L2_PIX_FMT_YUYV);
static_assert(VideoNode::kPixelFormatI420 == V4L2_PIX_FMT_YUV420);

namespace {

int ioctlRetrying(int fd, unsigned long request, void* argument) {
    int result = 0;
    do {
        result = ::ioctl(fd, request, argument);
    } while (result < 0 && errno == EINTR);
    return result < 0 ? errno : 0;
}

std::string fixedString(const __u8* text, std::size_t capacity) {
    const char* chars = reinterpret_cast<const char*>(text);
    return std::string(chars, ::strnlen(chars, capacity));
}

}  // namespace

std::string VideoNode::fourccName(std::uint32_t pixelFormat) {
    std::string name;
    for (int shift = 0; shift < 32; shift += 8) {
        const char c = char((pixelFormat >> shift) & 0xff);
        name += (c >= 0x20 && c < 0x7f) ? c : '?';
    }
    return name;
}

VideoNode::~VideoNode() {
    close();
}

VideoNode::VideoNode(VideoNode&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1))
    , m_path(std::move(other.m_path)) {}

VideoNode& VideoNode::operator=(VideoNode&& other) noexcept {
    if (this != &other) {
        close();
        m_fd = std::exchange(other.m_fd, -1);
        m_path = std::move(other.m_path);
    }
    return *this;
}

int VideoNode::open(const std::string& path) {
    close();
    const int fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return errno;
    }
    m_fd = fd;
    m_path = path;
    return 0;
}

void VideoNode::close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

int VideoNode::queryCapabilities(Capabilities& capabilities) const {
    v4l2_capability answer{};
    if (const int error = ioctlRetrying(m_fd, VIDIOC_QUERYCAP, &answer)) {
        return error;
    }
    const std::uint32_t caps =
        (answer.capabilities & V4L2_CAP_DEVICE_CAPS) ? answer.device_caps : answer.capabilities;
    capabilities.driver = fixedString(answer.driver, sizeof answer.driver);
    capabilities.card = fixedString(answer.card, sizeof answer.card);
    capabilities.videoOutput = (caps & V4L2_CAP_VIDEO_OUTPUT) != 0;
    capabilities.videoCapture = (caps & V4L2_CAP_VIDEO_CAPTURE) != 0;
    return 0;
}

int VideoNode::setOutputFormat(OutputFormat& format) const {
    v4l2_format request{};
    request.type = V4L2_BUF_TYPE_VIDEO_OUTPUT;
    v4l2_pix_format& pix = request.fmt.pix;
    pix.width = std::uint32_t(format.width);
    pix.height = std::uint32_t(format.height);
    pix.pixelformat = format.pixelFormat;
    pix.field = V4L2_FIELD_NONE;
    pix.bytesperline = std::uint32_t(format.bytesPerLine);
    pix.sizeimage = std::uint32_t(format.sizeImage);
    pix.colorspace = V4L2_COLORSPACE_SMPTE170M;
    pix.ycbcr_enc = V4L2_YCBCR_ENC_601;
    pix.quantization = V4L2_QUANTIZATION_LIM_RANGE;
    if (const int error = ioctlRetrying(m_fd, VIDIOC_S_FMT, &request)) {
        return error;
    }
    format.pixelFormat = pix.pixelformat;
    format.width = int(pix.width);
    format.height = int(pix.height);
    format.bytesPerLine = int(pix.bytesperline);
    format.sizeImage = pix.sizeimage;
    return 0;
}

int VideoNode::setOutputFrameRate(int framesPerSecond) const {
    v4l2_streamparm parameters{};
    parameters.type = V4L2_BUF_TYPE_VIDEO_OUTPUT;
    parameters.parm.output.timeperframe.numerator = 1;
    parameters.parm.output.timeperframe.denominator = std::uint32_t(framesPerSecond);
    return ioctlRetrying(m_fd, VIDIOC_S_PARM, &parameters);
}

int VideoNode::writeFrame(const std::uint8_t* data, std::size_t size, std::size_t& written) const {
    written = 0;
    ssize_t result = 0;
    do {
        result = ::write(m_fd, data, size);
    } while (result < 0 && errno == EINTR);
    if (result < 0) {
        return errno;
    }
    written = std::size_t(result);
    return 0;
}
