#include "ocr/GlyphConfusions.h"

#include "ocr/AddressGlyphs.h"
#include "ocr/GlyphReading.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace GlyphConfusions {
namespace {

using GlyphReading::isDigit;
using GlyphReading::withTextOfGlyphs;

bool isNumberMark(const RecognizedGlyph& glyph) {
    return glyph.text.size() == 1 && GlyphReading::isNumberMark(glyph.text.at(0));
}

// A letter or mark that is the only one of its kind in a word of digits, where the engine also read
// it as a digit, becomes that digit: "A268410607962362" is a card number whose "4" lost its
// crossing, "§93-32-9145" one whose "5" lost its flag.
bool resolveDigitRuns(QList<RecognizedGlyph>& glyphs) {
    bool changed = false;
    qsizetype start = 0;
    while (start < glyphs.size()) {
        const qsizetype end = GlyphReading::wordEnd(glyphs, start);
        int digits = 0;
        qsizetype stranger = -1;
        int strangers = 0;
        for (qsizetype i = start; i < end; ++i) {
            const RecognizedGlyph& glyph = glyphs.at(i);
            if (isDigit(glyph)) {
                ++digits;
            } else if (!isNumberMark(glyph)) {
                stranger = i;
                ++strangers;
            }
        }
        if (strangers == 1 && digits >= kMinDigitRun) {
            changed = GlyphReading::takeAlternative(glyphs[stranger],
                                                    [](QChar c) { return c.isDigit(); }) ||
                      changed;
        }
        start = end;
    }
    return changed;
}

bool isMark(const RecognizedGlyph& glyph) {
    return glyph.text.size() == 1 && QStringLiteral("+.-_,").contains(glyph.text.at(0));
}

int medianWidth(const QList<RecognizedGlyph>& glyphs, bool digitsOnly) {
    std::vector<int> widths;
    for (const RecognizedGlyph& glyph : glyphs) {
        if (!digitsOnly || isDigit(glyph)) {
            widths.push_back(glyph.box.width());
        }
    }
    if (widths.size() < 3) {
        return 0;
    }
    std::nth_element(widths.begin(), widths.begin() + widths.size() / 2, widths.end());
    return widths[widths.size() / 2];
}

// Two overlapping glyphs of one word that together span no more than one glyph are one glyph read
// twice: a digit ("06" read as "096" or "006"), which breaks the number's grouping, or a mark ("+"
// read as "t+", "." as ".."), which breaks an address. One glyph stays, with the box of both: the
// wider one's reading, unless the engine also found the narrower one's reading likely for it.
bool mergeDoubledGlyphs(QList<RecognizedGlyph>& glyphs) {
    const int digitWidth = medianWidth(glyphs, true);
    const int glyphWidth = medianWidth(glyphs, false);
    bool changed = false;
    for (qsizetype i = 0; i + 1 < glyphs.size(); ++i) {
        const RecognizedGlyph& a = glyphs.at(i);
        const RecognizedGlyph& b = glyphs.at(i + 1);
        const QRect both = a.box.united(b.box);
        const bool digits = isDigit(a) && isDigit(b);
        const int width = digits ? digitWidth : glyphWidth;
        // The engine's glyph boxes are rough: two real glyphs may overlap as much as one read
        // twice. Only the engine's own doubt (the same reading, or one a likely reading of the
        // other) tells a doubled reading from a glyph that would be lost by merging; where each is
        // a likely reading of the other, a digit beside a letter ("i1" for "1") is doubled too,
        // and the boxes may spread further.
        const bool sameReading =
            a.text == b.text || a.alternatives.contains(b.text) || b.alternatives.contains(a.text);
        const bool mutual = a.alternatives.contains(b.text) && b.alternatives.contains(a.text);
        const bool kinds =
            digits || isMark(a) || isMark(b) || (mutual && (isDigit(a) || isDigit(b)));
        const double span = mutual ? kMutualDoubledGlyphSpan : kDoubledGlyphSpan;
        if (!kinds || b.wordStart || a.ownPiece || b.ownPiece || b.box.left() > a.box.right() ||
            width <= 0 || both.width() > span * width || !sameReading) {
            continue;
        }
        const bool aWider = a.box.width() >= b.box.width();
        const RecognizedGlyph& wide = aWider ? a : b;
        const RecognizedGlyph& narrow = aWider ? b : a;
        RecognizedGlyph merged = wide;
        if (wide.alternatives.contains(narrow.text)) {
            merged.text = narrow.text;
        }
        merged.box = both;
        merged.wordStart = a.wordStart;
        glyphs[i] = merged;
        glyphs.removeAt(i + 1);
        changed = true;
    }
    return changed;
}

}  // namespace

RecognizedLine resolve(const RecognizedLine& line, const QImage& ink) {
    RecognizedLine out = line;
    bool changed = mergeDoubledGlyphs(out.glyphs);
    changed = resolveDigitRuns(out.glyphs) || changed;
    changed = AddressGlyphs::resolve(out.glyphs, ink) || changed;
    return changed ? withTextOfGlyphs(out) : line;
}

}  // namespace GlyphConfusions
