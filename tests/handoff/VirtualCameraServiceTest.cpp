#include "HandoffNamespace.h"

#include "capture/VirtualCameraService.h"
#include "shared/FrameHandoff.h"
#include "shared/NotifyCenter.h"
#include "shared/SharedSurface.h"
#include "shared/SharedSurfacePool.h"

#include <QCoreApplication>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// Records what the publisher does on the notify channel; can refuse registrations.
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

// A real pool that remembers its surfaces' identifiers and can run out after a number of them.
class TestPool : public SharedSurfacePool {
public:
    explicit TestPool(std::vector<std::uint32_t>* created, int available = 1000)
        : SharedSurfacePool(FrameHandoff::kFrameWidth, FrameHandoff::kFrameHeight,
                            FrameHandoff::kPixelFormatBGRA)
        , m_created(created)
        , m_available(available) {}
    std::unique_ptr<SharedSurface> createSurface() override {
        if (m_available-- <= 0) {
            return nullptr;
        }
        auto surface = SharedSurfacePool::createSurface();
        m_created->push_back(surface->surfaceId());
        return surface;
    }

private:
    std::vector<std::uint32_t>* m_created;
    int m_available;
};

// Collects the lines of the publisher's log category.
class LogCapture {
public:
    LogCapture() {
        s_instance = this;
        m_previous = qInstallMessageHandler(&LogCapture::handle);
    }
    ~LogCapture() {
        qInstallMessageHandler(m_previous);
        s_instance = nullptr;
    }
    std::vector<std::string> lines() {
        std::lock_guard lock(m_mutex);
        return m_lines;
    }
    int count(const std::string& text) {
        int n = 0;
        for (const std::string& line : lines()) {
            n += line == text;
        }
        return n;
    }

private:
    static void handle(QtMsgType, const QMessageLogContext& context, const QString& message) {
        if (s_instance && context.category &&
            QByteArray(context.category) == "com.orvandel.Velarion.VirtualCamera") {
            std::lock_guard lock(s_instance->m_mutex);
            s_instance->m_lines.push_back(message.toStdString());
        }
    }
    static inline LogCapture* s_instance = nullptr;
    QtMessageHandler m_previous = nullptr;
    std::mutex m_mutex;
    std::vector<std::string> m_lines;
};

struct SolidFrame {
    SolidFrame(int w, int h, std::uint32_t value = 0xFF204060u)
        : pixels(std::size_t(w) * h, value)
        , buffer{reinterpret_cast<const std::uint8_t*>(pixels.data()), w, h, w * 4} {}
    std::vector<std::uint32_t> pixels;
    PixelBuffer buffer;
};

class VirtualCameraServiceTest : public ::testing::Test {
protected:
    VirtualCameraService::PoolFactory poolFactory(int available = 1000) {
        return [this, available] {
            return std::make_unique<TestPool>(&m_created, available);
        };
    }
    void settle() { QCoreApplication::processEvents(); }

    HandoffNamespace m_namespace;
    RecordingNotifyCenter m_notify;
    std::vector<std::uint32_t> m_created;
    SolidFrame m_frame{1920, 1080};
};

}  // namespace

TEST_F(VirtualCameraServiceTest, StartsInactiveAndBecomesActiveWithARingOfThree) {
    LogCapture log;
    VirtualCameraService service(m_notify, poolFactory());
    EXPECT_FALSE(service.isPublishing());
    EXPECT_EQ(service.statusMessage(), QStringLiteral("Virtual camera inactive"));
    EXPECT_EQ(service.extensionStatus(), VirtualCameraService::ExtensionStatus::inactive);
    EXPECT_EQ(service.notifyToken(), -1);
    EXPECT_EQ(VirtualCameraService::rawValue(service.extensionStatus()),
              QStringLiteral("Inactive"));

    QSignalSpy publishing(&service, &VirtualCameraService::isPublishingChanged);
    service.startPublishing();
    EXPECT_TRUE(service.isPublishing());
    EXPECT_EQ(service.statusMessage(), QStringLiteral("Virtual camera active"));
    EXPECT_EQ(service.extensionStatus(), VirtualCameraService::ExtensionStatus::active);
    EXPECT_EQ(m_created.size(), 3u);
    EXPECT_EQ(m_namespace.objects("-surface-").size(), 3u);

    service.startPublishing();  // a second start only logs
    EXPECT_EQ(m_created.size(), 3u);
    EXPECT_EQ(publishing.count(), 1);
    EXPECT_EQ(log.count("[DIAG] startPublishing called"), 1);
    EXPECT_EQ(log.count("startPublishing called but already publishing"), 1);
    EXPECT_EQ(log.count("[DIAG] Started publishing via CVPixelBuffer pool (3 buffers)"), 1);
    EXPECT_TRUE(m_notify.calls().empty()) << "registration waits for the first frame";
}

TEST_F(VirtualCameraServiceTest, RingOrderIsOneTwoZeroAndStartsOverAfterARestart) {
    VirtualCameraService service(m_notify, poolFactory());
    service.startPublishing();
    std::vector<int> order;
    for (int i = 0; i < 4; ++i) {
        service.publish(m_frame.buffer);
        settle();
        order.push_back(service.currentSurface());
    }
    EXPECT_EQ(order, (std::vector<int>{1, 2, 0, 1}));
    EXPECT_EQ(service.publishedFrameCount(), 4u);
    EXPECT_EQ(m_notify.announced(),
              (std::vector<std::uint32_t>{m_created[1], m_created[2], m_created[0], m_created[1]}));

    service.stopPublishing();
    EXPECT_EQ(service.currentSurface(), 0);
    EXPECT_EQ(service.publishedFrameCount(), 0u);
    service.startPublishing();
    service.publish(m_frame.buffer);
    settle();
    EXPECT_EQ(service.currentSurface(), 1);
    EXPECT_EQ(service.publishedFrameCount(), 1u);
    EXPECT_EQ(m_notify.announced().back(), m_created[4]);
}

TEST_F(VirtualCameraServiceTest, RegistersOnceThenSetsAndPostsForEveryFrame) {
    LogCapture log;
    VirtualCameraService service(m_notify, poolFactory());
    service.startPublishing();
    service.publish(m_frame.buffer);
    service.publish(m_frame.buffer);
    const std::vector<std::string> expected = {"register", "set " + std::to_string(m_created[1]),
                                               "post", "set " + std::to_string(m_created[2]),
                                               "post"};
    EXPECT_EQ(m_notify.calls(), expected);
    EXPECT_NE(service.notifyToken(), -1);
    EXPECT_EQ(log.count(std::string("Registered notify token for ") + FrameHandoff::kNotifyName),
              1);
}

TEST_F(VirtualCameraServiceTest, LogsTheFrameLineForTheFirstAndEvery150thFrame) {
    LogCapture log;
    VirtualCameraService service(m_notify, poolFactory());
    service.startPublishing();
    SolidFrame small(64, 48);
    for (int i = 0; i < 300; ++i) {
        service.publish(small.buffer);
    }
    std::vector<std::string> frameLines;
    for (const std::string& line : log.lines()) {
        if (line.rfind("[DIAG] Published frame", 0) == 0) {
            frameLines.push_back(line);
        }
    }
    const std::vector<std::uint32_t> ids = m_notify.announced();
    ASSERT_EQ(ids.size(), 300u);
    const std::vector<std::string> expected = {
        "[DIAG] Published frame #1 (src 64x48) surfaceID=" + std::to_string(ids[0]),
        "[DIAG] Published frame #150 (src 64x48) surfaceID=" + std::to_string(ids[149]),
        "[DIAG] Published frame #300 (src 64x48) surfaceID=" + std::to_string(ids[299])};
    EXPECT_EQ(frameLines, expected);
}

TEST_F(VirtualCameraServiceTest, StopCancelsTheTokenAndLeavesTheLastIdentifierInTheState) {
    LogCapture log;
    VirtualCameraService service(m_notify, poolFactory());
    service.startPublishing();
    service.publish(m_frame.buffer);
    const std::uint32_t last = m_notify.announced().back();

    service.stopPublishing();
    EXPECT_EQ(m_notify.calls().back(), "cancel");
    EXPECT_EQ(service.notifyToken(), -1);
    EXPECT_FALSE(service.isPublishing());
    EXPECT_EQ(service.statusMessage(), QStringLiteral("Virtual camera inactive"));
    EXPECT_EQ(log.count("Stopped publishing."), 1);
    EXPECT_TRUE(m_namespace.objects("-surface-").empty());

    NotifyCenter reader;
    int token = -1;
    std::uint64_t state = 0;
    reader.notify_register_check(FrameHandoff::kNotifyName, token);
    reader.notify_get_state(token, state);
    EXPECT_EQ(state, last);
    EXPECT_FALSE(SharedSurface::lookup(last));

    const std::size_t callsBefore = m_notify.calls().size();
    service.publish(m_frame.buffer);  // after the stop: returns at once
    settle();
    EXPECT_EQ(m_notify.calls().size(), callsBefore);
    EXPECT_EQ(service.publishedFrameCount(), 0u);
}

TEST_F(VirtualCameraServiceTest, RefusedRegistrationStillDrawsAndIsRetriedOnTheNextFrame) {
    LogCapture log;
    m_notify.registrationsToRefuse = 2;
    VirtualCameraService service(m_notify, poolFactory());
    service.startPublishing();
    service.publish(m_frame.buffer);
    service.publish(m_frame.buffer);
    EXPECT_EQ(m_notify.calls(), (std::vector<std::string>{"register", "register"}));
    EXPECT_EQ(service.notifyToken(), -1);
    EXPECT_EQ(log.count(std::string("Failed to register notify token for ") +
                        FrameHandoff::kNotifyName + ", status=1000000"),
              2);
    auto drawn = SharedSurface::lookup(m_created[2]);
    ASSERT_TRUE(drawn);
    EXPECT_EQ(reinterpret_cast<const std::uint32_t*>(drawn->baseAddress())[1000], 0xFF204060u);

    service.publish(m_frame.buffer);
    EXPECT_EQ(m_notify.announced(), (std::vector<std::uint32_t>{m_created[0]}));
    settle();
    EXPECT_EQ(service.publishedFrameCount(), 3u);
}

TEST_F(VirtualCameraServiceTest, FailedStartsReportTheirTextAndAStopKeepsIt) {
    LogCapture log;
    bool poolAvailable = false;
    VirtualCameraService service(m_notify, [&]() -> std::unique_ptr<SharedSurfacePool> {
        if (!poolAvailable) {
            return nullptr;
        }
        return std::make_unique<TestPool>(&m_created, 2);
    });
    service.startPublishing();
    EXPECT_FALSE(service.isPublishing());
    EXPECT_EQ(service.extensionStatus(), VirtualCameraService::ExtensionStatus::failed);
    EXPECT_EQ(service.statusMessage(), QStringLiteral("Failed to create CVPixelBufferPool"));
    EXPECT_EQ(service.lastError(), QStringLiteral("Failed to create CVPixelBufferPool"));

    service.stopPublishing();
    EXPECT_EQ(service.statusMessage(), QStringLiteral("Failed to create CVPixelBufferPool"));
    EXPECT_EQ(service.extensionStatus(), VirtualCameraService::ExtensionStatus::failed);

    poolAvailable = true;
    service.startPublishing();
    EXPECT_FALSE(service.isPublishing());
    EXPECT_EQ(service.statusMessage(), QStringLiteral("Failed to allocate pixel buffers"));
    EXPECT_EQ(service.lastError(), QStringLiteral("Failed to allocate pixel buffers"));
    EXPECT_EQ(log.count("Failed to allocate pixel buffers"), 1);
    service.publish(m_frame.buffer);
    EXPECT_TRUE(m_notify.calls().empty()) << "no frame while the start has failed";
}

TEST_F(VirtualCameraServiceTest, CaptureFailureChangesOnlyTheMessageAndTheError) {
    LogCapture log;
    VirtualCameraService service(m_notify, poolFactory());
    service.startPublishing();
    service.reportCaptureFailure(QStringLiteral("The display went away."));
    EXPECT_EQ(service.statusMessage(),
              QStringLiteral("Screen capture unavailable — check Screen Recording permission"));
    EXPECT_EQ(service.lastError(), QStringLiteral("The display went away."));
    EXPECT_TRUE(service.isPublishing());
    EXPECT_EQ(service.extensionStatus(), VirtualCameraService::ExtensionStatus::active);
    EXPECT_EQ(log.count("Screen capture failed: The display went away."), 1);
}

// Frames from two capture threads while the GUI thread stops and starts: no crash, and within
// each publishing session the identifiers follow the ring exactly, one step per frame.
TEST_F(VirtualCameraServiceTest, RingAdvancesOncePerFrameUnderConcurrentFramesAndToggles) {
    VirtualCameraService service(m_notify, poolFactory());
    service.startPublishing();
    std::atomic<bool> running{true};
    std::atomic<int> attempts{0};
    SolidFrame small(32, 18);
    auto capture = [&] {
        while (running) {
            service.publish(small.buffer);
            ++attempts;
            // Capture threads deliver at a frame rate, never back to back: two threads re-taking
            // the (unfair) ring lock without a pause can starve the toggling thread for minutes
            // under ThreadSanitizer. The pause is far shorter than a frame, so frames still
            // overlap.
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

    // Every start made a ring of three new surfaces; m_created lists them ring by ring. Each
    // session's frames must walk its own ring 1, 2, 0, 1, ... with no step skipped or repeated.
    ASSERT_EQ(m_created.size(), 3u * 21);
    std::map<std::uint32_t, std::pair<std::size_t, std::size_t>> slotOf;  // id -> (ring, index)
    for (std::size_t i = 0; i < m_created.size(); ++i) {
        slotOf[m_created[i]] = {i / 3, i % 3};
    }
    std::size_t ring = 0;
    std::size_t framesInRing = 0;
    std::size_t frames = 0;
    for (const std::uint32_t id : m_notify.announced()) {
        ASSERT_TRUE(slotOf.count(id)) << id;
        const auto [idRing, index] = slotOf[id];
        ASSERT_GE(idRing, ring) << "a frame went to a ring that was already released";
        if (idRing != ring) {
            ring = idRing;
            framesInRing = 0;
        }
        ++framesInRing;
        ++frames;
        EXPECT_EQ(index, framesInRing % 3) << "ring " << ring << " frame " << framesInRing;
    }
    EXPECT_GT(frames, 20u);
    const std::size_t lastRingFrames = ring == 20 ? framesInRing : 0;
    EXPECT_EQ(service.publishedFrameCount(), lastRingFrames);
}
