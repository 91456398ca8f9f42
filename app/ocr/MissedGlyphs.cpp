#include "ocr/MissedGlyphs.h"

#include "ocr/GlyphReading.h"
#include "ocr/InkPieces.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace MissedGlyphs {
namespace {

// The marks a field's grey frame or a table's faint rule is read as ("'", "~", "—"); a bar or
// bracket may be a letter ("|" for "l").
const QString kShadingMarks = QStringLiteral("'`\u2018\u2019\"_~\u2014");

// Whether the ink in boxes `a` and `b`, laid over each other at their top left corners, is the same
// glyph drawn twice: few inked pixels of either lie more than a pixel from the other's ink (an
// enlarged 1× screen draws the same glyph at another pixel phase, its edges a pixel apart).
bool sameShape(const QImage& ink, const QRect& a, const QRect& b) {
    if (std::abs(a.width() - b.width()) > 2 || std::abs(a.height() - b.height()) > 2) {
        return false;
    }
    const auto inkAt = [&](const QRect& box, int x, int y) {
        return x >= 0 && y >= 0 && x < box.width() && y < box.height() &&
               ink.constScanLine(box.top() + y)[box.left() + x] < InkPieces::kInkBelow;
    };
    const auto strays = [&](const QRect& from, const QRect& to) {
        int stray = 0;
        int inked = 0;
        for (int y = 0; y < from.height(); ++y) {
            for (int x = 0; x < from.width(); ++x) {
                if (!inkAt(from, x, y)) {
                    continue;
                }
                ++inked;
                bool near = false;
                for (int dy = -1; dy <= 1 && !near; ++dy) {
                    for (int dx = -1; dx <= 1 && !near; ++dx) {
                        near = inkAt(to, x + dx, y + dy);
                    }
                }
                stray += near ? 0 : 1;
            }
        }
        return std::pair{stray, inked};
    };
    const auto [strayA, inkA] = strays(a, b);
    const auto [strayB, inkB] = strays(b, a);
    return inkA > 0 && inkB > 0 && strayA + strayB <= kSameShapeStrays * (inkA + inkB);
}

}  // namespace

// The engine reads a digit repeated with no ground between its images once ("777-55-6630" read
// "77-55-6630"): a digit whose box is as wide as two digits and holds the centres of two or three
// pieces of the same shape, none of them inside a neighbour's box, is that digit once per piece
// (unless the engine read the same digit next, its box merely rough).
QList<RecognizedGlyph> withRepeats(const QList<RecognizedGlyph>& glyphs,
                                   const std::vector<QRect>& pieces, const QImage& ink) {
    std::vector<int> digitWidths;
    for (const RecognizedGlyph& glyph : glyphs) {
        if (GlyphReading::isDigit(glyph)) {
            digitWidths.push_back(glyph.box.width());
        }
    }
    if (digitWidths.size() < 3) {
        return glyphs;
    }
    std::nth_element(digitWidths.begin(), digitWidths.begin() + digitWidths.size() / 2,
                     digitWidths.end());
    const int digitWidth = digitWidths[digitWidths.size() / 2];
    QList<RecognizedGlyph> out;
    for (qsizetype g = 0; g < glyphs.size(); ++g) {
        const RecognizedGlyph& glyph = glyphs.at(g);
        const RecognizedGlyph* next = g + 1 < glyphs.size() ? &glyphs.at(g + 1) : nullptr;
        const RecognizedGlyph* previous = g > 0 ? &glyphs.at(g - 1) : nullptr;
        const auto claimed = [&](const QRect& box) {
            return (next && next->box.contains(box.center())) ||
                   (previous && previous->box.contains(box.center()));
        };
        std::vector<QRect> inside;
        for (const QRect& box : pieces) {
            if (glyph.box.contains(box.center())) {
                inside.push_back(box);
            }
        }
        const bool repeated =
            GlyphReading::isDigit(glyph) && glyph.box.width() >= kRepeatedWidth * digitWidth &&
            (inside.size() == 2 || inside.size() == 3) && (!next || next->text != glyph.text) &&
            std::all_of(inside.begin(), inside.end(), [&](const QRect& box) {
                return !claimed(box) && sameShape(ink, box, inside.front());
            });
        // A "1" lost before a digit ("22-41-1271" for "122-41-1271", often the line's first
        // glyph): the digit's box holds a piece no wider than its own and as high before it, and
        // the engine found "1" likely.
        const bool lostOne =
            !repeated && GlyphReading::isDigit(glyph) && glyph.text != QLatin1String("1") &&
            glyph.alternatives.contains(QLatin1Char('1')) &&
            glyph.box.width() >= kRepeatedWidth * digitWidth && inside.size() == 2 &&
            !claimed(inside[0]) && !claimed(inside[1]) && inside[0].right() < inside[1].left() &&
            inside[0].width() <= inside[1].width() &&
            std::abs(inside[0].top() - inside[1].top()) <= kSameRows &&
            std::abs(inside[0].bottom() - inside[1].bottom()) <= kSameRows;
        if (lostOne) {
            out.append(
                RecognizedGlyph{QStringLiteral("1"), inside[0], glyph.wordStart, glyph.text, true});
            out.append(RecognizedGlyph{glyph.text, inside[1], false, QString(), true});
            continue;
        }
        if (!repeated) {
            out.append(glyph);
            continue;
        }
        for (size_t i = 0; i < inside.size(); ++i) {
            out.append(RecognizedGlyph{glyph.text, inside[i], glyph.wordStart && i == 0,
                                       glyph.alternatives, true});
        }
    }
    return out;
}

// The engine reads the grey shading of the image it is given; a quote, underscore or dash beginning
// a word read where the line has no ink (the grey frame of a text field read as "'" before its
// digits) is no glyph. Only the part of its box no neighbour's box covers is looked at: the
// engine's boxes overlap.
QList<RecognizedGlyph> withoutShadingMarks(QList<RecognizedGlyph> glyphs, const QImage& ink) {
    const auto hasInk = [&](QRect box) {
        box = box.intersected(ink.rect());
        for (int y = box.top(); y <= box.bottom(); ++y) {
            const uint8_t* row = ink.constScanLine(y);
            if (std::any_of(row + box.left(), row + box.right() + 1,
                            [](uint8_t v) { return v < InkPieces::kInkBelow; })) {
                return true;
            }
        }
        return box.isEmpty();
    };
    for (qsizetype i = glyphs.size() - 1; i >= 0; --i) {
        const RecognizedGlyph& glyph = glyphs.at(i);
        if (glyph.text.size() != 1 || !kShadingMarks.contains(glyph.text) || !glyph.wordStart) {
            continue;
        }
        QRect own = glyph.box;
        if (i > 0) {
            own.setLeft(std::max(own.left(), glyphs.at(i - 1).box.right() + 1));
        }
        if (i + 1 < glyphs.size()) {
            own.setRight(std::min(own.right(), glyphs.at(i + 1).box.left() - 1));
        }
        if (own.width() < kMinOwnWidth || hasInk(own)) {
            continue;
        }
        if (glyph.wordStart && i + 1 < glyphs.size()) {
            glyphs[i + 1].wordStart = true;
        }
        glyphs.removeAt(i);
    }
    return glyphs;
}

// The engine reads one letter twice, as its capital and its small form ("Mmaria" for "maria",
// "lLukas" for "lukas"), each the other's likely reading: where both centres lie on one piece of
// ink no wider than one of them, the one whose box is nearer the piece's width stays.
QList<RecognizedGlyph> withoutDoubledLetters(QList<RecognizedGlyph> glyphs,
                                             const std::vector<QRect>& pieces) {
    const auto pieceUnder = [&](const RecognizedGlyph& glyph) {
        return std::find_if(pieces.begin(), pieces.end(), [&](const QRect& piece) {
            return piece.left() <= glyph.box.center().x() &&
                   glyph.box.center().x() <= piece.right();
        });
    };
    for (qsizetype i = 0; i + 1 < glyphs.size(); ++i) {
        const RecognizedGlyph& a = glyphs.at(i);
        const RecognizedGlyph& b = glyphs.at(i + 1);
        const bool bothCases = a.text.size() == 1 && b.text.size() == 1 && a.text != b.text &&
                               a.text.at(0).isLetter() && a.text.toLower() == b.text.toLower();
        const bool doubted = a.alternatives.contains(b.text) || b.alternatives.contains(a.text);
        // A "+" whose lower right stroke reads as a "t" ("ivan+tnews@" in monospace at 1×): the
        // "t" stands on no ink of its own, just after the "+"'s.
        const bool plusTwice = a.text == QLatin1String("+") && b.text == QLatin1String("t") &&
                               pieceUnder(a) != pieces.end() && pieceUnder(b) == pieces.end();
        if (!b.wordStart && doubted && plusTwice) {
            glyphs.removeAt(i + 1);
            continue;
        }
        if (b.wordStart || !bothCases || !doubted) {
            continue;
        }
        const auto piece = pieceUnder(a);
        const bool onePiece =
            piece != pieces.end() && pieceUnder(b) == piece &&
            piece->width() <= kOneLetterWidth * std::max(a.box.width(), b.box.width());
        if (!onePiece) {
            continue;
        }
        const bool keepA =
            std::abs(a.box.width() - piece->width()) <= std::abs(b.box.width() - piece->width());
        RecognizedGlyph kept = keepA ? a : b;
        kept.wordStart = a.wordStart;
        glyphs[i] = kept;
        glyphs.removeAt(i + 1);
    }
    return glyphs;
}

}  // namespace MissedGlyphs
