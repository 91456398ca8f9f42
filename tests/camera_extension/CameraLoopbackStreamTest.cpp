// The real daemon with the fake device nodes preloaded into it, a real publisher and real
// PipeWire consumers.

#include "ColourBars.h"
#include "DaemonSessionFixture.h"
#include "fakev4l2/FakeNode.h"

#include <QImage>

#include <cerrno>

namespace {

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

TEST_F(CameraLoopbackStreamTest, LateDeviceGetsBlackThenTheBarsThenBlackAtStop) {
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

    EXPECT_EQ(logCount(QStringLiteral("stopStreaming")), 0) << "the device's client never left";

    // Stopped as the user service is: the consumers are left black, not on the last picture.
    m_daemon->terminate();
    ASSERT_TRUE(m_daemon->waitForFinished(20'000));
    const auto last = m_node.lastFrame();
    ASSERT_TRUE(last.has_value());
    EXPECT_EQ(ColourBars::mismatchWithBlack(*last), "") << log();
}
