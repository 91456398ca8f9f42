// Where the masks go and how opaque they are; drawing, reuse of the window and input under a real
// X server are in OverlayX11Test.

#include "ocr/OverlayGeometry.h"

#include <gtest/gtest.h>

namespace {

SensitiveRegion region(QRectF bounds) {
    return SensitiveRegion{QUuid::createUuid(), bounds, SensitiveDataKind::email, {}};
}

TEST(OverlayGeometryTest, RegionsAreScaledToTheScreenGrownAndKeptInOrderWithDuplicates) {
    const QList<SensitiveRegion> regions{region({10, 10, 20, 20}), region({0, 0, 2, 2}),
                                         region({10, 10, 20, 20})};
    EXPECT_EQ(OverlayGeometry::maskRects(regions, QSizeF(100, 100), 100, 100),
              QList<QRectF>({QRectF(6, 8, 28, 24), QRectF(-4, -2, 10, 6), QRectF(6, 8, 28, 24)}));
    EXPECT_TRUE(OverlayGeometry::maskRects(regions, QSizeF(100, 100), 0, 100).isEmpty());
}

TEST(OverlayGeometryTest, OpacityIsStrengthOverFiftyClampedToThirtyPercentAndFull) {
    const struct {
        double strength;
        double opacity;
    } cases[] = {{5, 0.3}, {40, 0.8}, {80, 1.0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.strength);
        EXPECT_DOUBLE_EQ(OverlayGeometry::maskOpacity(c.strength), c.opacity);
    }
}

}  // namespace
