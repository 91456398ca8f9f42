#include "LoopbackFixture.h"

#include "camera_extension/FrameSinkGroup.h"
#include "camera_extension/v4l2/V4L2LoopbackOutput.h"
#include "camera_extension/v4l2/VideoNode.h"

#include <cerrno>

using V4L2LoopbackOutputTest = LoopbackFixture;

TEST_F(V4L2LoopbackOutputTest, OutputWritesFramesAsFullHdYuyvWithTheBarsColours) {
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

TEST_F(V4L2LoopbackOutputTest, OutputTakesI420WhenTheDeviceKeepsThatFormat) {
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

TEST_F(V4L2LoopbackOutputTest, OutputRefusesADeviceThatKeepsAnotherFormatOrSize) {
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

TEST_F(V4L2LoopbackOutputTest, OutputToADeviceThatIsGoneFailsWithoutAClient) {
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

TEST_F(V4L2LoopbackOutputTest, FailedWriteIsLoggedOnceClosesTheDeviceAndStopsItsClient) {
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

TEST_F(V4L2LoopbackOutputTest, ClosingStopsTheClientOnceAndAReopenStartsItAgain) {
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

TEST_F(V4L2LoopbackOutputTest, SinkGroupHandsEveryFrameToEverySinkAndReportsTheFirstFailure) {
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
