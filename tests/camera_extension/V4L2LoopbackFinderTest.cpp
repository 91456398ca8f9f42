#include "LoopbackFixture.h"

#include "camera_extension/v4l2/V4L2LoopbackConnector.h"
#include "camera_extension/v4l2/V4L2LoopbackFinder.h"

#include <cerrno>
#include <filesystem>

namespace {

class V4L2LoopbackFinderTest : public LoopbackFixture {
protected:
    void connectTimes(V4L2LoopbackConnector& connector, int times) {
        for (int search = 0; search < times; ++search) {
            connector.connect();
        }
    }
};

using Notes = std::vector<std::string>;

}  // namespace

TEST_F(V4L2LoopbackFinderTest, FinderSaysWhyItPassesOverEachVideoNodeInNumberOrder) {
    const V4L2LoopbackFinder finder(directory());
    EXPECT_EQ(finder.find("").notes,
              Notes{"No v4l2loopback device: no video nodes in " + directory()});

    for (const char* name : {"videoX", "vbi0", "video", "media0"}) {
        nodePath(name);  // not video nodes
    }
    const std::string plainFile = nodePath("video10");  // no V4L2 device answers for it
    const FakeNode camera = node("video1", "driver=uvcvideo|caps=capture");
    const FakeNode fedLoopback = node("video2", "caps=capture");
    FakeNode::install({camera, fedLoopback});
    const Notes skips = {
        "Skipping " + camera.path() + ": its driver is \"uvcvideo\", not \"v4l2 loopback\"",
        "Skipping " + fedLoopback.path() +
            ": it offers no video output (another program may be feeding it)",
        "Skipping " + plainFile + ": not a video device (Inappropriate ioctl for device)"};
    const auto none = finder.find("");
    EXPECT_EQ(none.path, std::nullopt);
    Notes noneNotes = skips;
    noneNotes.push_back("No v4l2loopback device with a free output among 3 video nodes");
    EXPECT_EQ(none.notes, noneNotes);

    const FakeNode freeLoopback = node("video3", "caps=output");
    FakeNode::install({camera, fedLoopback, freeLoopback, node("video4")});
    const auto found = finder.find("");
    EXPECT_EQ(found.path, freeLoopback.path());
    EXPECT_EQ(found.notes, Notes(skips.begin(), skips.begin() + 2));
}

TEST_F(V4L2LoopbackFinderTest, ExplicitDeviceIsTheOnlyOneTried) {
    const FakeNode good = node("video0");
    const FakeNode camera = node("video1", "driver=uvcvideo");
    FakeNode::install({good, camera});
    const V4L2LoopbackFinder finder(directory());

    const auto refused = finder.find(camera.path());
    EXPECT_EQ(refused.path, std::nullopt);
    EXPECT_EQ(refused.notes, Notes{"v4l2loopback device " + camera.path() +
                                   " cannot be used: its driver is \"uvcvideo\", not \"v4l2 "
                                   "loopback\""});
    const std::string missing = directory() + "/video9";
    EXPECT_EQ(finder.find(missing).notes,
              Notes{"v4l2loopback device " + missing +
                    " cannot be used: cannot open it (No such file or directory)"});
    EXPECT_EQ(finder.find(good.path()).path, good.path());
    EXPECT_EQ(finder.find(good.path(), {good.path()}).path, std::nullopt);
}

TEST_F(V4L2LoopbackFinderTest, ConnectorTriesAFailedDeviceAgainOnlyOnceItHasGoneAway) {
    const FakeNode video0 = node("video0");
    FakeNode::install({video0});
    V4L2LoopbackConnector connector(m_output, V4L2LoopbackFinder(directory()), "", m_log);
    connector.connect();
    ASSERT_TRUE(m_output.isOpen());

    video0.fail(EIO);
    m_output.sendFrame(barsFrame(), 0, 0);
    ASSERT_FALSE(m_output.isOpen());
    video0.heal();  // it opens again, yet it failed
    connectTimes(connector, 2);
    EXPECT_FALSE(m_output.isOpen());
    EXPECT_EQ(m_log.count("Skipping " + video0.path() +
                          ": it failed and is tried again once it has gone away"),
              1)
        << m_log.all();

    std::filesystem::remove(video0.path());  // gone
    video0.fail(ENOENT);
    connector.connect();
    nodePath("video0");  // and back
    video0.heal();
    connector.connect();
    EXPECT_TRUE(m_output.isOpen());
    EXPECT_EQ(m_started, 2);
    EXPECT_EQ(m_stopped, 1);
}

TEST_F(V4L2LoopbackFinderTest, ConnectorTriesARejectedNodeNumberAgainOnceTheNodesChange) {
    V4L2LoopbackConnector connector(m_output, V4L2LoopbackFinder(directory()), "", m_log);
    FakeNode::install({node("video0", "driver=uvcvideo")});
    connectTimes(connector, 2);
    EXPECT_FALSE(m_output.isOpen());

    // The webcam is unplugged and a loopback device takes its number as another node appears.
    const FakeNode loopback = node("video0");
    FakeNode::install({loopback, node("video1", "driver=uvcvideo")});
    connector.connect();
    EXPECT_TRUE(m_output.isOpen());
    EXPECT_EQ(m_started, 1);
}
