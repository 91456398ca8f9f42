#include "shields/DesktopShield.h"

#include "FakeTools.h"
#include "ShieldTestSupport.h"
#include "core/CommandRunner.h"

#include <QSignalSpy>

#include "support/StdoutCapture.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// Two-step plans like the desktops': write the setting, then make the desktop pick it up.
struct TwoStepShield {
    explicit TwoStepShield(const FakeTools& tools, const QByteArray& writeBody = "exit 0",
                           const QByteArray& reloadBody = "exit 0") {
        writer = tools.add(QStringLiteral("write"), writeBody);
        reloader = tools.add(QStringLiteral("reload"), reloadBody);
        shield = std::make_unique<DesktopShield>(
            runner, fixedPlans({{writer, {QStringLiteral("hide")}}, {reloader, {}}},
                               {{writer, {QStringLiteral("show")}}, {reloader, {}}}));
    }

    CommandRunner runner;
    QString writer;
    QString reloader;
    std::unique_ptr<DesktopShield> shield;
};

const QStringList kHideThenShow{QStringLiteral("write hide"), QStringLiteral("reload "),
                                QStringLiteral("write show"), QStringLiteral("reload ")};

}  // namespace

TEST(DesktopShieldTest, CommandsRunInOrderAndOnlySuccessesMoveTheState) {
    FakeTools tools;
    TwoStepShield t(tools);
    QSignalSpy activeChanged(t.shield.get(), &DesktopShield::isActiveChanged);

    EXPECT_TRUE(awaitResult(t.shield->setDesktopIconsHidden(true)));
    EXPECT_FALSE(t.shield->isActive()) << "the shared step leaves isActive alone";
    EXPECT_TRUE(awaitResult(t.shield->activate()));
    EXPECT_TRUE(t.shield->isActive());
    EXPECT_TRUE(awaitResult(t.shield->deactivate()));
    EXPECT_TRUE(awaitResult(t.shield->deactivate())) << "showing while shown still runs";
    EXPECT_FALSE(t.shield->isActive());
    EXPECT_EQ(activeChanged.count(), 2);
    t.shield.reset();  // destroyed while shown: nothing more to restore
    EXPECT_EQ(tools.journal(),
              QStringList(kHideThenShow.mid(0, 2)) + kHideThenShow + kHideThenShow.mid(2));
}

TEST(DesktopShieldTest, FailingCommandStopsThePlanWithPathAndVerbatimErrorOutputUntilItSucceeds) {
    FakeTools tools;
    const QByteArray flag = QFile::encodeName(tools.dir() + QStringLiteral("/failed-once"));
    TwoStepShield t(tools, "[ -e '" + flag + "' ] || { touch '" + flag +
                               "'; echo 'schema not writable' >&2; exit 4; }");

    StdoutCapture stdoutCapture;  // keeps the failure's log line out of the test output
    EXPECT_FALSE(awaitResult(t.shield->activate()));
    stdoutCapture.take();

    EXPECT_FALSE(t.shield->isActive());
    EXPECT_EQ(t.shield->lastError(), t.writer + QStringLiteral(" failed: schema not writable\n"))
        << "the trailing line break stays";
    EXPECT_EQ(tools.journal(), QStringList{QStringLiteral("write hide")}) << "reload never ran";

    EXPECT_TRUE(awaitResult(t.shield->activate()));
    EXPECT_TRUE(t.shield->lastError().isEmpty());
    EXPECT_TRUE(t.shield->isActive());
}

TEST(DesktopShieldTest, FailureTextsNameTheToolAndNeverComeOutEmpty) {
    FakeTools tools;
    CommandRunner runner;
    const QString absent = tools.dir() + QStringLiteral("/xfconf-query");
    const QString binary = tools.add(QStringLiteral("binary"), R"(printf '\377\376' >&2; exit 3)");
    const QString silent = tools.add(QStringLiteral("silent"), "exit 7");
    const struct {
        PlanChoice plan;
        QString expected;
    } cases[] = {
        {PlanChoice::of({{}, {{absent, {}}}}),
         absent + QStringLiteral(": No such file or directory")},
        {PlanChoice::of({{}, {{binary, {}}}}), binary + QStringLiteral(" failed: exit 3")},
        {PlanChoice::of({{}, {{silent, {}}}}), silent + QStringLiteral(" failed: exit 7")},
        {PlanChoice::none(QStringLiteral("no tool X")),
         QStringLiteral("No supported desktop found for hiding icons: no tool X")},
    };
    StdoutCapture stdoutCapture;
    for (const auto& c : cases) {
        DesktopShield shield(runner, [&c](bool) { return c.plan; });
        EXPECT_FALSE(awaitResult(shield.activate()));
        EXPECT_EQ(shield.lastError(), c.expected);
    }
    stdoutCapture.take();
}

TEST(DesktopShieldTest, CallerIsNotBlockedWhileTheToolRuns) {
    FakeTools tools;
    const QByteArray go = QFile::encodeName(tools.dir() + QStringLiteral("/go"));
    TwoStepShield t(tools, "while [ ! -e '" + go + "' ]; do sleep 0.02; done");

    QFuture<bool> activation = t.shield->activate();
    // The tool cannot finish before the file exists, so reaching this line proves activate()
    // returned while it was still running.
    EXPECT_FALSE(activation.isFinished());
    EXPECT_TRUE(t.shield->isBusy());

    QFile(QFile::decodeName(go)).open(QIODevice::WriteOnly);
    EXPECT_TRUE(awaitResult(activation));
    EXPECT_TRUE(t.shield->isActive());
    EXPECT_FALSE(t.shield->isBusy());
}

TEST(DesktopShieldTest, DestructionShowsTheIconsOnlyWhenActive) {
    FakeTools active;
    {
        TwoStepShield t(active);
        ASSERT_TRUE(awaitResult(t.shield->activate()));
    }
    EXPECT_EQ(active.journal(), kHideThenShow);

    // An activation whose outcome has not reached the GUI thread yet still counts.
    FakeTools pending;
    {
        TwoStepShield t(pending, "sleep 0.2");
        t.shield->activate();
    }
    EXPECT_EQ(pending.journal(), kHideThenShow);
}

TEST(DesktopShieldTest, DeactivateNowCatchesUpWithAQueuedActivationBeforeRestoring) {
    FakeTools tools;
    TwoStepShield t(tools, "sleep 0.2");
    QFuture<bool> activation = t.shield->activate();

    EXPECT_TRUE(t.shield->deactivateNow());
    EXPECT_TRUE(activation.isFinished() && activation.result());
    EXPECT_FALSE(t.shield->isActive());
    EXPECT_EQ(tools.journal(), kHideThenShow);

    // The activation's own delivery, still queued in the event loop, must not switch it back on.
    QCoreApplication::processEvents();
    EXPECT_FALSE(t.shield->isActive());
}
