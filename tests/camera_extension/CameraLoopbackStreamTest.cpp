// The real daemon with the fake device nodes preloaded into it, a real publisher and real
// PipeWire consumers.

#include "ColourBars.h"
#include "DaemonSessionFixture.h"
#include "fakev4l2/FakeNode.h"

#include <QImage>

#include <cerrno>

namespace {

constexpr std::size_t kYuyvFrameBytes = std::size_t(1920) * 1080 * 2;

class CameraLoopbackStreamTest : public DaemonSessionFixture {
protected:
    void startDaemonOnNode() {
        QProcessEnvironment preload;
        preload.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(FAKE_V4L2_LIBRARY));
        preload.insert(QStringLiteral("VELARION_FAKE_V4L2_NODES"),
                       QString::fromStdString(m_node.entry()));
        // An instrumented daemon would refuse a library loaded before its sanitizer runtime.
        const QString asan = m_session.environment().value(QStringLiteral("ASAN_OPTIONS"));
        preload.insert(QStringLiteral("ASAN_OPTIONS"),
                       asan + (asan.isEmpty() ? "" : ":") + "verify_asan_link_order=0");
        startDaemon({QStringLiteral("--v4l2-device"), m_path}, preload);
    }

    bool waitForDeviceClient() {
        return waitForLog(QStringLiteral("v4l2loopback output on %1: YUYV 1920x1080 @30fps")
                              .arg(m_path)) &&
               waitForLog(QStringLiteral("startStreaming (clients=1)"));
    }

    // "" once the last frame on the device passes `check`, else its last mismatch.
    std::string waitForFrame(std::string (*check)(const FakeNode::Frame&)) {
        std::string mismatch;
        waitFor([&] {
            const auto frame = m_node.lastFrame();
            mismatch = frame ? check(*frame) : "no frame written";
            return mismatch.empty();
        });
        return mismatch;
    }

    QProcess& startPublisher() {
        const QString png = m_files.filePath(QStringLiteral("bars.png"));
        std::vector<std::uint8_t> pixels = ColourBars::bgraFrame();
        EXPECT_TRUE(QImage(pixels.data(), ColourBars::kWidth, ColourBars::kHeight,
                           ColourBars::kWidth * 4, QImage::Format_ARGB32)
                        .save(png));
        return m_session.startProcess(QStringLiteral(PUBLISH_TOOL),
                                      {png, QStringLiteral("--seconds"), QStringLiteral("600")});
    }

    FakeNode m_node{m_files.filePath(QStringLiteral("video0")).toStdString()};
    QString m_path = QString::fromStdString(m_node.path());
};

}  // namespace

TEST_F(CameraLoopbackStreamTest, LateDeviceGetsBlackThenTheBarsAsWholeYuyvFramesThenBlackAtStop) {
    m_node.fail(ENOENT);  // not there yet
    startDaemonOnNode();
    ASSERT_TRUE(waitForLog(
        QStringLiteral("v4l2loopback device %1 cannot be used: cannot open it").arg(m_path)))
        << log();
    EXPECT_EQ(logCount(QStringLiteral("startStreaming")), 0);

    m_node.heal();
    ASSERT_TRUE(waitForDeviceClient()) << log();
    EXPECT_EQ(waitForFrame(ColourBars::mismatchWithBlack), "") << log();

    startPublisher();
    EXPECT_EQ(waitForFrame(ColourBars::mismatchWithBars), "") << log();

    // Every write is one whole frame.
    const std::size_t first = m_node.writes().size();
    constexpr std::size_t kWrites = 90;
    ASSERT_TRUE(waitFor([&] { return m_node.writes().size() > first + kWrites; }));
    const std::vector<FakeNode::Write> writes = m_node.writes();
    for (std::size_t i = first; i <= first + kWrites; ++i) {
        ASSERT_EQ(writes[i].asked, kYuyvFrameBytes);
        ASSERT_EQ(writes[i].result, long(kYuyvFrameBytes));
    }
    EXPECT_EQ(logCount(QStringLiteral("stopStreaming")), 0) << "the device's client never left";
    EXPECT_EQ(logCount(QStringLiteral("cannot be used")), 1) << "logged once, not on every search";

    // Stopped as the user service is: the consumers are left black, not on the last picture.
    m_daemon->terminate();
    ASSERT_TRUE(m_daemon->waitForFinished(20'000));
    const auto last = m_node.lastFrame();
    ASSERT_TRUE(last.has_value());
    EXPECT_EQ(ColourBars::mismatchWithBlack(*last), "") << log();
}

TEST_F(CameraLoopbackStreamTest, LostDeviceIsDroppedWhileThePipeWireConsumerKeepsStreaming) {
    startDaemonOnNode();
    ASSERT_TRUE(waitForDeviceClient()) << log();
    QProcess& viewer = startConsumer();
    ASSERT_TRUE(waitForLog(QStringLiteral("startStreaming (clients=2)"))) << log();

    m_node.fail(ENODEV);
    EXPECT_TRUE(waitForLog(
        QStringLiteral("v4l2loopback output on %1 failed (No such device); the device is closed")
            .arg(m_path)))
        << log();
    EXPECT_TRUE(waitForLog(QStringLiteral("stopStreaming (clients=1)"))) << log();

    // Frames still flow to PipeWire: a second consumer gets them and leaves.
    EXPECT_FALSE(receiveCentrePixel().empty()) << log();
    EXPECT_TRUE(waitForLog(QStringLiteral("stopStreaming (clients=1)"), 2)) << log();
    EXPECT_EQ(m_daemon->state(), QProcess::Running);
    EXPECT_EQ(logCount(QStringLiteral("stopStreaming (stopped)")), 0) << log();

    viewer.kill();  // SIGKILL, and the last client: the device's is gone already
    viewer.waitForFinished(10000);
    EXPECT_TRUE(waitForLog(QStringLiteral("stopStreaming (stopped)"))) << log();
}
