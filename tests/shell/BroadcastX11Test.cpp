// The broadcast from end to end, every part a real process: a private X server with a window
// manager, a private PipeWire session with the camera daemon in it, another application's windows,
// the real application opening its broadcast window, and a GStreamer consumer of the camera. A
// window ticked and applied leaves the camera's frames (its area shows the window beneath it);
// "Stop broadcasting" turns the camera black.

#include "PipeWireSession.h"
#include "TestWindows.h"
#include "shared/HandoffNamespace.h"
#include "support/TempDir.h"
#include "support/WaitFor.h"
#include "support/XvfbServer.h"

#include "X11AppDriver.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>

namespace {

// Every wait allows a minute: five processes and a 30 Hz capture share two busy cores.
constexpr int kTimeoutMs = 60'000;

// The consumer's frames, scaled down from the camera's 1920x1080.
constexpr int kFrameWidth = 480;
constexpr int kFrameHeight = 270;

// Another application's window, in a colour nothing else on the screen has, over an untitled one
// (which the window list leaves out, so the one row is the coloured window).
constexpr std::uint32_t kSecretColour = 0xe0129c;
constexpr std::uint32_t kBeneathColour = 0x20c040;
const QString kSecretLayout = QStringLiteral("240x160+1100+650#e0129c:Secret Plans");
const QString kBeneathLayout = QStringLiteral("360x260+1040+600#20c040");

// Where, inside the broadcast window, the first row of the window list, "Apply" and "Stop
// broadcasting" sit (left-to-right layout, English texts, the window's default 480x620 size).
constexpr int kFirstRowX = 200;
constexpr int kFirstRowY = 280;
constexpr int kApplyX = 340;
constexpr int kStopX = 70;
constexpr int kFooterFromBottom = 34;

struct Frame {
    QByteArray bgra;  // kFrameWidth x kFrameHeight, B G R A
    bool isEmpty() const { return bgra.size() < kFrameWidth * kFrameHeight * 4; }

    // Pixels within a small distance of `rgb`: the camera's scaling blurs only the edges.
    int count(std::uint32_t rgb) const {
        int found = 0;
        for (int offset = 0; offset + 3 < bgra.size(); offset += 4) {
            const auto* pixel = reinterpret_cast<const std::uint8_t*>(bgra.constData() + offset);
            if (std::abs(pixel[2] - int((rgb >> 16) & 0xff)) <= 20 &&
                std::abs(pixel[1] - int((rgb >> 8) & 0xff)) <= 20 &&
                std::abs(pixel[0] - int(rgb & 0xff)) <= 20) {
                ++found;
            }
        }
        return found;
    }
    int brightest() const {
        int most = 0;
        for (int offset = 0; offset + 3 < bgra.size(); offset += 4) {
            for (int channel = 0; channel < 3; ++channel) {
                most = std::max(most, int(std::uint8_t(bgra.at(offset + channel))));
            }
        }
        return most;
    }
};

class BroadcastX11Test : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_server.isRunning()) << m_server.errorString().toStdString();
        ASSERT_TRUE(m_session.isReady()) << "the private PipeWire session did not come up";

        // The daemon runs first: the application recognises a running daemon of its own build as
        // the camera, as it does at every start after the set-up.
        m_daemon =
            &m_session.startProcess(QStringLiteral(CAMERA_DAEMON),
                                    {QStringLiteral("--foreground"),
                                     QStringLiteral("--v4l2-device"), QStringLiteral("none")});
        ASSERT_TRUE(waitFor([&] { return daemonReady(); }, kTimeoutMs))
            << m_daemon->readAllStandardError().toStdString();

        ASSERT_TRUE(
            writeEnglishSettings(m_session.environment().value(QStringLiteral("XDG_CONFIG_HOME"))));
    }

    void TearDown() override {
        if (m_app.state() != QProcess::NotRunning) {
            m_app.kill();
            m_app.waitForFinished(20'000);
        }
    }

    bool daemonReady() {
        const QDir runtime(m_session.environment().value(QStringLiteral("XDG_RUNTIME_DIR")));
        for (const QString& name :
             runtime.entryList({QStringLiteral("*-camera-extension.status")}, QDir::Files)) {
            QFile status(runtime.filePath(name));
            if (status.open(QIODevice::ReadOnly) && status.readAll().contains(" ready ")) {
                return true;
            }
        }
        return false;
    }

    void startApplication() {
        QProcessEnvironment env = m_session.environment();
        env.insert(QStringLiteral("DISPLAY"), m_server.display());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("x11"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("XDG_CURRENT_DESKTOP"));
        env.insert(QStringLiteral("VELARION_TEST_OPEN_WINDOWS"), QStringLiteral("broadcast"));
        m_app.setProcessEnvironment(env);
        m_app.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_app.start(QStringLiteral(VELARION_BINARY), {});
        ASSERT_TRUE(m_app.waitForStarted());
    }

    QString broadcastWindow() {
        return searchWindows(m_server, {QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                                        QStringLiteral("^Broadcast$")})
            .section(QLatin1Char('\n'), 0, 0);
    }
    int windowHeight(const QString& window) {
        static const QRegularExpression height(QStringLiteral(R"(Height: +(\d+))"));
        return height
            .match(m_server.runClient(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window}))
            .captured(1)
            .toInt();
    }
    void click(const QString& window, int x, int y) { clickAt(m_server, window, x, y); }

    // A new consumer of "Velarion Camera", for four frames; the last one.
    Frame receiveFrame() {
        const QString file = m_files.filePath(QStringLiteral("frames%1.raw").arg(++m_received));
        const QString pipeline =
            QStringLiteral(
                "-q pipewiresrc target-object=velarion-camera num-buffers=4 ! videoconvert ! "
                "videoscale ! video/x-raw,format=BGRx,width=%1,height=%2 ! filesink location=%3")
                .arg(kFrameWidth)
                .arg(kFrameHeight)
                .arg(file);
        m_session.run(QStringLiteral("/usr/bin/gst-launch-1.0"), pipeline.split(QLatin1Char(' ')),
                      kTimeoutMs);
        QFile raw(file);
        const QByteArray bytes = raw.open(QIODevice::ReadOnly) ? raw.readAll() : QByteArray();
        raw.remove();
        constexpr int kFrameBytes = kFrameWidth * kFrameHeight * 4;
        return {bytes.size() < kFrameBytes ? QByteArray() : bytes.right(kFrameBytes)};
    }

    XvfbServer m_server{[] {
        XvfbServer::Options options;
        options.width = 1440;
        options.height = 900;
        options.windowManager = true;
        return options;
    }()};
    HandoffNamespace m_namespace;  // before the session, which runs in its folder
    PipeWireSession m_session{m_namespace.folder()};
    QTemporaryDir m_files{QStringLiteral("/dev/shm/velarion-broadcast-test-XXXXXX")};
    QProcess* m_daemon = nullptr;
    QProcess m_app;
    int m_received = 0;
};

}  // namespace

TEST_F(BroadcastX11Test, TickedWindowLeavesTheCameraAndStopTurnsItBlack) {
    TestWindows beneath(m_server, QStringLiteral("sheet"), {kBeneathLayout});
    ASSERT_TRUE(beneath.isReady());
    TestWindows secret(m_server, QStringLiteral("plans"), {kSecretLayout});
    ASSERT_TRUE(secret.isReady());
    startApplication();

    QString window;
    ASSERT_TRUE(waitFor([&] { return !(window = broadcastWindow()).isEmpty(); }, kTimeoutMs))
        << "the broadcast window opens at start";

    // Opening the window while the camera is ready starts the broadcast: the screen reaches a
    // consumer, the coloured window in it.
    Frame before;
    ASSERT_TRUE(
        waitFor([&] { return (before = receiveFrame()).count(kSecretColour) > 500; }, kTimeoutMs))
        << "the screen with the coloured window reaches the consumer";
    const int secretArea = before.count(kSecretColour);
    const int beneathArea = before.count(kBeneathColour);
    EXPECT_GT(beneathArea, 200) << "the window beneath shows around the coloured one";

    click(window, kFirstRowX, kFirstRowY);
    const int height = windowHeight(window);
    click(window, kApplyX, height - kFooterFromBottom);

    Frame after;
    ASSERT_TRUE(
        waitFor([&] { return (after = receiveFrame()).count(kSecretColour) < 20; }, kTimeoutMs))
        << "the applied tick takes the coloured window out of the camera";
    EXPECT_GT(after.count(kBeneathColour), beneathArea + secretArea * 3 / 4)
        << "its area shows the window beneath";

    click(window, kStopX, height - kFooterFromBottom);
    EXPECT_TRUE(waitFor([&] { return broadcastWindow().isEmpty(); }, kTimeoutMs))
        << "Stop broadcasting closes the window";
    Frame stopped;
    EXPECT_TRUE(waitFor(
        [&] {
            stopped = receiveFrame();
            return !stopped.isEmpty() && stopped.brightest() < 16;
        },
        kTimeoutMs))
        << "the camera turns black";
}
