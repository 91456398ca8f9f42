// The real application under a private X server with a window manager and a tray host, with the
// GNOME plans writing through the real gsettings tool into a keyfile in a temporary folder: the
// tray icon opens the popover, its Desktop Shield switch hides the icons, Quit brings them back;
// a real press of the panic hot key switches both shields on and opens the broadcast window, and a
// termination signal ends the application cleanly through the quit path.

#include "support/TempDir.h"
#include "support/WaitFor.h"
#include "support/XvfbServer.h"

#include "X11AppDriver.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

const QString kBackground = QStringLiteral("org.gnome.desktop.background");
const QString kIconsKey = QStringLiteral("show-desktop-icons");
const QString kNotifications = QStringLiteral("org.gnome.desktop.notifications");
const QString kBannersKey = QStringLiteral("show-banners");

// Where, inside the 320-pixel popover, the first switch and the Quit button sit (left-to-right
// layout, English texts).
constexpr int kSwitchX = 289;
constexpr int kFirstSwitchY = 77;
constexpr int kQuitX = 295;
constexpr int kQuitFromBottom = 15;

struct Geometry {
    QString id;
    int width = 0;
    int height = 0;
};

class VelarionX11Test : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_server.isRunning()) << m_server.errorString().toStdString();
        ASSERT_TRUE(QFile::exists(QStringLiteral("/usr/bin/gsettings")));
        ASSERT_TRUE(writeEnglishSettings(m_home.filePath(QStringLiteral("config"))));

        m_env = QProcessEnvironment::systemEnvironment();
        m_env.insert(QStringLiteral("DISPLAY"), m_server.display());
        m_env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        m_env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral("config")));
        m_env.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("GNOME"));
        m_env.insert(QStringLiteral("GSETTINGS_BACKEND"), QStringLiteral("keyfile"));
        m_env.remove(QStringLiteral("GSETTINGS_SCHEMA_DIR"));
        // The real gsettings, one call at a time: both shields may write at once, and the keyfile
        // backend (unlike dconf) loses one of two concurrent writes.
        QDir().mkpath(m_home.filePath(QStringLiteral("tools")));
        QFile tool(m_home.filePath(QStringLiteral("tools/gsettings")));
        ASSERT_TRUE(tool.open(QIODevice::WriteOnly));
        tool.write("#!/bin/sh\nexec /usr/bin/flock \"$0.lock\" /usr/bin/gsettings \"$@\"\n");
        tool.close();
        tool.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_env.insert(QStringLiteral("VELARION_TEST_TOOLS_DIR"),
                     m_home.filePath(QStringLiteral("tools")));
        m_env.remove(QStringLiteral("VELARION_TEST_SHIELDS_ON_AT_START"));
        // Debian's schema keeps the icons off by default: show them first, as GNOME with desktop
        // icons would, so that hiding them is a change.
        ASSERT_TRUE(gsettingsSet(kBackground, kIconsKey, QStringLiteral("true")));
    }

    void TearDown() override {
        if (m_app.state() != QProcess::NotRunning) {
            m_app.kill();
            m_app.waitForFinished(20'000);
        }
    }

    void startApplication() {
        m_app.setProcessEnvironment(m_env);
        m_app.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_app.start(QStringLiteral(VELARION_BINARY), {});
        ASSERT_TRUE(m_app.waitForStarted());
        ASSERT_TRUE(waitFor([&] {
            return !search({QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                            QStringLiteral("^Velarion$")})
                        .isEmpty();
        })) << "main window";
    }

    QString gsettings(const QString& schema, const QString& key) {
        QProcess tool;
        tool.setProcessEnvironment(m_env);
        tool.start(QStringLiteral("/usr/bin/gsettings"), {QStringLiteral("get"), schema, key});
        tool.waitForFinished(20'000);
        return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
    }

    bool gsettingsSet(const QString& schema, const QString& key, const QString& value) {
        QProcess tool;
        tool.setProcessEnvironment(m_env);
        tool.start(QStringLiteral("/usr/bin/gsettings"),
                   {QStringLiteral("set"), schema, key, value});
        return tool.waitForFinished(20'000) && tool.exitCode() == 0;
    }

    QString search(const QStringList& args) { return searchWindows(m_server, args); }

    // The application's windows of class "velarion" in the whole tree, with their sizes.
    QList<Geometry> applicationWindows() {
        const QString tree = m_server.runClient(QStringLiteral("xwininfo"),
                                                {QStringLiteral("-root"), QStringLiteral("-tree")});
        static const QRegularExpression line(
            QStringLiteral(R"((0x[0-9a-f]+) .*\("velarion" "Velarion"\):? +(\d+)x(\d+)\+)"));
        QList<Geometry> found;
        for (auto it = line.globalMatch(tree); it.hasNext();) {
            const auto match = it.next();
            found.push_back(
                {match.captured(1), match.captured(2).toInt(), match.captured(3).toInt()});
        }
        return found;
    }

    // The tray icon: the application's window inside the tray's panel, as small as an icon.
    QString trayIcon() {
        for (const Geometry& window : applicationWindows()) {
            if (window.width <= 64 && window.height <= 64 && window.width > 1) {
                return window.id;
            }
        }
        return {};
    }

    std::optional<Geometry> visiblePopover() {
        const QStringList visible = search({QStringLiteral("--onlyvisible"),
                                            QStringLiteral("--class"), QStringLiteral("velarion")})
                                        .split(QLatin1Char('\n'));
        for (const Geometry& window : applicationWindows()) {
            const QString decimal = QString::number(window.id.toUInt(nullptr, 16));
            if (window.width == 320 && visible.contains(decimal)) {
                return window;
            }
        }
        return std::nullopt;
    }

    void click(const QString& window, int x, int y) { clickAt(m_server, window, x, y); }

    XvfbServer m_server{[] {
        XvfbServer::Options options;
        options.windowManager = true;
        options.trayHost = true;
        return options;
    }()};
    TempDir m_home;
    QProcessEnvironment m_env;
    QProcess m_app;
};

}  // namespace

TEST_F(VelarionX11Test, PopoverSwitchHidesTheDesktopIconsAndQuitShowsThemAgain) {
    ASSERT_EQ(gsettings(kBackground, kIconsKey), QStringLiteral("true"));
    startApplication();

    QString icon;
    ASSERT_TRUE(waitFor([&] { return !(icon = trayIcon()).isEmpty(); })) << "tray icon docked";
    click(icon, 8, 8);
    std::optional<Geometry> popover;
    ASSERT_TRUE(waitFor([&] { return (popover = visiblePopover()).has_value(); }))
        << "the popover opens at a click on the icon";
    EXPECT_GT(popover->height, 200) << "the four rows and the footer";

    click(popover->id, kSwitchX, kFirstSwitchY);
    EXPECT_TRUE(waitFor([&] {
        return gsettings(kBackground, kIconsKey) == QStringLiteral("false");
    })) << "Desktop Shield hides the icons";

    click(popover->id, kQuitX, popover->height - kQuitFromBottom);
    ASSERT_TRUE(m_app.waitForFinished(20'000)) << "Quit ends the application";
    EXPECT_EQ(m_app.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(m_app.exitCode(), 0);
    EXPECT_EQ(gsettings(kBackground, kIconsKey), QStringLiteral("true"))
        << "Quit shows the icons again";
}

TEST_F(VelarionX11Test, PanicKeySwitchesBothShieldsOnAndOpensTheBroadcastWindow) {
    startApplication();
    for (int press = 1; press <= 2; ++press) {
        SCOPED_TRACE(press);
        m_server.runClient(QStringLiteral("xdotool"),
                           {QStringLiteral("key"), QStringLiteral("ctrl+alt+super+h")});
        EXPECT_TRUE(waitFor([&] {
            return gsettings(kBackground, kIconsKey) == QStringLiteral("false") &&
                   gsettings(kNotifications, kBannersKey) == QStringLiteral("false");
        })) << "both shields on, also at a second press";
        EXPECT_TRUE(waitFor([&] {
            return !search({QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                            QStringLiteral("^Broadcast$")})
                        .isEmpty();
        })) << "the broadcast window";
    }

    m_app.terminate();
    ASSERT_TRUE(m_app.waitForFinished(20'000));
    EXPECT_EQ(m_app.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(m_app.exitCode(), 0);
    EXPECT_EQ(gsettings(kBackground, kIconsKey), QStringLiteral("true"));
    EXPECT_EQ(gsettings(kNotifications, kBannersKey), QStringLiteral("true"));
}
