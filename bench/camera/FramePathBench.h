#pragma once

// The camera daemon's frame path under measurement, shared by the daemon's benchmarks: a live
// published 1920 × 1080 surface, the real device source and frame timer, and a sink that copies
// every frame once more, as the PipeWire node does into the consumer's buffer.

#include "camera_extension/DeviceLog.h"
#include "camera_extension/FrameSink.h"
#include "shared/NotifyCenter.h"
#include "shared/SharedSurface.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class QuietLog : public DeviceLog {
public:
    void write(Level, const std::string&) override {}
};

// Copies each frame into a consumer-sized buffer and keeps its presentation time.
class CopyingSink : public FrameSink {
public:
    CopyingSink();
    int sendFrame(std::shared_ptr<CameraBuffer> frame, std::uint64_t hostTimeNs,
                  std::uint64_t) override;
    std::vector<std::uint64_t> times();

private:
    std::vector<std::uint8_t> m_consumerBuffer;
    std::mutex m_mutex;
    std::vector<std::uint64_t> m_times;
};

// A grey surface announced under the hand-off name for as long as this object lives.
class PublishedTestSurface {
public:
    PublishedTestSurface();
    ~PublishedTestSurface();
    PublishedTestSurface(const PublishedTestSurface&) = delete;
    PublishedTestSurface& operator=(const PublishedTestSurface&) = delete;

private:
    std::unique_ptr<SharedSurface> m_surface;
    NotifyCenter m_publisher;
    int m_token = -1;
};

struct PathFigures {
    double cpuPercent = 0;
    std::size_t frames = 0;
    std::vector<double> intervalsMs;  // sorted
};

// Streams into `sink` for `seconds`; `copying` is the sink (or the part of it) that records the
// frame times.
PathFigures runFramePath(FrameSink& sink, CopyingSink& copying, int seconds);

// One line: frame rate, CPU share of one core and the interval distribution against 33.3 ms.
void printPath(const char* name, const PathFigures& figures, int seconds);
