// A PipeWire restart during a call must not leave the camera gone for good: the daemon notices,
// stops its frame timer for the consumers that went with the old daemon, reconnects and offers
// its node again.

#include "DaemonSessionFixture.h"

namespace {

using CameraReconnectTest = DaemonSessionFixture;

}  // namespace

TEST_F(CameraReconnectTest, DaemonSurvivesAPipeWireRestartAndANewConsumerStreamsAgain) {
    startDaemon();
    startConsumer();
    ASSERT_TRUE(waitForLog(QStringLiteral("startStreaming (clients=1)"))) << log();

    ASSERT_TRUE(m_session.restartPipeWire());
    EXPECT_TRUE(waitForLog(QStringLiteral("Lost the connection to PipeWire; reconnecting")))
        << log();
    EXPECT_TRUE(waitForLog(QStringLiteral("stopStreaming (stopped)"))) << log();
    EXPECT_TRUE(waitForLog(QStringLiteral("Reconnected to PipeWire: the camera node is back")))
        << log();
    EXPECT_TRUE(waitFor([&] {
        return m_session.pwCli({"ls", "Node"}).contains("velarion-camera");
    })) << log();
    EXPECT_EQ(m_daemon->state(), QProcess::Running);

    EXPECT_FALSE(receiveCentrePixel().empty()) << log();
    EXPECT_TRUE(waitForLog(QStringLiteral("startStreaming (clients=1)"), 2)) << log();
}
