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

TEST(NotificationGuardTest, ShowsTheMessageOfTheFirstRuleThatFitsOrTheToolsTrimmedText) {
    FakeTools tools;
    CommandRunner runner;
    const QString toolText = tools.dir() + QStringLiteral("/tool-text");
    const QString tool = tools.add(QStringLiteral("switch"),
                                   "cat '" + QFile::encodeName(toolText) + "' >&2; exit 1");
    const struct {
        const char* toolText;
        QString expected;
    } cases[] = {
        {"GDBus.Error:org.freedesktop.DBus.Error.AccessDenied: Rejected send message", kPermission},
        {"  No such schema \"org.gnome.x\"\n\n", kNotFound},
        // Both rules fit: the permission comes first.
        {"dunst is not running, and that is not allowed", kPermission},
        // Compared case-sensitively; other texts reach the user trimmed.
        {"ACCESSDENIED", QStringLiteral("ACCESSDENIED")},
        {" mode busy \n", QStringLiteral("mode busy")},
    };
    StdoutCapture stdoutCapture;  // keeps the failures' log lines out of the test output
    for (const auto& c : cases) {
        SCOPED_TRACE(c.toolText);
        QFile text(toolText);
        ASSERT_TRUE(text.open(QIODevice::WriteOnly));
        text.write(c.toolText);
        text.close();
        NotificationGuard guard(runner, fixedPlans({{tool, {}}}, {}));
        EXPECT_FALSE(awaitResult(guard.activate()));
        EXPECT_EQ(guard.lastError(), c.expected);
    }

    NotificationGuard noPlan(runner, [](bool) { return PlanChoice::none(QStringLiteral("i3")); });
    EXPECT_FALSE(awaitResult(noPlan.activate()));
    EXPECT_EQ(noPlan.lastError(), kNotFound);
    stdoutCapture.take();
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

    // mako takes any mode name at run time: without the section in its configuration, adding the
    // mode would hide nothing while reporting success.
    NotificationGuard guard(runner, plans);
    QFile config(env.makoConfigFiles.first());
    const char* const withoutTheMode[] = {nullptr, "[mode=away]\ninvisible=1\n",
                                          "# [mode=do-not-disturb] is not declared here\n"};
    StdoutCapture stdoutCapture;  // keeps the failures' log lines out of the test output
    for (const char* configuration : withoutTheMode) {
        SCOPED_TRACE(configuration ? configuration : "no configuration");
        if (configuration) {
            ASSERT_TRUE(config.open(QIODevice::WriteOnly));
            config.write(configuration);
            config.close();
        }
        EXPECT_FALSE(awaitResult(guard.activate()));
        EXPECT_FALSE(guard.isActive());
        EXPECT_EQ(guard.lastError(), QString::fromUtf8(DoNotDisturbMessages::kMakoModeMissing));
        // Switching off stays possible: removing an unset mode changes nothing.
        const PlanChoice off = NotificationPlans::choose(env, false);
        ASSERT_TRUE(off.plan);
        EXPECT_EQ(off.plan->commands.first().arguments,
                  QStringList({QStringLiteral("mode"), QStringLiteral("-r"),
                               QStringLiteral("do-not-disturb")}));
    }
    stdoutCapture.take();
    EXPECT_TRUE(tools.journal().isEmpty()) << "makoctl must not pretend to switch";

    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write("[mode=do-not-disturb]\ninvisible=1\n");
    config.close();
    EXPECT_TRUE(awaitResult(guard.activate()));
    EXPECT_TRUE(guard.lastError().isEmpty());
    EXPECT_EQ(tools.journal(), QStringList{QStringLiteral("makoctl mode -a do-not-disturb")});
}
