#include "PipeWireSession.h"
#include "handoff/HandoffNamespace.h"
#include "handoff/HelperProcess.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int kSmallWidth = 16;
constexpr int kSmallHeight = 9;

// The camera daemon, a publisher and GStreamer consumers in one private PipeWire session.
class CameraStreamTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_session.isReady()) << "the private PipeWire session did not come up";
        m_daemon = &m_session.startProcess(QStringLiteral(CAMERA_DAEMON),
                                           {QStringLiteral("--foreground")});
        ASSERT_TRUE(PipeWireSession::waitFor(
            [&] {
                return m_session
                    .run(QStringLiteral("/usr/bin/pw-cli"),
                         {QStringLiteral("ls"), QStringLiteral("Node")})
                    .contains(QStringLiteral("velarion-camera"));
            },
            30000))
            << daemonLog().toStdString();
    }

    QString daemonLog() {
        m_log += QString::fromUtf8(m_daemon->readAllStandardError());
        return m_log;
    }
    int logCount(const QString& line) { return daemonLog().count(line); }
    bool waitForLogCount(const QString& line, int count) {
        return PipeWireSession::waitFor([&] { return logCount(line) >= count; }, 30000);
    }

    QStringList consumerPipeline(int buffers, const QString& sink) {
        QStringList arguments = {
            QStringLiteral("-q"),
            QStringLiteral("pipewiresrc"),
            QStringLiteral("target-object=velarion-camera"),
            QStringLiteral("num-buffers=%1").arg(buffers),
            QStringLiteral("!"),
            QStringLiteral("video/x-raw,format=BGRA,width=1920,height=1080"),
            QStringLiteral("!"),
            QStringLiteral("videoscale"),
            QStringLiteral("!"),
            QStringLiteral("video/x-raw,width=%1,height=%2").arg(kSmallWidth).arg(kSmallHeight),
            QStringLiteral("!")};
        arguments += sink.split(QLatin1Char(' '));
        return arguments;
    }

    // Receives a few frames and returns the centre pixel of the last one (B, G, R, A).
    std::vector<int> receiveCentrePixel() {
        const QString file = m_files.filePath(QStringLiteral("frames%1.raw").arg(++m_consumers));
        m_session.run(QStringLiteral("/usr/bin/gst-launch-1.0"),
                      consumerPipeline(4, QStringLiteral("filesink location=") + file), 60000);
        QFile raw(file);
        if (!raw.open(QIODevice::ReadOnly)) {
            return {};
        }
        const QByteArray bytes = raw.readAll();
        const int frameBytes = kSmallWidth * kSmallHeight * 4;
        if (bytes.size() < frameBytes) {
            return {};
        }
        const int centre = int(bytes.size()) - frameBytes + (4 * kSmallWidth + 8) * 4;
        std::vector<int> pixel;
        for (int i = 0; i < 4; ++i) {
            pixel.push_back(static_cast<unsigned char>(bytes[centre + i]));
        }
        return pixel;
    }

    HandoffNamespace m_namespace;  // before the session, whose processes inherit it
    PipeWireSession m_session;
    QTemporaryDir m_files;
    QProcess* m_daemon = nullptr;
    QString m_log;
    int m_consumers = 0;
};

const std::vector<int> kBlack = {0, 0, 0, 0};

}  // namespace

TEST_F(CameraStreamTest, ConsumerSeesThePublishedPatternAndBlackOnceThePublisherIsGone) {
    EXPECT_EQ(receiveCentrePixel(), kBlack) << "nothing published yet\n"
                                            << daemonLog().toStdString();

    HelperProcess publisher({QStringLiteral("publish")});
    ASSERT_EQ(publisher.ask("start"), "started 1");
    publisher.ask("frame 1920 1080 10 20 30");
    EXPECT_EQ(receiveCentrePixel(), (std::vector<int>{10, 20, 30, 255}))
        << daemonLog().toStdString();

    ASSERT_EQ(publisher.ask("stop"), "stopped");
    EXPECT_EQ(receiveCentrePixel(), kBlack) << daemonLog().toStdString();

    ASSERT_EQ(publisher.ask("start"), "started 1");
    publisher.ask("frame 1920 1080 200 150 100");
    EXPECT_EQ(receiveCentrePixel(), (std::vector<int>{200, 150, 100, 255}))
        << daemonLog().toStdString();

    publisher.killHard();
    EXPECT_EQ(receiveCentrePixel(), kBlack) << daemonLog().toStdString();
    EXPECT_TRUE(waitForLogCount(QStringLiteral("[DIAG] Frame source changed: live"), 2))
        << daemonLog().toStdString();
    EXPECT_TRUE(waitForLogCount(QStringLiteral("[DIAG] Frame source changed: attachFailed"), 2))
        << daemonLog().toStdString();
}

TEST_F(CameraStreamTest, SecondConsumerIsCountedAndTheLastOneLeavingStopsTheTimer) {
    QProcess& first = m_session.startProcess(QStringLiteral("/usr/bin/gst-launch-1.0"),
                                             consumerPipeline(1000000, QStringLiteral("fakesink")));
    ASSERT_TRUE(waitForLogCount(QStringLiteral("startStreaming (clients=1)"), 1))
        << daemonLog().toStdString();

    receiveCentrePixel();  // a second consumer comes and goes
    EXPECT_TRUE(waitForLogCount(QStringLiteral("stopStreaming (clients=1)"), 1))
        << daemonLog().toStdString();
    EXPECT_EQ(logCount(QStringLiteral("startStreaming (clients=2)")), 1);
    EXPECT_EQ(logCount(QStringLiteral("stopStreaming (stopped)")), 0);

    first.kill();  // SIGKILL: its link goes all the same
    first.waitForFinished(10000);
    EXPECT_TRUE(waitForLogCount(QStringLiteral("stopStreaming (stopped)"), 1))
        << daemonLog().toStdString();
}
