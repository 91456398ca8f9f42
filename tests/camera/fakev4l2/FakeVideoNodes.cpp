// Stands in for v4l2loopback device nodes, which need a kernel module these machines cannot load.
// Linked into a test executable or preloaded (LD_PRELOAD) into the camera daemon, it takes over
// open/ioctl/write/close for the paths listed in VELARION_FAKE_V4L2_NODES and answers as the
// v4l2loopback driver does on its simple output path; every other descriptor goes to the C
// library untouched.
//
// VELARION_FAKE_V4L2_NODES = entry[;entry...], entry = PATH[|key=value...]:
//   driver=NAME       what VIDIOC_QUERYCAP names (default "v4l2 loopback")
//   caps=LIST         "output", "capture" or "output,capture" (the default; an idle
//                     exclusive_caps device offers output only, a fed one capture only)
//   formats=LIST      fourccs S_FMT accepts (default "YUYV,YU12"); another request is answered
//                     with the first, as a driver adjusts a format it cannot take
//   size=WxH          a size the node keeps whatever is asked
//   sizeimage=N       the frame size the node reports, whatever the format needs
// A file "PATH.fail" holding an errno number makes opening and writing fail with it (the device
// went away or broke). The frames are recorded as FakeNodeRecording.h describes, and every open
// adds a line to "PATH.opens".

#undef _FORTIFY_SOURCE
#include "FakeNodeRecording.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <mutex>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include <dlfcn.h>
#include <fcntl.h>
#include <linux/videodev2.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

struct NodeConfig {
    std::string path;
    std::string driver = "v4l2 loopback";
    std::uint32_t caps = V4L2_CAP_VIDEO_OUTPUT | V4L2_CAP_VIDEO_CAPTURE;
    std::vector<std::uint32_t> formats = {V4L2_PIX_FMT_YUYV, V4L2_PIX_FMT_YUV420};
    std::uint32_t fixedWidth = 0;
    std::uint32_t fixedHeight = 0;
    std::uint32_t fixedSizeImage = 0;
};

struct OpenNode {
    NodeConfig config;
    v4l2_pix_format format{};
    FakeNodeRecording* recording = nullptr;
    int writesLog = -1;
};

using OpenFn = int (*)(const char*, int, ...);
using OpenatFn = int (*)(int, const char*, int, ...);
using CloseFn = int (*)(int);
using IoctlFn = int (*)(int, unsigned long, ...);
using WriteFn = ssize_t (*)(int, const void*, size_t);

template <typename Fn>
Fn next(const char* name) {
    return reinterpret_cast<Fn>(::dlsym(RTLD_NEXT, name));
}

std::mutex& tableMutex() {
    static std::mutex* mutex = new std::mutex;  // never destroyed: calls may come during exit
    return *mutex;
}
std::map<int, OpenNode>& table() {
    static auto* nodes = new std::map<int, OpenNode>;
    return *nodes;
}

std::uint32_t fourccFromText(const std::string& text) {
    if (text.size() != 4) {
        return 0;
    }
    return v4l2_fourcc(text[0], text[1], text[2], text[3]);
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::stringstream stream(text);
    std::string part;
    while (std::getline(stream, part, separator)) {
        if (!part.empty()) {
            parts.push_back(part);
        }
    }
    return parts;
}

bool findConfig(const char* path, NodeConfig& config) {
    const char* nodes = std::getenv("VELARION_FAKE_V4L2_NODES");
    if (!nodes || !path) {
        return false;
    }
    for (const std::string& entry : split(nodes, ';')) {
        const std::vector<std::string> fields = split(entry, '|');
        if (fields.empty() || fields[0] != path) {
            continue;
        }
        config.path = fields[0];
        for (std::size_t i = 1; i < fields.size(); ++i) {
            const std::size_t equals = fields[i].find('=');
            const std::string key = fields[i].substr(0, equals);
            const std::string value =
                equals == std::string::npos ? "" : fields[i].substr(equals + 1);
            if (key == "driver") {
                config.driver = value;
            } else if (key == "caps") {
                config.caps = 0;
                for (const std::string& cap : split(value, ',')) {
                    config.caps |= cap == "output"    ? V4L2_CAP_VIDEO_OUTPUT
                                   : cap == "capture" ? V4L2_CAP_VIDEO_CAPTURE
                                                      : 0;
                }
            } else if (key == "formats") {
                config.formats.clear();
                for (const std::string& format : split(value, ',')) {
                    config.formats.push_back(fourccFromText(format));
                }
            } else if (key == "sizeimage") {
                config.fixedSizeImage = std::uint32_t(std::strtoul(value.c_str(), nullptr, 10));
            } else if (key == "size") {
                std::sscanf(value.c_str(), "%ux%u", &config.fixedWidth, &config.fixedHeight);
            }
        }
        return true;
    }
    return false;
}

// The errno a "PATH.fail" file holds, or 0.
int injectedFailure(const std::string& path) {
    FILE* file = std::fopen((path + ".fail").c_str(), "re");
    if (!file) {
        return 0;
    }
    int error = EIO;
    if (std::fscanf(file, "%d", &error) != 1) {
        error = EIO;
    }
    std::fclose(file);
    return error;
}

void settleFormat(const NodeConfig& config, v4l2_pix_format& pix) {
    bool accepted = false;
    for (std::uint32_t format : config.formats) {
        accepted = accepted || format == pix.pixelformat;
    }
    if (!accepted && !config.formats.empty()) {
        pix.pixelformat = config.formats.front();
    }
    if (config.fixedWidth) {
        pix.width = config.fixedWidth;
        pix.height = config.fixedHeight;
    }
    pix.field = V4L2_FIELD_NONE;
    switch (pix.pixelformat) {
        case V4L2_PIX_FMT_YUYV:
            pix.bytesperline = pix.width * 2;
            pix.sizeimage = pix.bytesperline * pix.height;
            break;
        case V4L2_PIX_FMT_YUV420:
            pix.bytesperline = pix.width;
            pix.sizeimage = pix.width * pix.height * 3 / 2;
            break;
        default:
            pix.bytesperline = pix.width * 3;
            pix.sizeimage = pix.bytesperline * pix.height;
            break;
    }
    if (config.fixedSizeImage) {
        pix.sizeimage = config.fixedSizeImage;
    }
}

void copyText(__u8* target, std::size_t capacity, const std::string& text) {
    std::memset(target, 0, capacity);
    std::memcpy(target, text.data(), std::min(capacity - 1, text.size()));
}

int answerIoctl(OpenNode& node, unsigned long request, void* argument) {
    switch (request) {
        case VIDIOC_QUERYCAP: {
            auto* caps = static_cast<v4l2_capability*>(argument);
            std::memset(caps, 0, sizeof *caps);
            copyText(caps->driver, sizeof caps->driver, node.config.driver);
            copyText(caps->card, sizeof caps->card, "Fake loopback");
            copyText(caps->bus_info, sizeof caps->bus_info, "platform:v4l2loopback-000");
            caps->version = 0x000c07;
            caps->device_caps = node.config.caps | V4L2_CAP_READWRITE | V4L2_CAP_STREAMING;
            caps->capabilities = caps->device_caps | V4L2_CAP_DEVICE_CAPS;
            return 0;
        }
        case VIDIOC_G_FMT:
        case VIDIOC_S_FMT:
        case VIDIOC_TRY_FMT: {
            auto* format = static_cast<v4l2_format*>(argument);
            if (format->type != V4L2_BUF_TYPE_VIDEO_OUTPUT ||
                !(node.config.caps & V4L2_CAP_VIDEO_OUTPUT)) {
                return EINVAL;
            }
            if (request == VIDIOC_G_FMT) {
                format->fmt.pix = node.format;
                return 0;
            }
            settleFormat(node.config, format->fmt.pix);
            if (request == VIDIOC_S_FMT) {
                node.format = format->fmt.pix;
            }
            return 0;
        }
        case VIDIOC_S_PARM: {
            auto* parameters = static_cast<v4l2_streamparm*>(argument);
            if (parameters->type != V4L2_BUF_TYPE_VIDEO_OUTPUT) {
                return EINVAL;
            }
            if (node.recording) {
                node.recording->frameRateNumerator = parameters->parm.output.timeperframe.numerator;
                node.recording->frameRateDenominator =
                    parameters->parm.output.timeperframe.denominator;
            }
            return 0;
        }
        default:
            return ENOTTY;
    }
}

FakeNodeRecording* mapRecording(const std::string& path) {
    static const OpenFn realOpen = next<OpenFn>("open");
    const int fd = realOpen((path + ".frame").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        return nullptr;
    }
    void* mapping = MAP_FAILED;
    if (::ftruncate(fd, off_t(FakeNodeRecording::kFileSize)) == 0) {
        mapping = ::mmap(nullptr, FakeNodeRecording::kFileSize, PROT_READ | PROT_WRITE, MAP_SHARED,
                         fd, 0);
    }
    static const CloseFn realClose = next<CloseFn>("close");
    realClose(fd);
    return mapping == MAP_FAILED ? nullptr : static_cast<FakeNodeRecording*>(mapping);
}

int openFake(const char* path, int flags, mode_t mode, bool& handled) {
    NodeConfig config;
    handled = findConfig(path, config);
    if (!handled) {
        return -1;
    }
    (void)mode;
    if (const int error = injectedFailure(config.path)) {
        errno = error;
        return -1;
    }
    static const OpenFn realOpen = next<OpenFn>("open");
    const int fd = realOpen("/dev/null", O_RDWR | (flags & O_CLOEXEC));
    if (fd < 0) {
        return -1;
    }
    OpenNode node;
    node.config = config;
    node.format.width = 640;
    node.format.height = 480;
    node.format.pixelformat = config.formats.empty() ? 0 : config.formats.front();
    settleFormat(config, node.format);
    node.recording = mapRecording(config.path);
    node.writesLog = realOpen((config.path + ".writes").c_str(),
                              O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    const int opensLog =
        realOpen((config.path + ".opens").c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (opensLog >= 0) {
        static const WriteFn realWrite = next<WriteFn>("write");
        static const CloseFn realClose = next<CloseFn>("close");
        realWrite(opensLog, "open\n", 5);
        realClose(opensLog);
    }
    std::lock_guard lock(tableMutex());
    table()[fd] = node;
    return fd;
}

void record(OpenNode& node, const void* data, std::size_t size, long result) {
    static const WriteFn realWrite = next<WriteFn>("write");
    if (result > 0 && node.recording) {
        FakeNodeRecording& recording = *node.recording;
        recording.sequence.fetch_add(1, std::memory_order_acq_rel);
        recording.pixelFormat = node.format.pixelformat;
        recording.width = node.format.width;
        recording.height = node.format.height;
        recording.bytesPerLine = node.format.bytesperline;
        recording.frameBytes = std::uint64_t(result);
        std::memcpy(reinterpret_cast<char*>(&recording) + FakeNodeRecording::kFrameOffset, data,
                    std::min<std::size_t>(std::size_t(result), FakeNodeRecording::kFrameCapacity));
        recording.sequence.fetch_add(1, std::memory_order_acq_rel);
    }
    if (node.writesLog >= 0) {
        struct timespec now {};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        char line[96];
        const int length =
            std::snprintf(line, sizeof line, "%lld %zu %ld\n",
                          (long long)now.tv_sec * 1000000000LL + now.tv_nsec, size, result);
        realWrite(node.writesLog, line, std::size_t(length));
    }
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
    bool handled = false;
    const int fd = openFake(path, flags, mode, handled);
    if (handled) {
        return fd;
    }
    static const OpenFn realOpen = next<OpenFn>("open");
    return realOpen(path, flags, mode);
}

int open64(const char* path, int flags, ...) {
    mode_t mode = 0;
    if (flags & (O_CREAT | O_TMPFILE)) {
        va_list arguments;
        va_start(arguments, flags);
        mode = va_arg(arguments, mode_t);
        va_end(arguments);
    }
    return open(path, flags, mode);
}

int __open_2(const char* path, int flags) {
    return open(path, flags);
}

int __open64_2(const char* path, int flags) {
    return open(path, flags);
}

int openat(int directory, const char* path, int flags, ...) {
    mode_t mode = 0;
    if (flags & (O_CREAT | O_TMPFILE)) {
        va_list arguments;
        va_start(arguments, flags);
        mode = va_arg(arguments, mode_t);
        va_end(arguments);
    }
    bool handled = false;
    if (path[0] == '/') {
        const int fd = openFake(path, flags, mode, handled);
        if (handled) {
            return fd;
        }
    }
    static const OpenatFn realOpenat = next<OpenatFn>("openat");
    return realOpenat(directory, path, flags, mode);
}

int openat64(int directory, const char* path, int flags, ...) {
    mode_t mode = 0;
    if (flags & (O_CREAT | O_TMPFILE)) {
        va_list arguments;
        va_start(arguments, flags);
        mode = va_arg(arguments, mode_t);
        va_end(arguments);
    }
    return openat(directory, path, flags, mode);
}

int close(int fd) {
    {
        std::lock_guard lock(tableMutex());
        const auto found = table().find(fd);
        if (found != table().end()) {
            static const CloseFn realClose = next<CloseFn>("close");
            if (found->second.recording) {
                ::munmap(found->second.recording, FakeNodeRecording::kFileSize);
            }
            if (found->second.writesLog >= 0) {
                realClose(found->second.writesLog);
            }
            table().erase(found);
        }
    }
    static const CloseFn realClose = next<CloseFn>("close");
    return realClose(fd);
}

int ioctl(int fd, unsigned long request, ...) {
    va_list arguments;
    va_start(arguments, request);
    void* argument = va_arg(arguments, void*);
    va_end(arguments);
    {
        std::lock_guard lock(tableMutex());
        const auto found = table().find(fd);
        if (found != table().end()) {
            const int error = answerIoctl(found->second, request, argument);
            errno = error;
            return error ? -1 : 0;
        }
    }
    static const IoctlFn realIoctl = next<IoctlFn>("ioctl");
    return realIoctl(fd, request, argument);
}

ssize_t write(int fd, const void* data, size_t size) {
    {
        std::lock_guard lock(tableMutex());
        const auto found = table().find(fd);
        if (found != table().end()) {
            OpenNode& node = found->second;
            if (const int error = injectedFailure(node.config.path)) {
                record(node, data, size, -error);
                errno = error;
                return -1;
            }
            // v4l2loopback takes at most one buffer's worth per write.
            const std::size_t taken = std::min<std::size_t>(size, node.format.sizeimage);
            record(node, data, size, long(taken));
            return ssize_t(taken);
        }
    }
    static const WriteFn realWrite = next<WriteFn>("write");
    return realWrite(fd, data, size);
}

}  // extern "C"
