#include "ocr/AddressGlyphs.h"

#include "ocr/GlyphReading.h"
#include "ocr/GlyphShapes.h"
#include "ocr/SensitivePatternTable.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace AddressGlyphs {
namespace {

using GlyphReading::isDigit;
using GlyphReading::takeAlternative;
using GlyphShapes::StemShape;

// Small letters that stand on the baseline and rise no higher than the x-height.
const QString kSmallLetters = QStringLiteral("acemnorsuvwxz");

bool isSmallLetter(const RecognizedGlyph& glyph) {
    return glyph.text.size() == 1 && kSmallLetters.contains(glyph.text);
}

bool alphanumericAt(const QList<RecognizedGlyph>& glyphs, qsizetype i) {
    return i >= 0 && i < glyphs.size() && GlyphReading::isAlphanumeric(glyphs.at(i));
}

int median(std::vector<int> values) {
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

// The bottom row of the line's small letters that stand on the baseline, by the engine's boxes;
// -1 when too few were read.
int smallLettersBaseline(const QList<RecognizedGlyph>& glyphs) {
    std::vector<int> bottoms;
    for (const RecognizedGlyph& glyph : glyphs) {
        if (isSmallLetter(glyph)) {
            bottoms.push_back(glyph.box.bottom());
        }
    }
    return bottoms.size() < 3 ? -1 : median(bottoms);
}

// Whether the ink of the glyph at `i` is an "@"'s whatever letter the engine read: a ring around a
// counter, reaching below the baseline, where the letter read has neither. Only the columns
// nearer the glyph's centre than its neighbours' are judged: a monospace box reaches half a cell
// into each, over a neighbour's counter.
bool inkedAsAtSign(const QList<RecognizedGlyph>& glyphs, qsizetype i, const QImage& ink,
                   int baseline) {
    static const QString kPlainLetters = QStringLiteral("cfhiklmnrstuvwxz");
    const RecognizedGlyph& glyph = glyphs.at(i);
    if (baseline < 0 || glyph.text.size() != 1 || !kPlainLetters.contains(glyph.text)) {
        return false;
    }
    const int centre = glyph.box.center().x();
    QRect own = glyph.box;
    own.setLeft(std::max(own.left(), (glyphs.at(i - 1).box.center().x() + centre) / 2));
    own.setRight(std::min(own.right(), (centre + glyphs.at(i + 1).box.center().x()) / 2));
    const QRect below =
        QRect(QPoint(own.left(), baseline + kAtSignDescent), QPoint(own.right(), ink.height() - 1));
    return !GlyphShapes::inkBox(ink, below).isEmpty() && GlyphShapes::enclosesCounter(ink, own);
}

// An "@" read as a letter ("pierregexample.org" at 1×, "annafmail.example.net" where a monospace
// "@" overlaps the next cell): in a word without one, a glyph the engine also found likely to be
// "@", or one whose ink is an "@"'s, is "@" where that makes the word an address.
bool restoreAtSigns(QList<RecognizedGlyph>& glyphs, const QImage& ink) {
    const int baseline =
        ink.format() == QImage::Format_Grayscale8 ? smallLettersBaseline(glyphs) : -1;
    bool changed = false;
    qsizetype start = 0;
    while (start < glyphs.size()) {
        const qsizetype end = GlyphReading::wordEnd(glyphs, start);
        QString word;
        for (qsizetype i = start; i < end; ++i) {
            word += glyphs.at(i).text;
        }
        // One character per glyph, so that a glyph's index is its place in the word.
        const bool plain = word.size() == end - start;
        for (qsizetype i = start + 1; plain && !word.contains(QLatin1Char('@')) && i + 1 < end;
             ++i) {
            // A digit inside a run of digits is a number's ("card_340379…" is no address).
            const bool inNumber =
                isDigit(glyphs.at(i)) && isDigit(glyphs.at(i - 1)) && isDigit(glyphs.at(i + 1));
            const bool doubted = glyphs.at(i).alternatives.contains(QLatin1Char('@'));
            // An address's domain holds a full stop: the ink is only looked at where one follows.
            const bool domainAfter = word.indexOf(QLatin1Char('.'), i - start + 2) > 0;
            if (inNumber || !domainAfter || !(doubted || inkedAsAtSign(glyphs, i, ink, baseline))) {
                continue;
            }
            QString candidate = word;
            candidate[i - start] = QLatin1Char('@');
            const QList<SensitiveMatch> matches =
                SensitivePatternTable::sensitiveMatches(candidate);
            if (std::any_of(matches.begin(), matches.end(), [](const SensitiveMatch& match) {
                    return match.kind == SensitiveDataKind::email;
                })) {
                glyphs[i].text = QStringLiteral("@");
                word = candidate;
                changed = true;
            }
        }
        start = end;
    }
    return changed;
}

bool isAddressGlyph(const RecognizedGlyph& glyph) {
    if (glyph.text.size() != 1) {
        return false;
    }
    const QChar c = glyph.text.at(0);
    return (c.isLetterOrNumber() && c.unicode() < 128) || QStringLiteral("._%+-").contains(c);
}

// The first glyph of the run of address characters that ends at `end` within its word.
qsizetype addressStart(const QList<RecognizedGlyph>& glyphs, qsizetype end) {
    qsizetype start = end;
    while (start > 0 && !glyphs.at(start).wordStart && isAddressGlyph(glyphs.at(start - 1))) {
        --start;
    }
    return start;
}

// The first letter of an address misread as a stroke or a digit ("|silva@", "].dubois@",
// "1i565@", "1.haddad@"): a bar or bracket that touches the address, or a digit that begins it and
// is followed by no digit, takes the engine's first letter for it where it found one likely.
bool resolveAddressStarts(QList<RecognizedGlyph>& glyphs) {
    bool changed = false;
    for (qsizetype at = 0; at < glyphs.size(); ++at) {
        if (glyphs.at(at).text != QLatin1String("@")) {
            continue;
        }
        qsizetype start = addressStart(glyphs, at);
        const auto isAsciiLetter = [](QChar c) {
            return c.isLetter() && c.unicode() < 128;
        };
        const bool touching = start > 0 && !glyphs.at(start).wordStart;
        if (touching && glyphs.at(start - 1).text.size() == 1 &&
            QStringLiteral("|]").contains(glyphs.at(start - 1).text) &&
            takeAlternative(glyphs[start - 1], isAsciiLetter)) {
            changed = true;
            --start;
        } else if (start + 1 < at && glyphs.at(start).text.size() == 1 &&
                   glyphs.at(start).text.at(0).isDigit() && !isDigit(glyphs.at(start + 1))) {
            changed = takeAlternative(glyphs[start], isAsciiLetter) || changed;
        }
    }
    return changed;
}

// A glyph of an address word read as a character outside ASCII ("li.petrové@" for "li.petrov6@"),
// or as "!" between two letters or digits of its name ("dubois!7" for "dubois17"), which no
// address holds: the engine's first ASCII letter or digit for it. The engine may have put a space
// before the "@" ("noah.dubois!7 @tailspin"). A comma or "=" between words of a row stays.
bool resolveForeignGlyphs(QList<RecognizedGlyph>& glyphs) {
    bool changed = false;
    for (qsizetype start = 0; start < glyphs.size();) {
        const qsizetype end = GlyphReading::wordEnd(glyphs, start);
        const bool address =
            std::any_of(glyphs.begin() + start, glyphs.begin() + end,
                        [](const RecognizedGlyph& g) { return g.text == QLatin1String("@"); }) ||
            (end < glyphs.size() && glyphs.at(end).text == QLatin1String("@"));
        for (qsizetype i = start; address && i < end; ++i) {
            RecognizedGlyph& glyph = glyphs[i];
            const bool foreign = glyph.text.size() == 1 && glyph.text.at(0).unicode() >= 128 &&
                                 glyph.text.at(0).isLetter();
            const bool strayMark = glyph.text == QLatin1String("!") && i > start &&
                                   alphanumericAt(glyphs, i - 1) && alphanumericAt(glyphs, i + 1) &&
                                   !glyphs.at(i + 1).wordStart;
            if (foreign || strayMark) {
                changed =
                    takeAlternative(
                        glyph, [](QChar c) { return c.unicode() < 128 && c.isLetterOrNumber(); }) ||
                    changed;
            }
        }
        start = end;
    }
    return changed;
}

// A word holding two "@", which no address does: one the engine also read as a digit is that
// digit, a zero read as the sign ("okafor5@@" for "okafor50@", "example.org,30@" for a row's
// next cell "300"), as long as one "@" stays.
bool resolveSecondAtSigns(QList<RecognizedGlyph>& glyphs) {
    bool changed = false;
    for (qsizetype start = 0; start < glyphs.size();) {
        const qsizetype end = GlyphReading::wordEnd(glyphs, start);
        auto signs =
            std::count_if(glyphs.begin() + start, glyphs.begin() + end,
                          [](const RecognizedGlyph& g) { return g.text == QLatin1String("@"); });
        for (qsizetype i = start; i < end && signs > 1; ++i) {
            if (glyphs.at(i).text == QLatin1String("@") &&
                takeAlternative(glyphs[i], [](QChar c) { return c.isDigit(); })) {
                --signs;
                changed = true;
            }
        }
        start = end;
    }
    return changed;
}

// The digits that end an address's name ("wei183@") misread as letters ("weil83@", "johnS3@",
// "ivanii7@", "nguyen4o@"): going left from the "@" over the digits, letters the engine also read
// as a digit take that digit, up to the first letter it did not.
bool resolveTrailingDigits(QList<RecognizedGlyph>& glyphs) {
    bool changed = false;
    for (qsizetype at = 1; at < glyphs.size(); ++at) {
        if (glyphs.at(at).text != QLatin1String("@") || glyphs.at(at).wordStart) {
            continue;
        }
        // The last digit itself misread ("nguyen4o@"), after a digit read as one.
        if (at >= 2 && !isDigit(glyphs.at(at - 1)) && isDigit(glyphs.at(at - 2)) &&
            !glyphs.at(at - 1).wordStart && glyphs.at(at - 1).text.size() == 1 &&
            glyphs.at(at - 1).text.at(0).isLetter()) {
            changed =
                takeAlternative(glyphs[at - 1], [](QChar c) { return c.isDigit(); }) || changed;
        }
        if (!isDigit(glyphs.at(at - 1))) {
            continue;
        }
        qsizetype i = at - 1;
        while (i > 0 && isDigit(glyphs.at(i)) && !glyphs.at(i).wordStart) {
            --i;
        }
        // Letters of the name before them: at least kMinNameLetters must stay letters, so that a
        // short name the engine doubted throughout ("li565@") is left as read.
        const qsizetype nameStart = addressStart(glyphs, i);
        for (; i - nameStart >= kMinNameLetters && !isDigit(glyphs.at(i)) &&
               !glyphs.at(i + 1).wordStart;
             --i) {
            const RecognizedGlyph& glyph = glyphs.at(i);
            if (glyph.text.size() != 1 || !glyph.text.at(0).isLetter() ||
                !takeAlternative(glyphs[i], [](QChar c) { return c.isDigit(); })) {
                break;
            }
            changed = true;
        }
    }
    return changed;
}

// The median top row of the glyphs read as one of `characters`; -1 when fewer than three were.
int medianTop(const QList<RecognizedGlyph>& glyphs, const QString& characters) {
    std::vector<int> tops;
    for (const RecognizedGlyph& glyph : glyphs) {
        if (glyph.text.size() == 1 && characters.contains(glyph.text)) {
            tops.push_back(glyph.box.top());
        }
    }
    return tops.size() < 3 ? -1 : median(tops);
}

// A "1" and an "l" in an address's name read the one for the other ("garcial4@" for "garcia14@",
// "1i616@" for "li616@": in Noto Sans Mono they differ by little more than the flag's slant). Where
// the line's tall letters stand clearly above its digits, the bar's top tells: an "l" beside a
// digit whose top is at the digits' is a "1", a "1" beside a letter whose top is at the tall
// letters' an "l".
bool resolveBarsByHeight(QList<RecognizedGlyph>& glyphs) {
    const int tallTop = medianTop(glyphs, QStringLiteral("bdfhkl"));
    const int digitTop = medianTop(glyphs, QStringLiteral("0123456789"));
    if (tallTop < 0 || digitTop < 0 || digitTop - tallTop < kMinDigitDrop) {
        return false;
    }
    const auto letterAt = [&](qsizetype i) {
        return alphanumericAt(glyphs, i) && !isDigit(glyphs.at(i));
    };
    bool changed = false;
    for (qsizetype at = 1; at < glyphs.size(); ++at) {
        if (glyphs.at(at).text != QLatin1String("@") || glyphs.at(at).wordStart) {
            continue;
        }
        for (qsizetype i = addressStart(glyphs, at); i < at; ++i) {
            RecognizedGlyph& glyph = glyphs[i];
            const int top = glyph.box.top();
            if (glyph.text == QLatin1String("l") && isDigit(glyphs.at(i + 1)) &&
                top >= digitTop - 1) {
                glyph.text = QStringLiteral("1");
                changed = true;
            } else if (glyph.text == QLatin1String("1") && top <= tallTop + 1 &&
                       (letterAt(i - 1) || letterAt(i + 1))) {
                glyph.text = QStringLiteral("l");
                changed = true;
            }
        }
    }
    return changed;
}

// The digits that end an address's name read as small letters of their shape ("li.petrove@" for
// "li.petrov6@", "o" for "0"): the glyph's ink stands as tall as a digit, above the small
// letters' height, and the engine also found the digit likely.
bool resolveTallSmallLetters(QList<RecognizedGlyph>& glyphs) {
    std::vector<int> heights;
    for (const RecognizedGlyph& glyph : glyphs) {
        if (isSmallLetter(glyph)) {
            heights.push_back(glyph.box.height());
        }
    }
    const int smallHeight = heights.size() < 3 ? 0 : median(heights);
    if (smallHeight <= 0) {
        return false;
    }
    bool changed = false;
    for (qsizetype at = 1; at < glyphs.size(); ++at) {
        if (glyphs.at(at).text != QLatin1String("@") || glyphs.at(at).wordStart) {
            continue;
        }
        for (qsizetype i = at - 1; i >= 0 && !glyphs.at(i + 1).wordStart; --i) {
            RecognizedGlyph& glyph = glyphs[i];
            if (isDigit(glyph)) {
                continue;
            }
            const bool tall =
                isSmallLetter(glyph) && glyph.box.height() >= kTallLetterHeight * smallHeight;
            if (!tall || !takeAlternative(glyph, [](QChar c) { return c.isDigit(); })) {
                break;
            }
            changed = true;
        }
    }
    return changed;
}

// An "l" of an address read as "L", "J" or "I" ("Lukas_horvat@", "Ji+news@", "Idubois@"): the
// letter's own ink has the serif or monospace small letter's shape, or is a bare bar the engine
// also found likely to be "l" (never for "I": a sans "I" is that bar).
bool resolveSmallL(QList<RecognizedGlyph>& glyphs, const QImage& ink) {
    bool changed = false;
    for (qsizetype at = 0; at < glyphs.size(); ++at) {
        if (glyphs.at(at).text != QLatin1String("@")) {
            continue;
        }
        const qsizetype end = GlyphReading::wordEnd(glyphs, at);
        for (qsizetype i = addressStart(glyphs, at); i < end; ++i) {
            RecognizedGlyph& glyph = glyphs[i];
            const bool capitalI = glyph.text == QLatin1String("I");
            if (!capitalI && glyph.text != QLatin1String("L") && glyph.text != QLatin1String("J")) {
                continue;
            }
            // A rough box reaching into a neighbour holds no bare bar; the small letter's hook
            // and foot are only judged on a box that is the glyph's own ink.
            const StemShape shape =
                GlyphShapes::stemShape(ink, GlyphShapes::inkBox(ink, glyph.box));
            if ((shape == StemShape::smallL && GlyphShapes::fitsItsInk(ink, glyph.box)) ||
                (shape == StemShape::bar && !capitalI &&
                 glyph.alternatives.contains(QLatin1Char('l')))) {
                glyph.text = QStringLiteral("l");
                changed = true;
            }
        }
    }
    return changed;
}

// An "l" of an address read as "I", the same bar in a sans font: where the line's capitals stand
// lower than its tall small letters ("b", "d", "k", "l"...), a bar that reaches their height is
// the small letter.
bool resolveBarsAsSmallL(QList<RecognizedGlyph>& glyphs) {
    // Flat-topped ones only: a round top ("O", "f") overshoots its line.
    static const QString kCapitals = QStringLiteral("BDEFHKLMNPRTUVWXZ");
    static const QString kTallSmall = QStringLiteral("bdhkl");
    std::vector<int> capitalTops;
    std::vector<int> tallTops;
    for (const RecognizedGlyph& glyph : glyphs) {
        if (glyph.text.size() == 1 && !glyph.box.isEmpty()) {
            if (kCapitals.contains(glyph.text)) {
                capitalTops.push_back(glyph.box.top());
            } else if (kTallSmall.contains(glyph.text)) {
                tallTops.push_back(glyph.box.top());
            }
        }
    }
    if (capitalTops.empty() || tallTops.empty()) {
        return false;
    }
    const int capitalTop = median(capitalTops);
    const int tallTop = median(tallTops);
    if (capitalTop - tallTop < kMinAscenderRise) {
        return false;
    }
    bool changed = false;
    for (qsizetype at = 0; at < glyphs.size(); ++at) {
        if (glyphs.at(at).text != QLatin1String("@")) {
            continue;
        }
        for (qsizetype i = addressStart(glyphs, at); i < at; ++i) {
            RecognizedGlyph& glyph = glyphs[i];
            if (glyph.text == QLatin1String("I") && 2 * glyph.box.top() <= capitalTop + tallTop) {
                glyph.text = QStringLiteral("l");
                changed = true;
            }
        }
    }
    return changed;
}

// An address's first letter read as a capital whose small form has the same shape ("Nadia654@"
// for "nadia654@"): on its own ink, no taller than the name's small letters, where the engine also
// found the small form likely.
bool resolveSmallFirstLetters(QList<RecognizedGlyph>& glyphs, const QImage& ink) {
    static const QString kSameShapeCapitals = QStringLiteral("CMNOSUVWXZ");
    bool changed = false;
    for (qsizetype at = 0; at < glyphs.size(); ++at) {
        if (glyphs.at(at).text != QLatin1String("@")) {
            continue;
        }
        qsizetype start = addressStart(glyphs, at);
        RecognizedGlyph& first = glyphs[start];
        const QString small = first.text.toLower();
        if (start == at || first.text.size() != 1 || !kSameShapeCapitals.contains(first.text) ||
            !first.alternatives.contains(small) || !GlyphShapes::fitsItsInk(ink, first.box)) {
            continue;
        }
        std::vector<int> heights;
        for (qsizetype i = start + 1; i < at; ++i) {
            if (isSmallLetter(glyphs.at(i))) {
                heights.push_back(glyphs.at(i).box.height());
            }
        }
        if (heights.size() >= 2 && first.box.height() <= kSmallLetterHeight * median(heights)) {
            first.text = small;
            changed = true;
        }
    }
    return changed;
}

// The "+" of "maria+news@…" read as "t": a "t" is crossed near the top of its ink, at the
// x-height, and a "+" in the middle. Only glyphs of a word before its "@" are judged, and only
// between a letter or digit and another: a tag follows a name, never a dot ("m.tanaka@").
bool restorePlusSigns(QList<RecognizedGlyph>& glyphs, const QImage& ink) {
    bool changed = false;
    for (qsizetype i = 0; i < glyphs.size(); ++i) {
        if (glyphs.at(i).text != QLatin1String("t") || glyphs.at(i).wordStart ||
            !alphanumericAt(glyphs, i - 1) || !alphanumericAt(glyphs, i + 1)) {
            continue;
        }
        // The engine may have put a space before the "@" ("elenatnews @proseware.net").
        bool beforeAt = false;
        for (qsizetype j = i + 1; j < glyphs.size() && !beforeAt; ++j) {
            const bool at = glyphs.at(j).text == QLatin1String("@");
            if (glyphs.at(j).wordStart && !at) {
                break;
            }
            beforeAt = at;
        }
        // The box only: the engine's boxes of neighbours do not overlap it.
        QRect area = glyphs.at(i).box;
        if (i + 1 < glyphs.size()) {
            area.setRight(std::min(area.right(), glyphs.at(i + 1).box.left() - 1));
        }
        // The engine's doubt ("+" among its readings) needs less of the ink's support; without
        // it, only a box that is the glyph's own ink is measured, never a rough one reaching
        // into its neighbours.
        const double depth = beforeAt ? GlyphShapes::barDepth(ink, area) : -1;
        const bool plus = glyphs.at(i).alternatives.contains(QLatin1Char('+'))
                              ? depth >= kDoubtedPlusBarDepth
                              : GlyphShapes::fitsItsInk(ink, area) && depth >= kPlusBarDepth;
        if (plus) {
            glyphs[i].text = QStringLiteral("+");
            changed = true;
        }
    }
    return changed;
}

}  // namespace

bool resolve(QList<RecognizedGlyph>& glyphs, const QImage& ink) {
    bool changed = restoreAtSigns(glyphs, ink);
    changed = resolveSecondAtSigns(glyphs) || changed;
    changed = resolveForeignGlyphs(glyphs) || changed;
    changed = resolveTallSmallLetters(glyphs) || changed;
    changed = resolveAddressStarts(glyphs) || changed;
    changed = resolveTrailingDigits(glyphs) || changed;
    const bool hasAt = std::any_of(glyphs.begin(), glyphs.end(), [](const RecognizedGlyph& g) {
        return g.text == QLatin1String("@");
    });
    if (hasAt && ink.format() == QImage::Format_Grayscale8) {
        changed = resolveSmallFirstLetters(glyphs, ink) || changed;
        changed = resolveSmallL(glyphs, ink) || changed;
        changed = resolveBarsAsSmallL(glyphs) || changed;
        changed = restorePlusSigns(glyphs, ink) || changed;
    }
    // Last: the rules above may read a bar either way, and its height has the final word.
    return resolveBarsByHeight(glyphs) || changed;
}

}  // namespace AddressGlyphs
