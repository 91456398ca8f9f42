// The controller's states on the offscreen platform; drawing and input under a real X server are
// in OverlayX11Test.

#include "ocr/OCROverlayController.h"
#include "ocr/OverlayView.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

QList<SensitiveRegion> oneRegion(QRectF bounds) {
    return {SensitiveRegion{QUuid::createUuid(), bounds, SensitiveDataKind::email,
                            QStringLiteral("a@b.co")}};
}

TEST(OCROverlayControllerTest, TwoShowsKeepOneWindowAndReplaceItsRectangles) {
    OCROverlayController overlay;
    QSignalSpy showing(&overlay, &OCROverlayController::isShowingChanged);
    QSignalSpy windowChanged(&overlay, &OCROverlayController::windowChanged);
    EXPECT_FALSE(overlay.isShowing());
    EXPECT_EQ(overlay.window(), nullptr);

    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    overlay.show(oneRegion({0, 0, 100, 50}), screen.width(), screen.height(), 0.4);
    ASSERT_NE(overlay.window(), nullptr);
    QPointer<QWidget> window = overlay.window();
    EXPECT_TRUE(overlay.isShowing());
    EXPECT_TRUE(overlay.windowId().has_value());
    EXPECT_EQ(overlay.window()->geometry(), QGuiApplication::primaryScreen()->geometry());
    ASSERT_NE(overlay.contentView(), nullptr);
    EXPECT_EQ(overlay.contentView()->rects(), QList<QRectF>{QRectF(-4, -2, 108, 54)});

    overlay.show(oneRegion({10, 10, 20, 20}) + oneRegion({10, 10, 20, 20}), screen.width(),
                 screen.height(), 0.8);
    EXPECT_EQ(overlay.window(), window.data());
    EXPECT_EQ(overlay.contentView()->rects().size(), 2);
    EXPECT_DOUBLE_EQ(overlay.contentView()->maskOpacity(), 0.8);
    EXPECT_EQ(showing.count(), 1);
    EXPECT_EQ(windowChanged.count(), 1);

    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowTransparentForInput));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST(OCROverlayControllerTest, HideReleasesTheWindowAndTheNextShowCreatesANewOne) {
    OCROverlayController overlay;
    overlay.show(oneRegion({0, 0, 10, 10}), 100, 100, 0.4);
    QPointer<QWidget> first = overlay.window();
    ASSERT_FALSE(first.isNull());
    QSignalSpy windowChanged(&overlay, &OCROverlayController::windowChanged);

    overlay.hide();
    EXPECT_TRUE(first.isNull()) << "the hidden window is released";
    EXPECT_FALSE(overlay.isShowing());
    EXPECT_FALSE(overlay.windowId().has_value());
    overlay.hide();
    EXPECT_FALSE(overlay.isShowing());

    overlay.show({}, 100, 100, 0.4);
    ASSERT_NE(overlay.window(), nullptr);
    EXPECT_TRUE(overlay.isShowing());
    EXPECT_TRUE(overlay.contentView()->rects().isEmpty());
    EXPECT_EQ(windowChanged.count(), 2);
}

}  // namespace
