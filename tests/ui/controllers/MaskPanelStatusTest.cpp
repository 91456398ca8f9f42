// The mask panel's status line over a real scan: an outcome that arrives after the panel closed is
// not shown (the panel's own outcome is the dashboard's scan test).

#include "MaskScanTestbed.h"

#include "ui/controllers/MaskPanelStatus.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

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
