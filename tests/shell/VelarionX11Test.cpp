// The real application under a private X server with a window manager and a tray host, with the
// GNOME plans writing through the real gsettings tool into a keyfile in a temporary folder: the
// tray icon opens the popover, its Desktop Shield switch hides the icons, Quit brings them back;
// a real press of the panic hot key switches both shields on and opens the broadcast window, and a
// termination signal ends the application cleanly through the quit path.

#include "support/WaitFor.h"

#include "X11AppDriver.h"

#include <optional>

namespace {

const QString kNotifications = QStringLiteral("org.gnome.desktop.notifications");
const QString kBannersKey = QStringLiteral("show-banners");

// Where, inside the 320-pixel popover, the Quit button sits.
constexpr int kQuitX = 295;
constexpr int kQuitFromBottom = 15;

class VelarionX11Test : public X11AppTest {
protected:
    void startApplication() {
        startApp();
        ASSERT_TRUE(waitFor([&] {
            return !search({QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                            QStringLiteral("^Velarion$")})
                        .isEmpty();
        })) << "main window";
    }

    QString trayIcon() {
        const QStringList icons = trayIcons();
        return icons.isEmpty() ? QString() : icons.first();
    }

    std::optional<AppWindow> visiblePopover() {
        const QStringList visible = search({QStringLiteral("--onlyvisible"),
                                            QStringLiteral("--class"), QStringLiteral("velarion")})
                                        .split(QLatin1Char('\n'));
        for (const AppWindow& window : applicationWindows(m_server)) {
            const QString decimal = QString::number(window.id.toUInt(nullptr, 16));
            if (window.width == 320 && visible.contains(decimal)) {
                return window;
            }
        }
        return std::nullopt;
    }
};

}  // namespace

TEST_F(VelarionX11Test, PopoverSwitchHidesTheDesktopIconsAndQuitShowsThemAgain) {
    ASSERT_EQ(gsettings(kBackground, kIconsKey), QStringLiteral("true"));
    startApplication();

    QString icon;
    ASSERT_TRUE(waitFor([&] { return !(icon = trayIcon()).isEmpty(); })) << "tray icon docked";
    click(icon, 8, 8);
    std::optional<AppWindow> popover;
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
