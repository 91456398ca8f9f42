// The tray popover over the real services: every switch flips its feature the way the user expects,
// the update row comes and goes with the checker, and the footer reaches help and the quit path.

#include "QmlHost.h"
#include "ViewTestbed.h"

#include "capture/CaptureError.h"

#include "support/QtPrinters.h"
#include "support/StdoutCapture.h"

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

// Which outcomes show the overlay is MaskScannerTest's; here the switch reaches the scan, and a
// failed snapshot is logged with the popover's prefix.
TEST(PopoverViewMaskTest, MaskSwitchScansOnceShowsTheMaskAndLogsAFailure) {
    for (const bool fails : {false, true}) {
        SCOPED_TRACE(fails ? "failing snapshot" : "found");
        ViewTestbed bed;
        if (fails) {
            bed.backend->failContent = [] {
                throw CaptureError(QStringLiteral("cannot open display"));
            };
        }
        QmlHost host({320, 420});
        ASSERT_TRUE(host.loadView(QStringLiteral("PopoverView"), bed.popoverProperties()));
        QSignalSpy scans(&bed.scanner, &MaskScanner::scanFinished);
        StdoutCapture stdoutCapture;
        host.click(host.find(QStringLiteral("maskRowSwitch")));
        const bool finished = QTest::qWaitFor([&] { return scans.count() == 1; }, 20'000);
        const std::string printed = stdoutCapture.take();
        ASSERT_TRUE(finished);
        EXPECT_TRUE(bed.appState.isOCRMaskingActive());
        EXPECT_EQ(bed.appState.detectedSensitiveRegions().size(), fails ? 0 : 1);
        EXPECT_EQ(bed.overlay.isShowing(), !fails);
        EXPECT_EQ(printed, fails ? "[MenuBarPopover] OCR scan failed: cannot open display\n" : "");
        bed.overlay.hide();
    }
}

TEST_F(PopoverViewTest, UpdateRowAppearsWithANewerVersionGrowsThePanelAndOpensTheUpdateWindow) {
    QQuickItem* row = host.find(QStringLiteral("updateRow"));
    const qreal heightBefore = root->implicitHeight();

    bed.checker.check();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return bed.checker.status().kind == UpdateChecker::Status::Kind::upToDate; },
        20'000));
    EXPECT_FALSE(row->isVisible()) << "no row while the running version is the newest";

    bed.writeFeed(QStringLiteral("1.4.2"));
    bed.checker.check();
    ASSERT_TRUE(QTest::qWaitFor([&] { return row->isVisible(); }, 20'000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return root->implicitHeight() > heightBefore; }))
        << "the panel grows by the row";
    QSignalSpy dismissed(root, SIGNAL(dismissRequested()));
    host.click(row);
    EXPECT_EQ(host.shell().calls,
              (QStringList{QStringLiteral("front"), QStringLiteral("open update")}));
    EXPECT_EQ(dismissed.count(), 1);
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
