#include "BroadcastTestbed.h"
#include "RecordingShell.h"

#include "support/QtPrinters.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace broadcast_testbed;

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
        RecordingShellActions shell;
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
    RecordingShellActions shell;
    Testbed bed(shell);
    bed.captureAllowed = false;
    bed.setup.opened();
    ASSERT_EQ(bed.setup.step1State(), QStringLiteral("pending"));
    ASSERT_TRUE(bed.timer->pending());

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
    RecordingShellActions shell;
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
