#include "BroadcastTestbed.h"

#include "support/QtPrinters.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace broadcast_testbed;

namespace {

// Records the shell's actions together with the resume preference as it was at each call.
class OrderRecordingShell final : public ShellActions {
public:
    void openWindow(const QString& id) override { calls << QStringLiteral("open ") + id; }
    void openUrl(const QUrl&) override {}
    void bringToFront() override {}
    void quit() override { calls << QStringLiteral("quit"); }
    void relaunch() override {
        calls << (preferences && preferences->resumeCameraSetup()
                      ? QStringLiteral("relaunch with resume stored")
                      : QStringLiteral("relaunch without resume"));
    }
    void openDesktopSettings(const QString& pane) override {
        calls << QStringLiteral("settings ") + pane;
    }
    QStringList calls;
    CameraSetupPreferences* preferences = nullptr;
};

}  // namespace

TEST(CameraSetupControllerTest, StepStatesFollowTheCaptureCheckThePressAndTheInstaller) {
    struct Case {
        bool captureAllowed;
        bool pressedGrant;
        Kind installer;
        const char* step1;
        const char* step2;
        bool allSet;
    };
    const Case cases[] = {
        {true, false, Kind::idle, "done", "pending", false},
        {false, false, Kind::idle, "pending", "pending", false},
        {false, true, Kind::idle, "actionNeeded", "pending", false},
        {true, true, Kind::requesting, "done", "working", false},
        {true, false, Kind::needsApproval, "done", "actionNeeded", false},
        {true, false, Kind::failed, "done", "actionNeeded", false},
        {true, false, Kind::active, "done", "done", true},
        {false, true, Kind::active, "actionNeeded", "done", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.step1) + " / " + c.step2);
        OrderRecordingShell shell;
        Testbed bed(shell);
        bed.captureAllowed = c.captureAllowed;
        bed.setup.opened();
        if (c.pressedGrant) {
            bed.setup.grantScreenRecording();
        }
        bed.driveInstaller(c.installer);
        EXPECT_EQ(bed.setup.step1State(), QString::fromLatin1(c.step1));
        EXPECT_EQ(bed.setup.step2State(), QString::fromLatin1(c.step2));
        EXPECT_EQ(bed.setup.allSet(), c.allSet);
        EXPECT_EQ(bed.setup.approvalInstruction().isEmpty(), c.installer != Kind::needsApproval);
    }
}

TEST(CameraSetupControllerTest, RecheckWhileShownPicksUpAGrantedCaptureAndStopsWhenClosed) {
    OrderRecordingShell shell;
    Testbed bed(shell);
    bed.captureAllowed = false;
    bed.setup.opened();
    ASSERT_EQ(bed.setup.step1State(), QStringLiteral("pending"));
    ASSERT_TRUE(bed.timer->pending());
    EXPECT_EQ(bed.timer->lastDelay, std::chrono::milliseconds(1200));

    QSignalSpy steps(&bed.setup, &CameraSetupController::stepsChanged);
    bed.timer->fire();  // nothing changed yet: no notification, and the next re-check is due
    EXPECT_EQ(steps.count(), 0);
    ASSERT_TRUE(bed.timer->pending());

    bed.captureAllowed = true;
    bed.timer->fire();
    EXPECT_EQ(bed.setup.step1State(), QStringLiteral("done"));
    EXPECT_EQ(steps.count(), 1);

    bed.setup.closed();
    EXPECT_FALSE(bed.timer->pending());
}

TEST(CameraSetupControllerTest, EveryOpeningForgetsTheEarlierGrantPress) {
    OrderRecordingShell shell;
    Testbed bed(shell);
    bed.captureAllowed = false;
    bed.setup.opened();
    bed.setup.grantScreenRecording();
    ASSERT_EQ(bed.setup.step1State(), QStringLiteral("actionNeeded"));
    bed.setup.closed();
    bed.setup.opened();
    EXPECT_FALSE(bed.setup.didRequestScreenRecording());
    EXPECT_EQ(bed.setup.step1State(), QStringLiteral("pending"));
}

TEST(CameraSetupControllerTest, QuitAndReopenStoresTheResumeKeyBeforeRelaunching) {
    OrderRecordingShell shell;
    Testbed bed(shell);
    shell.preferences = &bed.preferences;
    bed.setup.quitAndReopen();
    EXPECT_EQ(shell.calls, QStringList{QStringLiteral("relaunch with resume stored")});
    // The next launch reads it from the store, not from this process.
    UserDefaults relaunched(bed.dir.filePath(QStringLiteral("defaults.conf")));
    CameraSetupPreferences next(relaunched);
    EXPECT_TRUE(next.takeSetupDue());
}

TEST(CameraSetupControllerTest, StepActionsReachTheInstallerAndTheDesktopSettings) {
    OrderRecordingShell shell;
    Testbed bed(shell);
    bed.setup.enableExtension();
    EXPECT_EQ(bed.activator.submissions, 1);
    EXPECT_EQ(bed.setup.installerState(), QStringLiteral("requesting"));
    bed.setup.openScreenRecordingSettings();
    EXPECT_EQ(shell.calls, QStringList{QStringLiteral("settings privacy")});
}
