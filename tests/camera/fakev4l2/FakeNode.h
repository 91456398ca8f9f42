#pragma once

#include "fakev4l2/FakeNodeRecording.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

// The test's side of one fake v4l2loopback node (fakev4l2/FakeVideoNodes.cpp): its entry in
// VELARION_FAKE_V4L2_NODES, what was written to it, and breaking it.
class FakeNode {
public:
    struct Frame {
        std::uint32_t pixelFormat = 0;
        int width = 0;
        int height = 0;
        int bytesPerLine = 0;
        std::uint32_t frameRateNumerator = 0;
        std::uint32_t frameRateDenominator = 0;
        std::vector<std::uint8_t> bytes;
    };
    struct Write {
        long long timeNs;
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

    // From now on opening and writing fail with `error`.
    void fail(int error) const { std::ofstream(m_path + ".fail") << error << "\n"; }
    void heal() const { std::remove((m_path + ".fail").c_str()); }

    // The last frame written, copied whole (retried while a write is storing one).
    std::optional<Frame> lastFrame() const {
        const int fd = ::open((m_path + ".frame").c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            return std::nullopt;
        }
        void* mapping = ::mmap(nullptr, FakeNodeRecording::kFileSize, PROT_READ, MAP_SHARED, fd, 0);
        ::close(fd);
        if (mapping == MAP_FAILED) {
            return std::nullopt;
        }
        const auto* recording = static_cast<const FakeNodeRecording*>(mapping);
        const auto* pixels =
            static_cast<const std::uint8_t*>(mapping) + FakeNodeRecording::kFrameOffset;
        std::optional<Frame> frame;
        for (int attempt = 0; attempt < 100 && !frame; ++attempt) {
            const std::uint64_t before = recording->sequence.load(std::memory_order_acquire);
            if (before == 0 || before % 2 == 1) {
                ::usleep(2000);
                continue;
            }
            Frame copy;
            copy.pixelFormat = recording->pixelFormat;
            copy.width = int(recording->width);
            copy.height = int(recording->height);
            copy.bytesPerLine = int(recording->bytesPerLine);
            copy.frameRateNumerator = std::uint32_t(recording->frameRateNumerator);
            copy.frameRateDenominator = std::uint32_t(recording->frameRateDenominator);
            const std::size_t size =
                std::min<std::size_t>(recording->frameBytes, FakeNodeRecording::kFrameCapacity);
            copy.bytes.assign(pixels, pixels + size);
            if (recording->sequence.load(std::memory_order_acquire) == before) {
                frame = std::move(copy);
            }
        }
        ::munmap(mapping, FakeNodeRecording::kFileSize);
        return frame;
    }

    // How often the node was opened.
    int opens() const {
        std::ifstream log(m_path + ".opens");
        std::string line;
        int count = 0;
        while (std::getline(log, line)) {
            ++count;
        }
        return count;
    }

    std::vector<Write> writes() const {
        std::vector<Write> found;
        std::ifstream log(m_path + ".writes");
        std::string line;
        while (std::getline(log, line)) {
            std::istringstream fields(line);
            Write write{};
            if (fields >> write.timeNs >> write.asked >> write.result) {
                found.push_back(write);
            }
        }
        return found;
    }

private:
    std::string m_path;
    std::string m_options;
};
