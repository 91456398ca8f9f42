#include "LoopbackFixture.h"

#include "camera_extension/v4l2/V4L2LoopbackConnector.h"
#include "camera_extension/v4l2/V4L2LoopbackFinder.h"
#include "camera_extension/v4l2/V4L2LoopbackOutput.h"

#include <cerrno>
#include <filesystem>

namespace {

class V4L2LoopbackFinderTest : public LoopbackFixture {
protected:
    static std::string notes(const V4L2LoopbackFinder::Finding& finding) {
        std::string text;
        for (const std::string& note : finding.notes) {
            text += note + "\n";
        }
        return text;
    }
};

}  // namespace

TEST_F(V4L2LoopbackFinderTest, FinderListsVideoNodesInNumberOrder) {
    for (const char* name : {"video10", "video2", "video0", "videoX", "vbi0", "video", "media0"}) {
        nodePath(name);
    }
    const std::string dir = directory();
    EXPECT_EQ(V4L2LoopbackFinder(dir).videoNodes(),
              (std::vector<std::string>{dir + "/video0", dir + "/video2", dir + "/video10"}));
}

TEST_F(V4L2LoopbackFinderTest, FinderPassesOverNodesThatCannotTakeOutputAndSaysWhy) {
    const std::string plainFile = nodePath("video0");  // no V4L2 device answers for it
    const FakeNode camera(nodePath("video1"), "driver=uvcvideo|caps=capture");
    const FakeNode fedLoopback(nodePath("video2"), "caps=capture");
    const FakeNode freeLoopback(nodePath("video3"), "caps=output");
    const FakeNode secondLoopback(nodePath("video4"));
    FakeNode::install({camera, fedLoopback, freeLoopback, secondLoopback});

    const auto finding = V4L2LoopbackFinder(directory()).find("");
    EXPECT_EQ(finding.path, freeLoopback.path());
    EXPECT_EQ(
        finding.notes,
        (std::vector<std::string>{
            "Skipping " + plainFile + ": not a video device (Inappropriate ioctl for device)",
            "Skipping " + camera.path() + ": its driver is \"uvcvideo\", not \"v4l2 loopback\"",
            "Skipping " + fedLoopback.path() +
                ": it offers no video output (another program may be feeding it)"}));
}

TEST_F(V4L2LoopbackFinderTest, FinderSaysWhyThereIsNoDevice) {
    const auto empty = V4L2LoopbackFinder(directory()).find("");
    EXPECT_EQ(empty.path, std::nullopt);
    EXPECT_EQ(empty.notes,
              std::vector<std::string>{"No v4l2loopback device: no video nodes in " + directory()});

    FakeNode::install({FakeNode(nodePath("video0"), "caps=capture"),
                       FakeNode(nodePath("video1"), "driver=vivid")});
    const auto none = V4L2LoopbackFinder(directory()).find("");
    EXPECT_EQ(none.path, std::nullopt);
    ASSERT_EQ(none.notes.size(), 3u) << notes(none);
    EXPECT_EQ(none.notes.back(), "No v4l2loopback device with a free output among 2 video nodes");
}

TEST_F(V4L2LoopbackFinderTest, ExplicitDeviceIsTheOnlyOneTried) {
    const FakeNode good(nodePath("video0"));
    const FakeNode camera(nodePath("video1"), "driver=uvcvideo");
    FakeNode::install({good, camera});
    const V4L2LoopbackFinder finder(directory());

    const auto refused = finder.find(camera.path());
    EXPECT_EQ(refused.path, std::nullopt);
    EXPECT_EQ(refused.notes,
              std::vector<std::string>{"v4l2loopback device " + camera.path() +
                                       " cannot be used: its driver is \"uvcvideo\", "
                                       "not \"v4l2 loopback\""});
    const std::string missing = directory() + "/video9";
    EXPECT_EQ(finder.find(missing).notes,
              std::vector<std::string>{"v4l2loopback device " + missing +
                                       " cannot be used: cannot open it (No such file or "
                                       "directory)"});
    EXPECT_EQ(finder.find(good.path()).path, good.path());
    EXPECT_EQ(finder.find(good.path(), {good.path()}).path, std::nullopt);
}

TEST_F(V4L2LoopbackFinderTest, ConnectorLogsWhatItFindsOnceAndPicksUpADeviceThatAppears) {
    V4L2LoopbackOutput output(m_log, countingCallbacks());
    V4L2LoopbackConnector connector(output, V4L2LoopbackFinder(directory()), "", m_log);
    for (int search = 0; search < 3; ++search) {
        connector.connect();
    }
    EXPECT_EQ(m_log.lines(),
              std::vector<std::string>{"No v4l2loopback device: no video nodes in " + directory()});

    const FakeNode node(nodePath("video0"));
    FakeNode::install({node});
    connector.connect();
    EXPECT_TRUE(output.isOpen());
    EXPECT_EQ(m_started, 1);
    connector.connect();
    EXPECT_EQ(m_started, 1);
    EXPECT_EQ(m_log.count("v4l2loopback output on " + node.path()), 1) << m_log.all();
    EXPECT_EQ(m_log.lines().size(), 2u) << m_log.all();
}

TEST_F(V4L2LoopbackFinderTest, ConnectorTriesAFailedDeviceAgainOnlyOnceItHasGoneAway) {
    const FakeNode node(nodePath("video0"));
    FakeNode::install({node});
    V4L2LoopbackOutput output(m_log, countingCallbacks());
    V4L2LoopbackConnector connector(output, V4L2LoopbackFinder(directory()), "", m_log);
    connector.connect();
    ASSERT_TRUE(output.isOpen());

    node.fail(EIO);
    output.sendFrame(barsFrame(), 0, 0);
    ASSERT_FALSE(output.isOpen());
    node.heal();  // it opens again, yet it failed
    connector.connect();
    connector.connect();
    EXPECT_FALSE(output.isOpen());
    EXPECT_EQ(m_log.count("Skipping " + node.path() +
                          ": it failed and is tried again once it has gone away"),
              1)
        << m_log.all();

    std::filesystem::remove(node.path());  // gone
    node.fail(ENOENT);
    connector.connect();
    nodePath("video0");  // and back
    node.heal();
    connector.connect();
    EXPECT_TRUE(output.isOpen());
    EXPECT_EQ(m_started, 2);
    EXPECT_EQ(m_stopped, 1);
}

TEST_F(V4L2LoopbackFinderTest, ConnectorDoesNotRetryADeviceThatRefusedTheFormat) {
    const FakeNode node(nodePath("video0"), "formats=RGB3");
    FakeNode::install({node});
    V4L2LoopbackOutput output(m_log, countingCallbacks());
    V4L2LoopbackConnector connector(output, V4L2LoopbackFinder(directory()), node.path(), m_log);
    for (int search = 0; search < 3; ++search) {
        connector.connect();
    }
    EXPECT_FALSE(output.isOpen());
    EXPECT_EQ(m_log.count("keeps the format RGB3"), 1) << m_log.all();
    EXPECT_EQ(m_log.count("cannot be used: it failed"), 1) << m_log.all();
    EXPECT_EQ(m_started, 0);
}

TEST_F(V4L2LoopbackFinderTest, ConnectorOpensOtherDriversNodesAgainOnlyWhenTheNodesChange) {
    const FakeNode webcam(nodePath("video0"), "driver=uvcvideo");
    const FakeNode fedLoopback(nodePath("video1"), "caps=capture");
    FakeNode::install({webcam, fedLoopback});
    V4L2LoopbackOutput output(m_log, countingCallbacks());
    V4L2LoopbackConnector connector(output, V4L2LoopbackFinder(directory()), "", m_log);
    for (int search = 0; search < 3; ++search) {
        connector.connect();
    }
    EXPECT_EQ(webcam.opens(), 1);
    EXPECT_EQ(fedLoopback.opens(), 3) << "a fed loopback device may be freed at any time";
    EXPECT_EQ(m_log.count("Skipping " + webcam.path()), 1) << m_log.all();

    const FakeNode freeLoopback(nodePath("video2"));
    FakeNode::install({webcam, fedLoopback, freeLoopback});
    connector.connect();
    EXPECT_EQ(webcam.opens(), 2);
    EXPECT_TRUE(output.isOpen());
}
