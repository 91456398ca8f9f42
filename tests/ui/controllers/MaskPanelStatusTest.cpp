// The mask panel's status line over a real scan: the panel's own outcome first, and an outcome that
// arrives after the panel closed or after a newer scan started is not shown.

#include "MaskScanTestbed.h"

#include "ui/controllers/MaskPanelStatus.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

TEST(MaskPanelStatusTest, ShowsTheFoundCountUntilThePanelsOwnScanEnds) {
    MaskScanTestbed bed;
    MaskPanelStatus status(bed.scanner, bed.appState, bed.privacyProtector);
    bed.appState.setDetectedSensitiveRegions(
        {MaskScanTestbed::someRegion(), MaskScanTestbed::someRegion()});
    EXPECT_EQ(status.line(), QStringLiteral("found"));
    EXPECT_EQ(status.count(), 2);

    QSignalSpy scans(&bed.scanner, &MaskScanner::scanFinished);
    status.scanNow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return scans.count() == 1; }, 20'000));
    QCoreApplication::processEvents();
    EXPECT_EQ(status.line(), QStringLiteral("masking"));
    EXPECT_EQ(status.count(), 1);
}

TEST(MaskPanelStatusTest, AnOutcomeArrivingAfterThePanelClosedIsNotShown) {
    MaskScanTestbed bed;
    MaskPanelStatus status(bed.scanner, bed.appState, bed.privacyProtector);
    QSignalSpy scans(&bed.scanner, &MaskScanner::scanFinished);
    status.setMask(true);
    EXPECT_TRUE(bed.appState.isOCRMaskingActive());
    status.clear();
    ASSERT_TRUE(QTest::qWaitFor([&] { return scans.count() == 1; }, 20'000));
    QCoreApplication::processEvents();
    EXPECT_EQ(status.line(), QStringLiteral("found")) << "the closed panel's scan wrote the line";
    EXPECT_EQ(status.count(), 1) << "its regions are still applied";
    EXPECT_TRUE(bed.overlay.isShowing());
    status.setMask(false);
    EXPECT_FALSE(bed.overlay.isShowing());
    EXPECT_EQ(status.count(), 0);
}
