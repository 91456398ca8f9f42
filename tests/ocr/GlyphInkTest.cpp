#include "ocr/GlyphInk.h"

#include "EngineLine.h"
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

TEST(GlyphInkTest, GlyphsTheEngineReadAsNothingComeBackOnlyWhereTheInkShowsThem) {
    const QFont mono = TextImage::font(QStringLiteral("DejaVu Sans Mono"), 30);
    const QFont sans = TextImage::sans(30);
    const QFont serif = TextImage::font(QStringLiteral("DejaVu Serif"), 30);
    const QFont footless = TextImage::font(QStringLiteral("Liberation Sans"), 30);
    // `merged`: the engine read this glyph and the next as one, its box over both; `dropped`:
    // it read nothing for this glyph (both count glyphs, spaces left out); `frame`: it read this
    // mark on blank ground before the line.
    const struct {
        const char* name;
        QFont font;
        const char* drawn;
        const char* expected;
        int merged = -1;
        int dropped = -1;
        const char* frame = nullptr;
        int lost = -1;        // the engine read this letter before `dropped` as nothing too
        int hyphen = -1;      // the engine read this glyph as "-"
        int twice = -1;       // the engine read this small letter twice, first as its capital
        bool spaced = false;  // the engine read the full stop at `dropped` as a space
        int plus = -1;        // the engine read this "+" also as a "t" on the ground after it
        int one = -1;         // the engine read this "1" and the digit after it as that digit
    } cases[] = {
        {"a digit repeated with no ground between is read once", sans, "ssn 777-55-6630",
         "ssn 777-55-6630", 4},
        {"two different digits read as one stay one", sans, "ssn 786-55-6630", "ssn 78-55-6630", 4},
        {"so do a three and an eight", mono, "ssn 738-55-6630", "ssn 73-55-6630", 4},
        {"a domain's only full stop comes back", mono, "mail kxu@tailspin-air.com",
         "mail kxu@tailspin-air.com", -1, 20},
        {"a full stop standing apart in an address comes back", serif, "E-mail: k.haddad@corp.com",
         "E-mail: k.haddad@corp.com", -1, 8},
        {"so does one where the line's pieces do not align", serif, "E-mail: k.haddad@corp.com",
         "E-ail: k.haddad@corp.com", -1, 8, nullptr, 2},
        {"one read as a space before an address's last name", serif, "note wei.haddad@corp.com",
         "note wei.haddad@corp.com", -1, 7, nullptr, -1, -1, -1, true},
        {"one ending a sentence before an address stays a space", serif,
         "note wei. haddad@corp.com", "note wei haddad@corp.com", -1, 7, nullptr, -1, -1, -1, true},
        {"a full stop outside an address is not made up", mono, "file tail.spin.conf",
         "file tail.spinconf", -1, 13},
        {"a full stop read as a hyphen is one", serif, "to j.horvat@corp.io", "to j.horvat@corp.io",
         -1, -1, nullptr, -1, 3},
        {"a letter read twice, as its capital too, is read once", sans, "to maria@corp.io",
         "to maria@corp.io", -1, -1, nullptr, -1, -1, 2},
        {"a hyphen stays one", serif, "to j-horvat@corp.io", "to j-horvat@corp.io", -1, -1, nullptr,
         -1, 3},
        {"a mark read from a field's frame is dropped", sans, "Card 5549895921297874",
         "Card 5549895921297874", -1, -1, "'"},
        {"so is a dash", sans, "Card 5549895921297874", "Card 5549895921297874", -1, -1, "\u2014"},
        {"a plus read again as a t after it is read once", mono, "notes: ivan+news@corp.io",
         "notes: ivan+news@corp.io", -1, -1, nullptr, -1, -1, -1, false, 10},
        {"a t after a plus on its own ink stays", mono, "notes: ivan+tom@corp.io",
         "notes: ivan+tom@corp.io", -1, -1, nullptr, -1, -1, -1, false, 10},
        {"a 1 lost before a digit comes back", footless, "ssn 122-41-1271", "ssn 122-41-1271", -1,
         -1, nullptr, -1, -1, -1, false, -1, 3},
        {"a wide digit is no 1 and a digit", footless, "ssn 422-41-1271", "ssn 22-41-1271", -1, -1,
         nullptr, -1, -1, -1, false, -1, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString drawn = QString::fromUtf8(c.drawn);
        QImage image = TextImage::blank(900, 60);
        TextImage::draw(image, drawn, QPoint(40, 10), c.font);
        const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
        QList<RecognizedGlyph> glyphs =
            engineLine(gray, drawn, drawn, c.font, QPoint(40, 10), false).glyphs;
        if (c.merged >= 0) {
            glyphs[c.merged].box = glyphs.at(c.merged).box.united(glyphs.at(c.merged + 1).box);
            glyphs.removeAt(c.merged + 1);
        }
        if (c.one >= 0) {
            glyphs[c.one].box = glyphs.at(c.one).box.united(glyphs.at(c.one + 1).box);
            glyphs[c.one].text = glyphs.at(c.one + 1).text;
            glyphs[c.one].alternatives = QStringLiteral("1");
            glyphs.removeAt(c.one + 1);
        }
        if (c.twice >= 0) {
            RecognizedGlyph capital = glyphs.at(c.twice);
            capital.text = capital.text.toUpper();
            capital.box.setWidth(capital.box.width() / 3);
            capital.alternatives = glyphs.at(c.twice).text;
            glyphs.insert(c.twice, capital);
            glyphs[c.twice + 1].wordStart = false;
        }
        if (c.plus >= 0 && glyphs.at(c.plus + 1).text == QLatin1String("n")) {
            RecognizedGlyph echo = glyphs.at(c.plus);
            echo.text = QStringLiteral("t");
            echo.box = QRect(echo.box.right() - 1, echo.box.top(), 6, echo.box.height());
            glyphs.insert(c.plus + 1, echo);
        }
        if (c.plus >= 0) {
            glyphs[c.plus].alternatives = QStringLiteral("t");
        }
        if (c.hyphen >= 0) {
            glyphs[c.hyphen].text = QStringLiteral("-");
        }
        if (c.dropped >= 0) {
            glyphs.removeAt(c.dropped);
            glyphs[c.dropped].wordStart = glyphs.at(c.dropped).wordStart || c.spaced;
        }
        if (c.lost >= 0) {
            glyphs.removeAt(c.lost);
        }
        if (c.frame != nullptr) {
            glyphs[0].wordStart = false;
            glyphs.prepend(
                RecognizedGlyph{QString::fromUtf8(c.frame), QRect(12, 10, 14, 34), true});
        }
        QString reading;
        for (const RecognizedGlyph& glyph : glyphs) {
            reading += (glyph.wordStart && !reading.isEmpty() ? QStringLiteral(" ") : QString()) +
                       glyph.text;
        }
        const RecognizedLine placed = GlyphInk::placed(RecognizedLine{reading, {}, glyphs}, gray);
        EXPECT_EQ(placed.text.toStdString(), c.expected);
    }
}

}  // namespace
