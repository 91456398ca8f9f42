#include "ocr/EnginePool.h"
#include "ocr/ScreenImageNormalizer.h"
#include "ocr/ScreenTextReader.h"
#include "ocr/TileLayout.h"

#include "TextImage.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

QFont sans() {
    return TextImage::font(QStringLiteral("DejaVu Sans"), 28);
}

QImage twoWindowScreen() {
    QImage image = TextImage::blank(1600, 700);
    TextImage::fill(image, QRect(820, 0, 780, 700), QColor(40, 44, 52));
    for (int row = 0; row < 8; ++row) {
        TextImage::draw(image, QStringLiteral("Left line %1 of notes").arg(row),
                        QPoint(30, 20 + row * 80), sans());
        TextImage::draw(image, QStringLiteral("Right line %1 in the dark").arg(row),
                        QPoint(860, 20 + row * 80), sans(), QColor(230, 230, 230));
    }
    return image;
}

int inkPixels(const QImage& normalized, const QRect& area) {
    int ink = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const uchar* line = normalized.constScanLine(y);
        ink += static_cast<int>(std::count(line + area.left(), line + area.right() + 1, 0));
    }
    return ink;
}

TEST(ScreenImageNormalizerTest, LightAndDarkWindowsBothBecomeSparseBlackInkOnWhite) {
    const QImage normalized = ScreenImageNormalizer::normalize(twoWindowScreen());
    ASSERT_EQ(normalized.format(), QImage::Format_Grayscale8);
    const QRect left(0, 0, 800, 700);
    const QRect right(840, 0, 760, 700);
    // Text is a small share of each window; a dark ground left as ink would be most of it.
    for (const QRect& area : {left, right}) {
        const int ink = inkPixels(normalized, area);
        EXPECT_GT(ink, area.width() * area.height() / 100);
        EXPECT_LT(ink, area.width() * area.height() / 4);
    }
    EXPECT_TRUE(ScreenImageNormalizer::normalize(QImage()).isNull());
}

TEST(TileLayoutTest, SideBySideWindowsGiveSeparateTilesAndEveryRowIsKeptOnce) {
    const QImage normalized = ScreenImageNormalizer::normalize(twoWindowScreen());
    const QList<Tile> tiles = TileLayout::tiles(normalized);
    ASSERT_FALSE(tiles.isEmpty());
    bool anyLeft = false;
    bool anyRight = false;
    for (const Tile& tile : tiles) {
        EXPECT_TRUE(tile.area.right() < 820 || tile.area.left() >= 800)
            << "a tile spans both windows";
        anyLeft |= tile.area.right() < 820;
        anyRight |= tile.area.left() >= 800;
        EXPECT_LE(tile.keepTop, tile.keepBottom);
    }
    EXPECT_TRUE(anyLeft && anyRight);
}

TEST(TileLayoutTest, CutsThroughInkOverlapSoThatEachLineBelongsToOneBand) {
    // Ink on every row: no clean cut exists, so bands must overlap.
    QImage normalized(400, 1000, QImage::Format_Grayscale8);
    normalized.fill(255);
    for (int y = 0; y < normalized.height(); ++y) {
        normalized.scanLine(y)[100] = 0;
    }
    const QList<Tile> tiles = TileLayout::tiles(normalized);
    ASSERT_GT(tiles.size(), 1);
    int expectedTop = 0;
    for (const Tile& tile : tiles) {
        EXPECT_EQ(tile.keepTop, expectedTop) << "keep ranges must tile the image without gaps";
        EXPECT_LE(tile.area.top(), std::max(0, tile.keepTop - TileLayout::kCutOverlap));
        expectedTop = tile.keepBottom;
    }
    EXPECT_EQ(expectedTop, 1000);
    QImage blankImage(300, 300, QImage::Format_Grayscale8);
    blankImage.fill(255);
    EXPECT_TRUE(TileLayout::tiles(blankImage).isEmpty());
}

TEST(ScreenTextReaderTest, UnchangedTilesAreReusedAndAChangeIsReadAgainWithTheSameResult) {
    ScreenTextReader reader(EnginePool::shared());
    QImage screen = twoWindowScreen();
    const RecognitionOutcome first = reader.read(screen);
    ASSERT_FALSE(first.failed()) << first.error.toStdString();
    ASSERT_GE(first.lines.size(), 12);
    const int tiles = reader.lastCounts().recognised;
    EXPECT_EQ(reader.lastCounts().reused, 0);

    const RecognitionOutcome again = reader.read(screen);
    EXPECT_EQ(reader.lastCounts().recognised, 0);
    EXPECT_EQ(reader.lastCounts().reused, tiles);
    EXPECT_EQ(again.lines, first.lines);

    // One line of the left window changes: only its tile is read again.
    TextImage::fill(screen, QRect(20, 260, 700, 60), Qt::white);
    TextImage::draw(screen, QStringLiteral("mail me at kim@example.org"), QPoint(30, 260), sans());
    const RecognitionOutcome changed = reader.read(screen);
    EXPECT_GE(reader.lastCounts().recognised, 1);
    EXPECT_LT(reader.lastCounts().recognised, tiles);

    ScreenTextReader fresh(EnginePool::shared());
    EXPECT_EQ(changed.lines, fresh.read(screen).lines);
    const bool found = std::any_of(changed.lines.begin(), changed.lines.end(), [](auto& line) {
        return line.text.contains(QStringLiteral("kim@example.org"));
    });
    EXPECT_TRUE(found);
}

}  // namespace
