#include "shields/NotificationGuard.h"

#include "FakeTools.h"
#include "ShieldTestSupport.h"
#include "core/CommandRunner.h"
#include "shields/DoNotDisturbMessages.h"

#include <gtest/gtest.h>

namespace {

const QString kPermission = QString::fromUtf8(DoNotDisturbMessages::kPermissionRequired);
const QString kNotFound = QString::fromUtf8(DoNotDisturbMessages::kFacilityNotFound);

}  // namespace

TEST(DoNotDisturbMessagesTest, MapsToolTextsByTheFirstRuleThatFits) {
    struct Case {
        const char* toolText;
        QString expected;
    };
    const Case cases[] = {
        {"GDBus.Error:org.freedesktop.DBus.Error.AccessDenied: Rejected send message", kPermission},
        {"error: Permission denied writing /run/user/1000/dconf/user", kPermission},
        {"Operation not allowed by the sandbox", kPermission},
        {"No such schema \xe2\x80\x9corg.gnome.desktop.notifications\xe2\x80\x9d", kNotFound},
        {"No such key \xe2\x80\x9cshow-banners\xe2\x80\x9d", kNotFound},
        {"Property \"/do-not-disturb\" does not exist on channel \"xfce4-notifyd\"", kNotFound},
        {"org.freedesktop.DBus.Error.ServiceUnknown: The name org.freedesktop.Notifications was "
         "not provided by any .service files",
         kNotFound},
        // Both rules fit: the permission comes first.
        {"ServiceUnknown while AccessDenied", kPermission},
        {"dunst is not running, and that is not allowed", kPermission},
        // The rules compare case-sensitively; other texts pass through unchanged.
        {"ACCESSDENIED", QStringLiteral("ACCESSDENIED")},
        {"Failed to connect to socket", QStringLiteral("Failed to connect to socket")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DoNotDisturbMessages::forToolText(QString::fromUtf8(c.toolText)), c.expected)
            << c.toolText;
    }
}

TEST(NotificationGuardTest, ActivateAndDeactivateRunTheDaemonsCommands) {
    FakeTools tools;
    CommandRunner runner;
    const QString ctl = tools.add(QStringLiteral("dunstctl"));
    NotificationGuard guard(
        runner, fixedPlans({{ctl, {QStringLiteral("set-paused"), QStringLiteral("true")}}},
                           {{ctl, {QStringLiteral("set-paused"), QStringLiteral("false")}}}));

    EXPECT_TRUE(awaitResult(guard.activate()));
    EXPECT_TRUE(guard.isActive());
    EXPECT_TRUE(awaitResult(guard.setDoNotDisturb(false)));
    EXPECT_TRUE(guard.isActive()) << "the shared step leaves isActive alone";
    EXPECT_TRUE(awaitResult(guard.deactivate()));
    EXPECT_FALSE(guard.isActive());
    EXPECT_EQ(tools.journal(), QStringList({QStringLiteral("dunstctl set-paused true"),
                                            QStringLiteral("dunstctl set-paused false"),
                                            QStringLiteral("dunstctl set-paused false")}));
}

TEST(NotificationGuardTest, FailureLogsTheToolsTrimmedTextAndShowsTheUserMessage) {
    FakeTools tools;
    CommandRunner runner;
    const QString gsettings = tools.add(
        QStringLiteral("gsettings"), "printf '  No such schema \"org.gnome.x\"\\n\\n' >&2; exit 1");
    NotificationGuard guard(runner, fixedPlans({{gsettings, {}}}, {{gsettings, {}}}));

    testing::internal::CaptureStdout();
    EXPECT_FALSE(awaitResult(guard.activate()));
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed, "[NotificationGuard] No such schema \"org.gnome.x\"\n");
    EXPECT_EQ(guard.lastError(), kNotFound);
    EXPECT_FALSE(guard.isActive());
}

TEST(NotificationGuardTest, OtherFailuresKeepTheTrimmedTextAndSuccessEmptiesIt) {
    FakeTools tools;
    CommandRunner runner;
    const QString flag = tools.dir() + QStringLiteral("/failed-once");
    const QString ctl = tools.add(QStringLiteral("makoctl"),
                                  "if [ ! -e '" + flag.toUtf8() + "' ]; then touch '" +
                                      flag.toUtf8() + "'; echo ' mode busy ' >&2; exit 2; fi");
    NotificationGuard guard(runner, fixedPlans({{ctl, {}}}, {{ctl, {}}}));

    testing::internal::CaptureStdout();
    EXPECT_FALSE(awaitResult(guard.activate()));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(guard.lastError(), QStringLiteral("mode busy"));
    EXPECT_TRUE(awaitResult(guard.activate()));
    EXPECT_TRUE(guard.lastError().isEmpty());
    EXPECT_TRUE(guard.isActive());
}

TEST(NotificationGuardTest, ToolThatCannotStartKeepsPathAndReason) {
    FakeTools tools;
    CommandRunner runner;
    const QString absent = tools.missing(QStringLiteral("dunstctl"));
    NotificationGuard guard(runner, fixedPlans({{absent, {}}}, {{absent, {}}}));
    testing::internal::CaptureStdout();
    EXPECT_FALSE(awaitResult(guard.activate()));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(guard.lastError(), absent + QStringLiteral(": No such file or directory"));
}

TEST(NotificationGuardTest, NoPlanForTheSessionTellsWhatToInstall) {
    CommandRunner runner;
    NotificationGuard guard(runner, [](bool) {
        return PlanChoice::none(QStringLiteral("\"i3\" is not GNOME, Cinnamon, MATE or XFCE"));
    });
    testing::internal::CaptureStdout();
    EXPECT_FALSE(awaitResult(guard.activate()));
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(guard.lastError(), kNotFound);
    EXPECT_NE(printed.find("[NotificationGuard] No supported notification service found for Do "
                           "Not Disturb: \"i3\""),
              std::string::npos);
}

TEST(NotificationGuardTest, DestructionWhileActiveSwitchesDoNotDisturbOff) {
    FakeTools tools;
    CommandRunner runner;
    const QString ctl = tools.add(QStringLiteral("dunstctl"));
    {
        NotificationGuard guard(
            runner, fixedPlans({{ctl, {QStringLiteral("on")}}}, {{ctl, {QStringLiteral("off")}}}));
        ASSERT_TRUE(awaitResult(guard.activate()));
    }
    EXPECT_EQ(tools.journal(),
              QStringList({QStringLiteral("dunstctl on"), QStringLiteral("dunstctl off")}));
}
