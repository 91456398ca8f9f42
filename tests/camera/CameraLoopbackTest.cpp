// The v4l2loopback output against fake device nodes (fakev4l2/FakeVideoNodes.cpp, linked into
// this executable, answers for the paths the tests list and passes everything else through).

#include "ColourBars.h"
#include "fakev4l2/FakeNode.h"
#include "support/TempDir.h"

#include "camera_extension/DeviceLog.h"
#include "camera_extension/FrameSinkGroup.h"
#include "camera_extension/v4l2/V4L2LoopbackFinder.h"
#include "camera_extension/v4l2/V4L2LoopbackOutput.h"
#include "camera_extension/v4l2/VideoNode.h"
#include "shared/FrameHandoff.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <mutex>

namespace {

class LinesLog : public DeviceLog {
public:
    void write(Level, const std::string& line) override {
        std::lock_guard lock(m_mutex);
        m_lines.push_back(line);
    }
    std::vector<std::string> lines() {
        std::lock_guard lock(m_mutex);
        return m_lines;
    }
    int count(const std::string& part) {
        int found = 0;
        for (const std::string& line : lines()) {
            found += line.find(part) != std::string::npos ? 1 : 0;
        }
        return found;
    }
    std::string all() {
        std::string text;
        for (const std::string& line : lines()) {
            text += line + "\n";
        }
        return text;
    }

private:
    std::mutex m_mutex;
    std::vector<std::string> m_lines;
};

class CameraLoopbackTest : public ::testing::Test {
protected:
    void TearDown() override { ::unsetenv("VELARION_FAKE_V4L2_NODES"); }

    std::string nodePath(const std::string& name) {
        const std::string path = m_dir.path().toStdString() + "/" + name;
        std::ofstream(path).flush();  // the scan lists it like a device node
        return path;
    }

    std::shared_ptr<CameraBuffer> barsFrame() {
        m_pixels = ColourBars::bgraFrame();
        return std::make_shared<CameraBuffer>(
            CameraBuffer{m_pixels.data(), ColourBars::kWidth, ColourBars::kHeight,
                         ColourBars::kWidth * 4, FrameHandoff::kPixelFormatBGRA});
    }

    V4L2LoopbackOutput::Callbacks countingCallbacks() {
        return {[this] { ++m_started; },
                [this] {
                    ++m_stopped;
                }};
    }

    TempDir m_dir;
    LinesLog m_log;
    std::vector<std::uint8_t> m_pixels;
    int m_started = 0;
    int m_stopped = 0;
};

}  // namespace

TEST_F(CameraLoopbackTest, FinderListsVideoNodesInNumberOrder) {
    for (const char* name : {"video10", "video2", "video0", "videoX", "vbi0", "video", "media0"}) {
        nodePath(name);
    }
    const std::string dir = m_dir.path().toStdString();
    EXPECT_EQ(V4L2LoopbackFinder(dir).videoNodes(),
              (std::vector<std::string>{dir + "/video0", dir + "/video2", dir + "/video10"}));
}

TEST_F(CameraLoopbackTest, FinderPassesOverNodesThatCannotTakeOutputAndLogsWhy) {
    const FakeNode camera(nodePath("video1"), "driver=uvcvideo|caps=capture");
    const FakeNode fedLoopback(nodePath("video2"), "caps=capture");
    const FakeNode freeLoopback(nodePath("video3"), "caps=output");
    const FakeNode secondLoopback(nodePath("video4"));
    nodePath("video0");  // a plain file: no V4L2 device answers for it
    FakeNode::install({camera, fedLoopback, freeLoopback, secondLoopback});

    EXPECT_EQ(V4L2LoopbackFinder(m_dir.path().toStdString()).choose("", m_log),
              freeLoopback.path());
    EXPECT_EQ(m_log.count("video0: not a video device"), 1) << m_log.all();
    EXPECT_EQ(m_log.count("video1: its driver is \"uvcvideo\", not \"v4l2 loopback\""), 1)
        << m_log.all();
    EXPECT_EQ(m_log.count("video2: it offers no video output"), 1) << m_log.all();
    EXPECT_EQ(m_log.count("video4"), 0) << m_log.all();
}

TEST_F(CameraLoopbackTest, FinderSaysWhyThereIsNoDevice) {
    const std::string dir = m_dir.path().toStdString();
    EXPECT_EQ(V4L2LoopbackFinder(dir).choose("", m_log), std::nullopt);
    EXPECT_EQ(m_log.count("No v4l2loopback device: no video nodes in " + dir), 1) << m_log.all();

    FakeNode::install({FakeNode(nodePath("video0"), "caps=capture"),
                       FakeNode(nodePath("video1"), "driver=vivid")});
    EXPECT_EQ(V4L2LoopbackFinder(dir).choose("", m_log), std::nullopt);
    EXPECT_EQ(m_log.count("No v4l2loopback device with a free output among 2 video nodes"), 1)
        << m_log.all();
}

TEST_F(CameraLoopbackTest, ExplicitDeviceIsTheOnlyOneTried) {
    const FakeNode good(nodePath("video0"));
    const FakeNode camera(nodePath("video1"), "driver=uvcvideo");
    FakeNode::install({good, camera});
    const V4L2LoopbackFinder finder(m_dir.path().toStdString());

    EXPECT_EQ(finder.choose(camera.path(), m_log), std::nullopt);
    EXPECT_EQ(m_log.count("v4l2loopback device " + camera.path() + " cannot be used: its driver"),
              1)
        << m_log.all();
    const std::string missing = m_dir.path().toStdString() + "/video9";
    EXPECT_EQ(finder.choose(missing, m_log), std::nullopt);
    EXPECT_EQ(m_log.count(missing + " cannot be used: cannot open it (No such file or directory)"),
              1)
        << m_log.all();
    EXPECT_EQ(finder.choose(good.path(), m_log), good.path());
}

TEST_F(CameraLoopbackTest, OutputWritesFramesAsFullHdYuyvWithTheBarsColours) {
    const FakeNode node(nodePath("video0"));
    FakeNode::install({node});
    V4L2LoopbackOutput output(m_log, countingCallbacks());
    ASSERT_TRUE(output.open(node.path())) << m_log.all();
    EXPECT_EQ(m_started, 1);
    EXPECT_EQ(output.pixelFormat(), VideoNode::kPixelFormatYUYV);
    EXPECT_EQ(m_log.count("v4l2loopback output on " + node.path() + ": YUYV 1920x1080 @30fps"), 1)
        << m_log.all();

    EXPECT_EQ(output.sendFrame(barsFrame(), 0, 0), 0);
    const auto frame = node.lastFrame();
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->bytesPerLine, 3840);
    EXPECT_EQ(frame->bytes.size(), std::size_t(3840) * 1080);
    EXPECT_EQ(frame->frameRateNumerator, 1u);
    EXPECT_EQ(frame->frameRateDenominator, 30u);
    EXPECT_EQ(ColourBars::mismatchWithBars(*frame), "");

    std::fill(m_pixels.begin(), m_pixels.end(), 0);  // the daemon's black frame: all zero bytes
    EXPECT_EQ(
        output.sendFrame(std::make_shared<CameraBuffer>(CameraBuffer{
                             m_pixels.data(), 1920, 1080, 7680, FrameHandoff::kPixelFormatBGRA}),
                         0, 0),
        0);
    EXPECT_EQ(ColourBars::mismatchWithBlack(*node.lastFrame()), "");
    EXPECT_EQ(node.writes().size(), 2u);
    EXPECT_EQ(m_stopped, 0);
}

TEST_F(CameraLoopbackTest, OutputTakesI420WhenTheDeviceKeepsThatFormat) {
    const FakeNode node(nodePath("video0"), "formats=YU12");
    FakeNode::install({node});
    V4L2LoopbackOutput output(m_log, countingCallbacks());
    ASSERT_TRUE(output.open(node.path())) << m_log.all();
    EXPECT_EQ(output.pixelFormat(), VideoNode::kPixelFormatI420);

    EXPECT_EQ(output.sendFrame(barsFrame(), 0, 0), 0);
    const auto frame = node.lastFrame();
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->bytes.size(), std::size_t(1920) * 1080 * 3 / 2);
    EXPECT_EQ(ColourBars::mismatchWithBars(*frame), "");
}

TEST_F(CameraLoopbackTest, OutputRefusesADeviceThatKeepsAnotherFormatOrSize) {
    const FakeNode rgb(nodePath("video0"), "formats=RGB3");
    const FakeNode small(nodePath("video1"), "size=640x480");
    const FakeNode huge(nodePath("video2"), "sizeimage=4000000000");
    FakeNode::install({rgb, small, huge});
    V4L2LoopbackOutput output(m_log, countingCallbacks());

    EXPECT_FALSE(output.open(rgb.path()));
    EXPECT_EQ(m_log.count(rgb.path() + " keeps the format RGB3 1920x1080"), 1) << m_log.all();
    EXPECT_FALSE(output.open(small.path()));
    EXPECT_EQ(m_log.count(small.path() + " keeps the format YU12 640x480"), 1) << m_log.all();
    EXPECT_FALSE(output.open(huge.path()));  // a buffer of that size is never allocated
    EXPECT_EQ(m_log.count(huge.path() + " keeps the format YU12 1920x1080 (1920 bytes a line, "
                                        "4000000000 a frame)"),
              1)
        << m_log.all();
    EXPECT_FALSE(output.isOpen());
    EXPECT_EQ(m_started, 0);
    EXPECT_EQ(output.sendFrame(barsFrame(), 0, 0), 0);
    EXPECT_TRUE(rgb.writes().empty());
    EXPECT_TRUE(small.writes().empty());
    EXPECT_TRUE(huge.writes().empty());
}

TEST_F(CameraLoopbackTest, OutputToADeviceThatIsGoneFailsWithoutAClient) {
    const FakeNode node(nodePath("video0"));
    FakeNode::install({node});
    node.fail(ENODEV);
    V4L2LoopbackOutput output(m_log, countingCallbacks());
    EXPECT_FALSE(output.open(node.path()));
    EXPECT_EQ(
        m_log.count("v4l2loopback device " + node.path() + " cannot be opened: No such device"), 1)
        << m_log.all();
    EXPECT_EQ(m_started, 0);
}

TEST_F(CameraLoopbackTest, FailedWriteIsLoggedOnceClosesTheDeviceAndStopsItsClient) {
    const FakeNode node(nodePath("video0"));
    FakeNode::install({node});
    V4L2LoopbackOutput output(m_log, countingCallbacks());
    ASSERT_TRUE(output.open(node.path()));
    ASSERT_EQ(output.sendFrame(barsFrame(), 0, 0), 0);

    node.fail(EIO);
    EXPECT_EQ(output.sendFrame(barsFrame(), 0, 0), EIO);
    for (int tick = 0; tick < 5; ++tick) {
        EXPECT_EQ(output.sendFrame(barsFrame(), 0, 0), 0);
    }
    EXPECT_FALSE(output.isOpen());
    EXPECT_EQ(m_started, 1);
    EXPECT_EQ(m_stopped, 1);
    EXPECT_EQ(m_log.count("v4l2loopback output on " + node.path() +
                          " failed (Input/output error); the device is closed"),
              1)
        << m_log.all();
    const std::vector<FakeNode::Write> writes = node.writes();
    ASSERT_EQ(writes.size(), 2u) << "no write after the failed one";
    EXPECT_EQ(writes[1].result, -EIO);

    output.close();  // already closed: the client is not stopped twice
    EXPECT_EQ(m_stopped, 1);
}

TEST_F(CameraLoopbackTest, ClosingStopsTheClientOnceAndAReopenStartsItAgain) {
    const FakeNode node(nodePath("video0"));
    FakeNode::install({node});
    V4L2LoopbackOutput output(m_log, countingCallbacks());
    ASSERT_TRUE(output.open(node.path()));
    output.close();
    output.close();
    EXPECT_EQ(m_stopped, 1);
    ASSERT_TRUE(output.open(node.path()));
    EXPECT_EQ(m_started, 2);
    EXPECT_EQ(output.sendFrame(barsFrame(), 0, 0), 0);
    EXPECT_EQ(node.writes().size(), 1u);
}

namespace {

class CountingSink : public FrameSink {
public:
    explicit CountingSink(int status)
        : m_status(status) {}
    int sendFrame(std::shared_ptr<CameraBuffer> frame, std::uint64_t, std::uint64_t) override {
        frames.push_back(frame.get());
        return m_status;
    }
    std::vector<CameraBuffer*> frames;

private:
    int m_status;
};

}  // namespace

TEST_F(CameraLoopbackTest, SinkGroupHandsEveryFrameToEverySinkAndReportsTheFirstFailure) {
    CountingSink pipewire(0), broken(EIO), other(ENODEV);
    FrameSinkGroup group;
    group.add(pipewire);
    group.add(broken);
    group.add(other);
    const auto frame = barsFrame();
    EXPECT_EQ(group.sendFrame(frame, 1, 2), EIO);
    EXPECT_EQ(pipewire.frames, std::vector<CameraBuffer*>{frame.get()});
    EXPECT_EQ(broken.frames, std::vector<CameraBuffer*>{frame.get()});
    EXPECT_EQ(other.frames, std::vector<CameraBuffer*>{frame.get()});
}
