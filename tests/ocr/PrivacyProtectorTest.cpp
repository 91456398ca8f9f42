// Real recognition of rendered images through the whole detector: engine module, normalisation,
// tiling, patterns and the delivery of results on the GUI thread.

#include "ocr/PrivacyProtector.h"

#include "TextImage.h"
#include "support/QtPrinters.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

using TextImage::sans;

// Runs the event loop until a scan's result is delivered on this thread, or a generous minute.
QList<SensitiveRegion> awaitScan(const QFuture<QList<SensitiveRegion>>& future,
                                 bool* finished = nullptr) {
    const bool done = QTest::qWaitFor([&future] { return future.isFinished(); }, 60'000);
    if (finished != nullptr) {
        *finished = done;
    }
    return done && future.resultCount() > 0 ? future.result() : QList<SensitiveRegion>{};
}

QList<SensitiveRegion> scanned(const QImage& image) {
    PrivacyProtector detector;
    return awaitScan(detector.scan(image));
}

TEST(PrivacyProtectorTest, RegionsTakeTheirLineBoundsInImagePixelsInLineThenPatternOrder) {
    QImage image = TextImage::blank(2880, 1800);
    TextImage::draw(image, QStringLiteral("Call 555-123-4567 or write to anna.berg@example.com"),
                    QPoint(40, 80), sans());
    TextImage::draw(image, QStringLiteral("SSN 123-45-6789"), QPoint(288, 1500), sans(34));
    const QList<SensitiveRegion> regions = scanned(image);
    ASSERT_EQ(regions.size(), 3);
    EXPECT_EQ(regions[0].kind, SensitiveDataKind::email);
    EXPECT_EQ(regions[0].text, QStringLiteral("anna.berg@example.com"));
    EXPECT_EQ(regions[1].kind, SensitiveDataKind::phoneNumber);
    EXPECT_EQ(regions[1].text, QStringLiteral("555-123-4567"));
    EXPECT_EQ(regions[0].bounds, regions[1].bounds);
    EXPECT_NE(regions[0].id, regions[1].id);
    // The box is the whole line, from "Call" to the end of the address.
    EXPECT_NEAR(regions[0].bounds.left(), 40, 8);
    EXPECT_GT(regions[0].bounds.width(), 600);
    // Top-left origin: the lower line lies low in the image.
    EXPECT_EQ(regions[2].kind, SensitiveDataKind::ssn);
    const QRectF b = regions[2].bounds;
    EXPECT_NEAR(b.left(), 288, 8);
    EXPECT_GT(b.top(), 1495);
    EXPECT_LT(b.bottom(), 1550);
    EXPECT_GT(b.height(), 20);
}

TEST(PrivacyProtectorTest, NoTextAndRecognitionFailureGiveAnEmptyListAndScanningEnds) {
    for (const QImage& image : {TextImage::blank(800, 600), QImage()}) {
        SCOPED_TRACE(image.isNull() ? "failed recognition" : "no text");
        PrivacyProtector detector;
        QSignalSpy changed(&detector, &PrivacyProtector::isScanningChanged);
        const QFuture<QList<SensitiveRegion>> future = detector.scan(image);
        EXPECT_TRUE(detector.isScanning());
        bool finished = false;
        EXPECT_TRUE(awaitScan(future, &finished).isEmpty());
        EXPECT_TRUE(finished);
        EXPECT_FALSE(detector.isScanning());
        EXPECT_EQ(changed.count(), 2);
        EXPECT_TRUE(detector.detectedRegions().isEmpty());
    }
}

TEST(PrivacyProtectorTest, OverlappingScansEachGetTheirOwnResultAndScanningLastsUntilBoth) {
    QImage first = TextImage::blank(900, 160);
    TextImage::draw(first, QStringLiteral("mail a.one@example.com"), QPoint(30, 50), sans());
    QImage second = TextImage::blank(900, 160);
    TextImage::draw(second, QStringLiteral("ssn 123-45-6789"), QPoint(30, 50), sans());

    PrivacyProtector detector;
    QSignalSpy changed(&detector, &PrivacyProtector::isScanningChanged);
    const QFuture<QList<SensitiveRegion>> a = detector.scan(first);
    const QFuture<QList<SensitiveRegion>> b = detector.scan(second);
    const QList<SensitiveRegion> ra = awaitScan(a);
    EXPECT_EQ(detector.isScanning(), !b.isFinished());
    const QList<SensitiveRegion> rb = awaitScan(b);
    ASSERT_EQ(ra.size(), 1);
    ASSERT_EQ(rb.size(), 1);
    EXPECT_EQ(ra[0].kind, SensitiveDataKind::email);
    EXPECT_EQ(rb[0].kind, SensitiveDataKind::ssn);
    EXPECT_FALSE(detector.isScanning());
    EXPECT_EQ(changed.count(), 2);
}

TEST(PrivacyProtectorTest, DetectorDestroyedDuringAScanDeliversAnEmptyList) {
    QImage image = TextImage::blank(1600, 900);
    for (int row = 0; row < 12; ++row) {
        TextImage::draw(image, QStringLiteral("Row %1 reach me at row%1@example.com").arg(row),
                        QPoint(40, 30 + row * 70), sans());
    }
    auto detector = std::make_unique<PrivacyProtector>();
    const QFuture<QList<SensitiveRegion>> future = detector->scan(image);
    detector.reset();
    bool finished = false;
    EXPECT_TRUE(awaitScan(future, &finished).isEmpty());
    EXPECT_TRUE(finished);
}

}  // namespace
