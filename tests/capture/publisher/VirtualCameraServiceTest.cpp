#include "BgraImage.h"
#include "HandoffNamespace.h"

#include "capture/publisher/VirtualCameraService.h"
#include "shared/FrameHandoff.h"
#include "shared/NotifyCenter.h"
#include "shared/SharedSurface.h"
#include "shared/SharedSurfacePool.h"
#include "support/LogCapture.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <iterator>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using Status = VirtualCameraService::ExtensionStatus;

// The real notify channel, recording the publisher's calls; can refuse registrations.
class RecordingNotifyCenter : public NotifyCenter {
public:
    std::atomic<int> registrationsToRefuse{0};

    std::uint32_t notify_register_check(const std::string& name, int& token) override {
        record("register");
        if (registrationsToRefuse > 0) {
            --registrationsToRefuse;
            token = -1;
            return kStatusFailed;
        }
        return NotifyCenter::notify_register_check(name, token);
    }
    std::uint32_t notify_set_state(int token, std::uint64_t state) override {
        record("set " + std::to_string(state));
        return NotifyCenter::notify_set_state(token, state);
    }
    std::uint32_t notify_post(const std::string& name) override {
        record("post");
        return NotifyCenter::notify_post(name);
    }
    std::uint32_t notify_cancel(int token) override {
        record("cancel");
        return NotifyCenter::notify_cancel(token);
    }

    std::vector<std::string> calls() {
        std::lock_guard lock(m_mutex);
        return m_calls;
    }
    std::vector<std::uint32_t> announced() {
        std::vector<std::uint32_t> ids;
        for (const std::string& call : calls()) {
            if (call.rfind("set ", 0) == 0) {
                ids.push_back(static_cast<std::uint32_t>(std::stoull(call.substr(4))));
            }
        }
        return ids;
    }

private:
    void record(const std::string& call) {
        std::lock_guard lock(m_mutex);
        m_calls.push_back(call);
    }
    std::mutex m_mutex;
    std::vector<std::string> m_calls;
};

// A real pool that lists its surfaces' identifiers in creation order and can run out.
class TestPool : public SharedSurfacePool {
public:
    TestPool(std::vector<std::uint32_t>& created, int available)
        : SharedSurfacePool(FrameHandoff::kFrameWidth, FrameHandoff::kFrameHeight,
                            FrameHandoff::kPixelFormatBGRA)
        , m_created(created)
        , m_available(available) {}
    std::unique_ptr<SharedSurface> createSurface() override {
        if (m_available-- <= 0) {
            return nullptr;
        }
        auto surface = SharedSurfacePool::createSurface();
        m_created.push_back(surface->surfaceId());
        return surface;
    }

private:
    std::vector<std::uint32_t>& m_created;
    int m_available;
};

class VirtualCameraServiceTest : public ::testing::Test {
protected:
    VirtualCameraService::PoolFactory poolFactory(int available = 1000) {
        return [this, available] {
            return std::make_unique<TestPool>(m_created, available);
        };
    }
    // Delivers the counters that publish() queues for the GUI thread.
    static void settle() { QCoreApplication::processEvents(); }

    QStringList logLines() const {
        return m_log.texts(QStringLiteral("com.orvandel.Velarion.VirtualCamera"));
    }
    long logged(const std::string& line) const {
        return logLines().count(QString::fromStdString(line));
    }

    HandoffNamespace m_namespace;
    RecordingNotifyCenter m_notify;
    std::vector<std::uint32_t> m_created;
    BgraImage m_frame{1920, 1080, 0xFF204060u};
    LogCapture m_log;
};

}  // namespace

TEST_F(VirtualCameraServiceTest, StartBuildsOneRingThatFramesVisitInTheOrderOneTwoZero) {
    VirtualCameraService service(m_notify, poolFactory());
    QSignalSpy publishing(&service, &VirtualCameraService::isPublishingChanged);
    service.startPublishing();
    service.startPublishing();  // only logs
    EXPECT_TRUE(service.isPublishing());
    EXPECT_EQ(publishing.count(), 1);
    EXPECT_EQ(service.statusMessage(), QStringLiteral("Virtual camera active"));
    EXPECT_EQ(service.extensionStatus(), Status::active);
    EXPECT_EQ(m_created.size(), 3u);
    EXPECT_EQ(m_namespace.objects("-surface-").size(), 3u);
    EXPECT_EQ(logged("[DIAG] startPublishing called"), 1);
    EXPECT_EQ(logged("startPublishing called but already publishing"), 1);
    EXPECT_EQ(logged("[DIAG] Started publishing via CVPixelBuffer pool (3 buffers)"), 1);
    EXPECT_TRUE(m_notify.calls().empty()) << "registration waits for the first frame";

    std::vector<int> order;
    for (int i = 0; i < 4; ++i) {
        service.publish(m_frame.view());
        settle();
        order.push_back(service.currentSurface());
    }
    EXPECT_EQ(order, (std::vector<int>{1, 2, 0, 1}));
    EXPECT_EQ(service.publishedFrameCount(), 4u);
    std::vector<std::string> expected = {"register"};
    for (const std::size_t slot : {1, 2, 0, 1}) {
        expected.insert(expected.end(), {"set " + std::to_string(m_created[slot]), "post"});
    }
    EXPECT_EQ(m_notify.calls(), expected);
    EXPECT_NE(service.notifyToken(), -1);
    EXPECT_EQ(logged(std::string("Registered notify token for ") + FrameHandoff::kNotifyName), 1);

    // The frame line: the first frame and every 150th, with the size of its own frame. Frames of
    // the surface's size are only copied, which keeps this quick under the sanitizers.
    const BgraImage small(64, 48);
    for (int frame = 5; frame <= 300; ++frame) {
        service.publish(frame % 150 == 0 ? small.view() : m_frame.view());
    }
    const QStringList frameLines =
        logLines().filter(QRegularExpression(QStringLiteral("^\\[DIAG\\] Published frame")));
    const std::vector<std::uint32_t> ids = m_notify.announced();
    ASSERT_EQ(ids.size(), 300u);
    EXPECT_EQ(
        frameLines,
        (QStringList{
            QStringLiteral("[DIAG] Published frame #1 (src 1920x1080) surfaceID=%1").arg(ids[0]),
            QStringLiteral("[DIAG] Published frame #150 (src 64x48) surfaceID=%1").arg(ids[149]),
            QStringLiteral("[DIAG] Published frame #300 (src 64x48) surfaceID=%1").arg(ids[299])}));
}

TEST_F(VirtualCameraServiceTest, StopLeavesTheLastIdentifierStaleAndARestartBeginsAtOne) {
    VirtualCameraService service(m_notify, poolFactory());
    service.startPublishing();
    service.publish(m_frame.view());
    const std::uint32_t last = m_notify.announced().back();

    service.stopPublishing();
    EXPECT_EQ(m_notify.calls().back(), "cancel");
    EXPECT_EQ(service.notifyToken(), -1);
    EXPECT_FALSE(service.isPublishing());
    EXPECT_EQ(service.statusMessage(), QStringLiteral("Virtual camera inactive"));
    EXPECT_EQ(service.extensionStatus(), Status::inactive);
    EXPECT_EQ(service.currentSurface(), 0);
    EXPECT_EQ(logged("Stopped publishing."), 1);
    EXPECT_TRUE(m_namespace.objects("-surface-").empty());
    EXPECT_EQ(HandoffNamespace::announcedIdentifier(), last);

    const std::size_t callsBefore = m_notify.calls().size();
    service.publish(m_frame.view());  // after the stop: returns at once
    settle();
    EXPECT_EQ(m_notify.calls().size(), callsBefore);
    EXPECT_EQ(service.publishedFrameCount(), 0u);

    service.startPublishing();
    service.publish(m_frame.view());
    settle();
    EXPECT_EQ(service.currentSurface(), 1);
    EXPECT_EQ(service.publishedFrameCount(), 1u);
    EXPECT_EQ(m_notify.announced().back(), m_created[4]);
}

TEST_F(VirtualCameraServiceTest, RefusedRegistrationStillDrawsAndIsRetriedOnTheNextFrame) {
    m_notify.registrationsToRefuse = 2;
    VirtualCameraService service(m_notify, poolFactory());
    service.startPublishing();
    service.publish(m_frame.view());
    service.publish(m_frame.view());
    EXPECT_EQ(m_notify.calls(), (std::vector<std::string>{"register", "register"}));
    EXPECT_EQ(service.notifyToken(), -1);
    EXPECT_EQ(logged(std::string("Failed to register notify token for ") +
                     FrameHandoff::kNotifyName + ", status=1000000"),
              2);
    auto drawn = SharedSurface::lookup(m_created[2]);
    ASSERT_TRUE(drawn);
    EXPECT_EQ(reinterpret_cast<const std::uint32_t*>(drawn->baseAddress())[1000], 0xFF204060u);

    service.publish(m_frame.view());
    EXPECT_EQ(m_notify.announced(), (std::vector<std::uint32_t>{m_created[0]}));
    settle();
    EXPECT_EQ(service.publishedFrameCount(), 3u);
}

TEST_F(VirtualCameraServiceTest, FailedStartsReportTheirTextAndAStopKeepsIt) {
    bool poolAvailable = false;
    VirtualCameraService service(m_notify, [&]() -> std::unique_ptr<SharedSurfacePool> {
        return poolAvailable ? std::make_unique<TestPool>(m_created, 2) : nullptr;
    });
    const QString noPool = QStringLiteral("Failed to create CVPixelBufferPool");
    service.startPublishing();
    EXPECT_FALSE(service.isPublishing());
    EXPECT_EQ(service.extensionStatus(), Status::failed);
    EXPECT_EQ(service.statusMessage(), noPool);
    EXPECT_EQ(service.lastError(), noPool);

    service.stopPublishing();
    EXPECT_EQ(service.statusMessage(), noPool);
    EXPECT_EQ(service.extensionStatus(), Status::failed);

    poolAvailable = true;
    const QString noBuffers = QStringLiteral("Failed to allocate pixel buffers");
    service.startPublishing();
    EXPECT_FALSE(service.isPublishing());
    EXPECT_EQ(service.statusMessage(), noBuffers);
    EXPECT_EQ(service.lastError(), noBuffers);
    EXPECT_EQ(logged(noBuffers.toStdString()), 1);
    service.publish(m_frame.view());
    EXPECT_TRUE(m_notify.calls().empty()) << "no frame while the start has failed";
}

TEST_F(VirtualCameraServiceTest, CaptureFailureChangesOnlyTheMessageAndTheError) {
    VirtualCameraService service(m_notify, poolFactory());
    service.startPublishing();
    service.reportCaptureFailure(QStringLiteral("The display went away."));
    EXPECT_EQ(service.statusMessage(),
              QStringLiteral("Screen capture unavailable — check Screen Recording permission"));
    EXPECT_EQ(service.lastError(), QStringLiteral("The display went away."));
    EXPECT_TRUE(service.isPublishing());
    EXPECT_EQ(service.extensionStatus(), Status::active);
    EXPECT_EQ(logged("Screen capture failed: The display went away."), 1);
}

// Frames from two capture threads while the GUI thread stops and starts: no crash, and within
// each publishing session the identifiers follow the ring exactly, one step per frame.
TEST_F(VirtualCameraServiceTest, RingAdvancesOncePerFrameUnderConcurrentFramesAndToggles) {
    VirtualCameraService service(m_notify, poolFactory());
    service.startPublishing();
    std::atomic<bool> running{true};
    std::atomic<int> attempts{0};
    const BgraImage small(32, 18);
    auto capture = [&] {
        while (running) {
            service.publish(small.view());
            ++attempts;
            // Capture threads deliver at a frame rate, never back to back: two threads re-taking
            // the (unfair) ring lock without a pause can starve the toggling thread for minutes
            // under ThreadSanitizer. The pause is far shorter than a frame: frames still overlap.
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
    };
    std::thread first(capture);
    std::thread second(capture);
    for (int toggle = 0; toggle < 20; ++toggle) {
        while (attempts < (toggle + 1) * 20) {
            std::this_thread::yield();
        }
        service.stopPublishing();
        service.startPublishing();
    }
    running = false;
    first.join();
    second.join();
    settle();

    // m_created lists the 21 rings one after the other; each session's frames must walk its own
    // ring 1, 2, 0, 1, ... with no step skipped or repeated.
    ASSERT_EQ(m_created.size(), 3u * 21);
    std::size_t ring = 0;
    std::size_t framesInRing = 0;
    std::size_t frames = 0;
    for (const std::uint32_t id : m_notify.announced()) {
        const auto slot = std::size_t(std::ranges::find(m_created, id) - m_created.begin());
        ASSERT_LT(slot, m_created.size()) << id;
        ASSERT_GE(slot / 3, ring) << "a frame went to a ring that was already released";
        framesInRing = slot / 3 == ring ? framesInRing + 1 : 1;
        ring = slot / 3;
        ++frames;
        EXPECT_EQ(slot % 3, framesInRing % 3) << "ring " << ring << " frame " << framesInRing;
    }
    EXPECT_GT(frames, 20u);
    EXPECT_EQ(service.publishedFrameCount(), ring == 20 ? framesInRing : 0);
}
