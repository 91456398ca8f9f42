#include "FramePathBench.h"

#include "camera_extension/CameraExtensionDeviceSource.h"
#include "shared/FrameHandoff.h"

#include <sys/mman.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <thread>

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

double cpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

CopyingSink::CopyingSink()
    : m_consumerBuffer(std::size_t(kWidth) * kHeight * 4) {}

int CopyingSink::sendFrame(std::shared_ptr<CameraBuffer> frame, std::uint64_t hostTimeNs,
                           std::uint64_t) {
    std::memcpy(m_consumerBuffer.data(), frame->data, m_consumerBuffer.size());
    std::lock_guard lock(m_mutex);
    m_times.push_back(hostTimeNs);
    return 0;
}

std::vector<std::uint64_t> CopyingSink::times() {
    std::lock_guard lock(m_mutex);
    return m_times;
}

PublishedTestSurface::PublishedTestSurface()
    : m_surface(SharedSurface::create(kWidth, kHeight, FrameHandoff::kPixelFormatBGRA)) {
    std::memset(m_surface->baseAddress(), 0x40, std::size_t(m_surface->bytesPerRow()) * kHeight);
    m_publisher.notify_register_check(FrameHandoff::kNotifyName, m_token);
    m_publisher.notify_set_state(m_token, m_surface->surfaceId());
    m_publisher.notify_post(FrameHandoff::kNotifyName);
}

PublishedTestSurface::~PublishedTestSurface() {
    m_publisher.notify_cancel(m_token);
    m_surface.reset();
    ::shm_unlink(NotifyCenter::objectNameFor(FrameHandoff::kNotifyName).c_str());
}

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
        "%s: %.2f fps, CPU %.2f%% of one core; interval ms min %.2f p1 %.2f p50 %.2f p99 %.2f "
        "max %.2f, within 2 ms of %.2f: %.1f%%\n",
        name, double(figures.frames) / seconds, figures.cpuPercent, intervals.front(),
        percentile(0.01), percentile(0.5), percentile(0.99), intervals.back(), period,
        100.0 * double(within) / double(intervals.size()));
}
