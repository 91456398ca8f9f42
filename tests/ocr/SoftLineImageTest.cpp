#include "ocr/ScreenImageNormalizer.h"
#include "ocr/SoftLineImage.h"

#include "TextImage.h"

#include <gtest/gtest.h>

namespace {

TEST(SoftLineImageTest, LinesKeepTheBinarySideOfEveryPixelAndTheGreyEdgesOfTheStrokes) {
    const struct {
        const char* name;
        QColor ground;
        QColor ink;
    } cases[] = {{"dark on white", Qt::white, Qt::black},
                 {"light on a dark terminal", QColor(30, 30, 30), QColor(212, 212, 212)}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QImage screen = TextImage::blank(700, 80, c.ground);
        TextImage::draw(screen, QStringLiteral("kim.lee@example.com 4111111111111111"),
                        QPoint(10, 20), TextImage::sans(24), c.ink);
        const QImage gray = screen.convertToFormat(QImage::Format_Grayscale8);
        const QRect box(0, 10, 700, 50);
        const QImage binary = ScreenImageNormalizer::normalize(gray).copy(box);
        const QImage soft = SoftLineImage::make(gray, binary, box);
        ASSERT_EQ(soft.size(), box.size());
        int ink = 0;
        int edges = 0;
        for (int y = 0; y < soft.height(); ++y) {
            for (int x = 0; x < soft.width(); ++x) {
                const int value = soft.constScanLine(y)[x];
                ASSERT_EQ(value < 128, binary.constScanLine(y)[x] == 0) << x << "," << y;
                ink += value < 128 ? 1 : 0;
                edges += value > 20 && value < 235 ? 1 : 0;
            }
        }
        EXPECT_GT(ink, 500);
        EXPECT_GT(edges, ink / 4);
    }
}

}  // namespace
