#include "ocr/EnginePool.h"
#include "ocr/FaintBars.h"
#include "ocr/FrameEdges.h"
#include "ocr/LineLayout.h"
#include "ocr/PrivacyProtector.h"
#include "ocr/ScreenImageNormalizer.h"
#include "ocr/ScreenTextReader.h"

#include "TextImage.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QFontMetrics>

#include <QPainter>

#include <algorithm>

namespace {

using TextImage::sans;

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

QList<TextArea> areasOf(const QImage& screen) {
    return LineLayout::areas(LineLayout::withoutRules(ScreenImageNormalizer::normalize(screen)));
}

TEST(ScreenImageNormalizerTest, CrowdedLightTextInABubbleGivesTheInkOfDarkTextOnWhite) {
    // Bold, tightly set light glyphs fill their blocks more than the bubble's ground does, and
    // the bubble's edge runs close to them.
    QFont bold = TextImage::font(QStringLiteral("DejaVu Sans"), 40);
    bold.setBold(true);
    bold.setLetterSpacing(QFont::AbsoluteSpacing, -2);
    const QString text = QStringLiteral("mmWWmm 8888 @@@@");
    const QRect bubble(30, 30, 560, 66);
    QImage onBubble = TextImage::blank(640, 140, QColor(246, 246, 250));
    TextImage::bubble(onBubble, bubble, QColor(10, 132, 255), text, Qt::white, {18, 8}, bold);
    QImage onWhite = TextImage::blank(640, 140);
    TextImage::draw(onWhite, text, QPoint(48, 38), bold, Qt::black);

    const QImage a = ScreenImageNormalizer::normalize(onBubble);
    const QImage b = ScreenImageNormalizer::normalize(onWhite);
    const QRect glyphs = bubble.adjusted(10, 4, -10, -4);
    const int inkOnWhite = inkPixels(b, glyphs);
    ASSERT_GT(inkOnWhite, glyphs.width() * glyphs.height() / 10);
    int differing = 0;
    for (int y = glyphs.top(); y <= glyphs.bottom(); ++y) {
        for (int x = glyphs.left(); x <= glyphs.right(); ++x) {
            differing += a.constScanLine(y)[x] != b.constScanLine(y)[x] ? 1 : 0;
        }
    }
    EXPECT_LT(differing, inkOnWhite / 5);
}

TEST(ScreenImageNormalizerTest, LightTextRightBesideALightFieldKeepsItsLine) {
    // Part of a browser's mail list, 1x enlarged: a dark panel's light lines, set close, with a
    // light field drawn over the panel's margin up to two pixels before "kxu@news.example.de".
    // The blocks on that edge hold a little of the field's wide ground and much crowded text;
    // judged as the field's, the address lost its first letters ("ews.example.de").
    const QImage screen(QStringLiteral(OCR_TEST_DATA "/field-edge.png"));
    ASSERT_FALSE(screen.isNull());
    constexpr int kAddressLeft = 70;
    constexpr int kAddressMiddle = 56;
    int lineLeft = screen.width();
    for (const TextArea& area : areasOf(screen)) {
        if (area.box.top() <= kAddressMiddle && area.box.bottom() >= kAddressMiddle) {
            lineLeft = std::min(lineLeft, area.box.left());
        }
    }
    EXPECT_LE(lineLeft, kAddressLeft + 4);
    EXPECT_GE(lineLeft, kAddressLeft - 4);
}

TEST(ScreenImageNormalizerTest, ATerminalsEdgeBesideItsFrameStaysOutOfItsLines) {
    // Part of a dark xterm window, 1x enlarged, its text a few pixels from the grey frame. The
    // blocks on that edge hold three levels: the frame's ground, the terminal's and the text's.
    // Some were judged with light ink and inked the frame's edge, others with dark ink and inked
    // the terminal's ground up to the first letter: both bars joined the lines beside them, and
    // "aisha-silva@contoso.co.uk" lost its "a".
    const QImage screen(QStringLiteral(OCR_TEST_DATA "/frame-edge.png"));
    ASSERT_FALSE(screen.isNull());
    constexpr int kTextLeft = 76;
    constexpr int kAddressMiddle = 70;
    bool found = false;
    for (const TextArea& area : areasOf(screen)) {
        if (area.box.top() <= kAddressMiddle && area.box.bottom() >= kAddressMiddle) {
            found = true;
            EXPECT_TRUE(area.singleLine);
            EXPECT_GE(area.box.left(), kTextLeft - 4);
            EXPECT_LE(area.box.left(), kTextLeft + 4);
        }
    }
    EXPECT_TRUE(found);
}

TEST(FaintBarsTest, AHalfLevelBarStandingApartBecomesInkButAStrokesEdgeOrARuleDoesNot) {
    // Dark ink on white; the lower right blocks' darkest level is a glyph's grey edge (100).
    QImage gray(160, 48, QImage::Format_Grayscale8);
    gray.fill(255);
    const auto paint = [&](const QRect& area, int level) {
        for (int y = area.top(); y <= area.bottom(); ++y) {
            std::fill(gray.scanLine(y) + area.left(), gray.scanLine(y) + area.right() + 1,
                      static_cast<uchar>(level));
        }
    };
    paint(QRect(10, 5, 4, 26), 0);     // a glyph's stem
    paint(QRect(30, 34, 16, 2), 170);  // an underscore half-covering two rows
    paint(QRect(14, 29, 12, 2), 170);  // the faint foot of the stem
    paint(QRect(0, 44, 160, 1), 200);  // a table's faint rule
    constexpr int kColumns = 10;
    std::vector<NormalizerBlockRule> rules(kColumns * 3);
    for (size_t i = 0; i < rules.size(); ++i) {
        NormalizerBlockRule& rule = rules[i];
        rule.blank = false;
        rule.low = i >= 2 * kColumns + 6 ? 100 : 0;
        rule.threshold = (rule.low + rule.high) / 2;
    }
    QImage binary(gray.size(), QImage::Format_Grayscale8);
    for (int y = 0; y < gray.height(); ++y) {
        for (int x = 0; x < gray.width(); ++x) {
            const NormalizerBlockRule& rule = rules[(y / 16) * kColumns + x / 16];
            binary.scanLine(y)[x] = gray.constScanLine(y)[x] < rule.threshold ? 0 : 255;
        }
    }
    FaintBars::restore(gray, rules, kColumns, binary);
    EXPECT_EQ(inkPixels(binary, QRect(30, 34, 16, 2)), 32);
    EXPECT_EQ(inkPixels(binary, QRect(14, 29, 12, 2)), 0);
    EXPECT_EQ(inkPixels(binary, QRect(96, 44, 64, 1)), 0);
    EXPECT_EQ(inkPixels(binary, QRect(10, 5, 4, 26)), 104);
}

TEST(FrameEdgesTest, AFieldsSidesTallerThanItsTextLeaveTheLineButTallGlyphsStay) {
    for (const bool framed : {true, false}) {
        SCOPED_TRACE(framed ? "a field's frame" : "text alone");
        QImage image = TextImage::blank(520, 90);
        TextImage::draw(image, QStringLiteral("SSN"), QPoint(10, 26), sans());
        TextImage::draw(image, QStringLiteral("(720) |17-8042"), QPoint(130, 26), sans());
        if (framed) {
            TextImage::fill(image, QRect(110, 8, 3, 74), Qt::black);
            TextImage::fill(image, QRect(500, 8, 3, 74), Qt::black);
        }
        const QImage clean = ScreenImageNormalizer::normalize(image);
        TextArea area{QRect(0, 8, 520, 74)};
        QImage pixels = clean.copy(area.box);
        FrameEdges::cut(area, pixels);
        ASSERT_EQ(pixels.size(), area.box.size());
        EXPECT_EQ(area.box.height() < 45, framed);
        EXPECT_EQ(inkPixels(pixels, QRect(500, 0, 3, pixels.height())), 0);
        EXPECT_EQ(inkPixels(pixels, QRect(110, 0, 3, pixels.height())), 0);
        // The text's parenthesis and bar stay.
        EXPECT_GT(inkPixels(pixels, QRect(128, 0, 14, pixels.height())), 0);
        EXPECT_GT(inkPixels(pixels, QRect(10, 0, 100, pixels.height())), 0);
    }
}

TEST(LineLayoutTest, SideBySideLightAndDarkWindowsGiveSparseInkAndOneAreaPerLineInReadingOrder) {
    const QImage normalized = ScreenImageNormalizer::normalize(twoWindowScreen());
    ASSERT_EQ(normalized.format(), QImage::Format_Grayscale8);
    // Text is a small share of each window; a dark ground left as ink would be most of it.
    for (const QRect& area : {QRect(0, 0, 800, 700), QRect(840, 0, 760, 700)}) {
        const int ink = inkPixels(normalized, area);
        EXPECT_GT(ink, area.width() * area.height() / 100);
        EXPECT_LT(ink, area.width() * area.height() / 4);
    }

    const QList<TextArea> areas = LineLayout::areas(LineLayout::withoutRules(normalized));
    ASSERT_EQ(areas.size(), 16);
    for (int row = 0; row < 8; ++row) {
        const TextArea& left = areas.at(2 * row);
        const TextArea& right = areas.at(2 * row + 1);
        EXPECT_TRUE(left.singleLine && right.singleLine);
        EXPECT_LT(left.box.right(), 800);
        EXPECT_GE(right.box.left(), 840);
        // Each box holds the glyphs of one line: about the font's height, starting at the text.
        EXPECT_NEAR(left.box.top(), 20 + row * 80 + 6, 8);
        EXPECT_NEAR(left.box.left(), 30, 4);
        EXPECT_NEAR(right.box.left(), 860, 4);
        EXPECT_GT(left.box.height(), 20);
        EXPECT_LT(left.box.height(), 40);
    }
}

TEST(LineLayoutTest, FramesRulesAndBubbleOutlinesStayOutOfTheLines) {
    QImage screen = TextImage::blank(1400, 500, QColor(60, 90, 140));
    TextImage::fill(screen, QRect(20, 20, 1200, 460), QColor(246, 246, 246));
    TextImage::fill(screen, QRect(20, 20, 1200, 50), QColor(200, 200, 204));  // title bar
    TextImage::fill(screen, QRect(40, 250, 1160, 2), QColor(120, 120, 120));  // separator
    TextImage::draw(screen, QStringLiteral("Plain line in the window"), QPoint(60, 120), sans());
    // A chat bubble: light text on blue, close to the bubble's edges.
    TextImage::bubble(screen, QRect(400, 330, 560, 56), QColor(10, 132, 255),
                      QStringLiteral("Call 555-201-7788 today"), Qt::white, {18, 10});
    const QList<TextArea> areas = areasOf(screen);
    ASSERT_EQ(areas.size(), 2);
    EXPECT_NEAR(areas.at(0).box.left(), 60, 4);
    EXPECT_LT(areas.at(0).box.height(), 40);
    EXPECT_NEAR(areas.at(1).box.left(), 418, 6);
    EXPECT_LT(areas.at(1).box.right(), 960 - 8);
    EXPECT_LT(areas.at(1).box.height(), 40);

    // A window's edge drawn in pieces between the lines (a 1x screen enlarged) joins no lines.
    QImage edged = TextImage::blank(900, 200);
    for (int i = 0; i < 3; ++i) {
        TextImage::draw(edged, QStringLiteral("line of text %1").arg(i), QPoint(40, 20 + 50 * i),
                        sans());
        TextImage::fill(edged, QRect(16, 45 + 50 * i, 8, 30), Qt::black);
    }
    const QList<TextArea> lines = areasOf(edged);
    ASSERT_EQ(lines.size(), 3);
    for (const TextArea& line : lines) {
        EXPECT_TRUE(line.singleLine);
    }

    // So does the edge between two windows whose lines stand at other heights, each line's rows
    // overlapping two of the other window's, close beside both.
    QImage twoWindows = TextImage::blank(1200, 200);
    for (int i = 0; i < 4; ++i) {
        const QString left = QStringLiteral("left text %1").arg(i);
        TextImage::draw(twoWindows, left,
                        QPoint(418 - QFontMetrics(sans()).horizontalAdvance(left), 20 + 30 * i),
                        sans());
        TextImage::draw(twoWindows, QStringLiteral("right text %1").arg(i),
                        QPoint(460, 35 + 30 * i), sans());
        TextImage::fill(twoWindows, QRect(432, 40 + 30 * i, 6, 16), Qt::black);
    }
    const QList<TextArea> columns = areasOf(twoWindows);
    ASSERT_EQ(columns.size(), 8);
    for (const TextArea& line : columns) {
        EXPECT_TRUE(line.singleLine);
        EXPECT_TRUE(line.box.right() < 432 || line.box.left() > 437);
    }

    // What is left of a table's rule, shorter than a rule but longer than the line is high, a
    // few rows above a line stays out of it; a dash as short as a glyph's mark would join it.
    QImage remnant = TextImage::blank(900, 120);
    TextImage::draw(remnant, QStringLiteral("376069136855803 pending"), QPoint(40, 40), sans());
    const QList<TextArea> plain = areasOf(remnant);
    ASSERT_EQ(plain.size(), 1);
    const int ruleRow = plain.at(0).box.top() - 5;
    QImage dashed = remnant;
    TextImage::fill(remnant, QRect(420, ruleRow, 100, 2), Qt::black);
    const QList<TextArea> withRemnant = areasOf(remnant);
    ASSERT_EQ(withRemnant.size(), 1);
    EXPECT_EQ(withRemnant.at(0).box, plain.at(0).box);
    TextImage::fill(dashed, QRect(420, ruleRow, 10, 2), Qt::black);
    EXPECT_EQ(areasOf(dashed).at(0).box.top(), ruleRow);

    // Another window's text drawn beside a line, higher and smaller, is read on its own; a line's
    // own marks after a gap (a quote, a dash) stay in it.
    QImage overlapped = TextImage::blank(1200, 120);
    const QFont serif = TextImage::font(QStringLiteral("DejaVu Serif"), 34);
    const QString card = QStringLiteral("4409250470035973");
    TextImage::draw(overlapped, card, QPoint(40, 60), serif);
    TextImage::draw(overlapped, QStringLiteral("The ordinary rest of the note"),
                    QPoint(40 + QFontMetrics(serif).horizontalAdvance(card) + 24, 40), sans());
    const QList<TextArea> apart = areasOf(overlapped);
    ASSERT_EQ(apart.size(), 2);
    EXPECT_TRUE(apart.at(0).singleLine && apart.at(1).singleLine);
    QImage marks = TextImage::blank(1200, 120);
    TextImage::draw(marks, QStringLiteral("Said \"so\"   -   then   \"more\""), QPoint(40, 40),
                    sans());
    EXPECT_EQ(areasOf(marks).size(), 1);

    // A narrow glyph between a space and a full stop stands as far apart from its neighbours as
    // that edge, but is not a solid bar: it stays in its line, here one of two lines that a bar
    // too close to the text to be cut off joins.
    QImage joined = TextImage::blank(1200, 120);
    const QFont mono = TextImage::font(QStringLiteral("DejaVu Sans Mono"), 26);
    const QString draft = QStringLiteral("invoice general draft ");
    TextImage::draw(joined, draft + QStringLiteral("t.haddad@mail.example.net"), QPoint(40, 20),
                    mono);
    TextImage::draw(joined, QStringLiteral("send send region"), QPoint(40, 55), mono);
    TextImage::fill(joined, QRect(30, 45, 6, 30), Qt::black);
    const int t = 40 + QFontMetrics(mono).horizontalAdvance(draft) +
                  QFontMetrics(mono).horizontalAdvance(QLatin1Char('t')) / 2;
    const QList<TextArea> kept = areasOf(joined);
    EXPECT_TRUE(std::any_of(kept.begin(), kept.end(), [&](const TextArea& area) {
        return area.box.left() < t && area.box.right() > t;
    }));
}

TEST(LineLayoutTest, DotsAboveALineBelongToItAndTouchingLinesFormABlock) {
    QImage screen = TextImage::blank(900, 300);
    TextImage::draw(screen, QStringLiteral("min mini iii"), QPoint(20, 20), sans());
    // Two lines drawn so close that no empty row separates them.
    TextImage::draw(screen, QStringLiteral("Ascending Tall Lines"), QPoint(20, 150), sans());
    TextImage::draw(screen, QStringLiteral("Deeply typing quickly"), QPoint(20, 178), sans());
    const QList<TextArea> areas = areasOf(screen);
    ASSERT_EQ(areas.size(), 2);
    EXPECT_TRUE(areas.at(0).singleLine);
    EXPECT_FALSE(areas.at(1).singleLine);

    // The engine lays such a block out itself and still finds both lines.
    ScreenTextReader reader(EnginePool::shared());
    const RecognitionOutcome outcome = reader.read(screen);
    ASSERT_EQ(outcome.lines.size(), 3);
    EXPECT_EQ(outcome.lines.at(1).text, QStringLiteral("Ascending Tall Lines"));
    EXPECT_EQ(outcome.lines.at(2).text, QStringLiteral("Deeply typing quickly"));
    EXPECT_LT(outcome.lines.at(1).box.top() + 10, outcome.lines.at(2).box.top());
}

TEST(ScreenTextReaderTest, TextInChatBubblesOnLightAndDarkWindowsIsReadExactly) {
    // Bubbles hug their text: their edges cross the blocks that hold the glyphs, and light
    // glyphs crowd the blocks of a blue bubble.
    QImage screen = TextImage::blank(1600, 420, QColor(246, 246, 250));
    TextImage::fill(screen, QRect(800, 0, 800, 420), QColor(30, 30, 36));
    const QColor blue(10, 132, 255);
    const QColor grey(229, 229, 234);
    TextImage::bubble(screen, {40, 40, 330, 50}, blue, QStringLiteral("Phone 820-97-9205"),
                      Qt::white);
    TextImage::bubble(screen, {40, 140, 470, 50}, grey, QStringLiteral("Write to anna@example.org"),
                      Qt::black);
    TextImage::bubble(screen, {840, 40, 330, 50}, blue, QStringLiteral("966-00-3200 Message"),
                      Qt::white);
    TextImage::bubble(screen, {840, 140, 380, 50}, grey, QStringLiteral("Call 555-201-7788"),
                      Qt::black);
    // A badge beside an address on the dark window: a light pill with dark text, which the
    // normalised screen shows as a block of ink.
    const QString address = QStringLiteral("kxu@news.example.de");
    TextImage::draw(screen, address, QPoint(840, 260), TextImage::sans(), QColor(220, 220, 225));
    const int badgeLeft = 840 + QFontMetrics(TextImage::sans()).horizontalAdvance(address) + 30;
    TextImage::bubble(screen, {badgeLeft, 258, 90, 40}, QColor(254, 226, 226),
                      QStringLiteral("Work"), QColor(153, 27, 27), {14, 4});
    ScreenTextReader reader(EnginePool::shared());
    const RecognitionOutcome outcome = reader.read(screen);
    ASSERT_FALSE(outcome.failed());
    ASSERT_EQ(outcome.lines.size(), 6);
    QStringList found;
    for (const SensitiveRegion& region : PrivacyProtector::regionsForLines(outcome.lines)) {
        found << region.text;
    }
    EXPECT_EQ(found, QStringList({QStringLiteral("820-97-9205"), QStringLiteral("966-00-3200"),
                                  QStringLiteral("anna@example.org"),
                                  QStringLiteral("555-201-7788"), address}));
    EXPECT_EQ(outcome.lines.back().text, QStringLiteral("Work"));
}

TEST(ScreenTextReaderTest, UnchangedAndMovedLinesAreReusedAndAChangeIsReadAgain) {
    ScreenTextReader reader(EnginePool::shared());
    QImage screen = twoWindowScreen();
    const RecognitionOutcome first = reader.read(screen);
    ASSERT_FALSE(first.failed()) << first.error.toStdString();
    ASSERT_EQ(first.lines.size(), 16);
    EXPECT_EQ(reader.lastCounts().recognised, 16);
    EXPECT_EQ(reader.lastCounts().reused, 0);

    const RecognitionOutcome again = reader.read(screen);
    EXPECT_EQ(reader.lastCounts().recognised, 0);
    EXPECT_EQ(reader.lastCounts().reused, 16);
    EXPECT_EQ(again.lines, first.lines);

    // The whole screen scrolled down: every line is reused, at its new place.
    QImage scrolled = TextImage::blank(screen.width(), screen.height());
    {
        QPainter painter(&scrolled);
        painter.drawImage(QPoint(0, 30), screen);
    }
    const RecognitionOutcome moved = reader.read(scrolled);
    EXPECT_EQ(reader.lastCounts().recognised, 0);
    ASSERT_EQ(moved.lines.size(), first.lines.size());
    for (qsizetype i = 0; i < moved.lines.size(); ++i) {
        EXPECT_EQ(moved.lines.at(i).text, first.lines.at(i).text);
        EXPECT_EQ(moved.lines.at(i).box, first.lines.at(i).box.translated(0, 30));
    }

    // One line of the left window changes: only that line is read again.
    reader.read(screen);
    TextImage::fill(screen, QRect(20, 260, 700, 60), Qt::white);
    TextImage::draw(screen, QStringLiteral("mail me at kim@example.org"), QPoint(30, 260), sans());
    const RecognitionOutcome changed = reader.read(screen);
    EXPECT_EQ(reader.lastCounts().recognised, 1);
    EXPECT_EQ(reader.lastCounts().reused, 15);

    ScreenTextReader fresh(EnginePool::shared());
    EXPECT_EQ(changed.lines, fresh.read(screen).lines);
    EXPECT_TRUE(std::any_of(changed.lines.begin(), changed.lines.end(), [](auto& line) {
        return line.text.contains(QStringLiteral("kim@example.org"));
    }));
}

TEST(ScreenTextReaderTest, SmallTextOfA1xScreenEnlargedTwiceIsMaskedWhole) {
    // Each line needs one step after the engine: spaces from the glyph cells, address parts
    // joined, a digit run whose glyph boxes overlap, a digit the engine read twice.
    const struct {
        const char* name;
        const char* family;
        int pixelSize;
        const char* drawn;
        const char* expected;
    } cases[] = {
        {"monospace dots and commas", "DejaVu Sans Mono", 16, "1,kim,lee.kim@example.com,ok",
         "lee.kim@example.com"},
        {"address split after its dot", "DejaVu Sans Mono", 12, "sent to kxu_nguyen@example.io",
         "kxu_nguyen@example.io"},
        {"card split in overlapping boxes", "Liberation Serif", 12, "card=379345053451646 ok",
         "379345053451646"},
        {"digit read twice, DejaVu", "DejaVu Sans Mono", 14, "ssn 746-06-9427 filed",
         "746-06-9427"},
        {"digit read twice, Liberation", "Liberation Mono", 16, "ssn 746-06-9427 filed",
         "746-06-9427"},
    };
    ScreenTextReader reader(EnginePool::shared());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QImage small = TextImage::blank(600, 40);
        TextImage::draw(small, QString::fromUtf8(c.drawn), QPoint(10, 10),
                        TextImage::font(QString::fromUtf8(c.family), c.pixelSize));
        const RecognitionOutcome outcome =
            reader.read(small.scaled(1200, 80, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        ASSERT_FALSE(outcome.failed());
        QStringList found;
        for (const SensitiveRegion& region : PrivacyProtector::regionsForLines(outcome.lines)) {
            found << region.text;
        }
        EXPECT_EQ(found, QStringList(QString::fromUtf8(c.expected)));
    }
}

}  // namespace
