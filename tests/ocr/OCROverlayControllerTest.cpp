// The controller's states and geometry on the offscreen platform; drawing and input under a real
// X server are in OverlayX11Test.

#include "ocr/OCROverlayController.h"
#include "ocr/OverlayGeometry.h"
#include "ocr/OverlayView.h"

#include "core/UserDefaults.h"

#include "support/TempDir.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

SensitiveRegion region(QRectF bounds) {
    return SensitiveRegion{QUuid::createUuid(), bounds, SensitiveDataKind::email, {}};
}

TEST(OverlayGeometryTest, RegionsAreScaledToTheScreenGrownAndKeptInOrderWithDuplicates) {
    EXPECT_EQ(
        OverlayGeometry::maskRects({region({288, 270, 576, 90})}, QSizeF(1440, 900), 2880, 1800),
        QList<QRectF>{QRectF(140, 133, 296, 49)});
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
    TempDir dir;
    UserDefaults defaults(dir.filePath(QStringLiteral("prefs.conf")));
    EXPECT_DOUBLE_EQ(OverlayGeometry::maskOpacity(defaults), 0.4) << "never stored";
    defaults.setValue(QStringLiteral("blurRadius"), 45.0);
    EXPECT_DOUBLE_EQ(OverlayGeometry::maskOpacity(defaults), 0.9);
}

TEST(OCROverlayControllerTest, ShowsReuseOneWindowAndHideReleasesItForANewOne) {
    OCROverlayController overlay;
    QSignalSpy showing(&overlay, &OCROverlayController::isShowingChanged);
    QSignalSpy windowChanged(&overlay, &OCROverlayController::windowChanged);
    EXPECT_FALSE(overlay.isShowing());
    EXPECT_EQ(overlay.window(), nullptr);

    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    overlay.show({region({0, 0, 100, 50})}, screen.width(), screen.height(), 0.4);
    QPointer<QWidget> window = overlay.window();
    ASSERT_FALSE(window.isNull());
    EXPECT_TRUE(overlay.isShowing());
    EXPECT_TRUE(overlay.windowId().has_value());
    EXPECT_EQ(window->geometry(), QGuiApplication::primaryScreen()->geometry());
    ASSERT_NE(overlay.contentView(), nullptr);
    EXPECT_EQ(overlay.contentView()->rects(), QList<QRectF>{QRectF(-4, -2, 108, 54)});

    overlay.show({region({10, 10, 20, 20}), region({10, 10, 20, 20})}, screen.width(),
                 screen.height(), 0.8);
    EXPECT_EQ(overlay.window(), window.data());
    EXPECT_EQ(overlay.contentView()->rects().size(), 2);
    EXPECT_DOUBLE_EQ(overlay.contentView()->maskOpacity(), 0.8);
    EXPECT_EQ(showing.count(), 1);
    EXPECT_EQ(windowChanged.count(), 1);

    overlay.hide();
    EXPECT_TRUE(window.isNull()) << "the hidden window is released";
    EXPECT_FALSE(overlay.isShowing());
    EXPECT_FALSE(overlay.windowId().has_value());
    overlay.hide();
    EXPECT_EQ(showing.count(), 2);

    overlay.show({}, 100, 100, 0.4);
    ASSERT_NE(overlay.window(), nullptr);
    EXPECT_TRUE(overlay.isShowing());
    EXPECT_TRUE(overlay.contentView()->rects().isEmpty());
    EXPECT_EQ(windowChanged.count(), 3);
}

}  // namespace
