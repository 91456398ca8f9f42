// One mask scan from snapshot to overlay, through the real detector over a scripted engine, and
// the mask panel's status line over it.

#include "MaskScanTestbed.h"

#include "capture/CaptureError.h"
#include "ocr/OverlayView.h"
#include "ui/controllers/MaskPanelStatus.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using Kind = MaskScanOutcome::Kind;

TEST(MaskScannerTest, FoundRegionsAreStoredAndMaskedWithTheOpacityOfTheMaskStrength) {
    MaskScanTestbed bed;
    bed.settings.setBlurRadius(40);
    bed.appState.setOCRMaskingActive(true);
    QSignalSpy finished(&bed.scanner, &MaskScanner::scanFinished);

    const QFuture<MaskScanOutcome> scan = bed.scanner.scanOnce();
    ASSERT_TRUE(MaskScanTestbed::finishes(scan));
    const MaskScanOutcome outcome = scan.result();
    EXPECT_EQ(outcome.kind, Kind::found);
    EXPECT_GT(outcome.regionCount, 0);
    ASSERT_GT(*bed.engineReads, 0) << "the engine never saw the snapshot";
    EXPECT_EQ(bed.appState.detectedSensitiveRegions().size(), outcome.regionCount);
    EXPECT_EQ(bed.appState.detectedSensitiveRegions().first().text,
              QStringLiteral("anna.berg@example.com"));
    ASSERT_TRUE(bed.overlay.isShowing());
    ASSERT_NE(bed.overlay.contentView(), nullptr);
    EXPECT_DOUBLE_EQ(bed.overlay.contentView()->maskOpacity(), 0.8);
    ASSERT_EQ(finished.count(), 1);
    EXPECT_EQ(finished.first().first().value<MaskScanOutcome>(), outcome);
}

// A scan stores what it found and masks it only while the mask is on; a scan that could not read
// the screen leaves the stored regions and the overlay as they were, without reading anything.
TEST(MaskScannerTest, OutcomesStoreAndMaskOnlyWhatTheyFound) {
    const auto noDisplay = [](FakeCaptureBackend& b) {
        b.content.displays.clear();
    };
    const auto unreachable = [](FakeCaptureBackend& b) {
        b.failContent = [] {
            throw CaptureError(QStringLiteral("cannot open display"));
        };
    };
    struct Case {
        const char* name;
        const char* screenText;
        std::function<void(FakeCaptureBackend&)> breakServer;
        bool switchOffDuringScan;
        MaskScanOutcome expected;
        int storedRegions;
        bool overlayShown;
    };
    const Case cases[] = {
        {"nothing sensitive on the screen", "Quarterly figures", nullptr, false,
         MaskScanOutcome::foundRegions(0), 0, false},
        {"mask switched off while scanning", "anna.berg@example.com", nullptr, true,
         MaskScanOutcome::foundRegions(1), 1, false},
        // The stored region below is the earlier scan's.
        {"no display", "anna.berg@example.com", noDisplay, false, MaskScanOutcome::noImageFound(),
         1, true},
        {"server unreachable", "anna.berg@example.com", unreachable, false,
         MaskScanOutcome::failedWith(QStringLiteral("cannot open display")), 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MaskScanTestbed bed(QString::fromLatin1(c.screenText));
        if (c.breakServer) {
            c.breakServer(*bed.backend);
        }
        bed.appState.setOCRMaskingActive(true);
        bed.appState.setDetectedSensitiveRegions({MaskScanTestbed::someRegion()});
        bed.overlay.show({MaskScanTestbed::someRegion()}, 1200, 200, 0.4);
        QSignalSpy finished(&bed.scanner, &MaskScanner::scanFinished);

        const QFuture<MaskScanOutcome> scan = bed.scanner.scanOnce();
        if (c.switchOffDuringScan) {
            bed.appState.setOCRMaskingActive(false);
        }
        ASSERT_TRUE(MaskScanTestbed::finishes(scan));
        ASSERT_EQ(scan.resultCount(), 1);
        EXPECT_EQ(scan.result(), c.expected);
        ASSERT_EQ(finished.count(), 1);
        EXPECT_EQ(finished.first().first().value<MaskScanOutcome>(), c.expected);
        EXPECT_EQ(*bed.engineReads > 0, c.expected.kind == Kind::found);
        EXPECT_EQ(bed.appState.detectedSensitiveRegions().size(), c.storedRegions);
        EXPECT_EQ(bed.overlay.isShowing(), c.overlayShown);
    }
}

// The panel's own outcome is the dashboard's scan test (MainViewTest).
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
