#include "ocr/GlyphInk.h"

#include "ocr/FullStops.h"
#include "ocr/GlyphReading.h"
#include "ocr/InkPieces.h"
#include "ocr/LineShape.h"
#include "ocr/MissedGlyphs.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace GlyphInk {
namespace {

// Glyphs whose ink may be far narrower, or wider, than a typical letter's.
const QString kNarrowGlyphs = QStringLiteral(".,:;'`!|il1Ijftr-()[]_");
const QString kWideGlyphs = QStringLiteral("mwMW@%_");
constexpr double kFragmentWidth = 0.35;
constexpr double kMergedWidth = 1.7;
// A piece at least this many steps between glyphs wide is glyphs touching.
constexpr double kTouchingWidth = 1.5;
// A glyph joined from pieces is at most this many typical pieces wide, unless it is a wide one.
constexpr double kJoinedWidth = 1.25;
// The most pieces one glyph may be broken into.
constexpr size_t kMaxJoined = 3;
// Pieces stacked over each other joined into one glyph each; a full stop tucked under a serif
// letter's arm ("r." in "air.com") stays apart from the letter standing on the baseline beside it,
// but a serif broken off under the left of a letter's foot (a blurred "x") is the letter's.
std::vector<QRect> glyphsOf(const std::vector<QRect>& pieces, const LineShape& shape) {
    std::vector<QRect> glyphs;
    for (const QRect& piece : pieces) {
        if (!glyphs.empty()) {
            QRect& last = glyphs.back();
            const int overlap = std::min(last.right(), piece.right()) - piece.left() + 1;
            const bool dotBeside =
                (shape.isDot(piece) && shape.onBaseline(last) &&
                 piece.center().x() > last.center().x()) ||
                (shape.isDot(last) && shape.onBaseline(piece) && last.center().x() < piece.left());
            if (overlap >= kStackedOverlap * std::min(last.width(), piece.width()) && !dotBeside) {
                last = last.united(piece);
                continue;
            }
        }
        glyphs.push_back(piece);
    }
    return glyphs;
}

// Glyphs that touch (an enlarged 1× screen blurs neighbours together) make one piece as wide as
// two or more cells; such a piece is cut into cells of the line's usual step between glyphs.
std::vector<QRect> withTouchingSplit(const std::vector<QRect>& boxes) {
    std::vector<int> steps;
    for (size_t i = 1; i < boxes.size(); ++i) {
        steps.push_back(boxes[i].center().x() - boxes[i - 1].center().x());
    }
    if (steps.size() < 3) {
        return boxes;
    }
    std::nth_element(steps.begin(), steps.begin() + steps.size() / 2, steps.end());
    const double step = steps[steps.size() / 2];
    std::vector<QRect> out;
    for (const QRect& box : boxes) {
        const auto cells = static_cast<int>(std::lround(box.width() / step));
        if (box.width() < kTouchingWidth * step || cells < 2) {
            out.push_back(box);
            continue;
        }
        for (int c = 0; c < cells; ++c) {
            const int left = box.left() + box.width() * c / cells;
            const int right = box.left() + box.width() * (c + 1) / cells - 1;
            out.emplace_back(QPoint(left, box.top()), QPoint(right, box.bottom()));
        }
    }
    return out;
}

// Where the glyphs' pieces lie: each glyph's box, and the full stops the engine missed between them
// (each before the glyph of its index).
struct Alignment {
    std::vector<QRect> glyphs;
    FullStops::Found dots;
};

// The box of each glyph: pieces and glyphs in order, the fewest pieces left unread or joined first
// and then the nearest centres (the engine's boxes are rough but not in the wrong order). Empty
// when no such order exists.
Alignment aligned(const std::vector<QRect>& boxes, const QList<RecognizedGlyph>& glyphs,
                  const LineShape& shape) {
    const auto glyphCount = static_cast<size_t>(glyphs.size());
    const int baseline = shape.baseline;
    // A piece the engine read as nothing: at an end of the line (a table's rule, a badge's edge),
    // or a bar along the baseline (an underscore it read as a space or dropped). A letter's piece
    // never is, even where the engine put a space before it.
    const auto isBar = [&](size_t piece) {
        const QRect& box = boxes[piece];
        return box.width() >= 2 * box.height() && box.top() >= baseline - box.height();
    };
    const auto mayBeUnread = [&](size_t piece, size_t glyph) {
        return glyph == 0 || glyph == glyphCount || isBar(piece);
    };
    const auto isDot = [&](size_t piece) {
        return shape.isDot(boxes[piece]);
    };
    // A piece the engine read as nothing that is a full stop it missed.
    const FullStops stops(glyphs, boxes, shape);
    std::vector<int> widths;
    for (const QRect& box : boxes) {
        widths.push_back(box.width());
    }
    const int typicalWidth = LineShape::median(widths);
    const auto distance = [&](const QRect& box, size_t glyph) {
        return std::abs(box.center().x() -
                        glyphs.at(static_cast<qsizetype>(glyph)).box.center().x());
    };
    enum class Move : uint8_t { none, unread, dot, matched, joinedTwo, joinedThree };
    constexpr double kUnreachable = 1e18;
    const size_t columns = glyphCount + 1;
    std::vector<double> cost((boxes.size() + 1) * columns, kUnreachable);
    std::vector<Move> moves(cost.size(), Move::none);
    const auto at = [columns](size_t piece, size_t glyph) {
        return piece * columns + glyph;
    };
    const auto relax = [&](size_t piece, size_t glyph, double value, Move move) {
        if (value < cost[at(piece, glyph)]) {
            cost[at(piece, glyph)] = value;
            moves[at(piece, glyph)] = move;
        }
    };
    cost[at(0, 0)] = 0;
    for (size_t p = 0; p < boxes.size(); ++p) {
        for (size_t g = 0; g <= glyphCount; ++g) {
            const double here = cost[at(p, g)];
            if (here >= kUnreachable) {
                continue;
            }
            if (mayBeUnread(p, g)) {
                relax(p + 1, g, here + kUnreadCost, Move::unread);
            } else if (stops.missedBefore(p, g)) {
                relax(p + 1, g, here + kMissedGlyphCost, Move::dot);
            }
            if (g == glyphCount) {
                continue;
            }
            // A fragment stands for no whole letter, a piece as wide as two for no narrow one, and
            // a full stop the engine read stands on a dot, not on a letter beside it.
            const QString& text = glyphs.at(static_cast<qsizetype>(g)).text;
            const bool fragment =
                boxes[p].width() < kFragmentWidth * typicalWidth && !kNarrowGlyphs.contains(text);
            const bool tallDot =
                text == QLatin1String(".") &&
                boxes[p].height() > 2 * LineShape::kDotHeight * shape.typicalHeight;
            const bool merged =
                boxes[p].width() > kMergedWidth * typicalWidth && !kWideGlyphs.contains(text);
            if (!fragment && !tallDot && !merged) {
                relax(p + 1, g + 1, here + distance(boxes[p], g), Move::matched);
            }
            // A glyph broken in two or three side by side (a "w" whose strokes part on a blurred
            // screen); an underscore's bar and a full stop stay apart, for the spacing to find
            // between the glyphs.
            // No wider than the glyph itself may be: joining a neighbour's piece would hide a
            // glyph the engine missed.
            const double widest = kWideGlyphs.contains(text)     ? kMergedWidth * typicalWidth
                                  : kNarrowGlyphs.contains(text) ? 0
                                                                 : kJoinedWidth * typicalWidth;
            QRect joined = boxes[p];
            for (size_t k = 1; k < kMaxJoined && p + k < boxes.size(); ++k) {
                if (isBar(p + k - 1) || isBar(p + k) || isDot(p + k - 1) || isDot(p + k)) {
                    break;
                }
                joined = joined.united(boxes[p + k]);
                if (joined.width() > widest) {
                    break;
                }
                relax(p + k + 1, g + 1, here + kUnreadCost * k + distance(joined, g),
                      k == 1 ? Move::joinedTwo : Move::joinedThree);
            }
        }
    }
    if (cost[at(boxes.size(), glyphCount)] >= kUnreachable) {
        return {};
    }
    Alignment out;
    out.glyphs.resize(glyphCount);
    size_t p = boxes.size();
    size_t g = glyphCount;
    while (p > 0) {
        switch (moves[at(p, g)]) {
            case Move::unread:
                --p;
                break;
            case Move::dot:
                out.dots.emplace_back(g, boxes[--p]);
                break;
            case Move::matched:
                out.glyphs[--g] = boxes[--p];
                break;
            case Move::joinedTwo:
                out.glyphs[--g] = boxes[p - 2].united(boxes[p - 1]);
                p -= 2;
                break;
            case Move::joinedThree:
                out.glyphs[--g] = boxes[p - 3].united(boxes[p - 2]).united(boxes[p - 1]);
                p -= 3;
                break;
            case Move::none:
                return {};
        }
    }
    std::reverse(out.dots.begin(), out.dots.end());
    return out;
}

// The alignment of `boxes` with `glyphs`, or none where it is implausible: a glyph broken into
// fragments, or neighbours run together, may still add up to the count, shifting pieces onto the
// wrong glyphs: a fragment stands for a whole letter, or a piece lies more than a glyph's width
// outside the engine's box for its glyph, rough as it is.
Alignment plausiblyAligned(const std::vector<QRect>& boxes, const QList<RecognizedGlyph>& glyphs,
                           const LineShape& shape) {
    const auto glyphCount = static_cast<size_t>(glyphs.size());
    if (boxes.empty() || boxes.size() < glyphCount || boxes.size() > glyphCount + kMaxUnread) {
        return {};
    }
    Alignment placement = aligned(boxes, glyphs, shape);
    if (placement.glyphs.empty()) {
        return {};
    }
    std::vector<int> widths;
    for (const QRect& box : placement.glyphs) {
        widths.push_back(box.width());
    }
    const double typical = LineShape::median(widths);
    for (size_t g = 0; g < glyphCount; ++g) {
        const QString& text = glyphs.at(static_cast<qsizetype>(g)).text;
        const QRect& engineBox = glyphs.at(static_cast<qsizetype>(g)).box;
        const int width = placement.glyphs[g].width();
        const double centre = placement.glyphs[g].center().x();
        if ((width < kFragmentWidth * typical && !kNarrowGlyphs.contains(text)) ||
            (width > kMergedWidth * typical && !kWideGlyphs.contains(text)) ||
            centre < engineBox.left() - typical || centre > engineBox.right() + typical) {
            return {};
        }
    }
    return placement;
}

}  // namespace

RecognizedLine placed(const RecognizedLine& line, const QImage& ink) {
    const QList<RecognizedGlyph>& glyphs = line.glyphs;
    if (glyphs.isEmpty() || ink.format() != QImage::Format_Grayscale8) {
        return line;
    }
    const std::vector<QRect> inkPieces = InkPieces::boxes(ink);
    const LineShape shape(inkPieces);
    const std::vector<QRect> boxes = glyphsOf(inkPieces, shape);
    RecognizedLine read = line;
    QList<RecognizedGlyph> counted = MissedGlyphs::withoutShadingMarks(glyphs, ink);
    counted = MissedGlyphs::withoutDoubledLetters(counted, boxes);
    counted = FullStops::withHyphensThatAreDots(counted, boxes, shape);
    read.glyphs = MissedGlyphs::withRepeats(counted, boxes, ink);
    if (read.glyphs != glyphs) {
        read = GlyphReading::withTextOfGlyphs(read);
    }
    if (read.glyphs.isEmpty()) {
        return read;
    }
    const auto glyphCount = static_cast<size_t>(read.glyphs.size());
    const Alignment placement = plausiblyAligned(
        boxes.size() < glyphCount ? withTouchingSplit(boxes) : boxes, read.glyphs, shape);
    if (placement.glyphs.empty()) {
        return FullStops::withStops(read, FullStops(read.glyphs, boxes, shape).missedInAddresses());
    }
    RecognizedLine out = read;
    for (size_t g = 0; g < glyphCount; ++g) {
        out.glyphs[static_cast<qsizetype>(g)].box = placement.glyphs[g];
    }
    return FullStops::withStops(out, placement.dots);
}

}  // namespace GlyphInk
