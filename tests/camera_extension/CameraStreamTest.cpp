#include "DaemonSessionFixture.h"
#include "shared/HelperProcess.h"

#include <vector>

namespace {

using CameraStreamTest = DaemonSessionFixture;

const std::vector<int> kBlack = {0, 0, 0, 0};

}  // namespace

TEST_F(CameraStreamTest, ConsumerSeesThePublishedPatternAndBlackOnceThePublisherIsGone) {
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
}
