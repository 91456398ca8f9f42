// The X11 capture against a private X server with real client windows from separate processes:
// the window listing, applications left out of the live picture, the still, and a stream that
// outlives closing windows but not its server.

#include "CaptureTestSupport.h"
#include "TestWindows.h"

#include "capture/ScreenManager.h"
#include "capture/x11/X11CaptureBackend.h"
#include "support/QtPrinters.h"
#include "support/StdoutCapture.h"
#include "support/XvfbServer.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

constexpr QRgb kRed = 0xffff0000;
constexpr QRgb kGreen = 0xff00ff00;
constexpr QRgb kBlue = 0xff0000ff;
constexpr QRgb kYellow = 0xffffff00;

QRgb pixelAt(const QImage& image, int x, int y) {
    return image.pixel(x, y) | 0xff000000;
}

// Counts the frames with any pure green pixel, on a grid finer than any test window.
class GreenLeakCounter final : public PixelBufferSink {
public:
    void publish(const PixelBuffer& frame) override {
        bool leaked = false;
        for (int y = 0; y < frame.height && !leaked; y += 10) {
            const auto* row = reinterpret_cast<const quint32*>(frame.data + y * frame.bytesPerRow);
            for (int x = 0; x < frame.width && !leaked; x += 10) {
                leaked = (row[x] & 0xffffff) == 0x00ff00;
            }
        }
        leaks += leaked ? 1 : 0;
        ++frames;
    }
    std::atomic<int> leaks{0};
    std::atomic<int> frames{0};
};

class X11CaptureTest : public ::testing::Test {
protected:
    explicit X11CaptureTest(bool windowManager = false) {
        XvfbServer::Options options;
        options.windowManager = windowManager;
        m_server = std::make_unique<XvfbServer>(options);
        if (m_server->isRunning()) {
            // Keep the cursor in the corner, away from every probe.
            m_server->runClient("xdotool", {"mousemove", "1279", "799"});
            m_backend = std::make_shared<X11CaptureBackend>(m_server->display().toLocal8Bit());
            m_manager = std::make_unique<ScreenManager>(m_backend);
            m_manager->setVirtualCameraService(&m_sink);
        }
    }

    void SetUp() override { ASSERT_TRUE(m_server->isRunning()) << m_server->errorString(); }

    std::unique_ptr<TestWindows> open(const QString& windowClass, const QStringList& layouts,
                                      const QStringList& extra = {}) {
        auto windows = std::make_unique<TestWindows>(*m_server, windowClass, layouts, extra);
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
    bool frameShows(int x, int y, QRgb colour) {
        return QTest::qWaitFor(
            [&] {
                const QImage frame = m_sink.frame();
                return !frame.isNull() && pixelAt(frame, x, y) == colour;
            },
            10'000);
    }

    // Leaves out the application of `id`, runs `whileStreaming`, then watches about one and a half
    // seconds of frames more; returns how many frames showed green.
    int leakedFramesWhileLeavingOut(uint id, const std::function<void()>& whileStreaming) {
        GreenLeakCounter counter;
        m_manager->setVirtualCameraService(&counter);
        startSession({id});
        whileStreaming();
        const int seen = counter.frames;
        EXPECT_TRUE(QTest::qWaitFor([&] { return counter.frames > seen + 45; }, 15'000));
        m_manager->setVirtualCameraService(nullptr);
        return counter.leaks;
    }

    // Does `stop`, waits for the stream to end by itself, clears it, and returns what was printed.
    std::string outputOfStreamEnding(const std::function<void()>& stop) {
        StdoutCapture stdoutCapture;
        stop();
        const bool stopped = QTest::qWaitFor([&] { return !m_manager->isCapturing(); }, 15'000);
        const bool cleared = finishes(m_manager->stopCapture());
        const std::string out = stdoutCapture.take();
        EXPECT_TRUE(stopped);
        EXPECT_TRUE(cleared);
        EXPECT_EQ(m_manager->stream(), nullptr);
        return out;
    }

    std::unique_ptr<XvfbServer> m_server;
    RecordingSink m_sink;
    std::shared_ptr<X11CaptureBackend> m_backend;
    std::unique_ptr<ScreenManager> m_manager;
};

TEST_F(X11CaptureTest, ListingKeepsTitledWindowsLargerThanOneHundredWithTheirApplications) {
    const auto probe = open(
        "Probe", {"100x300+0+0#ff0000:exact", "101x101+200+0#00ff00:kept",
                  "300x200+400+0#0000ff:", "300x200+400+300#ffff00", "300x100+800+0#00ffff:short"});
    const auto panel = open("Panel", {"400x150+0+600#888888:panel"}, {"--dock"});

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

// With no wallpaper pixmap announced (a bare window manager and `xsetroot -solid`), a left-out
// window over the bare desktop left a black hole instead of the desktop's colour.
TEST_F(X11CaptureTest, ChosenWindowHidesEveryWindowOfItsApplicationAndShowsWhatLiesBeneath) {
    const auto back = open("Back", {"800x600+0+0#ff0000:back"});
    const auto secret = open("Secret", {"200x150+50+50#00ff00:one", "200x150+900+100#00ff00:two"});
    const auto other = open("Other", {"150x150+600+300#ffff00:other"});
    m_server->runClient("xsetroot", {"-solid", "#0000ff"});

    startSession({secret->ids().at(0)});
    EXPECT_TRUE(frameShows(100, 100, kRed));
    EXPECT_TRUE(frameShows(950, 150, kBlue));
    EXPECT_TRUE(frameShows(650, 350, kYellow));
    EXPECT_EQ(m_sink.frame().size(), QSize(1280, 800));
}

// Neither a window the left-out application maps once the stream runs nor one it moves every few
// milliseconds (the screen often shows it somewhere the capture has not heard of yet) shows, with
// or without a compositing manager.
TEST_F(X11CaptureTest, NewAndMovingWindowsOfALeftOutApplicationNeverShow) {
    const auto back = open("Back", {"1280x800+0+0#ff0000:back"});
    // The later window is mapped half a second after the first; the first moves from then on.
    const auto secret = open("Secret", {"200x150+50+50#00ff00:secret"},
                             {"--wander", "--delayed-window", "300x300+600+300#00ff00:later"});
    const auto laterListed = [&] {
        if (!finishes(m_manager->refreshAvailableWindows())) {
            return false;
        }
        const QList<WindowInfo> infos = m_manager->windowInfos();
        return std::any_of(infos.begin(), infos.end(),
                           [](const WindowInfo& info) { return info.title == "later"; });
    };
    EXPECT_EQ(leakedFramesWhileLeavingOut(
                  secret->ids().at(0), [&] { EXPECT_TRUE(QTest::qWaitFor(laterListed, 15'000)); }),
              0);
    // A compositing manager starting once the stream runs paints the screen from then on.
    EXPECT_EQ(leakedFramesWhileLeavingOut(secret->ids().at(0),
                                          [&] { EXPECT_GT(m_server->startClient("xcompmgr"), 0); }),
              0);
}

TEST_F(X11CaptureTest, WindowChangesKeepTheStreamAndTheServerGoingAwayStopsIt) {
    const auto back = open("Back", {"800x600+0+0#ff0000:back"});
    auto front = open("Front", {"200x200+100+100#00ff00:front"});
    startSession({});
    ASSERT_TRUE(frameShows(150, 150, kGreen));

    front->close();
    EXPECT_TRUE(frameShows(150, 150, kRed));
    EXPECT_TRUE(m_manager->isCapturing());

    const std::string out = outputOfStreamEnding([&] { m_server.reset(); });
    EXPECT_NE(out.find("[ScreenManager] Stream stopped with error: "), std::string::npos) << out;
}

TEST_F(X11CaptureTest, RemovedDisplayStopsTheStreamThroughItsStopPath) {
    const auto back = open("Back", {"800x600+0+0#ff0000:back"});
    const auto marker = open("Marker", {"150x150+200+100#00ff00:marker"});
    // A named primary monitor away from the screen's corner: the display the capture follows.
    m_server->runClient("xrandr",
                        {"--setmonitor", "*Presenter", "640/170x400/110+200+100", "none"});
    startSession({});
    ASSERT_TRUE(frameShows(10, 10, kGreen));
    EXPECT_EQ(pixelAt(m_sink.frame(), 300, 300), kRed);
    EXPECT_EQ(m_sink.frame().size(), QSize(640, 400));
    startSession({marker->ids().at(0)});
    EXPECT_TRUE(frameShows(10, 10, kRed));

    const std::string out = outputOfStreamEnding([&] {
        m_server->runClient("xrandr", {"--delmonitor", "Presenter"});
    });
    EXPECT_NE(out.find("[ScreenManager] Stream stopped with error: The display is no longer "
                       "available"),
              std::string::npos)
        << out;
}

// The snapshot is twice the desktop's points, opaque, and leaves out only the windows it is given.
// The scale was never read: a 2x desktop counted its pixels as points and the snapshot came out at
// four times the pixels.
TEST_F(X11CaptureTest, SnapshotIsTwiceThePointsOfTheScaledDesktopAndLeavesOutOnlyTheGivenWindows) {
    const auto back = open("Back", {"800x600+0+0#ff0000:back"});
    const auto mask = open("Velarion", {"200x100+100+100#000000:mask"});
    const auto other = open("Other", {"100x100+400+100#00ff00:other"});
    const auto snapshot = [&] {
        auto future = m_manager->captureScreenSnapshot();
        EXPECT_TRUE(finishes(future));
        return future.result().value_or(QImage());
    };
    QImage image;
    const struct {
        const char* resources;
        int scale;
    } cases[] = {{"Xft.dpi:\t192\n", 2}, {"Xft.dpi:\t96\n", 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.resources);
        m_server->runClient("xprop", {"-root", "-f", "RESOURCE_MANAGER", "8s", "-set",
                                      "RESOURCE_MANAGER", c.resources});
        const ShareableDisplay display = m_backend->shareableContent().displays.value(0);
        EXPECT_EQ(display.scaleFactor, c.scale);
        image = snapshot();
        EXPECT_EQ(image.size(), QSize(2560, 1600) / c.scale);
        // The live picture keeps the native pixels whatever the scale.
        startSession({});
        ASSERT_TRUE(frameShows(50, 50, kRed));
        EXPECT_EQ(m_sink.frame().size(), QSize(1280, 800));
    }
    ASSERT_EQ(image.size(), QSize(2560, 1600));
    EXPECT_EQ(pixelAt(image, 300, 300), 0xff000000u);

    m_manager->setSnapshotExcludedWindows({mask->ids().at(0)});
    image = snapshot();
    ASSERT_EQ(image.size(), QSize(2560, 1600));
    EXPECT_EQ(pixelAt(image, 300, 300), kRed);
    EXPECT_EQ(pixelAt(image, 900, 300), kGreen);
    // Opaque everywhere, edges included, after scaling.
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 255);
    EXPECT_EQ(qAlpha(image.pixel(2559, 1599)), 255);
}

class X11CaptureWithWindowManagerTest : public X11CaptureTest {
protected:
    X11CaptureWithWindowManagerTest()
        : X11CaptureTest(/*windowManager=*/true) {}
};

TEST_F(X11CaptureWithWindowManagerTest, ChosenClientLeavesOutItsWholeFrame) {
    const auto back = open("Back", {"1000x700+0+0#ff0000:back"});
    const auto secret = open("Secret", {"300x300+400+200#00ff00:secret"});

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
