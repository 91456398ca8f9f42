// What the v4l2loopback output costs the camera daemon.
//  1. Converting one 1920 × 1080 BGRA frame (median of 300): libyuv to YUYV and to I420, against
//     a straightforward per-pixel loop with the same BT.601 arithmetic, and a plain copy of the
//     8 MB frame (what the PipeWire node does with every frame).
//  2. The daemon's frame path for 10 s at 30 frames a second, copying a live published surface
//     on every tick into a PipeWire-like copying sink: alone (the peer), then with the loopback
//     output writing to a fake device node that stores every frame, as the kernel module copies
//     each write into its buffer. Prints the CPU share of one core and the frame intervals.

#include "FramePathBench.h"
#include "camera_extension/FrameSinkGroup.h"
#include "camera_extension/v4l2/V4L2LoopbackOutput.h"

#include <libyuv/convert_from_argb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

double medianMs(const std::function<void()>& work, int runs) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// BT.601 limited range, pixel by pixel, chroma of each horizontal pair averaged.
void scalarToYuyv(const std::uint8_t* bgra, std::uint8_t* yuyv) {
    for (int y = 0; y < kHeight; ++y) {
        const std::uint8_t* in = bgra + std::size_t(y) * kWidth * 4;
        std::uint8_t* out = yuyv + std::size_t(y) * kWidth * 2;
        for (int x = 0; x < kWidth; x += 2, in += 8, out += 4) {
            const int b = (in[0] + in[4]) / 2, g = (in[1] + in[5]) / 2, r = (in[2] + in[6]) / 2;
            out[0] = std::uint8_t((66 * in[2] + 129 * in[1] + 25 * in[0] + 4224) >> 8);
            out[1] = std::uint8_t((-38 * r - 74 * g + 112 * b + 32896) >> 8);
            out[2] = std::uint8_t((66 * in[6] + 129 * in[5] + 25 * in[4] + 4224) >> 8);
            out[3] = std::uint8_t((112 * r - 94 * g - 18 * b + 32896) >> 8);
        }
    }
}

void printConversions() {
    std::vector<std::uint8_t> bgra(std::size_t(kWidth) * kHeight * 4);
    for (std::size_t i = 0; i < bgra.size(); ++i) {
        bgra[i] = std::uint8_t((i * 2654435761u) >> 24);
    }
    std::vector<std::uint8_t> yuyv(std::size_t(kWidth) * kHeight * 2);
    std::vector<std::uint8_t> i420(std::size_t(kWidth) * kHeight * 3 / 2);
    std::vector<std::uint8_t> copy(bgra.size());
    constexpr int kRuns = 300;
    const double libyuvYuyv = medianMs(
        [&] {
            libyuv::ARGBToYUY2(bgra.data(), kWidth * 4, yuyv.data(), kWidth * 2, kWidth, kHeight);
        },
        kRuns);
    std::uint8_t* u = i420.data() + std::size_t(kWidth) * kHeight;
    std::uint8_t* v = u + std::size_t(kWidth / 2) * (kHeight / 2);
    const double libyuvI420 = medianMs(
        [&] {
            libyuv::ARGBToI420(bgra.data(), kWidth * 4, i420.data(), kWidth, u, kWidth / 2, v,
                               kWidth / 2, kWidth, kHeight);
        },
        kRuns);
    const double scalar = medianMs([&] { scalarToYuyv(bgra.data(), yuyv.data()); }, kRuns);
    const double memcpyMs =
        medianMs([&] { std::memcpy(copy.data(), bgra.data(), bgra.size()); }, kRuns);
    std::printf("convert 1920x1080 BGRA, median of %d:\n", kRuns);
    std::printf("  libyuv YUYV   %6.2f ms\n", libyuvYuyv);
    std::printf("  libyuv I420   %6.2f ms\n", libyuvI420);
    std::printf("  peer: per-pixel loop YUYV %6.2f ms (libyuv %.1fx faster)\n", scalar,
                scalar / libyuvYuyv);
    std::printf("  peer: 8 MB frame copy     %6.2f ms\n", memcpyMs);
}

}  // namespace

int main() {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      ("velarion-bench-v4l2-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    // As this run's runtime folder, it gives the run shared-memory names of its own.
    ::setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    const std::string node = (dir / "video0").string();
    ::setenv("VELARION_FAKE_V4L2_NODES", node.c_str(), 1);

    printConversions();

    constexpr int kSeconds = 10;
    std::optional<PublishedTestSurface> published(std::in_place);

    {
        CopyingSink copying;
        printPath("PipeWire-like sink alone (peer)", runFramePath(copying, copying, kSeconds),
                  kSeconds);
    }
    {
        QuietLog log;
        CopyingSink copying;
        V4L2LoopbackOutput loopback(log, {});
        if (!loopback.open(node)) {
            std::printf("the fake loopback node did not open\n");
            return 1;
        }
        FrameSinkGroup group;
        group.add(copying);
        group.add(loopback);
        printPath("with the v4l2loopback output (YUYV)", runFramePath(group, copying, kSeconds),
                  kSeconds);
    }

    published.reset();
    std::filesystem::remove_all(dir);
    return 0;
}
