#include "BroadcastTestbed.h"
#include "RecordingShell.h"

#include "support/QtPrinters.h"

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
