#include "ocr/GlyphInk.h"

#include "TextImage.h"

#include <gtest/gtest.h>

#include <QFontMetrics>

namespace {

// The engine's reading of a drawn monospace line: `reading` is `drawn` with some characters left
// out ('~' in `skipped` marks them), and every glyph's box reaches half a cell into its neighbours,
// as the engine's boxes do.
RecognizedLine roughLine(const QString& drawn, const QString& skipped, const QFont& font,
                         QPoint origin, QList<QRect>& cells) {
    const QFontMetrics metrics(font);
    RecognizedLine line{{}, {}};
    bool wordStart = true;
    for (qsizetype i = 0; i < drawn.size(); ++i) {
        if (drawn.at(i) == QLatin1Char(' ') || skipped.at(i) == QLatin1Char('~')) {
            wordStart = true;
            continue;
        }
        const int width = metrics.horizontalAdvance(drawn.at(i));
        const QRect cell(origin.x() + metrics.horizontalAdvance(drawn.left(i)), origin.y(), width,
                         metrics.height());
        cells << cell;
        line.glyphs.append(RecognizedGlyph{QString(drawn.at(i)),
                                           cell.adjusted(-width / 2, 0, width / 2, 0), wordStart});
        wordStart = false;
    }
    return line;
}

TEST(GlyphInkTest, GlyphsTakeTheirOwnInkOnlyWhereEveryGlyphHasItsPiece) {
    const QFont mono = TextImage::font(QStringLiteral("DejaVu Sans Mono"), 30);
    const struct {
        const char* name;
        const char* drawn;
        const char* skipped;
        bool placed;
        int touching = -1;  // a bar joins this character's ink to the next one's
        int broken = -1;    // this character's ink is cut in two down its middle
    } cases[] = {
        {"every glyph read", "5,kenji_tanaka,l.haddad@proseware.net",
         "                                     ", true},
        {"an underscore read as a space", "sent to kxu_nguyen@example.io",
         "           ~                 ", true},
        {"two glyphs touching", "sent to kenji_tanaka@example.io",
         "                               ", true, 9},
        {"a letter broken in two", "sent to kenji_tanaka@news.io", "                            ",
         true, -1, 23},
        {"a letter the engine missed", "sent to kenji tanaka@example.io",
         "              ~                ", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QImage image = TextImage::blank(1400, 60);
        TextImage::draw(image, QString::fromUtf8(c.drawn), QPoint(12, 10), mono);
        if (c.broken >= 0) {
            const QFontMetrics metrics(mono);
            const QString drawn = QString::fromUtf8(c.drawn);
            const int x = 12 + metrics.horizontalAdvance(drawn.left(c.broken)) +
                          metrics.horizontalAdvance(drawn.at(c.broken)) / 2;
            TextImage::fill(image, QRect(x - 1, 0, 3, image.height()), Qt::white);
        }
        if (c.touching >= 0) {
            const QFontMetrics metrics(mono);
            const int x =
                12 + metrics.horizontalAdvance(QString::fromUtf8(c.drawn).left(c.touching));
            TextImage::fill(image,
                            QRect(x, 10 + metrics.ascent() - 8, 2 * metrics.averageCharWidth(), 2),
                            Qt::black);
        }
        const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
        QList<QRect> cells;
        const RecognizedLine line = roughLine(
            QString::fromUtf8(c.drawn), QString::fromUtf8(c.skipped), mono, QPoint(12, 10), cells);
        const RecognizedLine placed = GlyphInk::placed(line, gray);
        if (!c.placed) {
            EXPECT_EQ(placed, line);
            continue;
        }
        ASSERT_EQ(placed.glyphs.size(), cells.size());
        for (qsizetype i = 0; i < cells.size(); ++i) {
            SCOPED_TRACE(placed.glyphs.at(i).text.toStdString());
            const QRect& box = placed.glyphs.at(i).box;
            EXPECT_GE(box.left(), cells.at(i).left() - 2);
            EXPECT_LE(box.right(), cells.at(i).right() + 2);
        }
    }
}

}  // namespace
