// The X11 capture against a private X server with real client windows from separate processes:
// the window listing, applications left out of the live picture, the still, and a stream that
// outlives closing windows but not its server.

#include "CaptureTestSupport.h"
#include "TestWindows.h"

#include "capture/ScreenManager.h"
#include "capture/x11/X11CaptureBackend.h"
#include "support/QtPrinters.h"
#include "support/XvfbServer.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr QRgb kRed = 0xffff0000;
constexpr QRgb kGreen = 0xff00ff00;
constexpr QRgb kBlue = 0xff0000ff;
constexpr QRgb kYellow = 0xffffff00;

QStringList windowArgs(const QString& windowClass, const QStringList& specs) {
    QStringList arguments{QStringLiteral("--class"), windowClass};
    for (const QString& layout : specs) {
        arguments << QStringLiteral("--window") << layout;
    }
    return arguments;
}

QRgb pixelAt(const QImage& image, int x, int y) {
    return image.pixel(x, y) | 0xff000000;
}

class X11CaptureTest : public ::testing::Test {
protected:
    explicit X11CaptureTest(bool windowManager = false) {
        XvfbServer::Options options;
        options.windowManager = windowManager;
        m_server = std::make_unique<XvfbServer>(options);
        if (m_server->isRunning()) {
            // Keep the cursor in the corner, away from every probe.
            m_server->runClient(
                QStringLiteral("xdotool"),
                {QStringLiteral("mousemove"), QStringLiteral("1279"), QStringLiteral("799")});
            m_backend = std::make_shared<X11CaptureBackend>(m_server->display().toLocal8Bit());
            m_manager = std::make_unique<ScreenManager>(m_backend);
            m_manager->setVirtualCameraService(&m_sink);
        }
    }

    void SetUp() override { ASSERT_TRUE(m_server->isRunning()) << m_server->errorString(); }

    std::unique_ptr<TestWindows> open(const QString& windowClass, const QStringList& specs,
                                      const QStringList& extra = {}) {
        auto windows =
            std::make_unique<TestWindows>(*m_server, windowArgs(windowClass, specs) + extra);
        EXPECT_TRUE(windows->isReady()) << windowClass;
        return windows;
    }

    void startSession(const WindowIdSet& ids) {
        m_sink.reset();
        QFuture<void> started = m_manager->startStealthSession(ids);
        ASSERT_TRUE(finishes(started));
        ASSERT_NO_THROW(started.waitForFinished());
        ASSERT_TRUE(m_manager->isCapturing());
    }

    // Waits until the newest frame shows `colour` at (x, y).
    bool frameShows(int x, int y, QRgb colour, int timeoutMs = 10'000) {
        return QTest::qWaitFor(
            [&] {
                const QImage frame = m_sink.frame();
                return !frame.isNull() && pixelAt(frame, x, y) == colour;
            },
            timeoutMs);
    }

    // A green window that moves every few milliseconds: the screen often shows it somewhere the
    // capture has not heard of yet.
    std::unique_ptr<TestWindows> openWanderingSecret() {
        return open(QStringLiteral("Secret"), {QStringLiteral("200x150+50+50#00ff00:secret")},
                    {QStringLiteral("--wander")});
    }

    // Leaves out the application of `id` for about one and a half seconds of frames and counts
    // the frames with any pure green pixel, on a grid finer than the window. With `compositor`,
    // a compositing manager starts painting the screen once the stream runs.
    int leakedFramesWhileLeavingOut(uint id, bool compositor) {
        class LeakCounter final : public PixelBufferSink {
        public:
            void publish(const PixelBuffer& frame) override {
                bool leaked = false;
                for (int y = 0; y < frame.height && !leaked; y += 10) {
                    const auto* row =
                        reinterpret_cast<const quint32*>(frame.data + y * frame.bytesPerRow);
                    for (int x = 0; x < frame.width && !leaked; x += 10) {
                        leaked = (row[x] & 0xffffff) == 0x00ff00;
                    }
                }
                leaks += leaked ? 1 : 0;
                ++frames;
            }
            std::atomic<int> leaks{0};
            std::atomic<int> frames{0};
        } counter;
        m_manager->setVirtualCameraService(&counter);
        startSession({id});
        if (compositor) {
            EXPECT_GT(m_server->startClient(QStringLiteral("xcompmgr"), {}), 0);
        }
        EXPECT_TRUE(QTest::qWaitFor([&] { return counter.frames > 45; }, 15'000));
        m_manager->setVirtualCameraService(nullptr);
        return counter.leaks;
    }

    std::unique_ptr<XvfbServer> m_server;
    RecordingSink m_sink;
    std::shared_ptr<X11CaptureBackend> m_backend;
    std::unique_ptr<ScreenManager> m_manager;
};

TEST_F(X11CaptureTest, ListingKeepsTitledWindowsLargerThanOneHundredWithTheirApplications) {
    const auto probe = open(
        QStringLiteral("Probe"),
        {QStringLiteral("100x300+0+0#ff0000:exact"), QStringLiteral("101x101+200+0#00ff00:kept"),
         QStringLiteral("300x200+400+0#0000ff:"), QStringLiteral("300x200+400+300#ffff00")});
    const auto panel = open(QStringLiteral("Panel"), {QStringLiteral("400x150+0+600#888888:panel")},
                            {QStringLiteral("--type"), QStringLiteral("dock")});

    ASSERT_TRUE(finishes(m_manager->refreshAvailableWindows()));
    const QList<WindowInfo> expected{
        {panel->ids().at(0), QStringLiteral("panel"), QStringLiteral("Dock"), true},
        {probe->ids().at(1), QStringLiteral("kept"), QStringLiteral("Probe"), true},
    };
    EXPECT_EQ(m_manager->windowInfos(), expected);
    ASSERT_EQ(m_manager->availableWindows().size(), 2);
    ASSERT_TRUE(m_manager->availableWindows().at(1).owningApplication);
    EXPECT_EQ(m_manager->availableWindows().at(1).owningApplication->processID, probe->processId());
}

TEST_F(X11CaptureTest, ChosenWindowHidesEveryWindowOfItsApplicationAndShowsWhatLiesBeneath) {
    const auto back = open(QStringLiteral("Back"), {QStringLiteral("800x600+0+0#ff0000:back")});
    const auto secret = open(
        QStringLiteral("Secret"),
        {QStringLiteral("200x150+50+50#00ff00:one"), QStringLiteral("200x150+400+100#0000ff:two")});
    const auto other =
        open(QStringLiteral("Other"), {QStringLiteral("150x150+600+300#ffff00:other")});

    startSession({secret->ids().at(0)});
    EXPECT_TRUE(frameShows(100, 100, kRed));
    EXPECT_TRUE(frameShows(450, 150, kRed));
    EXPECT_TRUE(frameShows(650, 350, kYellow));
    EXPECT_EQ(m_sink.frame().size(), QSize(1280, 800));

    startSession({});
    EXPECT_TRUE(frameShows(100, 100, kGreen));
    EXPECT_TRUE(frameShows(450, 150, kBlue));

    // An id that no longer exists leaves nothing out.
    startSession({0x7fffff});
    EXPECT_TRUE(frameShows(100, 100, kGreen));
    EXPECT_TRUE(frameShows(450, 150, kBlue));
}

TEST_F(X11CaptureTest, NewWindowOfAnExcludedApplicationNeverShows) {
    const auto back = open(QStringLiteral("Back"), {QStringLiteral("800x600+0+0#ff0000:back")});
    const auto secret =
        open(QStringLiteral("Secret"), {QStringLiteral("150x150+500+400#00ff00:first")},
             {QStringLiteral("--delayed-window"), QStringLiteral("300x300+50+50#0000ff:later")});

    class LeakCounter final : public PixelBufferSink {
    public:
        void publish(const PixelBuffer& frame) override {
            const auto* row =
                reinterpret_cast<const quint32*>(frame.data + 200 * frame.bytesPerRow);
            if ((row[200] & 0xffffff) == 0x0000ff) {
                ++leaks;
            }
            ++frames;
        }
        std::atomic<int> leaks{0};
        std::atomic<int> frames{0};
    } counter;
    m_manager->setVirtualCameraService(&counter);
    QFuture<void> started = m_manager->startStealthSession({secret->ids().at(0)});
    ASSERT_TRUE(finishes(started));
    // The delayed window maps half a second after the helper is ready; watch well past it.
    QTest::qWait(1500);
    m_manager->setVirtualCameraService(nullptr);
    EXPECT_GT(counter.frames, 0);
    EXPECT_EQ(counter.leaks, 0);
}

TEST_F(X11CaptureTest, MovingLeftOutWindowNeverShows) {
    const auto back = open(QStringLiteral("Back"), {QStringLiteral("1280x800+0+0#ff0000:back")});
    const auto secret = openWanderingSecret();
    EXPECT_EQ(leakedFramesWhileLeavingOut(secret->ids().at(0), /*compositor=*/false), 0);
}

TEST_F(X11CaptureTest, MovingLeftOutWindowNeverShowsUnderACompositingManager) {
    const auto back = open(QStringLiteral("Back"), {QStringLiteral("1280x800+0+0#ff0000:back")});
    const auto secret = openWanderingSecret();
    EXPECT_EQ(leakedFramesWhileLeavingOut(secret->ids().at(0), /*compositor=*/true), 0);
}

TEST_F(X11CaptureTest, ResizingAndClosingWindowsMidCaptureKeepsTheStream) {
    const auto back = open(QStringLiteral("Back"), {QStringLiteral("800x600+0+0#ff0000:back")});
    auto front = open(QStringLiteral("Front"), {QStringLiteral("200x200+100+100#00ff00:front")});
    startSession({});
    ASSERT_TRUE(frameShows(150, 150, kGreen));

    // A resize is followed: the window's new, larger pixmap is composed.
    m_server->runClient(QStringLiteral("xdotool"),
                        {QStringLiteral("windowsize"), QString::number(front->ids().at(0)),
                         QStringLiteral("400"), QStringLiteral("300")});
    EXPECT_TRUE(frameShows(450, 350, kGreen));

    front->close();
    EXPECT_TRUE(frameShows(150, 150, kRed));
    EXPECT_TRUE(m_manager->isCapturing());

    const auto later =
        open(QStringLiteral("Later"), {QStringLiteral("200x200+300+300#0000ff:later")});
    EXPECT_TRUE(frameShows(350, 350, kBlue));
    EXPECT_TRUE(m_manager->isCapturing());
}

TEST_F(X11CaptureTest, ServerGoingAwayStopsTheStreamThroughItsStopPath) {
    const auto back = open(QStringLiteral("Back"), {QStringLiteral("800x600+0+0#ff0000:back")});
    startSession({});
    ASSERT_TRUE(frameShows(10, 10, kRed));

    testing::internal::CaptureStdout();
    m_server.reset();
    const bool stopped = QTest::qWaitFor([&] { return !m_manager->isCapturing(); }, 15'000);
    const QFuture<void> cleared = m_manager->stopCapture();
    const bool clearedInTime = finishes(cleared);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(stopped);
    EXPECT_TRUE(clearedInTime);
    EXPECT_NE(out.find("[ScreenManager] Stream stopped with error: "), std::string::npos) << out;
    EXPECT_NE(out.find("[ScreenManager] Error stopping capture: "), std::string::npos) << out;
    EXPECT_EQ(m_manager->stream(), nullptr);
}

TEST_F(X11CaptureTest, RemovedDisplayStopsTheStreamThroughItsStopPath) {
    const auto back = open(QStringLiteral("Back"), {QStringLiteral("800x600+0+0#ff0000:back")});
    const auto marker =
        open(QStringLiteral("Marker"), {QStringLiteral("150x150+200+100#00ff00:marker")});
    // A named primary monitor away from the screen's corner: the display the capture follows.
    m_server->runClient(QStringLiteral("xrandr"),
                        {QStringLiteral("--setmonitor"), QStringLiteral("*Presenter"),
                         QStringLiteral("640/170x400/110+200+100"), QStringLiteral("none")});
    startSession({});
    ASSERT_TRUE(frameShows(10, 10, kGreen));
    EXPECT_EQ(pixelAt(m_sink.frame(), 300, 300), kRed);
    EXPECT_EQ(m_sink.frame().size(), QSize(640, 400));
    startSession({marker->ids().at(0)});
    EXPECT_TRUE(frameShows(10, 10, kRed));

    testing::internal::CaptureStdout();
    m_server->runClient(QStringLiteral("xrandr"),
                        {QStringLiteral("--delmonitor"), QStringLiteral("Presenter")});
    const bool stopped = QTest::qWaitFor([&] { return !m_manager->isCapturing(); }, 15'000);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(stopped);
    EXPECT_NE(out.find("[ScreenManager] Stream stopped with error: The display is no longer "
                       "available"),
              std::string::npos)
        << out;
    ASSERT_TRUE(finishes(m_manager->stopCapture()));
    EXPECT_EQ(m_manager->stream(), nullptr);
}

TEST_F(X11CaptureTest, SnapshotIsTwicePointSizeAndLeavesOutOnlyTheGivenWindows) {
    const auto back = open(QStringLiteral("Back"), {QStringLiteral("800x600+0+0#ff0000:back")});
    const auto mask =
        open(QStringLiteral("Velarion"), {QStringLiteral("200x100+100+100#000000:mask")});
    const auto other =
        open(QStringLiteral("Other"), {QStringLiteral("100x100+400+100#00ff00:other")});

    auto snapshot = m_manager->captureScreenSnapshot();
    ASSERT_TRUE(finishes(snapshot));
    ASSERT_TRUE(snapshot.result().has_value());
    QImage image = *snapshot.result();
    EXPECT_EQ(image.size(), QSize(2560, 1600));
    EXPECT_EQ(pixelAt(image, 300, 300), 0xff000000u);

    m_manager->setSnapshotExcludedWindows({mask->ids().at(0)});
    snapshot = m_manager->captureScreenSnapshot();
    ASSERT_TRUE(finishes(snapshot));
    ASSERT_TRUE(snapshot.result().has_value());
    image = *snapshot.result();
    EXPECT_EQ(pixelAt(image, 300, 300), kRed);
    EXPECT_EQ(pixelAt(image, 900, 300), kGreen);
    // Opaque everywhere, edges included, after scaling.
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 255);
    EXPECT_EQ(qAlpha(image.pixel(2559, 1599)), 255);
}

TEST_F(X11CaptureTest, IncrementalFramesMatchAFreshComposition) {
    const auto back = open(QStringLiteral("Back"), {QStringLiteral("900x700+0+0#ff0000:back")});
    const auto clock =
        open(QStringLiteral("Clock"), {QStringLiteral("300x200+100+100#00ff00:clock")},
             {QStringLiteral("--clock")});
    const auto front =
        open(QStringLiteral("Front"), {QStringLiteral("200x200+300+200#0000ff:front")});
    startSession({front->ids().at(0)});
    ASSERT_TRUE(frameShows(450, 350, kRed));
    // Only parts change from here on: the clock area, and the cursor moving over the windows.
    for (const auto& [x, y] : {std::pair{150, 150}, std::pair{420, 260}, std::pair{600, 500}}) {
        m_server->runClient(QStringLiteral("xdotool"),
                            {QStringLiteral("mousemove"), QString::number(x), QString::number(y)});
        QTest::qWait(150);
    }

    ShareableDisplay display;
    display.width = 1280;
    display.height = 800;
    display.frame = QRect(0, 0, 1280, 800);
    ContentFilter filter = ContentFilter::excludingWindows(display, {front->ids().at(0)});
    bool same = false;
    for (int attempt = 0; attempt < 10 && !same; ++attempt) {
        QTest::qWait(200);
        const QImage streamed = m_sink.frame().convertToFormat(QImage::Format_RGB32);
        const QImage fresh =
            m_backend->captureImage(filter, ScreenManager::makeStreamConfiguration(display));
        same = streamed == fresh;
        if (!same && attempt == 9) {
            QRect differs;
            for (int y = 0; y < fresh.height(); ++y) {
                for (int x = 0; x < fresh.width(); ++x) {
                    if (streamed.pixel(x, y) != fresh.pixel(x, y)) {
                        differs |= QRect(x, y, 1, 1);
                    }
                }
            }
            ADD_FAILURE() << "frames differ in " << differs.x() << "," << differs.y() << " "
                          << differs.width() << "x" << differs.height() << " streamed " << std::hex
                          << streamed.pixel(differs.topLeft()) << " fresh "
                          << fresh.pixel(differs.topLeft());
        }
    }
    EXPECT_TRUE(same);
}

class X11CaptureWithWindowManagerTest : public X11CaptureTest {
protected:
    X11CaptureWithWindowManagerTest()
        : X11CaptureTest(/*windowManager=*/true) {}
};

TEST_F(X11CaptureWithWindowManagerTest, ChosenClientLeavesOutItsWholeFrame) {
    const auto back = open(QStringLiteral("Back"), {QStringLiteral("1000x700+0+0#ff0000:back")});
    const auto secret =
        open(QStringLiteral("Secret"), {QStringLiteral("300x300+400+200#00ff00:secret")});

    startSession({});
    ASSERT_TRUE(frameShows(550, 350, kGreen));

    startSession({secret->ids().at(0)});
    ASSERT_TRUE(frameShows(550, 350, kRed));
    // The decorations around the client go too: the whole area around it shows the back window.
    const QImage frame = m_sink.frame();
    for (int y = 170; y <= 530; y += 10) {
        for (int x = 370; x <= 730; x += 10) {
            ASSERT_EQ(pixelAt(frame, x, y), kRed) << x << "," << y;
        }
    }
}

}  // namespace
