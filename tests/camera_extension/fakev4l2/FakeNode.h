#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <unistd.h>

// What a fake v4l2loopback node (FakeVideoNodes.cpp) keeps of the frames written to it, in the
// file "<node>.frame": this header at offset 0 and the last frame's bytes at kFrameOffset. Both
// sides hold a lock on the file around their copy (flock): a reader gets a whole frame however
// slowly it copies, and the node, which never waits, leaves out the frames written meanwhile.
// Every write is also logged as one line "<bytes asked> <bytes taken or -errno>" in
// "<node>.writes".
struct FakeNodeRecording {
    static constexpr std::size_t kFrameOffset = 4096;
    static constexpr std::size_t kFrameCapacity = std::size_t(1920) * 1080 * 4;
    static constexpr std::size_t kFileSize = kFrameOffset + kFrameCapacity;

    std::uint32_t pixelFormat, width, height, bytesPerLine;
    std::uint64_t frameBytes, frameRateNumerator, frameRateDenominator;
};

// The test's side of one fake node: its entry in VELARION_FAKE_V4L2_NODES, what was written to
// it, and breaking it.
class FakeNode {
public:
    struct Frame {
        std::uint32_t pixelFormat;
        int width, height, bytesPerLine;
        std::uint64_t frameRateNumerator, frameRateDenominator;
        std::vector<std::uint8_t> bytes;
    };
    struct Write {
        std::size_t asked;
        long result;  // bytes taken, or -errno
    };

    explicit FakeNode(std::string path, std::string options = "")
        : m_path(std::move(path))
        , m_options(std::move(options)) {}

    const std::string& path() const { return m_path; }
    std::string entry() const { return m_options.empty() ? m_path : m_path + "|" + m_options; }

    // Sets VELARION_FAKE_V4L2_NODES of this process to these nodes.
    static void install(const std::vector<FakeNode>& nodes) {
        std::string value;
        for (const FakeNode& node : nodes) {
            value += (value.empty() ? "" : ";") + node.entry();
        }
        ::setenv("VELARION_FAKE_V4L2_NODES", value.c_str(), 1);
    }

    // From now on opening and writing fail with `error`. The file appears whole: a node that read
    // it half-written would fail with another error.
    void fail(int error) const {
        std::ofstream(m_path + ".fail.new") << error << "\n";
        std::rename((m_path + ".fail.new").c_str(), (m_path + ".fail").c_str());
    }
    void heal() const { std::remove((m_path + ".fail").c_str()); }

    // The last frame recorded, copied whole.
    std::optional<Frame> lastFrame() const {
        const int fd = ::open((m_path + ".frame").c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            return std::nullopt;
        }
        void* mapping = ::mmap(nullptr, FakeNodeRecording::kFileSize, PROT_READ, MAP_SHARED, fd, 0);
        std::optional<Frame> frame;
        if (mapping != MAP_FAILED && ::flock(fd, LOCK_SH) == 0) {
            const auto& recording = *static_cast<const FakeNodeRecording*>(mapping);
            const auto* pixels =
                static_cast<const std::uint8_t*>(mapping) + FakeNodeRecording::kFrameOffset;
            const std::size_t size =
                std::min<std::size_t>(recording.frameBytes, FakeNodeRecording::kFrameCapacity);
            if (size > 0) {
                frame = Frame{recording.pixelFormat,        int(recording.width),
                              int(recording.height),        int(recording.bytesPerLine),
                              recording.frameRateNumerator, recording.frameRateDenominator,
                              {pixels, pixels + size}};
            }
        }
        if (mapping != MAP_FAILED) {
            ::munmap(mapping, FakeNodeRecording::kFileSize);
        }
        ::close(fd);  // and with it the lock
        return frame;
    }

    std::vector<Write> writes() const {
        std::vector<Write> found;
        std::ifstream log(m_path + ".writes");
        for (Write write{}; log >> write.asked >> write.result;) {
            found.push_back(write);
        }
        return found;
    }

private:
    std::string m_path;
    std::string m_options;
};
