// Stands in for v4l2loopback device nodes, which need a kernel module these machines cannot load.
// Linked into a test executable or preloaded (LD_PRELOAD) into the camera daemon, it takes over
// open/ioctl/write/close for the paths listed in VELARION_FAKE_V4L2_NODES and answers as the
// v4l2loopback driver does on its simple output path; every other descriptor goes to the C
// library untouched.
//
// VELARION_FAKE_V4L2_NODES = entry[;entry...], entry = PATH[|key=value...]:
//   driver=NAME     what VIDIOC_QUERYCAP names (default "v4l2 loopback")
//   caps=LIST       "output", "capture" or "output,capture" (the default; an idle exclusive_caps
//                   device offers output only, a fed one capture only)
//   formats=LIST    fourccs S_FMT accepts (default "YUYV,YU12"); another request is answered with
//                   the first, as a driver adjusts a format it cannot take
//   sizeimage=N     the frame size the node reports, whatever the format needs
// A file "PATH.fail" holding an errno number makes opening and writing fail with it (the device
// went away or broke). Frames are recorded as FakeNodeRecording (FakeNode.h) describes.

#undef _FORTIFY_SOURCE
#include "FakeNode.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <dlfcn.h>
#include <fcntl.h>
#include <linux/videodev2.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

struct Node {
    std::string path;
    std::string driver = "v4l2 loopback";
    std::uint32_t caps = V4L2_CAP_VIDEO_OUTPUT | V4L2_CAP_VIDEO_CAPTURE;
    std::vector<std::uint32_t> formats = {V4L2_PIX_FMT_YUYV, V4L2_PIX_FMT_YUV420};
    std::uint32_t fixedSizeImage = 0;
    v4l2_pix_format format{};
    v4l2_fract timePerFrame{};
    FakeNodeRecording* recording = nullptr;
    int recordingFd = -1;  // held while the recording is written
    int writesLog = -1;
};

// The C library's functions, for everything that is not a fake node.
template <typename Fn>
Fn next(Fn, const char* name) {
    return reinterpret_cast<Fn>(::dlsym(RTLD_NEXT, name));
}
struct Libc {
    decltype(&::open) open = next(&::open, "open");
    decltype(&::close) close = next(&::close, "close");
    decltype(&::ioctl) ioctl = next(&::ioctl, "ioctl");
    decltype(&::write) write = next(&::write, "write");
};
const Libc& libc() {
    static const Libc* functions = new Libc;  // never destroyed: calls may come during exit
    return *functions;
}

struct Table {
    std::mutex mutex;
    std::map<int, Node> nodes;  // by descriptor
};
Table& table() {
    static Table* open = new Table;
    return *open;
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::stringstream stream(text);
    for (std::string part; std::getline(stream, part, separator);) {
        if (!part.empty()) {
            parts.push_back(part);
        }
    }
    return parts;
}

std::optional<Node> configured(const char* path) {
    const char* nodes = std::getenv("VELARION_FAKE_V4L2_NODES");
    for (const std::string& entry : split(nodes && path ? nodes : "", ';')) {
        const std::vector<std::string> fields = split(entry, '|');
        if (fields[0] != path) {
            continue;
        }
        Node node;
        node.path = fields[0];
        for (std::size_t i = 1; i < fields.size(); ++i) {
            const std::size_t equals = fields[i].find('=');
            const std::string key = fields[i].substr(0, equals);
            const std::string value =
                equals == std::string::npos ? "" : fields[i].substr(equals + 1);
            if (key == "driver") {
                node.driver = value;
            } else if (key == "caps") {
                node.caps =
                    (value.find("output") != std::string::npos ? V4L2_CAP_VIDEO_OUTPUT : 0) |
                    (value.find("capture") != std::string::npos ? V4L2_CAP_VIDEO_CAPTURE : 0);
            } else if (key == "formats") {
                node.formats.clear();
                for (const std::string& f : split(value, ',')) {
                    node.formats.push_back(f.size() == 4 ? v4l2_fourcc(f[0], f[1], f[2], f[3]) : 0);
                }
            } else if (key == "sizeimage") {
                node.fixedSizeImage = std::uint32_t(std::strtoul(value.c_str(), nullptr, 10));
            }
        }
        return node;
    }
    return std::nullopt;
}

// The errno a "PATH.fail" file holds, or 0.
int injectedFailure(const std::string& path) {
    std::ifstream file(path + ".fail");
    int error = 0;
    return !file ? 0 : (file >> error && error) ? error : EIO;
}

void settleFormat(const Node& node, v4l2_pix_format& pix) {
    bool accepted = false;
    for (std::uint32_t format : node.formats) {
        accepted = accepted || format == pix.pixelformat;
    }
    if (!accepted && !node.formats.empty()) {
        pix.pixelformat = node.formats.front();
    }
    pix.field = V4L2_FIELD_NONE;
    pix.bytesperline = pix.width * (pix.pixelformat == V4L2_PIX_FMT_YUYV     ? 2
                                    : pix.pixelformat == V4L2_PIX_FMT_YUV420 ? 1
                                                                             : 3);
    pix.sizeimage = pix.bytesperline * pix.height;
    if (pix.pixelformat == V4L2_PIX_FMT_YUV420) {
        pix.sizeimage = pix.sizeimage * 3 / 2;
    }
    if (node.fixedSizeImage) {
        pix.sizeimage = node.fixedSizeImage;
    }
}

int answerIoctl(Node& node, unsigned long request, void* argument) {
    if (request == VIDIOC_QUERYCAP) {
        auto* caps = static_cast<v4l2_capability*>(argument);
        *caps = {};
        std::strncpy(reinterpret_cast<char*>(caps->driver), node.driver.c_str(),
                     sizeof caps->driver - 1);
        std::strcpy(reinterpret_cast<char*>(caps->card), "Fake loopback");
        caps->device_caps = node.caps | V4L2_CAP_READWRITE | V4L2_CAP_STREAMING;
        caps->capabilities = caps->device_caps | V4L2_CAP_DEVICE_CAPS;
        return 0;
    }
    if (request == VIDIOC_S_FMT) {
        auto* format = static_cast<v4l2_format*>(argument);
        if (format->type != V4L2_BUF_TYPE_VIDEO_OUTPUT || !(node.caps & V4L2_CAP_VIDEO_OUTPUT)) {
            return EINVAL;
        }
        settleFormat(node, format->fmt.pix);
        node.format = format->fmt.pix;
        return 0;
    }
    if (request == VIDIOC_S_PARM) {
        const auto* parameters = static_cast<v4l2_streamparm*>(argument);
        if (parameters->type != V4L2_BUF_TYPE_VIDEO_OUTPUT) {
            return EINVAL;
        }
        node.timePerFrame = parameters->parm.output.timeperframe;
        return 0;
    }
    return ENOTTY;
}

void mapRecording(Node& node) {
    node.recordingFd =
        libc().open((node.path + ".frame").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (node.recordingFd >= 0 && ::ftruncate(node.recordingFd, FakeNodeRecording::kFileSize) == 0) {
        void* mapping = ::mmap(nullptr, FakeNodeRecording::kFileSize, PROT_READ | PROT_WRITE,
                               MAP_SHARED, node.recordingFd, 0);
        node.recording = mapping == MAP_FAILED ? nullptr : static_cast<FakeNodeRecording*>(mapping);
    }
}

int appendTo(const std::string& path) {
    return libc().open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
}

void record(Node& node, const void* data, std::size_t size, long result) {
    // A reader holding the recording keeps the frame it is copying: this one is not recorded.
    if (result > 0 && node.recording && ::flock(node.recordingFd, LOCK_EX | LOCK_NB) == 0) {
        FakeNodeRecording& recording = *node.recording;
        recording.pixelFormat = node.format.pixelformat;
        recording.width = node.format.width;
        recording.height = node.format.height;
        recording.bytesPerLine = node.format.bytesperline;
        recording.frameRateNumerator = node.timePerFrame.numerator;
        recording.frameRateDenominator = node.timePerFrame.denominator;
        recording.frameBytes = std::uint64_t(result);
        std::memcpy(reinterpret_cast<char*>(&recording) + FakeNodeRecording::kFrameOffset, data,
                    std::min<std::size_t>(std::size_t(result), FakeNodeRecording::kFrameCapacity));
        ::flock(node.recordingFd, LOCK_UN);
    }
    char line[64];
    const int length = std::snprintf(line, sizeof line, "%zu %ld\n", size, result);
    libc().write(node.writesLog, line, std::size_t(length));
}

}  // namespace

extern "C" {

int open(const char* path, int flags, ...) {
    mode_t mode = 0;
    if (flags & (O_CREAT | O_TMPFILE)) {
        va_list arguments;
        va_start(arguments, flags);
        mode = va_arg(arguments, mode_t);
        va_end(arguments);
    }
    std::optional<Node> node = configured(path);
    if (!node) {
        return libc().open(path, flags, mode);
    }
    if (const int error = injectedFailure(node->path)) {
        errno = error;
        return -1;
    }
    const int fd = libc().open("/dev/null", O_RDWR | (flags & O_CLOEXEC));
    if (fd < 0) {
        return -1;
    }
    node->format.width = 640;
    node->format.height = 480;
    node->format.pixelformat = node->formats.empty() ? 0 : node->formats.front();
    settleFormat(*node, node->format);
    mapRecording(*node);
    node->writesLog = appendTo(node->path + ".writes");
    std::lock_guard lock(table().mutex);
    table().nodes[fd] = std::move(*node);
    return fd;
}

int close(int fd) {
    {
        std::lock_guard lock(table().mutex);
        if (const auto found = table().nodes.find(fd); found != table().nodes.end()) {
            if (found->second.recording) {
                ::munmap(found->second.recording, FakeNodeRecording::kFileSize);
            }
            libc().close(found->second.recordingFd);
            libc().close(found->second.writesLog);
            table().nodes.erase(found);
        }
    }
    return libc().close(fd);
}

int ioctl(int fd, unsigned long request, ...) {
    va_list arguments;
    va_start(arguments, request);
    void* argument = va_arg(arguments, void*);
    va_end(arguments);
    {
        std::lock_guard lock(table().mutex);
        if (const auto found = table().nodes.find(fd); found != table().nodes.end()) {
            errno = answerIoctl(found->second, request, argument);
            return errno ? -1 : 0;
        }
    }
    return libc().ioctl(fd, request, argument);
}

ssize_t write(int fd, const void* data, size_t size) {
    {
        std::lock_guard lock(table().mutex);
        if (const auto found = table().nodes.find(fd); found != table().nodes.end()) {
            Node& node = found->second;
            const int error = injectedFailure(node.path);
            // v4l2loopback takes at most one buffer's worth per write.
            const long taken =
                error ? -error : long(std::min<std::size_t>(size, node.format.sizeimage));
            record(node, data, size, taken);
            errno = error;
            return error ? -1 : ssize_t(taken);
        }
    }
    return libc().write(fd, data, size);
}

}  // extern "C"
