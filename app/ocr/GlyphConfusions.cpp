#include "ocr/GlyphConfusions.h"

#include "ocr/SensitivePatternTable.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace GlyphConfusions {
namespace {

constexpr uint8_t kInkBelow = 128;

// Where the first row carrying a bar (at least 4/5 of the widest row's ink) lies below the top
// of the ink in `area`, as a share of the ink's height; negative when there is too little ink.
double barDepth(const QImage& ink, QRect area) {
    area = area.intersected(ink.rect());
    std::vector<int> counts;
    int first = -1;
    int last = -1;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const uint8_t* row = ink.constScanLine(y);
        const auto count = static_cast<int>(std::count_if(row + area.left(), row + area.right() + 1,
                                                          [](uint8_t v) { return v < kInkBelow; }));
        counts.push_back(count);
        if (count > 0) {
            first = first < 0 ? y : first;
            last = y;
        }
    }
    if (first < 0 || last - first < 4) {
        return -1;
    }
    const int widest = *std::max_element(counts.begin(), counts.end());
    for (int y = first; y <= last; ++y) {
        if (5 * counts[static_cast<size_t>(y - area.top())] >= 4 * widest) {
            return static_cast<double>(y - first) / (last - first);
        }
    }
    return -1;
}

RecognizedLine withTextOfGlyphs(RecognizedLine line) {
    QString text;
    for (const RecognizedGlyph& glyph : line.glyphs) {
        if (glyph.wordStart && !text.isEmpty()) {
            text += QLatin1Char(' ');
        }
        text += glyph.text;
    }
    line.text = text;
    return line;
}

bool isDigit(const RecognizedGlyph& glyph) {
    return glyph.text.size() == 1 && glyph.text.at(0).isDigit();
}

// Marks that write numbers: group separators, brackets, a country code's plus, a row's comma.
bool isNumberMark(const RecognizedGlyph& glyph) {
    return glyph.text.size() == 1 && QStringLiteral("-.,()+/").contains(glyph.text.at(0));
}

// A letter or mark that is the only one of its kind in a word of digits, where the engine also read
// it as a digit, becomes that digit: "A268410607962362" is a card number whose "4" lost its
// crossing, "§93-32-9145" one whose "5" lost its flag.
bool resolveDigitRuns(QList<RecognizedGlyph>& glyphs) {
    bool changed = false;
    qsizetype start = 0;
    while (start < glyphs.size()) {
        qsizetype end = start + 1;
        while (end < glyphs.size() && !glyphs.at(end).wordStart) {
            ++end;
        }
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
            for (const QChar c : glyphs.at(stranger).alternatives) {
                if (c.isDigit()) {
                    glyphs[stranger].text = QString(c);
                    changed = true;
                    break;
                }
            }
        }
        start = end;
    }
    return changed;
}

// Two overlapping digit glyphs of one word that together span no more than one digit are one
// digit read twice ("06" read as "096" or "006"), which breaks the number's grouping. One glyph
// stays, with the box of both: the wider one's reading, unless the engine also found the narrower
// one's reading likely for it.
bool mergeDoubledDigits(QList<RecognizedGlyph>& glyphs) {
    std::vector<int> widths;
    for (const RecognizedGlyph& glyph : glyphs) {
        if (isDigit(glyph)) {
            widths.push_back(glyph.box.width());
        }
    }
    if (widths.size() < 3) {
        return false;
    }
    std::nth_element(widths.begin(), widths.begin() + widths.size() / 2, widths.end());
    const double digitWidth = widths[widths.size() / 2];
    bool changed = false;
    for (qsizetype i = 0; i + 1 < glyphs.size(); ++i) {
        const RecognizedGlyph& a = glyphs.at(i);
        const RecognizedGlyph& b = glyphs.at(i + 1);
        const QRect both = a.box.united(b.box);
        // The engine's glyph boxes are rough: two real digits may overlap as much as one read
        // twice. Only the engine's own doubt (the same digit, or each a likely reading of the
        // other) tells a doubled reading from a digit that would be lost by merging.
        const bool sameReading =
            a.text == b.text || a.alternatives.contains(b.text) || b.alternatives.contains(a.text);
        if (!isDigit(a) || !isDigit(b) || b.wordStart || b.box.left() > a.box.right() ||
            both.width() > kDoubledDigitSpan * digitWidth || !sameReading) {
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

// An "@" read as a letter ("pierregexample.org" at 1×): in a word without one, a glyph the engine
// also found likely to be "@" is "@" where that makes the word an address.
bool restoreAtSigns(QList<RecognizedGlyph>& glyphs) {
    bool changed = false;
    qsizetype start = 0;
    while (start < glyphs.size()) {
        qsizetype end = start + 1;
        while (end < glyphs.size() && !glyphs.at(end).wordStart) {
            ++end;
        }
        QString word;
        for (qsizetype i = start; i < end; ++i) {
            word += glyphs.at(i).text;
        }
        // One character per glyph, so that a glyph's index is its place in the word.
        const bool plain = word.size() == end - start;
        for (qsizetype i = start + 1; plain && !word.contains(QLatin1Char('@')) && i + 1 < end;
             ++i) {
            if (!glyphs.at(i).alternatives.contains(QLatin1Char('@'))) {
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

}  // namespace

RecognizedLine resolve(const RecognizedLine& line, const QImage& ink) {
    RecognizedLine out = line;
    bool changed = mergeDoubledDigits(out.glyphs);
    changed = resolveDigitRuns(out.glyphs) || changed;
    changed = restoreAtSigns(out.glyphs) || changed;
    if (!line.text.contains(QLatin1Char('@')) || ink.format() != QImage::Format_Grayscale8) {
        return changed ? withTextOfGlyphs(out) : line;
    }
    for (qsizetype i = 0; i < out.glyphs.size(); ++i) {
        if (out.glyphs.at(i).text != QLatin1String("t")) {
            continue;
        }
        bool beforeAt = false;
        for (qsizetype j = i + 1; j < out.glyphs.size() && !out.glyphs.at(j).wordStart; ++j) {
            beforeAt = beforeAt || out.glyphs.at(j).text == QLatin1String("@");
        }
        // The box only: the engine's boxes of neighbours do not overlap it.
        QRect area = out.glyphs.at(i).box;
        if (i + 1 < out.glyphs.size()) {
            area.setRight(std::min(area.right(), out.glyphs.at(i + 1).box.left() - 1));
        }
        if (beforeAt && barDepth(ink, area) >= kPlusBarDepth) {
            out.glyphs[i].text = QStringLiteral("+");
            changed = true;
        }
    }
    return changed ? withTextOfGlyphs(out) : line;
}

}  // namespace GlyphConfusions
