#include "shields/NotificationGuard.h"

#include "FakeTools.h"
#include "ShieldTestSupport.h"
#include "core/CommandRunner.h"
#include "shields/DesktopEnvironment.h"
#include "shields/DoNotDisturbMessages.h"
#include "shields/NotificationPlans.h"

#include "support/StdoutCapture.h"

#include <gtest/gtest.h>

namespace {

const QString kPermission = QString::fromUtf8(DoNotDisturbMessages::kPermissionRequired);
const QString kNotFound = QString::fromUtf8(DoNotDisturbMessages::kFacilityNotFound);

}  // namespace

TEST(DoNotDisturbMessagesTest, MapsToolTextsByTheFirstRuleThatFits) {
    const struct {
        const char* toolText;
        QString expected;
    } cases[] = {
        {"GDBus.Error:org.freedesktop.DBus.Error.AccessDenied: Rejected send message", kPermission},
        {"error: Permission denied writing /run/user/1000/dconf/user", kPermission},
        {"No such schema \xe2\x80\x9corg.gnome.desktop.notifications\xe2\x80\x9d", kNotFound},
        {"Property \"/do-not-disturb\" does not exist on channel \"xfce4-notifyd\"", kNotFound},
        {"org.freedesktop.DBus.Error.ServiceUnknown: The name was not provided by any .service "
         "files",
         kNotFound},
        // Both rules fit: the permission comes first.
        {"dunst is not running, and that is not allowed", kPermission},
        // Compared case-sensitively; other texts pass through unchanged.
        {"ACCESSDENIED", QStringLiteral("ACCESSDENIED")},
        {"Failed to connect to socket", QStringLiteral("Failed to connect to socket")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DoNotDisturbMessages::forToolText(QString::fromUtf8(c.toolText)), c.expected)
            << c.toolText;
    }
}

TEST(NotificationGuardTest, LogsTheToolsTrimmedTextAndShowsTheUserTheMappedMessage) {
    FakeTools tools;
    CommandRunner runner;
    const QString gsettings = tools.add(
        QStringLiteral("gsettings"), "printf '  No such schema \"org.gnome.x\"\\n\\n' >&2; exit 1");
    const QString makoctl = tools.add(QStringLiteral("makoctl"), "echo ' mode busy ' >&2; exit 2");

    StdoutCapture stdoutCapture;
    NotificationGuard noSchema(runner, fixedPlans({{gsettings, {}}}, {}));
    EXPECT_FALSE(awaitResult(noSchema.activate()));
    EXPECT_EQ(noSchema.lastError(), kNotFound);
    const std::string printed = stdoutCapture.take();
    EXPECT_EQ(printed, "[NotificationGuard] No such schema \"org.gnome.x\"\n");

    StdoutCapture secondCapture;
    NotificationGuard busy(runner, fixedPlans({{makoctl, {}}}, {}));
    EXPECT_FALSE(awaitResult(busy.activate()));
    EXPECT_EQ(busy.lastError(), QStringLiteral("mode busy"));

    NotificationGuard noPlan(runner, [](bool) { return PlanChoice::none(QStringLiteral("i3")); });
    EXPECT_FALSE(awaitResult(noPlan.activate()));
    EXPECT_EQ(noPlan.lastError(), kNotFound);
    secondCapture.take();
}

TEST(NotificationGuardTest, MakoWithoutTheModeFailsAndSaysHowToAddIt) {
    FakeTools tools;
    CommandRunner runner;
    tools.add(QStringLiteral("makoctl"));
    DesktopEnvironment env;
    env.desktops = {QStringLiteral("sway")};
    env.toolDirs = {tools.dir()};
    env.runningProcesses = {QStringLiteral("mako")};
    env.makoConfigFiles = {tools.dir() + QStringLiteral("/mako-config")};
    const auto plans = [&env](bool on) {
        return NotificationPlans::choose(env, on);
    };

    StdoutCapture stdoutCapture;
    NotificationGuard guard(runner, plans);
    EXPECT_FALSE(awaitResult(guard.activate()));
    const std::string printed = stdoutCapture.take();
    EXPECT_FALSE(guard.isActive());
    EXPECT_EQ(guard.lastError(), QString::fromUtf8(DoNotDisturbMessages::kMakoModeMissing));
    EXPECT_NE(printed.find("mako has no \"do-not-disturb\" mode"), std::string::npos) << printed;
    EXPECT_TRUE(tools.journal().isEmpty()) << "makoctl must not pretend to switch";

    QFile config(env.makoConfigFiles.first());
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write("[mode=do-not-disturb]\ninvisible=1\n");
    config.close();
    EXPECT_TRUE(awaitResult(guard.activate()));
    EXPECT_TRUE(guard.lastError().isEmpty());
    EXPECT_EQ(tools.journal(), QStringList{QStringLiteral("makoctl mode -a do-not-disturb")});
}
