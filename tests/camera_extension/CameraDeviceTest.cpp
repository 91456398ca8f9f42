#include "RecordingLog.h"
#include "shared/HandoffNamespace.h"

#include "camera_extension/CameraExtensionDeviceSource.h"
#include "camera_extension/CameraExtensionStreamSource.h"
#include "camera_extension/FrameSink.h"
#include "shared/FrameHandoff.h"
#include "shared/NotifyCenter.h"
#include "shared/SharedSurface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
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
    int sendFrame(std::shared_ptr<CameraBuffer> frame, std::uint64_t, std::uint64_t) override {
        last.assign(frame->data, frame->data + std::size_t(frame->bytesPerRow) * frame->height);
        return 0;
    }
    bool lastIsAllZero() const {
        return std::all_of(last.begin(), last.end(), [](std::uint8_t b) { return b == 0; });
    }
    std::vector<std::uint8_t> last;
};

class CameraDeviceTest : public ::testing::Test {
protected:
    std::unique_ptr<Device> makeDevice() {
        auto device = std::make_unique<Device>(
            "Velarion Camera", Device::Environment{m_log, m_notify, fakeTimers(),
                                                   Device::defaultPoolFactory(), [this] {
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

    HandoffNamespace m_namespace;
    RecordingLog m_log;
    NotifyCenter m_notify;
    int m_timersCreated = 0;
    int m_timersCancelled = 0;
    RecordingSink m_sink;
    std::chrono::nanoseconds m_period{};
    std::uint64_t m_clockNs = 1'000'000'000;
};

}  // namespace

TEST_F(CameraDeviceTest, CountsClientsAndRunsOneTimerWhileAnyStreams) {
    auto device = makeDevice();
    device->stopStreaming();  // no client yet: nothing to stop
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
    device->deliverFrame();
    EXPECT_TRUE(m_sink.lastIsAllZero());
    EXPECT_EQ(device->lastSource(), Device::FrameSource::attachFailed);

    // A smaller surface lands top left.
    auto small = SharedSurface::create(1280, 720, FrameHandoff::kPixelFormatBGRA);
    ASSERT_TRUE(small);
    std::memset(small->baseAddress(), 0x77, std::size_t(small->bytesPerRow()) * 720);
    announce(small->surfaceId());
    device->deliverFrame();
    EXPECT_EQ(device->lastSource(), Device::FrameSource::live);
    EXPECT_EQ(m_sink.last[(719 * 1920 + 1279) * 4 + 3], 0x77);
}
