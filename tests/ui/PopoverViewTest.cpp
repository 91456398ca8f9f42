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

QQuickItem* switchOf(QmlHost& host, const QString& row) {
    return host.find(row + QStringLiteral("Switch"));
}

}  // namespace

TEST(PopoverViewTest, ShieldSwitchesStoreTheChoiceAndDriveTheShieldEvenWhenItFails) {
    struct Case {
        const char* row;
        const char* tool;
        bool fails;
    };
    const Case cases[] = {
        {"desktopShieldRow", "desktop", false},
        {"desktopShieldRow", "desktop", true},
        {"notificationGuardRow", "dnd", false},
        {"notificationGuardRow", "dnd", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.row) + (c.fails ? " failing" : ""));
        ViewTestbed bed;
        if (c.fails) {
            bed.breakTool(QString::fromLatin1(c.tool));
        }
        const bool desktop = QString::fromLatin1(c.tool) == QStringLiteral("desktop");
        PlanShield& shield = desktop ? static_cast<PlanShield&>(bed.desktopShield)
                                     : static_cast<PlanShield&>(bed.notificationGuard);
        const auto flag = [&] {
            return desktop ? bed.appState.isDesktopShieldActive()
                           : bed.appState.isNotificationGuardActive();
        };
        QmlHost host({320, 420});
        ASSERT_TRUE(host.loadView(QStringLiteral("PopoverView"), bed.popoverProperties()));
        QQuickItem* toggle = switchOf(host, QString::fromLatin1(c.row));
        ASSERT_NE(toggle, nullptr);

        host.click(toggle);
        // The flag moves at once; the tool runs on the shield's worker without blocking the view.
        EXPECT_TRUE(flag());
        EXPECT_TRUE(toggle->property("on").toBool());
        ASSERT_TRUE(QTest::qWaitFor([&] { return !shield.isBusy(); }, 20'000));
        EXPECT_EQ(shield.isActive(), !c.fails);
        EXPECT_EQ(shield.lastError().isEmpty(), !c.fails);
        EXPECT_TRUE(flag()) << "a failing shield keeps the user's choice";
        EXPECT_EQ(bed.tools.journal().value(0),
                  QString::fromLatin1(c.tool) +
                      (desktop ? QStringLiteral(" hide") : QStringLiteral(" on")));

        host.click(toggle);
        EXPECT_FALSE(flag());
        ASSERT_TRUE(QTest::qWaitFor([&] { return !shield.isBusy(); }, 20'000));
        EXPECT_FALSE(shield.isActive());
    }
}

TEST(PopoverViewTest, BroadcastSwitchOpensSetUpUntilReadyAndActivatesOnlyAnIdleInstaller) {
    ViewTestbed bed;
    QmlHost host({320, 420});
    QQuickItem* root = host.loadView(QStringLiteral("PopoverView"), bed.popoverProperties());
    ASSERT_TRUE(root);
    QSignalSpy dismissed(root, SIGNAL(dismissRequested()));
    QQuickItem* toggle = switchOf(host, QStringLiteral("broadcastRow"));

    // Not ready, installer idle: set-up opens and the activation is asked for once.
    host.click(toggle);
    EXPECT_EQ(host.shell().calls, QStringList{QStringLiteral("open camera-setup")});
    EXPECT_EQ(bed.activator.submissions, 1);
    EXPECT_EQ(dismissed.count(), 1);
    EXPECT_FALSE(bed.appState.isVirtualCameraActive());

    // Still not ready, the request is under way: set-up again, no second request.
    host.click(toggle);
    EXPECT_EQ(host.shell().calls.size(), 2);
    EXPECT_EQ(bed.activator.submissions, 1);

    // Ready: the broadcast window opens with the broadcast live.
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
TEST(PopoverViewTest, MaskSwitchScansOnceAndShowsTheMask) {
    ViewTestbed bed;
    QmlHost host({320, 420});
    ASSERT_TRUE(host.loadView(QStringLiteral("PopoverView"), bed.popoverProperties()));
    QSignalSpy scans(&bed.scanner, &MaskScanner::scanFinished);
    host.click(switchOf(host, QStringLiteral("maskRow")));
    EXPECT_TRUE(bed.appState.isOCRMaskingActive());
    ASSERT_TRUE(QTest::qWaitFor([&] { return scans.count() == 1; }, 20'000));
    EXPECT_EQ(bed.appState.detectedSensitiveRegions().size(), 1);
    EXPECT_TRUE(bed.overlay.isShowing());
    bed.overlay.hide();
}

TEST(PopoverViewTest, FailedSnapshotIsLoggedWithThePopoversPrefix) {
    ViewTestbed bed;
    bed.backend->failContent = [] {
        throw CaptureError(QStringLiteral("cannot open display"));
    };
    QmlHost host({320, 420});
    ASSERT_TRUE(host.loadView(QStringLiteral("PopoverView"), bed.popoverProperties()));
    QSignalSpy scans(&bed.scanner, &MaskScanner::scanFinished);
    StdoutCapture stdoutCapture;
    host.click(switchOf(host, QStringLiteral("maskRow")));
    const bool finished = QTest::qWaitFor([&] { return scans.count() == 1; }, 20'000);
    const std::string printed = stdoutCapture.take();
    ASSERT_TRUE(finished);
    EXPECT_EQ(printed, "[MenuBarPopover] OCR scan failed: cannot open display\n");
}

TEST(PopoverViewTest, UpdateRowAppearsWithANewerVersionGrowsThePanelAndOpensTheUpdateWindow) {
    ViewTestbed bed;
    QmlHost host({320, 480});
    QQuickItem* root = host.loadView(QStringLiteral("PopoverView"), bed.popoverProperties());
    ASSERT_TRUE(root);
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

TEST(PopoverViewTest, FooterAndHeaderButtonsReachTheirWindowsAndTheQuitPath) {
    struct Case {
        const char* button;
        QStringList calls;
    };
    const Case cases[] = {
        {"settingsButton", {QStringLiteral("front"), QStringLiteral("open settings")}},
        {"helpButton", {QStringLiteral("open help")}},
        {"quitButton", {QStringLiteral("quit")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        ViewTestbed bed;
        QmlHost host({320, 420});
        ASSERT_TRUE(host.loadView(QStringLiteral("PopoverView"), bed.popoverProperties()));
        host.click(host.find(QString::fromLatin1(c.button)));
        EXPECT_EQ(host.shell().calls, c.calls);
    }
}
