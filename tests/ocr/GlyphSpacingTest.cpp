#include "ocr/GlyphSpacing.h"

#include "ocr/GlyphInk.h"

#include "EngineLine.h"
#include "TextImage.h"

#include <gtest/gtest.h>

namespace {

TEST(GlyphSpacingTest, SpacesFollowTheGlyphCellsInMonospaceAndDigitRunsOnly) {
    const QFont mono = TextImage::font(QStringLiteral("DejaVu Sans Mono"), 30);
    const QFont sans = TextImage::sans(30);
    const QFont serif = TextImage::font(QStringLiteral("DejaVu Serif"), 28);
    const struct {
        const char* name;
        QFont font;
        const char* drawn;
        const char* reading;
        const char* expected;
        bool rough = false;
        // Soft glyphs enlarged from a 1x screen: the engine's digit boxes take in a column of
        // ground on each side of their ink.
        bool softDigits = false;
    } cases[] = {
        {"a dot or comma followed by a letter is no space", mono, "1,kim,lee.kim@example.com,ok",
         "1, kim, lee. kim@example. com, ok", "1,kim,lee.kim@example.com,ok"},
        {"an underscore read as a space comes back", mono, "sent to kxu_nguyen@example.io",
         "sent to kxu nguyen@example.io", "sent to kxu_nguyen@example.io"},
        {"real spaces stay, also after a full stop", mono, "done. login ok at 12:40",
         "done. login ok at 12:40", "done. login ok at 12:40"},
        {"a digit run split after a narrow one is whole", mono, "card 6011080268170696 ok",
         "card 60110802681 70696 ok", "card 6011080268170696 ok"},
        {"proportional digits split after a one are whole", sans, "folder 6011080268170696 set",
         "folder 60110802681 70696 set", "folder 6011080268170696 set"},
        {"proportional digit groups keep their spaces", sans, "call 555 123 4567 today",
         "call 555 123 4567 today", "call 555 123 4567 today"},
        {"proportional words keep the engine's spaces", sans, "Customer noah.lee@corp.io is",
         "Customer noah.lee@corp.io is", "Customer noah.lee@corp.io is"},
        {"a proportional space where the ink shows none is none", sans,
         "3,aisha,ivan.berg@tailspin-air.com,ok", "3,aisha,ivan. berg@tailspin-air. com,ok",
         "3,aisha,ivan.berg@tailspin-air.com,ok"},
        {"a proportional space after a full stop stays", sans, "Done. Sent to noah@corp.io today",
         "Done. Sent to noah@corp.io today", "Done. Sent to noah@corp.io today"},
        {"the ink places glyphs whose engine boxes overlap", mono,
         "2,ivan_novak,okafor.anna@example.org", "2, ivan_novak, okafor .anna@examp le. org",
         "2,ivan_novak,okafor.anna@example.org", true},
        {"a number split beside its group mark is whole", sans, "ssn 746-06-9427 ok",
         "ssn 746 -06-9427 ok", "ssn 746-06-9427 ok"},
        {"so is a monospace one without letters to learn the cells from", mono, "287.31.5964",
         "287 .31.5964", "287.31.5964"},
        {"a monospace line without narrow letters shows its cells across words", mono,
         "-rw-r--r-- 1 omar 21.4K Jun 26 card_4170443544736.pdf",
         "-rw-r--r-- 1 omar 21.4K Jun 26 card 4170443544736. pdf",
         "-rw-r--r-- 1 omar 21.4K Jun 26 card_4170443544736.pdf"},
        {"a number's groups read as one get their space back", sans, "call 214 77 8795 now",
         "call 21477 8795 now", "call 214 77 8795 now"},
        {"spaced arithmetic keeps its spaces", sans, "pay 2500 - 1000 now", "pay 2500 - 1000 now",
         "pay 2500 - 1000 now"},
        {"a lost group space comes back past soft digit boxes", serif, "call +1 614 926 6778 now",
         "call +1 6149266778 now", "call +1 614 926 6778 now", false, true},
        {"a number on one pitch stays whole with soft digit boxes", serif,
         "card 6011080268170696 ok", "card 6011080268170696 ok", "card 6011080268170696 ok", false,
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString drawn = QString::fromUtf8(c.drawn);
        QImage image = TextImage::blank(1000, 60);
        TextImage::draw(image, drawn, QPoint(12, 10), c.font);
        const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
        RecognizedLine line = GlyphInk::placed(
            engineLine(gray, drawn, QString::fromUtf8(c.reading), c.font, QPoint(12, 10), c.rough),
            gray);
        for (RecognizedGlyph& glyph : line.glyphs) {
            if (c.softDigits && glyph.text.at(0).isDigit()) {
                glyph.box.adjust(-1, 0, 1, 0);
            }
        }
        EXPECT_EQ(GlyphSpacing::respace(line, gray).toStdString(), c.expected);
    }
}

TEST(GlyphSpacingTest, TwoTableCellsNumbersStayApartWhereTheEngineStretchedABoxOverTheGround) {
    const QFont serif = TextImage::font(QStringLiteral("DejaVu Serif"), 28);
    const QString drawn = QStringLiteral("5536551542230344      284 91 7562");
    QImage image = TextImage::blank(1000, 60);
    TextImage::draw(image, drawn, QPoint(12, 10), serif);
    const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
    RecognizedLine line = engineLine(gray, drawn, QStringLiteral("5536551542230344 284 91 7562"),
                                     serif, QPoint(12, 10), false);
    // The engine's boxes of the card's last two digits moved one glyph to the right, the last
    // one over the ground between the cells and onto the next cell's first digit.
    line.glyphs[14].box = line.glyphs.at(14).box.united(line.glyphs.at(15).box);
    line.glyphs[15].box.moveLeft(line.glyphs.at(16).box.left() - 4);
    EXPECT_EQ(GlyphSpacing::respace(line, gray).toStdString(), "5536551542230344 284 91 7562");
}

}  // namespace
