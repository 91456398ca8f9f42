#include "LoopbackFixture.h"

#include "camera_extension/FrameSinkGroup.h"
#include "camera_extension/v4l2/VideoNode.h"

#include <cerrno>

using V4L2LoopbackOutputTest = LoopbackFixture;

TEST_F(V4L2LoopbackOutputTest, OutputWritesFullHdYuyvOrI420WithTheBarsColoursAndBlack) {
    struct Case {
        const char* options;
        const char* fourcc;
        std::uint32_t pixelFormat;
        std::size_t frameBytes;
    };
    for (const Case& c : {Case{"", "YUYV", VideoNode::kPixelFormatYUYV, std::size_t(3840) * 1080},
                          Case{"formats=YU12", "YU12", VideoNode::kPixelFormatI420,
                               std::size_t(1920) * 1080 * 3 / 2}}) {
        SCOPED_TRACE(c.options);
        const FakeNode video0 = node("video0", c.options);
        FakeNode::install({video0});
        ASSERT_TRUE(m_output.open(video0.path())) << m_log.all();
        EXPECT_EQ(m_output.pixelFormat(), c.pixelFormat);
        EXPECT_EQ(m_log.count("v4l2loopback output on " + video0.path() + ": " + c.fourcc +
                              " 1920x1080 @30fps"),
                  1)
            << m_log.all();
        EXPECT_EQ(m_output.sendFrame(barsFrame(), 0, 0), 0);
        auto frame = video0.lastFrame();
        ASSERT_TRUE(frame);
        EXPECT_EQ(frame->bytes.size(), c.frameBytes);
        EXPECT_EQ(frame->frameRateNumerator, 1u);
        EXPECT_EQ(frame->frameRateDenominator, 30u);
        EXPECT_EQ(ColourBars::mismatchWithBars(*frame), "");

        // The daemon's black frame: all zero bytes.
        EXPECT_EQ(m_output.sendFrame(frameOf(std::vector<std::uint8_t>(m_pixels.size())), 0, 0), 0);
        frame = video0.lastFrame();
        ASSERT_TRUE(frame);
        EXPECT_EQ(ColourBars::mismatchWithBlack(*frame), "");
        m_output.close();
    }
    EXPECT_EQ(m_started, 2);
    EXPECT_EQ(m_stopped, 2);
}

TEST_F(V4L2LoopbackOutputTest, OutputRefusesADeviceThatIsGoneOrKeepsAnotherFormatOrSize) {
    struct Case {
        const char* name;
        const char* options;
        int failure;
        std::string logged;
    };
    const std::string dir = directory();
    const Case cases[] = {
        {"video0", "", ENODEV,
         "v4l2loopback device " + dir + "/video0 cannot be opened: No such device"},
        {"video1", "formats=RGB3", 0, dir + "/video1 keeps the format RGB3 1920x1080"},
        // A buffer of that size is never allocated.
        {"video2", "sizeimage=4000000000", 0,
         dir + "/video2 keeps the format YU12 1920x1080 (1920 bytes a line, 4000000000 a frame)"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const FakeNode refusing = node(c.name, c.options);
        FakeNode::install({refusing});
        if (c.failure) {
            refusing.fail(c.failure);
        }
        EXPECT_FALSE(m_output.open(refusing.path()));
        EXPECT_EQ(m_log.count(c.logged), 1) << m_log.all();
        EXPECT_FALSE(m_output.isOpen());
        EXPECT_EQ(m_output.sendFrame(barsFrame(), 0, 0), 0);
        EXPECT_TRUE(refusing.writes().empty());
    }
    EXPECT_EQ(m_started, 0);
}

TEST_F(V4L2LoopbackOutputTest, FailedWriteIsLoggedOnceClosesTheDeviceAndStopsItsClientOnce) {
    const FakeNode video0 = node("video0");
    FakeNode::install({video0});
    ASSERT_TRUE(m_output.open(video0.path()));
    ASSERT_EQ(m_output.sendFrame(barsFrame(), 0, 0), 0);

    video0.fail(EIO);
    EXPECT_EQ(m_output.sendFrame(barsFrame(), 0, 0), EIO);
    for (int tick = 0; tick < 5; ++tick) {
        EXPECT_EQ(m_output.sendFrame(barsFrame(), 0, 0), 0);
    }
    EXPECT_FALSE(m_output.isOpen());
    EXPECT_EQ(m_stopped, 1);
    EXPECT_EQ(m_log.count("v4l2loopback output on " + video0.path() +
                          " failed (Input/output error); the device is closed"),
              1)
        << m_log.all();
    const std::vector<FakeNode::Write> writes = video0.writes();
    ASSERT_EQ(writes.size(), 2u) << "no write after the failed one";
    EXPECT_EQ(writes[1].result, -EIO);

    m_output.close();  // already closed: the client is not stopped twice
    EXPECT_EQ(m_stopped, 1);
    video0.heal();
    ASSERT_TRUE(m_output.open(video0.path()));
    EXPECT_EQ(m_started, 2);
    EXPECT_EQ(m_output.sendFrame(barsFrame(), 0, 0), 0);
    EXPECT_EQ(video0.writes().size(), 3u);
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
    for (CountingSink* sink : {&pipewire, &broken, &other}) {
        group.add(*sink);
    }
    const auto frame = barsFrame();
    EXPECT_EQ(group.sendFrame(frame, 1, 2), EIO);
    for (CountingSink* sink : {&pipewire, &broken, &other}) {
        EXPECT_EQ(sink->frames, std::vector<CameraBuffer*>{frame.get()});
    }
}
