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

bool shown(QmlHost& host, const char* name) {
    QQuickItem* item = host.find(QString::fromLatin1(name));
    EXPECT_NE(item, nullptr) << name;
    return item && item->isVisible();
}

}  // namespace

// The step states themselves are the controller's (CameraSetupControllerTest); here each one
// reaches its own part of the view.
TEST(CameraSetupViewTest, EachStepStateShowsItsOwnContent) {
    struct Case {
        const char* name;
        bool captureAllowed;
        bool pressedGrant;
        Kind installer;
        std::vector<const char*> visible;
        std::vector<const char*> hidden;
        const char* footer;
    };
    const Case cases[] = {
        {"nothing done",
         false,
         false,
         Kind::idle,
         {"grantButton", "finishStep1"},
         {"step1Instruction", "step1Done", "requesting", "banner"},
         "Close"},
        {"grant pressed",
         false,
         true,
         Kind::idle,
         {"step1Instruction", "quitReopenButton"},
         {"grantButton", "step1Done"},
         "Close"},
        {"capture allowed",
         true,
         false,
         Kind::idle,
         {"step1Done", "enableButton"},
         {"finishStep1", "grantButton"},
         "Close"},
        {"requesting",
         true,
         false,
         Kind::requesting,
         {"step1Done", "requesting"},
         {"enableButton", "tryAgainButton"},
         "Close"},
        {"needs approval",
         true,
         false,
         Kind::needsApproval,
         {"approvalInstruction", "tryAgainButton"},
         {"step2Done"},
         "Close"},
        {"all set",
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
        Testbed bed(host.shell());
        bed.captureAllowed = c.captureAllowed;
        ASSERT_TRUE(host.loadView(QStringLiteral("CameraSetupView"), props(bed)));
        bed.setup.opened();
        if (c.pressedGrant) {
            host.click(host.find(QStringLiteral("grantButton")));
        }
        bed.driveInstaller(c.installer);
        for (const char* name : c.visible) {
            EXPECT_TRUE(shown(host, name)) << name;
        }
        for (const char* name : c.hidden) {
            EXPECT_FALSE(shown(host, name)) << name;
        }
        EXPECT_EQ(host.find(QStringLiteral("footerButton"))->property("text").toString(),
                  QString::fromLatin1(c.footer));
        if (c.installer == Kind::idle) {
            EXPECT_EQ(host.find(QStringLiteral("enableButton"))->isEnabled(), c.captureAllowed);
        }
    }
}

TEST(CameraSetupViewTest, NeedsApprovalShowsTheInstallersInstructionTranslated) {
    QmlHost host({520, 660});
    Testbed bed(host.shell());
    ASSERT_TRUE(host.loadView(QStringLiteral("CameraSetupView"), props(bed)));
    host.localization().setLanguage(AppLanguage::french);
    bed.installer.activateExtension();
    bed.activator.delegate->requestNeedsUserApproval(
        QString::fromUtf16(kPipeWireNotRunningInstruction));
    const QString shownText =
        host.find(QStringLiteral("approvalInstruction"))->property("text").toString();
    EXPECT_TRUE(shownText.startsWith(QStringLiteral("PipeWire ne tourne pas")))
        << shownText.toStdString();
}

TEST(CameraSetupViewTest, WithoutCaptureTheSessionsReasonIsShown) {
    QmlHost host({520, 660});
    Testbed bed(host.shell(), "wayland");
    bed.captureAllowed = false;
    ASSERT_TRUE(host.loadView(QStringLiteral("CameraSetupView"), props(bed)));
    bed.setup.opened();
    ASSERT_TRUE(shown(host, "unavailableReason"));
    EXPECT_EQ(host.find(QStringLiteral("unavailableReason"))->property("text").toString(),
              QString::fromLatin1(ScreenCaptureAccess::kUnavailableReason));
}

TEST(CameraSetupViewTest, ButtonsActThroughTheShellInOrder) {
    QmlHost host({520, 660});
    Testbed bed(host.shell());
    bed.captureAllowed = false;
    ASSERT_TRUE(host.loadView(QStringLiteral("CameraSetupView"), props(bed)));
    bed.setup.opened();
    host.click(host.find(QStringLiteral("grantButton")));
    host.click(host.find(QStringLiteral("openSettingsButton")));
    EXPECT_FALSE(bed.preferences.resumeCameraSetup());
    host.click(host.find(QStringLiteral("quitReopenButton")));
    EXPECT_TRUE(bed.preferences.resumeCameraSetup());
    EXPECT_EQ(host.shell().calls,
              (QStringList{QStringLiteral("settings privacy"), QStringLiteral("relaunch")}));

    QSignalSpy dismissed(&bed.setup, &CameraSetupController::dismissRequested);
    host.click(host.find(QStringLiteral("footerButton")));
    EXPECT_EQ(dismissed.count(), 1);
    QTest::keyClick(&host.window(), Qt::Key_Return);
    EXPECT_EQ(dismissed.count(), 2);
}
