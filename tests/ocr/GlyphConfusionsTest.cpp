#include "ocr/GlyphConfusions.h"

#include "ocr/GlyphInk.h"
#include "ocr/NumberRereading.h"

#include "TextImage.h"

#include <gtest/gtest.h>

#include <QFontMetrics>

namespace {

// The glyph boxes an engine would report for `drawn` read as `reading` (same length, one
// character per drawn character; spaces start words).
RecognizedLine engineLine(const QString& drawn, const QString& reading, const QFont& font,
                          QPoint origin) {
    const QFontMetrics metrics(font);
    RecognizedLine line{reading, {}};
    bool wordStart = true;
    for (qsizetype i = 0; i < drawn.size(); ++i) {
        if (drawn.at(i) == QLatin1Char(' ')) {
            wordStart = true;
            continue;
        }
        const int x = origin.x() + metrics.horizontalAdvance(drawn.left(i));
        line.glyphs.append(RecognizedGlyph{
            QString(reading.at(i)),
            QRect(x, origin.y(), metrics.horizontalAdvance(drawn.at(i)), metrics.height()),
            wordStart});
        wordStart = false;
    }
    return line;
}

// `drawn` in `family` at `pixelSize`, read by the engine as `reading` (the glyph at `doubted`, if
// any, also found likely to be one of `alternatives`), as the confusions resolve it.
std::string resolved(const char* family, int pixelSize, const char* drawn, const char* reading,
                     int doubted = -1, const char* alternatives = "") {
    const QFont font = TextImage::font(QString::fromUtf8(family), pixelSize);
    QImage image = TextImage::blank(1400, 100);
    TextImage::draw(image, QString::fromUtf8(drawn), QPoint(10, 10), font);
    const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
    RecognizedLine line =
        engineLine(QString::fromUtf8(drawn), QString::fromUtf8(reading), font, QPoint(10, 10));
    if (doubted >= 0) {
        line.glyphs[doubted].alternatives = QString::fromUtf8(alternatives);
    }
    return GlyphConfusions::resolve(GlyphInk::placed(line, gray), gray).text.toStdString();
}

TEST(GlyphConfusionsTest, AddressGlyphsJudgedOnTheirInkComeBackAndRealOnesStay) {
    // A "+" read as "t", a small first letter read as a capital (the engine doubting it: the
    // glyph at `doubted` has `alternatives`), a monospace "l" read as "L" or "J", a sans or serif
    // "l" read as "I", an "@" read as a letter without a counter, a name's last digit read as a
    // small letter, a "1" of a name read as "!", a "0" read as a second "@" in a word; and glyphs
    // that are what they were read as, a "t" after a dot even on a "+"'s ink, a "!" ending a word.
    const struct {
        const char* family;
        const char* drawn;
        const char* reading;
        const char* expected;
        int doubted = -1;
        const char* alternatives = "";
    } cases[] = {
        {"DejaVu Sans", "to maria+news@example.com", "to mariatnews@example.com",
         "to maria+news@example.com"},
        {"DejaVu Sans", "to maria+news @example.com", "to mariatnews @example.com",
         "to maria+news @example.com"},
        {"Liberation Serif", "to maria+news@example.com", "to mariatnews@example.com",
         "to maria+news@example.com"},
        {"DejaVu Sans Mono", "user=li+news@litware.biz", "user=litnews@litware.biz",
         "user=li+news@litware.biz"},
        {"DejaVu Sans", "tomas.tanaka@tailspin.com", "tomas.tanaka@tailspin.com",
         "tomas.tanaka@tailspin.com"},
        {"Liberation Serif", "kate_stott@example.com", "kate_stott@example.com",
         "kate_stott@example.com"},
        {"DejaVu Sans", "to nadia654@example.com", "to Nadia654@example.com",
         "to nadia654@example.com", 2, "Mn"},
        {"DejaVu Sans", "to Nadia654@example.com", "to Nadia654@example.com",
         "to Nadia654@example.com", 2, "Mn"},
        {"DejaVu Sans Mono", "to lukas_horvat@corp.com", "to Lukas_horvat@corp.com",
         "to lukas_horvat@corp.com"},
        {"DejaVu Sans Mono", "to li+news@litware.biz", "to Ji+news@litware.biz",
         "to li+news@litware.biz"},
        {"Liberation Mono", "to silva.lukas@corp.com", "to silva.Lukas@corp.com",
         "to silva.lukas@corp.com"},
        {"DejaVu Sans Mono", "to Lukas_horvat@corp.com", "to Lukas_horvat@corp.com",
         "to Lukas_horvat@corp.com"},
        {"Liberation Mono", "to Jim.Lee@corp.com", "to Jim.Lee@corp.com", "to Jim.Lee@corp.com"},
        {"DejaVu Sans", "to lukas258@corp.com", "to Jukas258@corp.com", "to lukas258@corp.com", 2,
         "ljdIt"},
        {"DejaVu Sans", "to lukas258@corp.com", "to Jukas258@corp.com", "to Jukas258@corp.com"},
        {"DejaVu Sans", "Backup lmuller@corp.com", "Backup Imuller@corp.com",
         "Backup lmuller@corp.com"},
        {"DejaVu Sans", "Backup Ivan@corp.com", "Backup Ivan@corp.com", "Backup Ivan@corp.com"},
        {"Liberation Sans", "Backup Ivan@corp.com", "Backup Ivan@corp.com", "Backup Ivan@corp.com"},
        {"Liberation Mono", "notes: anna@mail.example.net", "notes: annafmail.example.net",
         "notes: anna@mail.example.net"},
        {"Liberation Mono", "notes: annafmail.example.net", "notes: annafmail.example.net",
         "notes: annafmail.example.net"},
        {"Liberation Mono", "./config/kowalski.yaml: ok", "./config/kowalski.yaml: ok",
         "./config/kowalski.yaml: ok"},
        {"DejaVu Sans", "to li.petrov6@corp.com", "to li.petrove@corp.com",
         "to li.petrov6@corp.com", 11, "6o"},
        {"DejaVu Sans", "to li.petrove@corp.com", "to li.petrove@corp.com",
         "to li.petrove@corp.com", 11, "6o"},
        {"DejaVu Sans", "to li@c0nt.com", "to li@cont.com", "to li@cont.com", 6, "0"},
        {"DejaVu Sans", "to m.+anaka@corp.com", "to m.tanaka@corp.com", "to m.tanaka@corp.com", 4,
         "+"},
        {"DejaVu Serif", "pay noah.dubois17 @tailspin.com", "pay noah.dubois!7 @tailspin.com",
         "pay noah.dubois17 @tailspin.com", 14, "1|l"},
        {"DejaVu Serif", "ok! anna@tailspin.com", "ok! anna@tailspin.com", "ok! anna@tailspin.com",
         2, "1|l"},
        {"DejaVu Sans Mono", "to okafor50@corp.com", "to okafor5@@corp.com", "to okafor50@corp.com",
         9, "0O"},
        {"DejaVu Sans Mono", "to okafor50@corp.com", "to okafor5@@corp.com",
         "to okafor5@@corp.com"},
        {"DejaVu Sans Mono", "to wei@corp.org,300 934", "to wei@corp.org,30@ 934",
         "to wei@corp.org,300 934", 17, "0"},
        {"DejaVu Serif", "to ldubois@corp.com", "to Idubois@corp.com", "to ldubois@corp.com"},
        {"Liberation Serif", "to ldubois@corp.com", "to Idubois@corp.com", "to ldubois@corp.com"},
        {"DejaVu Serif", "to Ivan.Ito@corp.com", "to Ivan.Ito@corp.com", "to Ivan.Ito@corp.com"},
        {"Liberation Serif", "to Ivan.Ito@corp.com", "to Ivan.Ito@corp.com",
         "to Ivan.Ito@corp.com"},
    };
    for (const auto& c : cases) {
        for (const int pixelSize : {24, 32}) {
            SCOPED_TRACE(std::string(c.family) + " " + std::to_string(pixelSize) + ": " + c.drawn);
            EXPECT_EQ(resolved(c.family, pixelSize, c.drawn, c.reading, c.doubted, c.alternatives),
                      c.expected);
        }
    }
}

TEST(GlyphConfusionsTest, ABarInAnAddressNameIsOneOrLByTheHeightItStandsTo) {
    // In Noto Sans at 48 pixels the tall letters stand two pixels above the digits; in DejaVu Sans
    // Mono at 24 less than that, and the bars are left as read.
    const struct {
        const char* family;
        int pixelSize;
        const char* drawn;
        const char* reading;
        const char* expected;
    } cases[] = {
        {"Noto Sans", 48, "2024 bold omar.garcia14@corp.com", "2024 bold omar.garcial4@corp.com",
         "2024 bold omar.garcia14@corp.com"},
        {"Noto Sans", 48, "2024 bold li616@corp.com", "2024 bold 1i616@corp.com",
         "2024 bold li616@corp.com"},
        {"Noto Sans", 48, "2024 bold paul4@corp.com", "2024 bold paul4@corp.com",
         "2024 bold paul4@corp.com"},
        {"Noto Sans", 48, "2024 bold ab1c@corp.com", "2024 bold ab1c@corp.com",
         "2024 bold ab1c@corp.com"},
        {"DejaVu Sans Mono", 24, "2024 bold omar.garcia14@corp.com",
         "2024 bold omar.garcial4@corp.com", "2024 bold omar.garcial4@corp.com"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.family) + ": " + c.reading);
        EXPECT_EQ(resolved(c.family, c.pixelSize, c.drawn, c.reading), c.expected);
    }
}

TEST(NumberRereadingTest, OnlyTheMisreadLetterOfANumberIsTakenFromTheSecondReading) {
    const struct {
        const char* first;
        bool wanted;
        const char* second;
        const char* expected;
    } cases[] = {
        {"A18-83-8135,", true, "\u2014 418-83-8135", "418-83-8135,"},
        {"ssn S93-32-9145 ok", true, "ssn 593-32-9145 ok", "ssn 593-32-9145 ok"},
        {"A18-83-8135", true, "A18-83-8135", "A18-83-8135"},
        {"A18-83-8135", true, "418-83-8136", "A18-83-8135"},
        {"A18-83-8135", true, "418-83-81350", "A18-83-8135"},
        {"Flight BA2490 at 18:40", false, "Flight 842490 at 18:40", "Flight BA2490 at 18:40"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        const QString first = QString::fromUtf8(c.first);
        EXPECT_EQ(NumberRereading::wanted(first), c.wanted);
        EXPECT_EQ(NumberRereading::merged(first, QString::fromUtf8(c.second)).toStdString(),
                  c.expected);
    }
}

}  // namespace

TEST(GlyphConfusionsTest, ADoubtedGlyphTakesTheEnginesOtherReadingWhereANumberOrAddressNeedsIt) {
    // The one glyph with alternatives is the character after the '^'.
    const struct {
        const char* reading;
        const char* alternatives;
        const char* expected;
    } cases[] = {
        {"card ^A268410607962362 ok", "£46", "card 4268410607962362 ok"},
        {"ssn ^S17-07-6301", "5", "ssn 517-07-6301"},
        {"id ^A2684106 ok", "4", "id A2684106 ok"},
        {"card ^A268410607962362 ok", "£R", "card A268410607962362 ok"},
        {"ref ^AB68410607962362", "4", "ref AB68410607962362"},
        {"ssn ^§93-32-9145", "5$g8S", "ssn 593-32-9145"},
        {"notes: pierre^gexample.org", "@G¢", "notes: pierre@example.org"},
        {"tag: sa^ge ok", "@", "tag: sage ok"},
        {"2,omar_silva,^|silva@fabrikam.io", "lI", "2,omar_silva,lsilva@fabrikam.io"},
        {"notes: ^1i565@mail.example.net", "lIL", "notes: li565@mail.example.net"},
        {"id ^12ab@corp.io", "l", "id 12ab@corp.io"},
        {"user=wei^l83@proseware.net", "1i", "user=wei183@proseware.net"},
        {"notes: l^i565@mail.example.net", "1", "notes: li565@mail.example.net"},
        {"pierre.nguyen4^o@litware.biz", "0Oe6", "pierre.nguyen40@litware.biz"},
        {"pierre.nguyen^o@litware.biz", "0Oe6", "pierre.nguyeno@litware.biz"},
        {"Nadia li.petrov^\u00e9@proseware.net", "6eosd", "Nadia li.petrov6@proseware.net"},
        {"caf^\u00e9 ok", "e", "caf\u00e9 ok"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reading);
        RecognizedLine line;
        bool wordStart = true;
        bool marked = false;
        for (const QChar ch : QString::fromUtf8(c.reading)) {
            if (ch == QLatin1Char(' ')) {
                wordStart = true;
            } else if (ch == QLatin1Char('^')) {
                marked = true;
            } else {
                line.glyphs.append(RecognizedGlyph{
                    QString(ch), {}, wordStart, marked ? QString::fromUtf8(c.alternatives) : ""});
                wordStart = false;
                marked = false;
            }
        }
        line.text = QString::fromUtf8(c.reading).remove(QLatin1Char('^'));
        EXPECT_EQ(GlyphConfusions::resolve(line, QImage()).text.toStdString(), c.expected);
    }
}
