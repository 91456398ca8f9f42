#include "DaemonSessionFixture.h"
#include "shared/HelperProcess.h"

#include <vector>

namespace {

using CameraStreamTest = DaemonSessionFixture;

const std::vector<int> kBlack = {0, 0, 0, 0};

}  // namespace

TEST_F(CameraStreamTest,
       ConsumerSeesThePublishedPatternBlackWithoutItAndAgainAfterAPipeWireRestart) {
    startDaemon();
    EXPECT_EQ(receiveCentrePixel(), kBlack) << "nothing published yet\n" << log();

    HelperProcess publisher({QStringLiteral("publish")});
    ASSERT_EQ(publisher.ask("start"), "started 1");
    ASSERT_EQ(publisher.ask("frame 1920 1080 10 20 30").rfind("announced ", 0), 0u);
    EXPECT_EQ(receiveCentrePixel(), (std::vector<int>{10, 20, 30, 255})) << log();

    ASSERT_EQ(publisher.ask("stop"), "stopped");
    EXPECT_EQ(receiveCentrePixel(), kBlack) << log();

    ASSERT_EQ(publisher.ask("start"), "started 1");
    ASSERT_EQ(publisher.ask("frame 1920 1080 200 150 100").rfind("announced ", 0), 0u);
    EXPECT_EQ(receiveCentrePixel(), (std::vector<int>{200, 150, 100, 255})) << log();

    publisher.killHard();
    EXPECT_EQ(receiveCentrePixel(), kBlack) << log();
    EXPECT_TRUE(waitForLog(QStringLiteral("[DIAG] Frame source changed: live"), 2)) << log();
    EXPECT_TRUE(waitForLog(QStringLiteral("[DIAG] Frame source changed: attachFailed"), 2))
        << log();

    // A PipeWire restart during a call must not leave the camera gone for good: the daemon
    // notices, stops its frame timer for the consumers that went with the old daemon, reconnects
    // and offers its node again.
    const QString started = QStringLiteral("startStreaming (clients=1)");
    const QString stopped = QStringLiteral("stopStreaming (stopped)");
    constexpr int kConsumersSoFar = 5;  // one per receiveCentrePixel() above
    ASSERT_TRUE(waitForLog(stopped, kConsumersSoFar)) << log();
    startConsumer();
    ASSERT_TRUE(waitForLog(started, kConsumersSoFar + 1)) << log();
    ASSERT_TRUE(m_session.restartPipeWire());
    EXPECT_TRUE(waitForLog(QStringLiteral("Lost the connection to PipeWire; reconnecting")))
        << log();
    EXPECT_TRUE(waitForLog(stopped, kConsumersSoFar + 1)) << log();
    EXPECT_TRUE(waitForLog(QStringLiteral("Reconnected to PipeWire: the camera node is back")))
        << log();
    EXPECT_EQ(m_daemon->state(), QProcess::Running);
    EXPECT_EQ(receiveCentrePixel(), kBlack) << log();
    EXPECT_TRUE(waitForLog(started, kConsumersSoFar + 2)) << log();
}
