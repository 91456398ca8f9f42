#include "ocr/ScreenGray.h"

#include "TextImage.h"

#include <QColorSpace>

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

namespace {

// The first pixel where the two images differ, or an empty string.
std::string firstDifference(const QImage& expected, const QImage& actual) {
    if (expected.size() != actual.size() || expected.format() != actual.format() ||
        expected.colorSpace() != actual.colorSpace()) {
        return "size, format or colour space";
    }
    for (int y = 0; y < expected.height(); ++y) {
        for (int x = 0; x < expected.width(); ++x) {
            if (expected.constScanLine(y)[x] != actual.constScanLine(y)[x]) {
                return std::to_string(x) + "," + std::to_string(y) + ": " +
                       std::to_string(expected.constScanLine(y)[x]) + " expected, got " +
                       std::to_string(actual.constScanLine(y)[x]);
            }
        }
    }
    return {};
}

// Every one of the 2^24 colours, a block of 2^16 at a time (each block fits the colour table, so
// none falls back to Qt's own whole-image conversion), in runs of varying length on rows whose
// width is odd: each colour is converted by Qt at another position of its row than it takes on
// the screen, so a conversion that depended on where a pixel stands would show.
TEST(ScreenGrayTest, EveryOpaqueColourGetsQtsOwnLevel) {
    constexpr int kWidth = 331;
    for (uint32_t block = 0; block < 256; ++block) {
        QImage screen(kWidth, 65536 * 2 / kWidth + 2, QImage::Format_RGB32);
        screen.fill(QColor::fromRgb(0xff000000U | (block << 16)));
        uint32_t colour = 0;
        int run = 0;
        for (int y = 0; y < screen.height() && colour < 65536; ++y) {
            auto* pixels = reinterpret_cast<uint32_t*>(screen.scanLine(y));
            for (int x = 0; x < kWidth && colour < 65536; ++x) {
                pixels[x] = 0xff000000U | (block << 16) | colour;
                // Runs of one, two and three pixels.
                if (++run >= static_cast<int>(colour % 3) + 1) {
                    run = 0;
                    ++colour;
                }
            }
        }
        const std::string difference = firstDifference(
            screen.convertToFormat(QImage::Format_Grayscale8), ScreenGray::of(screen));
        ASSERT_TRUE(difference.empty()) << "block " << block << " at " << difference;
    }
}

TEST(ScreenGrayTest, ScreensOfEveryKindGetQtsOwnLevels) {
    QImage text = TextImage::blank(600, 120, QColor(30, 30, 30));
    // As a screenshot saved to PNG and loaded again carries it.
    text.setColorSpace(QColorSpace::SRgb);
    TextImage::draw(text, QStringLiteral("kim.lee@example.com 4111 1111 1111 1111"), QPoint(10, 30),
                    TextImage::sans(22), QColor(120, 200, 255));
    TextImage::draw(text, QStringLiteral("+1 614 926 6778"), QPoint(10, 80),
                    TextImage::font(QStringLiteral("DejaVu Serif"), 18), QColor(250, 250, 210));

    // More colours than the table holds: Qt converts the whole screen itself.
    std::mt19937 random(3);
    QImage noise(700, 500, QImage::Format_RGB32);
    for (int y = 0; y < noise.height(); ++y) {
        auto* pixels = reinterpret_cast<uint32_t*>(noise.scanLine(y));
        for (int x = 0; x < noise.width(); ++x) {
            pixels[x] = 0xff000000U | (random() & 0xffffffU);
        }
    }

    // Translucent pixels in both alpha formats.
    QImage translucent(256, 64, QImage::Format_ARGB32);
    for (int y = 0; y < translucent.height(); ++y) {
        auto* pixels = reinterpret_cast<uint32_t*>(translucent.scanLine(y));
        for (int x = 0; x < translucent.width(); ++x) {
            pixels[x] = qRgba(x, (x * 7 + y) & 0xff, 255 - x, y * 4);
        }
    }

    const struct {
        const char* name;
        QImage screen;
    } cases[] = {
        {"text on a dark panel", text},
        {"noise", noise},
        {"ARGB32", translucent},
        {"premultiplied", translucent.convertToFormat(QImage::Format_ARGB32_Premultiplied)},
        {"24-bit", text.convertToFormat(QImage::Format_RGB888)},
        {"indexed", text.convertToFormat(QImage::Format_Indexed8)},
        {"already grey", text.convertToFormat(QImage::Format_Grayscale8)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(firstDifference(c.screen.convertToFormat(QImage::Format_Grayscale8),
                                  ScreenGray::of(c.screen)),
                  "");
    }
    EXPECT_TRUE(ScreenGray::of(QImage()).isNull());
}

}  // namespace
