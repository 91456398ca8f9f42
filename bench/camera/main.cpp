// The camera daemon's frame path at 30 frames a second for ten seconds: the real device source
// and frame timer copy a live published surface on every tick into a sink that copies it once
// more (as the PipeWire node does into the consumer's buffer). Prints the process CPU use as a
// share of one core and the distribution of the intervals between frames, against the 33.3 ms
// period (target: within 2 ms).

#include "camera_extension/CameraExtensionDeviceSource.h"
#include "camera_extension/DeviceLog.h"
#include "camera_extension/FrameSink.h"
#include "shared/FrameHandoff.h"
#include "shared/NotifyCenter.h"
#include "shared/SharedSurface.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

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
        std::vector<std::uint8_t>(std::size_t(1920) * 1080 * 4);
    std::mutex m_mutex;
    std::vector<std::uint64_t> m_times;
};

double cpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main() {
    const std::string ns = "velarion-bench-camera-" + std::to_string(::getpid());
    ::setenv("VELARION_HANDOFF_NAMESPACE", ns.c_str(), 1);
    constexpr int kSeconds = 10;

    auto surface = SharedSurface::create(1920, 1080, FrameHandoff::kPixelFormatBGRA);
    std::memset(surface->baseAddress(), 0x40, std::size_t(surface->bytesPerRow()) * 1080);
    NotifyCenter publisher;
    int token = -1;
    publisher.notify_register_check(FrameHandoff::kNotifyName, token);
    publisher.notify_set_state(token, surface->surfaceId());
    publisher.notify_post(FrameHandoff::kNotifyName);

    QuietLog log;
    NotifyCenter notifyCenter;
    CopyingSink sink;
    CameraExtensionDeviceSource device(
        "Velarion Camera", {log, notifyCenter, CameraExtensionDeviceSource::threadTimerFactory(),
                            CameraExtensionDeviceSource::defaultPoolFactory(),
                            CameraExtensionDeviceSource::monotonicHostClock()});
    device.setSink(&sink);

    const double cpuBefore = cpuSeconds();
    device.startStreaming();
    std::this_thread::sleep_for(std::chrono::seconds(kSeconds));
    device.stopStreaming();
    const double cpu = cpuSeconds() - cpuBefore;

    const std::vector<std::uint64_t> times = sink.times();
    std::vector<double> intervals;
    for (std::size_t i = 1; i < times.size(); ++i) {
        intervals.push_back(double(times[i] - times[i - 1]) / 1e6);
    }
    std::sort(intervals.begin(), intervals.end());
    const auto percentile = [&](double p) {
        return intervals[std::min(intervals.size() - 1, std::size_t(p * intervals.size()))];
    };
    const double period = 1000.0 / 30.0;
    const auto within = std::count_if(intervals.begin(), intervals.end(),
                                      [&](double ms) { return std::fabs(ms - period) <= 2.0; });
    std::printf("frames %zu in %d s (%.2f fps)\n", times.size(), kSeconds,
                double(times.size()) / kSeconds);
    std::printf("CPU %.2f%% of one core (peer: 1920x1080 copy twice per frame)\n",
                100.0 * cpu / kSeconds);
    std::printf(
        "interval ms: min %.3f p1 %.3f p50 %.3f p99 %.3f max %.3f; within 2 ms of %.3f: "
        "%.1f%%\n",
        intervals.front(), percentile(0.01), percentile(0.5), percentile(0.99), intervals.back(),
        period, 100.0 * double(within) / double(intervals.size()));
    publisher.notify_cancel(token);
    surface.reset();
    ::shm_unlink(NotifyCenter::objectNameFor(FrameHandoff::kNotifyName).c_str());
    return 0;
}
