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
        ASSERT_FALSE(screenshotWhere([](const QImage& s) {
                         return s.pixelColor(700, 450) == QColor(Qt::white);
                     }).isNull())
            << "xev's window did not appear";
        if (compositor) {
            m_compositorPid = m_server->startClient(QStringLiteral("xcompmgr"));
            ASSERT_GT(m_compositorPid, 0);
        }

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), m_server->display());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        m_driver.setProcessEnvironment(env);
        m_driver.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_driver.start(QStringLiteral(OVERLAY_DRIVER_BINARY), {});
        ASSERT_EQ(readLine(), QStringLiteral("ready"));
        // The compositor takes its selection a moment after it starts.
        const QString expected = QStringLiteral("compositor %1").arg(compositor ? 1 : 0);
        ASSERT_TRUE(waitFor([&] { return command(QStringLiteral("compositor")) == expected; }));
    }

    void TearDown() override {
        // End of input quits the driver; QProcess's destructor kills one that does not.
        m_driver.closeWriteChannel();
        m_driver.waitForFinished(10'000);
    }

    QString readLine() {
        const QDeadlineTimer deadline(30'000);
        while (!m_driver.canReadLine() && !deadline.hasExpired()) {
            m_driver.waitForReadyRead(500);
        }
        return QString::fromUtf8(m_driver.readLine()).trimmed();
    }

    QString command(const QString& line) {
        m_driver.write((line + QLatin1Char('\n')).toUtf8());
        return readLine();
    }

    // The first screenshot that shows `condition` (the server paints in its own time), or a null
    // image when none does within the wait.
    QImage screenshotWhere(const std::function<bool(const QImage&)>& condition) {
        const QString path = m_dir.filePath(QStringLiteral("screen.png"));
        QImage shot;
        waitFor([&] {
            QFile::remove(path);
            m_server->runClient(QStringLiteral("import"),
                                {QStringLiteral("-window"), QStringLiteral("root"), path});
            shot = QImage(path);
            return !shot.isNull() && condition(shot);
        });
        return !shot.isNull() && condition(shot) ? shot : QImage();
    }

    QString xwininfo(const QString& id) {
        return m_server->runClient(QStringLiteral("xwininfo"), {QStringLiteral("-id"), id});
    }

    TempDir m_dir;
    std::unique_ptr<XvfbServer> m_server;
    QProcess m_driver;
    QString m_clicks;
    pid_t m_compositorPid = -1;
};

int gray(const QImage& shot, int x, int y) {
    return qGray(shot.pixel(x, y));
}

// The region (288, 270, 576, 90) of a 2880×1800 snapshot on a 1440×900 screen is drawn at
// (140, 133, 296, 49), in a window no window manager takes: the next show reuses it, and hide
// clears the screen.
TEST_F(OverlayX11Test, OneUnmanagedWindowDrawsAtTheScaledGrownPlaceLetsClicksThroughAndHides) {
    start(/*compositor=*/false, /*windowManager=*/true);
    const QString first = command(QStringLiteral("show 1.0 2880 1800 288,270,576,90"));
    ASSERT_TRUE(first.startsWith(QStringLiteral("shown ")));
    const QImage shot = screenshotWhere([](const QImage& s) { return gray(s, 288, 157) < 60; });
    ASSERT_FALSE(shot.isNull()) << "the mask never appeared";
    for (const QPoint inside :
         {QPoint(141, 157), QPoint(434, 157), QPoint(288, 134), QPoint(288, 180)}) {
        EXPECT_LT(gray(shot, inside.x(), inside.y()), 60) << inside.x() << "," << inside.y();
    }
    for (const QPoint outside : {QPoint(137, 157), QPoint(438, 157), QPoint(288, 130),
                                 QPoint(288, 184), QPoint(700, 600)}) {
        EXPECT_GT(gray(shot, outside.x(), outside.y()), 200) << outside.x() << "," << outside.y();
    }

    m_server->runClient(QStringLiteral("xdotool"),
                        {QStringLiteral("mousemove"), QStringLiteral("288"), QStringLiteral("157"),
                         QStringLiteral("click"), QStringLiteral("1")});
    EXPECT_TRUE(waitFor([this] {
        QFile log(m_clicks);
        return log.open(QIODevice::ReadOnly) && log.readAll().contains("ButtonPress");
    })) << "the click over the mask did not reach the window beneath";

    const QString second = command(QStringLiteral("show 1.0 1440 900 500,500,200,40"));
    EXPECT_EQ(first, second);
    const QString id = first.section(QLatin1Char(' '), 1);
    const QString info = xwininfo(id);
    EXPECT_TRUE(info.contains(QStringLiteral("Map State: IsViewable"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QStringLiteral("Override Redirect State: yes")));
    EXPECT_TRUE(info.contains(QStringLiteral("Width: 1440")) &&
                info.contains(QStringLiteral("Height: 900")));
    EXPECT_FALSE(screenshotWhere([](const QImage& s) {
                     return gray(s, 288, 157) > 200 && gray(s, 600, 520) < 60;
                 }).isNull())
        << "the second show did not replace the rectangles";
    // Not a managed window: in no client list, and not focused.
    const QString clients = m_server->runClient(
        QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST")});
    EXPECT_FALSE(clients.contains(QStringLiteral("0x%1").arg(id.toULong(), 0, 16)))
        << clients.toStdString();
    EXPECT_NE(m_server->runClient(QStringLiteral("xdotool"), {QStringLiteral("getwindowfocus")})
                  .trimmed(),
              id);

    EXPECT_EQ(command(QStringLiteral("hide")), QStringLiteral("hidden"));
    EXPECT_FALSE(screenshotWhere([](const QImage& s) { return gray(s, 600, 520) > 200; }).isNull());
}

// The shape was decided once, at show: a compositor leaving while the mask was up turned the
// whole screen black, and one arriving left the mask opaque.
TEST_F(OverlayX11Test, TranslucentWithACompositorAndReshapedWhenOneLeavesOrArrivesWhileShown) {
    start(/*compositor=*/true);
    ASSERT_TRUE(command(QStringLiteral("show 0.4 1440 900 100,100,200,40 250,100,200,40"))
                    .startsWith(QStringLiteral("shown ")));
    const QImage shot = screenshotWhere([](const QImage& s) { return gray(s, 150, 120) < 220; });
    ASSERT_FALSE(shot.isNull()) << "the mask never appeared";
    // White under black at 0.4 is about 153; two layers give about 92.
    EXPECT_NEAR(gray(shot, 150, 120), 153, 20);
    EXPECT_NEAR(gray(shot, 275, 120), 92, 20);
    EXPECT_GT(gray(shot, 700, 600), 240) << "outside the rectangles stays clear";

    m_server->stopClient(m_compositorPid);
    EXPECT_FALSE(screenshotWhere([](const QImage& s) {
                     return gray(s, 150, 120) < 60 && gray(s, 700, 600) > 200;
                 }).isNull())
        << "without the compositor the mask must be opaque and the rest of the screen clear";

    ASSERT_GT(m_server->startClient(QStringLiteral("xcompmgr")), 0);
    EXPECT_FALSE(screenshotWhere([](const QImage& s) {
                     return gray(s, 150, 120) > 100 && gray(s, 150, 120) < 220 &&
                            gray(s, 700, 600) > 240;
                 }).isNull())
        << "the mask did not turn translucent with the compositor back";
}

}  // namespace
