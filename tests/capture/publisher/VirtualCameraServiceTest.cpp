#include "BgraImage.h"
#include "HandoffNamespace.h"

#include "capture/publisher/VirtualCameraService.h"
#include "shared/FrameHandoff.h"
#include "shared/NotifyCenter.h"
#include "shared/SharedSurface.h"
#include "shared/SharedSurfacePool.h"

#include <QCoreApplication>
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
    VirtualCameraService::PoolFactory poolFactory() {
        return [this] {
            return std::make_unique<TestPool>(m_created, 1000);
        };
    }
    // Delivers the counters that publish() queues for the GUI thread.
    static void settle() { QCoreApplication::processEvents(); }

    HandoffNamespace m_namespace;
    RecordingNotifyCenter m_notify;
    std::vector<std::uint32_t> m_created;
    BgraImage m_frame{1920, 1080, 0xFF204060u};
};

}  // namespace

TEST_F(VirtualCameraServiceTest, StartBuildsOneRingThatFramesVisitInTheOrderOneTwoZero) {
    VirtualCameraService service(m_notify, poolFactory());
    QSignalSpy publishing(&service, &VirtualCameraService::isPublishingChanged);
    service.startPublishing();
    service.startPublishing();  // a second start keeps the running ring
    EXPECT_TRUE(service.isPublishing());
    EXPECT_EQ(publishing.count(), 1);
    EXPECT_EQ(service.extensionStatus(), Status::active);
    EXPECT_EQ(m_created.size(), 3u);
    EXPECT_EQ(m_namespace.objects("-surface-").size(), 3u);

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
}

TEST_F(VirtualCameraServiceTest, RefusedRegistrationStillDrawsAndIsRetriedOnTheNextFrame) {
    m_notify.registrationsToRefuse = 2;
    VirtualCameraService service(m_notify, poolFactory());
    service.startPublishing();
    service.publish(m_frame.view());
    service.publish(m_frame.view());
    EXPECT_EQ(m_notify.calls(), (std::vector<std::string>{"register", "register"}));
    EXPECT_EQ(service.notifyToken(), -1);
    auto drawn = SharedSurface::lookup(m_created[2]);
    ASSERT_TRUE(drawn);
    EXPECT_EQ(reinterpret_cast<const std::uint32_t*>(drawn->baseAddress())[1000], 0xFF204060u);

    service.publish(m_frame.view());
    EXPECT_EQ(m_notify.announced(), (std::vector<std::uint32_t>{m_created[0]}));
    settle();
    EXPECT_EQ(service.publishedFrameCount(), 3u);
}

// A failed start shows its reason until the next start, a stop included.
TEST_F(VirtualCameraServiceTest, ARingThatCannotBeFilledFailsAndAStopKeepsTheReason) {
    VirtualCameraService service(m_notify,
                                 [this] { return std::make_unique<TestPool>(m_created, 2); });
    service.startPublishing();
    EXPECT_FALSE(service.isPublishing());
    EXPECT_EQ(service.extensionStatus(), Status::failed);
    EXPECT_FALSE(service.lastError().isEmpty());
    EXPECT_EQ(service.statusMessage(), service.lastError());
    service.stopPublishing();
    EXPECT_EQ(service.extensionStatus(), Status::failed);
    EXPECT_EQ(service.statusMessage(), service.lastError());
    service.publish(m_frame.view());
    EXPECT_TRUE(m_notify.calls().empty()) << "no frame while the start has failed";
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
