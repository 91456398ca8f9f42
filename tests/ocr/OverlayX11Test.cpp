// The mask overlay under a private X server: where it draws, what it covers, and that clicks
// reach the window beneath. The overlay runs in OverlayDriver, a separate X client; the window
// beneath is xev, which logs the button presses it receives.

#include "support/QtPrinters.h"
#include "support/TempDir.h"
#include "support/WaitFor.h"
#include "support/XvfbServer.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

class OverlayX11Test : public ::testing::Test {
protected:
    void start(bool compositor, bool windowManager = false) {
        XvfbServer::Options options;
        options.width = 1440;
        options.height = 900;
        options.windowManager = windowManager;
        m_server = std::make_unique<XvfbServer>(options);
        ASSERT_TRUE(m_server->isRunning()) << m_server->errorString().toStdString();

        // A white window over the whole screen that logs the clicks it gets.
        m_clicks = m_dir.filePath(QStringLiteral("clicks.log"));
        m_server->startClient(
            QStringLiteral("/bin/sh"),
            {QStringLiteral("-c"),
             QStringLiteral("exec xev -geometry 1440x900+0+0 -event button > '%1'").arg(m_clicks)});
        ASSERT_TRUE(waitFor([this] { return pixel(700, 450) == QColor(Qt::white); }))
            << "xev's window did not appear";
        if (compositor) {
            ASSERT_GT(m_server->startClient(QStringLiteral("xcompmgr")), 0);
        }

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), m_server->display());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        m_driver.setProcessEnvironment(env);
        m_driver.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_driver.start(QStringLiteral(OVERLAY_DRIVER_BINARY), {});
        ASSERT_TRUE(m_driver.waitForStarted());
        // The compositor takes its selection a moment after it starts.
        const QString expected = compositor ? QStringLiteral("ready 1") : QStringLiteral("ready 0");
        QString ready = readLine();
        const QDeadlineTimer compositorDeadline(15'000);
        while (compositor && ready == QStringLiteral("ready 0") &&
               !compositorDeadline.hasExpired()) {
            m_driver.kill();
            m_driver.waitForFinished();
            QThread::msleep(200);
            m_driver.start(QStringLiteral(OVERLAY_DRIVER_BINARY), {});
            ASSERT_TRUE(m_driver.waitForStarted());
            ready = readLine();
        }
        ASSERT_EQ(ready, expected);
    }

    void TearDown() override {
        if (m_driver.state() != QProcess::NotRunning) {
            m_driver.closeWriteChannel();
            if (!m_driver.waitForFinished(5'000)) {
                m_driver.kill();
                m_driver.waitForFinished();
            }
        }
    }

    QString readLine() {
        const QDeadlineTimer deadline(20'000);
        while (!m_driver.canReadLine() && !deadline.hasExpired()) {
            m_driver.waitForReadyRead(500);
        }
        return QString::fromUtf8(m_driver.readLine()).trimmed();
    }

    QString command(const QString& line) {
        m_driver.write((line + QLatin1Char('\n')).toUtf8());
        return readLine();
    }

    QImage screenshot() {
        const QString path = m_dir.filePath(QStringLiteral("screen.png"));
        QFile::remove(path);
        m_server->runClient(QStringLiteral("import"),
                            {QStringLiteral("-window"), QStringLiteral("root"), path});
        return QImage(path);
    }

    QColor pixel(int x, int y) {
        const QImage image = screenshot();
        return image.isNull() ? QColor() : image.pixelColor(x, y);
    }

    QString xwininfo(const QString& id) {
        return m_server->runClient(QStringLiteral("xwininfo"), {QStringLiteral("-id"), id});
    }

    TempDir m_dir;
    std::unique_ptr<XvfbServer> m_server;
    QProcess m_driver;
    QString m_clicks;
};

// The region (288, 270, 576, 90) of a 2880×1800 snapshot on a 1440×900 screen is drawn at
// (140, 133, 296, 49).
TEST_F(OverlayX11Test, RectangleIsDrawnAtTheScaledGrownPlaceAndClicksPassThrough) {
    start(/*compositor=*/false);
    ASSERT_TRUE(command(QStringLiteral("show 1.0 2880 1800 288,270,576,90"))
                    .startsWith(QStringLiteral("shown ")));
    const QImage shot = screenshot();
    ASSERT_FALSE(shot.isNull());
    const auto dark = [&shot](int x, int y) {
        return qGray(shot.pixel(x, y)) < 60;
    };
    const auto light = [&shot](int x, int y) {
        return qGray(shot.pixel(x, y)) > 200;
    };
    EXPECT_TRUE(dark(288, 157));
    EXPECT_TRUE(dark(141, 157) && dark(434, 157) && dark(288, 134) && dark(288, 180));
    EXPECT_TRUE(light(137, 157) && light(438, 157) && light(288, 130) && light(288, 184));
    EXPECT_TRUE(light(700, 600)) << "the shaped window covers only its rectangles";

    m_server->runClient(QStringLiteral("xdotool"),
                        {QStringLiteral("mousemove"), QStringLiteral("288"), QStringLiteral("157"),
                         QStringLiteral("click"), QStringLiteral("1")});
    EXPECT_TRUE(waitFor([this] {
        QFile log(m_clicks);
        return log.open(QIODevice::ReadOnly) && log.readAll().contains("ButtonPress");
    })) << "the click over the mask did not reach the window beneath";
}

TEST_F(OverlayX11Test, OneWindowServesTwoShowsAndHideReleasesIt) {
    start(/*compositor=*/false, /*windowManager=*/true);
    const QString first = command(QStringLiteral("show 1.0 1440 900 100,100,200,40"));
    const QString second = command(QStringLiteral("show 1.0 1440 900 500,500,200,40"));
    ASSERT_TRUE(first.startsWith(QStringLiteral("shown ")));
    EXPECT_EQ(first, second);
    const QString id = first.section(QLatin1Char(' '), 1);

    const QString info = xwininfo(id);
    EXPECT_TRUE(info.contains(QStringLiteral("Map State: IsViewable"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QStringLiteral("Override Redirect State: yes")));
    EXPECT_TRUE(info.contains(QStringLiteral("Width: 1440")) &&
                info.contains(QStringLiteral("Height: 900")));
    // The second show replaced the rectangles.
    const QImage shot = screenshot();
    EXPECT_GT(qGray(shot.pixel(200, 120)), 200);
    EXPECT_LT(qGray(shot.pixel(600, 520)), 60);
    // Not a managed window: in no client list, and not focused.
    const QString clients = m_server->runClient(
        QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST")});
    EXPECT_FALSE(clients.contains(QStringLiteral("0x%1").arg(id.toULong(), 0, 16)))
        << clients.toStdString();
    const QString focus =
        m_server->runClient(QStringLiteral("xdotool"), {QStringLiteral("getwindowfocus")})
            .trimmed();
    EXPECT_NE(focus, id);

    EXPECT_EQ(command(QStringLiteral("hide")), QStringLiteral("hidden"));
    EXPECT_TRUE(waitFor([&] { return !xwininfo(id).contains(QStringLiteral("IsViewable")); }));
    EXPECT_GT(qGray(screenshot().pixel(600, 520)), 200);
    const QString third = command(QStringLiteral("show 1.0 1440 900 100,100,200,40"));
    ASSERT_TRUE(third.startsWith(QStringLiteral("shown ")));
    EXPECT_NE(third, first);
}

TEST_F(OverlayX11Test, WithACompositorTheMaskIsTranslucentAndOverlapsAreDarker) {
    start(/*compositor=*/true);
    ASSERT_TRUE(command(QStringLiteral("show 0.4 1440 900 100,100,200,40 250,100,200,40"))
                    .startsWith(QStringLiteral("shown ")));
    int single = 0;
    int overlap = 0;
    ASSERT_TRUE(waitFor([&] {
        const QImage shot = screenshot();
        single = qGray(shot.pixel(150, 120));
        overlap = qGray(shot.pixel(275, 120));
        return single < 220;
    })) << "the mask never appeared";
    // White under black at 0.4 is about 153; two layers give about 92.
    EXPECT_NEAR(single, 153, 20);
    EXPECT_NEAR(overlap, 92, 20);
    EXPECT_GT(qGray(screenshot().pixel(700, 600)), 240) << "outside the rectangles stays clear";
}

}  // namespace
