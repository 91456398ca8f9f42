// Publisher and reader costs of the frame hand-off, each next to the memory floor measured in the
// same run: publish() of a 3024 × 1964 frame (scale, bars, announce) against a memcpy that moves
// the same bytes (read the source, write the surface), and the reader's copy of one 1920 × 1080
// surface against a plain memcpy of its 8,294,400 bytes. Times are medians of thread CPU time.

#include "capture/publisher/VirtualCameraService.h"
#include "shared/FrameHandoff.h"
#include "shared/NotifyCenter.h"
#include "shared/SharedSurface.h"
#include "shared/SurfaceReader.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <sys/mman.h>
#include <time.h>
#include <unistd.h>

namespace {

constexpr int kRuns = 60;

// CPU time of this thread: on a shared, loaded machine the wall clock mostly measures the other
// processes' time slices.
double threadMs() {
    struct timespec now {};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

double medianMs(const std::function<void()>& work) {
    work();  // warm up: page faults and caches
    std::vector<double> samples;
    for (int i = 0; i < kRuns; ++i) {
        const double start = threadMs();
        work();
        samples.push_back(threadMs() - start);
    }
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

void report(const char* what, double ms, const char* peer, double peerMs) {
    std::printf("%-44s %7.3f ms   %-34s %7.3f ms   ratio %.2f\n", what, ms, peer, peerMs,
                ms / peerMs);
}

}  // namespace

int main(int argc, char* argv[]) {
    // A runtime folder name of this run's own gives it shared-memory names of its own; nothing is
    // stored in the folder, so it need not exist.
    const std::string runtime = "/tmp/velarion-bench-handoff-" + std::to_string(::getpid());
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    QCoreApplication application(argc, argv);

    // Publisher: a Retina-sized frame scaled into the ring.
    const int sw = 3024, sh = 1964;
    std::vector<std::uint32_t> source(std::size_t(sw) * sh);
    for (std::size_t i = 0; i < source.size(); ++i) {
        source[i] = 0xFF000000u | static_cast<std::uint32_t>(i * 2654435761u >> 8);
    }
    const PixelBuffer frame{reinterpret_cast<const std::uint8_t*>(source.data()), sw, sh, sw * 4};
    NotifyCenter notifyCenter;
    VirtualCameraService service(notifyCenter);
    service.startPublishing();
    if (!service.isPublishing()) {
        std::fprintf(stderr, "cannot publish: %s\n", qPrintable(service.statusMessage()));
        return 1;
    }
    const double publishMs = medianMs([&] { service.publish(frame); });

    const std::size_t sourceBytes = source.size() * 4;
    const std::size_t surfaceBytes = std::size_t(1920) * 1080 * 4;
    // memcpy of n bytes reads n and writes n: moving source + surface bytes takes half of each.
    const std::size_t floorBytes = (sourceBytes + surfaceBytes) / 2;
    std::vector<std::uint8_t> floorFrom(floorBytes, 1);
    std::vector<std::vector<std::uint8_t>> floorTo(3, std::vector<std::uint8_t>(floorBytes));
    int target = 0;
    const double floorMs = medianMs([&] {
        std::memcpy(floorTo[target].data(), floorFrom.data(), floorBytes);
        target = (target + 1) % 3;
    });
    std::printf("publish moves %.1f MB (reads %.1f MB, writes %.1f MB)\n",
                (sourceBytes + surfaceBytes) / 1e6, sourceBytes / 1e6, surfaceBytes / 1e6);
    report("publish 3024x1964 (scale, bars, announce)", publishMs, "memcpy of the same bytes",
           floorMs);

    // Reader: copy the announced surface as the camera does, mapping kept between frames.
    int token = -1;
    std::uint64_t state = 0;
    notifyCenter.notify_register_check(FrameHandoff::kNotifyName, token);
    notifyCenter.notify_get_state(token, state);
    const auto surfaceId = static_cast<std::uint32_t>(state);
    std::vector<std::uint8_t> cameraFrame(surfaceBytes);
    SurfaceReader reader;
    const double readMs = medianMs([&] {
        if (reader.copy(surfaceId, cameraFrame.data(), 1920 * 4, 1080) !=
            SurfaceReader::CopyResult::copied) {
            std::fprintf(stderr, "copy failed\n");
            std::exit(1);
        }
    });
    auto surface = SharedSurface::lookup(surfaceId);
    const double memcpyMs =
        medianMs([&] { std::memcpy(cameraFrame.data(), surface->baseAddress(), surfaceBytes); });
    report("reader copy of one 1920x1080 surface", readMs, "memcpy of 8,294,400 bytes", memcpyMs);

    // A fresh mapping per frame, for comparison with the kept one.
    const double freshMs = medianMs([&] {
        SurfaceReader fresh;
        fresh.copy(surfaceId, cameraFrame.data(), 1920 * 4, 1080);
    });
    report("reader copy from a fresh mapping", freshMs, "memcpy of 8,294,400 bytes", memcpyMs);

    surface.reset();
    service.stopPublishing();
    notifyCenter.notify_cancel(token);
    ::shm_unlink(NotifyCenter::objectNameFor(FrameHandoff::kNotifyName).c_str());
    return 0;
}
