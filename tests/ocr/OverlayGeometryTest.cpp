#include "ocr/OverlayGeometry.h"

#include "core/UserDefaults.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

SensitiveRegion region(QRectF bounds) {
    return SensitiveRegion{{}, bounds, {}, {}};
}

TEST(OverlayGeometryTest, RegionOfARetinaSizedSnapshotLandsOnTheScreenInPointsGrown) {
    const QList<QRectF> rects =
        OverlayGeometry::maskRects({region({288, 270, 576, 90})}, QSizeF(1440, 900), 2880, 1800);
    ASSERT_EQ(rects.size(), 1);
    EXPECT_EQ(rects.first(), QRectF(140, 133, 296, 49));
}

TEST(OverlayGeometryTest, OrderAndDuplicatesAreKeptAndNoImageSizeGivesNothing) {
    const QList<SensitiveRegion> regions{region({10, 10, 20, 20}), region({0, 0, 2, 2}),
                                         region({10, 10, 20, 20})};
    const QList<QRectF> rects = OverlayGeometry::maskRects(regions, QSizeF(100, 100), 100, 100);
    ASSERT_EQ(rects.size(), 3);
    EXPECT_EQ(rects[0], QRectF(6, 8, 28, 24));
    EXPECT_EQ(rects[1], QRectF(-4, -2, 10, 6));
    EXPECT_EQ(rects[2], rects[0]);
    EXPECT_TRUE(OverlayGeometry::maskRects(regions, QSizeF(100, 100), 0, 100).isEmpty());
}

TEST(OverlayGeometryTest, OpacityIsStrengthOverFiftyClampedToThirtyPercentAndFull) {
    EXPECT_DOUBLE_EQ(OverlayGeometry::maskOpacity(20), 0.4);
    EXPECT_DOUBLE_EQ(OverlayGeometry::maskOpacity(5), 0.3);
    EXPECT_DOUBLE_EQ(OverlayGeometry::maskOpacity(10), 0.3);
    EXPECT_DOUBLE_EQ(OverlayGeometry::maskOpacity(40), 0.8);
    EXPECT_DOUBLE_EQ(OverlayGeometry::maskOpacity(50), 1.0);
    EXPECT_DOUBLE_EQ(OverlayGeometry::maskOpacity(80), 1.0);
}

TEST(OverlayGeometryTest, OpacityOfAStrengthNeverStoredIsFortyPercent) {
    TempDir dir;
    UserDefaults defaults(dir.filePath(QStringLiteral("prefs.conf")));
    EXPECT_DOUBLE_EQ(OverlayGeometry::maskOpacity(defaults), 0.4);
    defaults.setValue(QStringLiteral("blurRadius"), 45.0);
    EXPECT_DOUBLE_EQ(OverlayGeometry::maskOpacity(defaults), 0.9);
}

}  // namespace
