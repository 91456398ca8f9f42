// The tray popover over the real services: every switch flips its feature the way the user expects,
// and the footer reaches help and the quit path.

#include "QmlHost.h"
#include "ViewTestbed.h"

#include "support/QtPrinters.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class PopoverViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = host.loadView(QStringLiteral("PopoverView"), bed.popoverProperties());
        ASSERT_TRUE(root);
    }
    QQuickItem* switchOf(const char* row) {
        return host.find(QString::fromLatin1(row) + QStringLiteral("Switch"));
    }

    ViewTestbed bed;
    QmlHost host{{320, 480}};
    QQuickItem* root = nullptr;
};

}  // namespace

// The desktop switch reaching its tool is VelarionX11Test's, through the real application; both
// switches share one path, so here the other one, with its tool failing.
TEST_F(PopoverViewTest, AShieldSwitchKeepsTheChoiceWhenItsToolFails) {
    bed.breakTool(QStringLiteral("dnd"));
    QQuickItem* toggle = switchOf("notificationGuardRow");
    ASSERT_NE(toggle, nullptr);
    const auto idle = [&] {
        return !bed.notificationGuard.isBusy();
    };

    host.click(toggle);
    // The flag moves at once; the tool runs on the shield's worker without blocking the view.
    EXPECT_TRUE(bed.appState.isNotificationGuardActive());
    EXPECT_TRUE(toggle->property("on").toBool());
    ASSERT_TRUE(QTest::qWaitFor(idle, 20'000));
    EXPECT_FALSE(bed.notificationGuard.isActive());
    EXPECT_FALSE(bed.notificationGuard.lastError().isEmpty());
    EXPECT_TRUE(bed.appState.isNotificationGuardActive()) << "the user's choice stays";
    EXPECT_EQ(bed.tools.journal().value(0), QStringLiteral("dnd on"));

    host.click(toggle);
    EXPECT_FALSE(bed.appState.isNotificationGuardActive());
    ASSERT_TRUE(QTest::qWaitFor(idle, 20'000));
    EXPECT_FALSE(bed.notificationGuard.isActive());
}

// Whether the installer is asked again is BroadcastControllerTest's; here the windows each
// outcome opens.
TEST_F(PopoverViewTest, BroadcastSwitchOpensSetUpUntilReadyThenGoesLiveInTheBroadcastWindow) {
    QSignalSpy dismissed(root, SIGNAL(dismissRequested()));
    QQuickItem* toggle = switchOf("broadcastRow");

    host.click(toggle);
    EXPECT_EQ(host.shell().calls, QStringList{QStringLiteral("open camera-setup")});
    EXPECT_EQ(bed.activator.submissions, 1);
    EXPECT_EQ(dismissed.count(), 1);
    EXPECT_FALSE(bed.appState.isVirtualCameraActive());

    bed.activator.delegate->requestDidFinish(ActivationRequestDelegate::Result::completed);
    ASSERT_TRUE(bed.broadcast.isReady());
    host.shell().calls.clear();
    host.click(toggle);
    EXPECT_EQ(host.shell().calls, QStringList{QStringLiteral("open broadcast")});
    EXPECT_TRUE(bed.appState.isVirtualCameraActive());
    EXPECT_TRUE(toggle->property("on").toBool());

    // Off: stopped, no window.
    host.shell().calls.clear();
    host.click(toggle);
    EXPECT_FALSE(bed.appState.isVirtualCameraActive());
    EXPECT_TRUE(host.shell().calls.isEmpty());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !bed.broadcast.isCaptureBusy(); }, 20'000));
}

// Which outcomes show the overlay is MaskScannerTest's; here the switch reaches the scan.
TEST_F(PopoverViewTest, MaskSwitchScansOnceAndShowsTheMask) {
    QSignalSpy scans(&bed.scanner, &MaskScanner::scanFinished);
    host.click(switchOf("maskRow"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return scans.count() == 1; }, 20'000));
    EXPECT_TRUE(bed.appState.isOCRMaskingActive());
    EXPECT_EQ(bed.appState.detectedSensitiveRegions().size(), 1);
    EXPECT_TRUE(bed.overlay.isShowing());
    bed.overlay.hide();
}

TEST_F(PopoverViewTest, FooterAndHeaderButtonsReachTheirWindowsAndTheQuitPath) {
    const std::pair<const char*, QStringList> cases[] = {
        {"settingsButton", {QStringLiteral("front"), QStringLiteral("open settings")}},
        {"helpButton", {QStringLiteral("open help")}},
        {"quitButton", {QStringLiteral("quit")}},
    };
    for (const auto& [button, calls] : cases) {
        SCOPED_TRACE(button);
        host.shell().calls.clear();
        host.click(host.find(QString::fromLatin1(button)));
        EXPECT_EQ(host.shell().calls, calls);
    }
}
