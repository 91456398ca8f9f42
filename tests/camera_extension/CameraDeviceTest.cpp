#include "RecordingLog.h"
#include "shared/HandoffNamespace.h"
#include "support/WaitFor.h"

#include "camera_extension/CameraExtensionDeviceSource.h"
#include "camera_extension/CameraExtensionStreamSource.h"
#include "camera_extension/FrameSink.h"
#include "shared/FrameHandoff.h"
#include "shared/NotifyCenter.h"
#include "shared/SharedSurface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

namespace {

using Device = CameraExtensionDeviceSource;

// Stands in for the frame timer: the test ticks by calling deliverFrame() itself.
class FakeTimer : public FrameTimer {
public:
    explicit FakeTimer(int& cancelled)
        : m_cancelled(cancelled) {}
    void cancel() override { ++m_cancelled; }

private:
    int& m_cancelled;
};

// Keeps the last frame's bytes only: a test may send hundreds of full-size frames.
class RecordingSink : public FrameSink {
public:
    int sendFrame(std::shared_ptr<CameraBuffer> frame, std::uint64_t hostTimeNs,
                  std::uint64_t) override {
        last.assign(frame->data, frame->data + std::size_t(frame->bytesPerRow) * frame->height);
        hostTimes.push_back(hostTimeNs);
        return 0;
    }
    bool lastIsAllZero() const {
        return std::all_of(last.begin(), last.end(), [](std::uint8_t b) { return b == 0; });
    }
    std::vector<std::uint8_t> last;
    std::vector<std::uint64_t> hostTimes;
};

class CameraDeviceTest : public ::testing::Test {
protected:
    std::unique_ptr<Device> makeDevice(bool withPool = true) {
        auto device = std::make_unique<Device>(
            "Velarion Camera",
            Device::Environment{m_log, m_notify, fakeTimers(),
                                withPool ? Device::defaultPoolFactory() : Device::PoolFactory{},
                                [this] {
                                    return m_clockNs += 33'333'333;
                                }});
        device->setSink(&m_sink);
        return device;
    }
    Device::TimerFactory fakeTimers() {
        return [this](std::chrono::nanoseconds period, std::function<void()>) {
            m_period = period;
            ++m_timersCreated;
            return std::make_unique<FakeTimer>(m_timersCancelled);
        };
    }
    void announce(std::uint64_t state) {
        NotifyCenter publisher;
        int token = -1;
        publisher.notify_register_check(FrameHandoff::kNotifyName, token);
        publisher.notify_set_state(token, state);
        publisher.notify_post(FrameHandoff::kNotifyName);
    }

    std::vector<std::string> sourceLines() {
        return m_log.linesStartingWith("[DIAG] Frame source");
    }

    HandoffNamespace m_namespace;
    RecordingLog m_log;
    NotifyCenter m_notify;
    int m_timersCreated = 0;
    int m_timersCancelled = 0;
    RecordingSink m_sink;
    std::chrono::nanoseconds m_period{};
    std::uint64_t m_clockNs = 1'000'000'000;
};

std::string sourceLine(const std::string& source, std::uint32_t id, int tick) {
    return "[DIAG] Frame source changed: " + source + " surfaceID=" + std::to_string(id) +
           " tick=" + std::to_string(tick) + " pixelFmt=BGRA size=1920x1080";
}

}  // namespace

TEST_F(CameraDeviceTest, CountsClientsAndRunsOneTimerWhileAnyStreams) {
    auto device = makeDevice();
    device->stopStreaming();  // no client: only the line
    EXPECT_EQ(device->streamingCounter(), 0u);
    EXPECT_EQ(m_timersCreated, 0);

    device->streamSource().startStream();
    EXPECT_EQ(device->streamingCounter(), 1u);
    device->streamSource().startStream();
    EXPECT_EQ(device->streamingCounter(), 2u);
    device->streamSource().stopStream();
    EXPECT_EQ(device->streamingCounter(), 1u);
    EXPECT_TRUE(device->hasFrameTimer());
    EXPECT_EQ(m_timersCreated, 1);
    EXPECT_EQ(m_timersCancelled, 0);
    EXPECT_EQ(m_period.count(), 33'333'333);

    device->stopStreaming();
    EXPECT_EQ(device->streamingCounter(), 0u);
    EXPECT_FALSE(device->hasFrameTimer());
    EXPECT_EQ(m_timersCancelled, 1);
    EXPECT_EQ(m_log.linesStartingWith("st"),
              (std::vector<std::string>{"stopStreaming (stopped)", "startStreaming (clients=1)",
                                        "startStreaming (clients=2)", "stopStreaming (clients=1)",
                                        "stopStreaming (stopped)"}));

    auto poolless = makeDevice(false);
    poolless->startStreaming();
    EXPECT_EQ(poolless->streamingCounter(), 0u);
    EXPECT_FALSE(poolless->hasFrameTimer());
    EXPECT_EQ(m_log.lines().back(), "startStreaming called but bufferPool is nil");
}

TEST_F(CameraDeviceTest, FirstTickWithNothingAnnouncedSendsBlackFromNoProducer) {
    auto device = makeDevice();
    device->startStreaming();
    device->deliverFrame();
    device->deliverFrame();  // same source: no new line
    ASSERT_EQ(m_sink.hostTimes.size(), 2u);
    EXPECT_TRUE(m_sink.lastIsAllZero());
    EXPECT_EQ(m_sink.hostTimes[0], 1'033'333'333u);
    EXPECT_EQ(device->lastSource(), Device::FrameSource::noProducer);
    EXPECT_EQ(sourceLines(), (std::vector<std::string>{sourceLine("noProducer", 0, 1)}));

    // A stop to zero clients clears the source, so a restart logs it again; ticks go on counting.
    device->stopStreaming();
    EXPECT_FALSE(device->lastSource());
    device->startStreaming();
    device->deliverFrame();
    EXPECT_EQ(sourceLines().back(), sourceLine("noProducer", 0, 3));
}

TEST_F(CameraDeviceTest, LiveSurfaceIsCopiedAndAStaleOneTurnsBlackWithThrottledLines) {
    announce(0xFFFFFFFF00000000ull | 123456u);  // upper bits set: ignored
    auto device = makeDevice();
    device->startStreaming();
    device->deliverFrame();  // tick 1: stale at once
    EXPECT_TRUE(m_sink.lastIsAllZero());

    auto surface = SharedSurface::create(1920, 1080, FrameHandoff::kPixelFormatBGRA);
    ASSERT_TRUE(surface);
    std::memset(surface->baseAddress(), 0x42, std::size_t(surface->bytesPerRow()) * 1080);
    const std::uint32_t id = surface->surfaceId();
    announce(id);
    device->deliverFrame();
    EXPECT_EQ(device->lastSource(), Device::FrameSource::live);
    EXPECT_EQ(device->lastDeliveredSurfaceID(), id);
    EXPECT_EQ(m_sink.last[1920 * 4 * 1080 - 1], 0x42);

    surface.reset();  // the publisher stops: the identifier stays in the state
    for (int tick = 3; tick <= 300; ++tick) {
        device->deliverFrame();
    }
    EXPECT_TRUE(m_sink.lastIsAllZero());
    EXPECT_EQ(device->lastSource(), Device::FrameSource::attachFailed);
    const std::string stale =
        "IOSurfaceLookup(" + std::to_string(id) + ") failed — stale surface ID";
    EXPECT_EQ(m_log.linesStartingWith("IOSurfaceLookup"),
              (std::vector<std::string>{"IOSurfaceLookup(123456) failed — stale surface ID", stale,
                                        stale}));  // ticks 1, 150 and 300
    EXPECT_EQ(sourceLines(), (std::vector<std::string>{sourceLine("attachFailed", 123456, 1),
                                                       sourceLine("live", id, 2),
                                                       sourceLine("attachFailed", id, 3)}));

    // A smaller surface lands top left.
    auto small = SharedSurface::create(1280, 720, FrameHandoff::kPixelFormatBGRA);
    ASSERT_TRUE(small);
    std::memset(small->baseAddress(), 0x77, std::size_t(small->bytesPerRow()) * 720);
    announce(small->surfaceId());
    device->deliverFrame();
    EXPECT_EQ(device->lastSource(), Device::FrameSource::live);
    EXPECT_EQ(m_sink.last[(719 * 1920 + 1279) * 4 + 3], 0x77);
}

TEST(ThreadFrameTimer, TicksUntilCancelledAndNeverAfter) {
    std::atomic<int> ticks{0};
    ThreadFrameTimer timer(std::chrono::milliseconds(5), [&] { ++ticks; });
    ASSERT_TRUE(waitFor([&] { return ticks >= 3; }));
    timer.cancel();
    const int afterCancel = ticks;
    std::this_thread::sleep_for(std::chrono::milliseconds(30));  // room for a stray tick
    EXPECT_EQ(ticks, afterCancel);
}
