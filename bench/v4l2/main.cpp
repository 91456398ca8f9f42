// What the v4l2loopback output costs the camera daemon.
//  1. Converting one 1920 × 1080 BGRA frame (median of 300): libyuv to YUYV and to I420, against
//     a straightforward per-pixel loop with the same BT.601 arithmetic, and a plain copy of the
//     8 MB frame (what the PipeWire node does with every frame).
//  2. The daemon's frame path for 10 s at 30 frames a second, copying a live published surface
//     on every tick into a PipeWire-like copying sink: alone (the peer), then with the loopback
//     output writing to a fake device node that stores every frame, as the kernel module copies
//     each write into its buffer. Prints the CPU share of one core and the frame intervals.

#include "camera_extension/CameraExtensionDeviceSource.h"
#include "camera_extension/DeviceLog.h"
#include "camera_extension/FrameSinkGroup.h"
#include "camera_extension/v4l2/V4L2LoopbackOutput.h"
#include "shared/FrameHandoff.h"
#include "shared/NotifyCenter.h"
#include "shared/SharedSurface.h"

#include <libyuv/convert_from_argb.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

class QuietLog : public DeviceLog {
public:
    void write(Level, const std::string&) override {}
};

class CopyingSink : public FrameSink {
public:
    int sendFrame(std::shared_ptr<CameraBuffer> frame, std::uint64_t hostTimeNs,
                  std::uint64_t) override {
        std::memcpy(m_consumerBuffer.data(), frame->data, m_consumerBuffer.size());
        std::lock_guard lock(m_mutex);
        m_times.push_back(hostTimeNs);
        return 0;
    }
    std::vector<std::uint64_t> times() {
        std::lock_guard lock(m_mutex);
        return m_times;
    }

private:
    std::vector<std::uint8_t> m_consumerBuffer =
        std::vector<std::uint8_t>(std::size_t(kWidth) * kHeight * 4);
    std::mutex m_mutex;
    std::vector<std::uint64_t> m_times;
};

double cpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

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

struct PathFigures {
    double cpuPercent;
    std::size_t frames;
    std::vector<double> intervalsMs;
};

PathFigures runFramePath(FrameSink& sink, CopyingSink& copying, int seconds) {
    QuietLog log;
    NotifyCenter notifyCenter;
    CameraExtensionDeviceSource device(
        "Velarion Camera", {log, notifyCenter, CameraExtensionDeviceSource::threadTimerFactory(),
                            CameraExtensionDeviceSource::defaultPoolFactory(),
                            CameraExtensionDeviceSource::monotonicHostClock()});
    device.setSink(&sink);
    const double cpuBefore = cpuSeconds();
    device.startStreaming();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    device.stopStreaming();
    const double cpu = cpuSeconds() - cpuBefore;
    const std::vector<std::uint64_t> times = copying.times();
    PathFigures figures{100.0 * cpu / seconds, times.size(), {}};
    for (std::size_t i = 1; i < times.size(); ++i) {
        figures.intervalsMs.push_back(double(times[i] - times[i - 1]) / 1e6);
    }
    std::sort(figures.intervalsMs.begin(), figures.intervalsMs.end());
    return figures;
}

void printPath(const char* name, const PathFigures& figures, int seconds) {
    const std::vector<double>& intervals = figures.intervalsMs;
    if (intervals.empty()) {
        std::printf("%s: no frames\n", name);
        return;
    }
    const auto percentile = [&](double p) {
        return intervals[std::min(intervals.size() - 1, std::size_t(p * intervals.size()))];
    };
    const double period = 1000.0 / 30.0;
    const auto within = std::count_if(intervals.begin(), intervals.end(),
                                      [&](double ms) { return std::fabs(ms - period) <= 2.0; });
    std::printf(
        "%s: %.2f fps, CPU %.2f%% of one core; interval ms p1 %.2f p50 %.2f p99 %.2f max %.2f, "
        "within 2 ms: %.1f%%\n",
        name, double(figures.frames) / seconds, figures.cpuPercent, percentile(0.01),
        percentile(0.5), percentile(0.99), intervals.back(),
        100.0 * double(within) / double(intervals.size()));
}

}  // namespace

int main() {
    const std::string ns = "velarion-bench-v4l2-" + std::to_string(::getpid());
    ::setenv("VELARION_HANDOFF_NAMESPACE", ns.c_str(), 1);
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      ("velarion-bench-v4l2-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string node = (dir / "video0").string();
    ::setenv("VELARION_FAKE_V4L2_NODES", node.c_str(), 1);

    printConversions();

    constexpr int kSeconds = 10;
    auto surface = SharedSurface::create(kWidth, kHeight, FrameHandoff::kPixelFormatBGRA);
    std::memset(surface->baseAddress(), 0x40, std::size_t(surface->bytesPerRow()) * kHeight);
    NotifyCenter publisher;
    int token = -1;
    publisher.notify_register_check(FrameHandoff::kNotifyName, token);
    publisher.notify_set_state(token, surface->surfaceId());
    publisher.notify_post(FrameHandoff::kNotifyName);

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

    publisher.notify_cancel(token);
    surface.reset();
    ::shm_unlink(NotifyCenter::objectNameFor(FrameHandoff::kNotifyName).c_str());
    std::filesystem::remove_all(dir);
    return 0;
}
