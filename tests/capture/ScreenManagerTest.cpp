// The screen manager's own rules against a stand-in display server: which applications a session
// leaves out, the stream's life cycle, and how frames reach the publisher.

#include "CaptureTestSupport.h"
#include "FakeCaptureBackend.h"

#include "capture/ScreenManager.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

ShareableWindow window(WindowId id, const char* title, std::optional<RunningApplication> owner) {
    return {id, QString::fromUtf8(title), QRect(0, 0, 400, 300), true, std::move(owner)};
}

const RunningApplication kEditor{10, QStringLiteral("Editor")};
const RunningApplication kMail{20, QStringLiteral("Mail")};
const RunningApplication kChat{30, QStringLiteral("Chat")};

class ScreenManagerTest : public ::testing::Test {
protected:
    ScreenManagerTest() {
        m_backend->content.displays = {ShareableDisplay{7, 1512, 982, 2, QRect(0, 0, 3024, 1964)}};
        m_backend->content.windows = {
            window(1, "Draft", kEditor), window(2, "Notes", kEditor),
            window(3, "Inbox", kMail),   window(4, "Orphan", std::nullopt),
            window(5, "Chat", kChat),
        };
        m_backend->content.applications = {kEditor, kMail, kChat};
    }

    void start(const WindowIdSet& ids) {
        QFuture<void> started = m_manager.startStealthSession(ids);
        ASSERT_TRUE(finishes(started));
        started.waitForFinished();
    }

    std::shared_ptr<FakeCaptureBackend> m_backend = std::make_shared<FakeCaptureBackend>();
    ScreenManager m_manager{m_backend};
};

TEST_F(ScreenManagerTest, SessionExcludesEveryApplicationOwningAChosenWindow) {
    struct Case {
        WindowIdSet ids;
        QList<RunningApplication> excluded;
    };
    // An orphan (4) and a vanished id (99) add nothing.
    const Case cases[] = {{{1, 3, 4, 99}, {kEditor, kMail}}, {{4, 99}, {}}, {{}, {}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.excluded.size());
        start(c.ids);
        const ContentFilter& filter = m_backend->filters.last();
        EXPECT_EQ(filter.excludedApplications, c.excluded);
        EXPECT_TRUE(filter.excludedWindows.isEmpty());
        EXPECT_TRUE(filter.exceptingWindows.isEmpty());
        EXPECT_EQ(filter.display.displayID, 7u);
        EXPECT_TRUE(m_manager.isCapturing());
    }
}

TEST_F(ScreenManagerTest, NoDisplayStartsNothingAndGivesNoSnapshot) {
    m_backend->content.displays.clear();
    start({1});
    EXPECT_TRUE(m_backend->filters.isEmpty());
    EXPECT_FALSE(m_manager.isCapturing());
    EXPECT_EQ(m_manager.stream(), nullptr);

    const QFuture<std::optional<QImage>> snapshot = m_manager.captureScreenSnapshot();
    ASSERT_TRUE(finishes(snapshot));
    EXPECT_FALSE(snapshot.result().has_value());
}

TEST_F(ScreenManagerTest, StartingTwiceLeavesExactlyOneRunningStream) {
    // Back to back, without waiting: the second start must not leave the first running unseen.
    const QFuture<void> first = m_manager.startStealthSession({1});
    const QFuture<void> second = m_manager.startStealthSession({3});
    ASSERT_TRUE(finishes(first));
    ASSERT_TRUE(finishes(second));
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_backend->runningStreams == 1; }, 10'000))
        << m_backend->runningStreams;
    EXPECT_EQ(m_manager.stream(), m_backend->lastStream());
}

TEST_F(ScreenManagerTest, FramesReachThePublisherOnTheCaptureThreadWithoutCopy) {
    RecordingSink sink;
    m_manager.setVirtualCameraService(&sink);
    start({});
    std::vector<std::uint8_t> pixels(4 * 4 * 4, 0x7f);
    const PixelBuffer frame{pixels.data(), 4, 4, 16};
    FakeCaptureStream* stream = m_backend->lastStream();

    std::thread captureThread([&] { stream->push(SampleBuffer{frame}); });
    const std::thread::id captureThreadId = captureThread.get_id();
    captureThread.join();
    EXPECT_EQ(sink.frames(), 1);
    EXPECT_EQ(sink.lastData(), pixels.data());
    EXPECT_EQ(sink.lastThread(), captureThreadId);

    // Audio and samples without an image are dropped.
    stream->push(SampleBuffer{frame}, StreamOutputType::audio);
    stream->push(SampleBuffer{});
    EXPECT_EQ(sink.frames(), 1);

    // Once unset, the publisher sees nothing more.
    m_manager.setVirtualCameraService(nullptr);
    stream->push(SampleBuffer{frame});
    EXPECT_EQ(sink.frames(), 1);
}

}  // namespace
