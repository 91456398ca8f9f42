#include "shields/DesktopShield.h"

#include "FakeTools.h"
#include "ShieldTestSupport.h"
#include "core/CommandRunner.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <memory>

namespace {

// Two-step plans like the desktops': write the setting, then make the desktop pick it up.
struct TwoStepShield {
    explicit TwoStepShield(const FakeTools& tools, const QByteArray& writeBody = "exit 0",
                           const QByteArray& reloadBody = "exit 0") {
        writer = tools.add(QStringLiteral("write-setting"), writeBody);
        reloader = tools.add(QStringLiteral("reload-desktop"), reloadBody);
        shield = std::make_unique<DesktopShield>(
            runner, fixedPlans({{writer, {QStringLiteral("hide")}}, {reloader, {}}},
                               {{writer, {QStringLiteral("show")}}, {reloader, {}}}));
    }

    CommandRunner runner;
    QString writer;
    QString reloader;
    std::unique_ptr<DesktopShield> shield;
};

}  // namespace

TEST(DesktopShieldTest, ActivateAndDeactivateRunBothCommandsInOrder) {
    FakeTools tools;
    TwoStepShield t(tools);
    QSignalSpy activeChanged(t.shield.get(), &DesktopShield::isActiveChanged);

    EXPECT_TRUE(awaitResult(t.shield->activate()));
    EXPECT_TRUE(t.shield->isActive());
    EXPECT_TRUE(t.shield->lastError().isEmpty());
    EXPECT_TRUE(awaitResult(t.shield->deactivate()));
    EXPECT_FALSE(t.shield->isActive());
    EXPECT_EQ(activeChanged.count(), 2);

    // Showing again while already shown still runs the commands.
    EXPECT_TRUE(awaitResult(t.shield->deactivate()));
    EXPECT_EQ(activeChanged.count(), 2);
    EXPECT_EQ(
        tools.journal(),
        QStringList({QStringLiteral("write-setting hide"), QStringLiteral("reload-desktop "),
                     QStringLiteral("write-setting show"), QStringLiteral("reload-desktop "),
                     QStringLiteral("write-setting show"), QStringLiteral("reload-desktop ")}));
}

TEST(DesktopShieldTest, FailingFirstCommandStopsThePlanAndKeepsItsErrorOutputVerbatim) {
    FakeTools tools;
    TwoStepShield t(tools, "echo 'schema not writable' >&2; exit 4");

    testing::internal::CaptureStdout();
    EXPECT_FALSE(awaitResult(t.shield->activate()));
    const std::string printed = testing::internal::GetCapturedStdout();

    EXPECT_FALSE(t.shield->isActive());
    const QString expected = t.writer + QStringLiteral(" failed: schema not writable\n");
    EXPECT_EQ(t.shield->lastError(), expected);
    EXPECT_EQ(printed, ("[DesktopShield] " + expected + "\n").toStdString());
    EXPECT_EQ(tools.journal(), QStringList{QStringLiteral("write-setting hide")});
}

TEST(DesktopShieldTest, SecondCommandFailingLeavesStateButReportsIt) {
    FakeTools tools;
    TwoStepShield t(tools, "exit 0", "echo 'no desktop running' >&2; exit 1");
    EXPECT_FALSE(awaitResult(t.shield->activate()));
    EXPECT_FALSE(t.shield->isActive());
    EXPECT_EQ(t.shield->lastError(), t.reloader + QStringLiteral(" failed: no desktop running\n"));
}

TEST(DesktopShieldTest, ToolThatCannotStartIsReportedWithPathAndReason) {
    FakeTools tools;
    CommandRunner runner;
    const QString absent = tools.missing(QStringLiteral("xfconf-query"));
    DesktopShield shield(runner, fixedPlans({{absent, {}}}, {{absent, {}}}));

    testing::internal::CaptureStdout();
    EXPECT_FALSE(awaitResult(shield.activate()));
    const std::string printed = testing::internal::GetCapturedStdout();
    const QString expected = absent + QStringLiteral(": No such file or directory");
    EXPECT_EQ(shield.lastError(), expected);
    EXPECT_EQ(printed, ("[DesktopShield] " + expected + "\n").toStdString());
}

TEST(DesktopShieldTest, ExitStatusStandsInForUnreadableOrMissingErrorOutput) {
    FakeTools tools;
    CommandRunner runner;
    const QString binary = tools.add(QStringLiteral("binary"), R"(printf '\377\376' >&2; exit 3)");
    const QString silent = tools.add(QStringLiteral("silent"), "exit 7");
    DesktopShield shield(runner, fixedPlans({{binary, {}}}, {{silent, {}}}));

    EXPECT_FALSE(awaitResult(shield.activate()));
    EXPECT_EQ(shield.lastError(), binary + QStringLiteral(" failed: exit 3"));
    EXPECT_FALSE(awaitResult(shield.deactivate()));
    EXPECT_EQ(shield.lastError(), silent + QStringLiteral(" failed: exit 7"));
}

TEST(DesktopShieldTest, SuccessAfterFailureEmptiesLastError) {
    FakeTools tools;
    const QString flag = tools.dir() + QStringLiteral("/fail-once");
    TwoStepShield t(tools, "if [ ! -e '" + flag.toUtf8() + "' ]; then touch '" + flag.toUtf8() +
                               "'; echo busy >&2; exit 1; fi");
    QSignalSpy errorChanged(t.shield.get(), &DesktopShield::lastErrorChanged);

    EXPECT_FALSE(awaitResult(t.shield->activate()));
    EXPECT_FALSE(t.shield->lastError().isEmpty());
    EXPECT_TRUE(awaitResult(t.shield->activate()));
    EXPECT_TRUE(t.shield->lastError().isEmpty());
    EXPECT_TRUE(t.shield->isActive());
    EXPECT_EQ(errorChanged.count(), 2);
}

TEST(DesktopShieldTest, SetDesktopIconsHiddenKeepsLastErrorButNotActiveState) {
    FakeTools tools;
    TwoStepShield t(tools);
    EXPECT_TRUE(awaitResult(t.shield->setDesktopIconsHidden(true)));
    EXPECT_FALSE(t.shield->isActive());
    EXPECT_EQ(tools.journal().first(), QStringLiteral("write-setting hide"));
}

TEST(DesktopShieldTest, NoPlanForTheDesktopFailsNamingWhatIsMissing) {
    CommandRunner runner;
    DesktopShield shield(runner,
                         [](bool) { return PlanChoice::none(QStringLiteral("no tool X")); });
    testing::internal::CaptureStdout();
    EXPECT_FALSE(awaitResult(shield.activate()));
    testing::internal::GetCapturedStdout();
    EXPECT_FALSE(shield.isActive());
    EXPECT_EQ(shield.lastError(),
              QStringLiteral("No supported desktop found for hiding icons: no tool X"));
}

TEST(DesktopShieldTest, CallerIsNotBlockedWhileTheToolRuns) {
    FakeTools tools;
    const QByteArray go = QFile::encodeName(tools.dir() + QStringLiteral("/go"));
    TwoStepShield t(tools, "while [ ! -e '" + go + "' ]; do sleep 0.02; done");
    QSignalSpy busyChanged(t.shield.get(), &DesktopShield::isBusyChanged);

    QFuture<bool> activation = t.shield->activate();
    // The tool cannot finish before the file exists, so reaching this line proves activate()
    // returned while it was still running.
    EXPECT_FALSE(activation.isFinished());
    EXPECT_TRUE(t.shield->isBusy());
    EXPECT_FALSE(t.shield->isActive());

    QFile(QFile::decodeName(go)).open(QIODevice::WriteOnly);
    EXPECT_TRUE(awaitResult(activation));
    EXPECT_TRUE(t.shield->isActive());
    EXPECT_FALSE(t.shield->isBusy());
    EXPECT_EQ(busyChanged.count(), 2);
}

TEST(DesktopShieldTest, QueuedOperationsRunInTheOrderAsked) {
    FakeTools tools;
    TwoStepShield t(tools, "sleep 0.1");
    QFuture<bool> on = t.shield->activate();
    QFuture<bool> off = t.shield->deactivate();
    EXPECT_TRUE(awaitResult(off));
    EXPECT_TRUE(on.isFinished());
    EXPECT_FALSE(t.shield->isActive());
    EXPECT_EQ(
        tools.journal().filter(QStringLiteral("write-setting")),
        QStringList({QStringLiteral("write-setting hide"), QStringLiteral("write-setting show")}));
}

TEST(DesktopShieldTest, DestructionWhileActiveShowsTheIconsAgain) {
    FakeTools tools;
    {
        TwoStepShield t(tools);
        ASSERT_TRUE(awaitResult(t.shield->activate()));
    }
    EXPECT_EQ(tools.journal().last(2), QStringList({QStringLiteral("write-setting show"),
                                                    QStringLiteral("reload-desktop ")}));
}

TEST(DesktopShieldTest, DestructionRightAfterActivateStillRestores) {
    FakeTools tools;
    {
        TwoStepShield t(tools, "sleep 0.2");
        t.shield->activate();  // its outcome is not applied yet when the shield goes away
    }
    EXPECT_EQ(
        tools.journal().filter(QStringLiteral("write-setting")),
        QStringList({QStringLiteral("write-setting hide"), QStringLiteral("write-setting show")}));
}

TEST(DesktopShieldTest, DestructionWhileInactiveRunsNothing) {
    FakeTools tools;
    {
        TwoStepShield t(tools);
        ASSERT_TRUE(awaitResult(t.shield->activate()));
        ASSERT_TRUE(awaitResult(t.shield->deactivate()));
    }
    EXPECT_EQ(tools.journal().size(), 4);
}

TEST(DesktopShieldTest, DeactivateNowCatchesUpWithAQueuedActivationBeforeRestoring) {
    FakeTools tools;
    TwoStepShield t(tools, "sleep 0.2");
    QFuture<bool> activation = t.shield->activate();

    EXPECT_TRUE(t.shield->deactivateNow());
    EXPECT_TRUE(activation.isFinished());
    EXPECT_TRUE(activation.result());
    EXPECT_FALSE(t.shield->isActive());
    EXPECT_EQ(
        tools.journal().filter(QStringLiteral("write-setting")),
        QStringList({QStringLiteral("write-setting hide"), QStringLiteral("write-setting show")}));

    // The activation's own delivery, still queued in the event loop, must not switch it back on.
    QCoreApplication::processEvents();
    EXPECT_FALSE(t.shield->isActive());
}
