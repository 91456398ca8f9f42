// The camera set-up window over its controller and the real services, clicked offscreen.

#include "QmlHost.h"
#include "capture/publisher/camera/PipeWireInstruction.h"
#include "controllers/BroadcastTestbed.h"

#include "support/QtPrinters.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace broadcast_testbed;

namespace {

QVariantMap props(Testbed& bed) {
    return {{QStringLiteral("controller"), QVariant::fromValue<QObject*>(&bed.setup)}};
}

}  // namespace

// The step states themselves are the controller's (CameraSetupControllerTest); here each one
// reaches its own part of the view.
TEST(CameraSetupViewTest, EachStepStateShowsItsOwnContent) {
    struct Case {
        const char* name;
        const char* platform;
        bool captureAllowed;
        bool pressedGrant;
        Kind installer;
        std::vector<const char*> visible;
        std::vector<const char*> hidden;
        const char* footer;
    };
    const Case cases[] = {
        {"grant pressed",
         "xcb",
         false,
         true,
         Kind::idle,
         {"step1Instruction", "quitReopenButton"},
         {"grantButton", "step1Done", "unavailableReason"},
         "Close"},
        // A native Wayland client cannot capture: the reason is all the first step can give.
        {"no capture as a Wayland client",
         "wayland",
         false,
         false,
         Kind::idle,
         {"unavailableReason"},
         {"step1Done"},
         "Close"},
        {"needs approval",
         "xcb",
         true,
         false,
         Kind::needsApproval,
         {"approvalInstruction", "tryAgainButton"},
         {"step2Done"},
         "Close"},
        {"all set",
         "xcb",
         true,
         false,
         Kind::active,
         {"step2Done", "banner"},
         {"tryAgainButton", "enableButton"},
         "Done"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QmlHost host({520, 660});
        Testbed bed(host.shell(), c.platform);
        bed.captureAllowed = c.captureAllowed;
        ASSERT_TRUE(host.loadView(QStringLiteral("CameraSetupView"), props(bed)));
        bed.setup.opened();
        if (c.pressedGrant) {
            host.click(host.find(QStringLiteral("grantButton")));
        }
        bed.driveInstaller(c.installer);
        for (const char* name : c.visible) {
            EXPECT_TRUE(host.shown(name)) << name;
        }
        for (const char* name : c.hidden) {
            EXPECT_FALSE(host.shown(name)) << name;
        }
        EXPECT_EQ(host.text("footerButton"), QString::fromLatin1(c.footer));
        if (c.installer == Kind::idle) {
            EXPECT_EQ(host.find(QStringLiteral("enableButton"))->isEnabled(), c.captureAllowed);
        }
        if (QByteArray(c.platform) == "wayland") {
            EXPECT_EQ(host.text("unavailableReason"),
                      QString::fromLatin1(ScreenCaptureAccess::kUnavailableReason));
        }
    }
}

TEST(CameraSetupViewTest, ButtonsActThroughTheShellInOrder) {
    QmlHost host({520, 660});
    Testbed bed(host.shell());
    bed.captureAllowed = false;
    ASSERT_TRUE(host.loadView(QStringLiteral("CameraSetupView"), props(bed)));
    bed.setup.opened();
    // The next launch resumes the set-up from the store, so it must be written before relaunching.
    bool storedAtRelaunch = false;
    host.shell().onRelaunch = [&] {
        storedAtRelaunch = CameraSetupPreferences(bed.defaults).resumeCameraSetup();
    };
    host.click(host.find(QStringLiteral("grantButton")));
    host.click(host.find(QStringLiteral("openSettingsButton")));
    EXPECT_FALSE(bed.preferences.resumeCameraSetup());
    host.click(host.find(QStringLiteral("quitReopenButton")));
    EXPECT_TRUE(storedAtRelaunch);
    EXPECT_EQ(host.shell().calls,
              (QStringList{QStringLiteral("settings privacy"), QStringLiteral("relaunch")}));

    // Capture granted meanwhile: the re-check enables the second step, which asks for the
    // extension.
    bed.captureAllowed = true;
    bed.timer->fire();
    host.click(host.find(QStringLiteral("enableButton")));
    EXPECT_EQ(bed.activator.submissions, 1);

    QSignalSpy dismissed(&bed.setup, &CameraSetupController::dismissRequested);
    host.click(host.find(QStringLiteral("footerButton")));
    EXPECT_EQ(dismissed.count(), 1);
    QTest::keyClick(&host.window(), Qt::Key_Return);
    EXPECT_EQ(dismissed.count(), 2);
}
