// The camera daemon writing to a v4l2loopback device, end to end: the real daemon process with
// the fake device nodes preloaded into it, a real publisher and real PipeWire consumers.

#include "ColourBars.h"
#include "PipeWireSession.h"
#include "fakev4l2/FakeNode.h"
#include "handoff/HandoffNamespace.h"

#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>

namespace {

constexpr std::size_t kYuyvFrameBytes = std::size_t(1920) * 1080 * 2;

class CameraLoopbackStreamTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_session.isReady()) << "the private PipeWire session did not come up";
    }

    // The daemon with the fake nodes preloaded and told to use m_node.
    void startDaemon() {
        QProcessEnvironment preload;
        preload.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(FAKE_V4L2_LIBRARY));
        preload.insert(QStringLiteral("VELARION_FAKE_V4L2_NODES"),
                       QString::fromStdString(m_node.entry()));
        // An instrumented daemon would refuse a library loaded before its sanitizer runtime.
        const QString asanOptions = m_session.environment().value(QStringLiteral("ASAN_OPTIONS"));
        preload.insert(QStringLiteral("ASAN_OPTIONS"),
                       asanOptions + (asanOptions.isEmpty() ? "" : ":") +
                           QStringLiteral("verify_asan_link_order=0"));
        m_daemon = &m_session.startProcess(
            QStringLiteral(CAMERA_DAEMON),
            {QStringLiteral("--foreground"), QStringLiteral("--v4l2-device"),
             QString::fromStdString(m_node.path())},
            preload);
    }

    bool waitForDeviceClient() {
        return waitForLog(QStringLiteral("v4l2loopback output on %1: YUYV 1920x1080 @30fps")
                              .arg(QString::fromStdString(m_node.path()))) &&
               waitForLog(QStringLiteral("startStreaming (clients=1)"));
    }

    QString daemonLog() {
        m_log += QString::fromUtf8(m_daemon->readAllStandardError());
        return m_log;
    }
    int logCount(const QString& line) { return daemonLog().count(line); }
    bool waitForLog(const QString& line, int count = 1) {
        return PipeWireSession::waitFor([&] { return logCount(line) >= count; }, 30000);
    }

    // Waits until the last frame on the device passes `check` ("" = passes); the last mismatch
    // otherwise.
    std::string waitForFrame(const std::function<std::string(const FakeNode::Frame&)>& check) {
        std::string mismatch = "no frame written";
        PipeWireSession::waitFor(
            [&] {
                const auto frame = m_node.lastFrame();
                mismatch = frame ? check(*frame) : "no frame written";
                return mismatch.empty();
            },
            30000);
        return mismatch;
    }

    QProcess& startPublisher() {
        const QString png = m_files.filePath(QStringLiteral("bars.png"));
        std::vector<std::uint8_t> pixels = ColourBars::bgraFrame();
        const QImage bars(pixels.data(), ColourBars::kWidth, ColourBars::kHeight,
                          ColourBars::kWidth * 4, QImage::Format_ARGB32);
        EXPECT_TRUE(bars.save(png));
        return m_session.startProcess(QStringLiteral(PUBLISH_TOOL),
                                      {png, QStringLiteral("--seconds"), QStringLiteral("600")});
    }

    QStringList consumer(int buffers) {
        return {QStringLiteral("pipewiresrc"),
                QStringLiteral("target-object=velarion-camera"),
                QStringLiteral("num-buffers=%1").arg(buffers),
                QStringLiteral("!"),
                QStringLiteral("video/x-raw,format=BGRA,width=1920,height=1080"),
                QStringLiteral("!"),
                QStringLiteral("fakesink")};
    }

    HandoffNamespace m_namespace;  // before the session, whose processes inherit it
    PipeWireSession m_session;
    QTemporaryDir m_files;
    FakeNode m_node{m_files.filePath(QStringLiteral("video0")).toStdString()};
    QProcess* m_daemon = nullptr;
    QString m_log;
};

}  // namespace

TEST_F(CameraLoopbackStreamTest, DeviceGetsBlackThenThePublishedBarsAsYuyvAboutThirtyTimesASecond) {
    startDaemon();
    ASSERT_TRUE(waitForDeviceClient()) << daemonLog().toStdString();
    EXPECT_EQ(waitForFrame(ColourBars::mismatchWithBlack), "") << daemonLog().toStdString();
    // The line is written before the frame, but reaches this process through a pipe that may
    // not have been read yet.
    EXPECT_TRUE(waitForLog(QStringLiteral("[DIAG] Frame source changed: noProducer")))
        << daemonLog().toStdString();
    EXPECT_EQ(logCount(QStringLiteral("[DIAG] Frame source changed: noProducer")), 1);

    QProcess& publisher = startPublisher();
    EXPECT_EQ(waitForFrame(ColourBars::mismatchWithBars), "") << daemonLog().toStdString();

    // Three seconds of writes, each one whole frame.
    const std::size_t first = m_node.writes().size();
    constexpr std::size_t kIntervals = 90;
    ASSERT_TRUE(PipeWireSession::waitFor(
        [&] { return m_node.writes().size() > first + kIntervals; }, 30000));
    const std::vector<FakeNode::Write> writes = m_node.writes();
    for (std::size_t i = first; i <= first + kIntervals; ++i) {
        ASSERT_EQ(writes[i].asked, kYuyvFrameBytes);
        ASSERT_EQ(writes[i].result, long(kYuyvFrameBytes));
    }
#ifndef __SANITIZE_THREAD__  // a thread-sanitized daemon cannot keep up 30 frames a second
    const double seconds = double(writes[first + kIntervals].timeNs - writes[first].timeNs) / 1e9;
    EXPECT_NEAR(double(kIntervals) / seconds, 30.0, 5.0);
#endif

    publisher.terminate();  // stops publishing: the announced surfaces go
    publisher.waitForFinished(10000);
    EXPECT_EQ(waitForFrame(ColourBars::mismatchWithBlack), "") << daemonLog().toStdString();
    EXPECT_EQ(logCount(QStringLiteral("stopStreaming")), 0) << "the device's client never left";
}

TEST_F(CameraLoopbackStreamTest, LostDeviceIsDroppedOnceWhileThePipeWireConsumerKeepsStreaming) {
    startDaemon();
    ASSERT_TRUE(waitForDeviceClient()) << daemonLog().toStdString();
    QProcess& viewer =
        m_session.startProcess(QStringLiteral("/usr/bin/gst-launch-1.0"), consumer(1000000));
    ASSERT_TRUE(waitForLog(QStringLiteral("startStreaming (clients=2)")))
        << daemonLog().toStdString();

    m_node.fail(ENODEV);
    EXPECT_TRUE(waitForLog(QStringLiteral("v4l2loopback output on %1 failed (No such device); "
                                          "the device is closed")
                               .arg(QString::fromStdString(m_node.path()))))
        << daemonLog().toStdString();
    EXPECT_TRUE(waitForLog(QStringLiteral("stopStreaming (clients=1)")))
        << daemonLog().toStdString();

    // Frames still flow to PipeWire: a second consumer gets its buffers and leaves.
    EXPECT_TRUE(m_session.run(QStringLiteral("/usr/bin/gst-launch-1.0"), consumer(5), 60000)
                    .contains(QStringLiteral("Got EOS")))
        << "the second consumer did not get its buffers";
    EXPECT_TRUE(waitForLog(QStringLiteral("stopStreaming (clients=1)"), 2))
        << daemonLog().toStdString();
    EXPECT_EQ(m_daemon->state(), QProcess::Running);

    const std::vector<FakeNode::Write> writes = m_node.writes();
    ASSERT_FALSE(writes.empty());
    EXPECT_EQ(writes.back().result, -ENODEV) << "nothing written after the failure";
    EXPECT_EQ(std::count_if(writes.begin(), writes.end(),
                            [](const FakeNode::Write& write) { return write.result < 0; }),
              1);
    EXPECT_EQ(logCount(QStringLiteral("v4l2loopback output on")), 2) << daemonLog().toStdString();

    viewer.kill();  // the last client: the device's is gone already
    viewer.waitForFinished(10000);
    EXPECT_TRUE(waitForLog(QStringLiteral("stopStreaming (stopped)"))) << daemonLog().toStdString();
}

TEST_F(CameraLoopbackStreamTest, DeviceThatAppearsLaterIsFoundAndBecomesAClient) {
    m_node.fail(ENOENT);
    startDaemon();
    ASSERT_TRUE(waitForLog(QStringLiteral("v4l2loopback device %1 cannot be used: cannot open it")
                               .arg(QString::fromStdString(m_node.path()))))
        << daemonLog().toStdString();
    EXPECT_EQ(logCount(QStringLiteral("startStreaming")), 0);

    m_node.heal();
    EXPECT_TRUE(waitForDeviceClient()) << daemonLog().toStdString();
    EXPECT_EQ(waitForFrame(ColourBars::mismatchWithBlack), "") << daemonLog().toStdString();
    EXPECT_EQ(logCount(QStringLiteral("cannot be used")), 1) << "logged once, not on every search";
}
