#include "ocr/GlyphInk.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace GlyphInk {
namespace {

constexpr uint8_t kInkBelow = 128;

// Glyphs whose ink may be far narrower, or wider, than a typical letter's.
const QString kNarrowGlyphs = QStringLiteral(".,:;'`!|il1Ijftr-()[]_");
const QString kWideGlyphs = QStringLiteral("mwMW@%_");
constexpr double kFragmentWidth = 0.35;
constexpr double kMergedWidth = 1.7;
// A piece at least this many steps between glyphs wide is glyphs touching.
constexpr double kTouchingWidth = 1.5;

// The boxes of the 8-connected pieces of ink, left to right.
std::vector<QRect> pieces(const QImage& ink) {
    const int width = ink.width();
    const int height = ink.height();
    std::vector<bool> seen(static_cast<size_t>(width) * static_cast<size_t>(height), false);
    const auto at = [width](int x, int y) {
        return static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
    };
    std::vector<QRect> out;
    std::vector<QPoint> stack;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (ink.constScanLine(y)[x] >= kInkBelow || seen[at(x, y)]) {
                continue;
            }
            int left = x;
            int right = x;
            int top = y;
            int bottom = y;
            seen[at(x, y)] = true;
            stack.assign(1, QPoint(x, y));
            while (!stack.empty()) {
                const QPoint p = stack.back();
                stack.pop_back();
                left = std::min(left, p.x());
                right = std::max(right, p.x());
                top = std::min(top, p.y());
                bottom = std::max(bottom, p.y());
                for (int ny = std::max(0, p.y() - 1); ny <= std::min(height - 1, p.y() + 1); ++ny) {
                    const uint8_t* row = ink.constScanLine(ny);
                    for (int nx = std::max(0, p.x() - 1); nx <= std::min(width - 1, p.x() + 1);
                         ++nx) {
                        if (row[nx] < kInkBelow && !seen[at(nx, ny)]) {
                            seen[at(nx, ny)] = true;
                            stack.emplace_back(nx, ny);
                        }
                    }
                }
            }
            out.emplace_back(QPoint(left, top), QPoint(right, bottom));
        }
    }
    std::sort(out.begin(), out.end(),
              [](const QRect& a, const QRect& b) { return a.left() < b.left(); });
    return out;
}

// Pieces stacked over each other joined into one glyph each.
std::vector<QRect> glyphsOf(const std::vector<QRect>& pieces) {
    std::vector<QRect> glyphs;
    for (const QRect& piece : pieces) {
        if (!glyphs.empty()) {
            QRect& last = glyphs.back();
            const int overlap = std::min(last.right(), piece.right()) - piece.left() + 1;
            if (overlap >= kStackedOverlap * std::min(last.width(), piece.width())) {
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

// The box of each glyph: pieces and glyphs in order, the fewest pieces left unread or joined first
// and then the nearest centres (the engine's boxes are rough but not in the wrong order). Empty
// when no such order exists.
std::vector<QRect> aligned(const std::vector<QRect>& boxes, const QList<RecognizedGlyph>& glyphs) {
    const auto glyphCount = static_cast<size_t>(glyphs.size());
    std::vector<int> bottoms;
    for (const QRect& box : boxes) {
        bottoms.push_back(box.bottom());
    }
    std::nth_element(bottoms.begin(), bottoms.begin() + bottoms.size() / 2, bottoms.end());
    const int baseline = bottoms[bottoms.size() / 2];
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
    const auto distance = [&](const QRect& box, size_t glyph) {
        return std::abs(box.center().x() -
                        glyphs.at(static_cast<qsizetype>(glyph)).box.center().x());
    };
    enum class Move : uint8_t { none, unread, matched, joined };
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
            }
            if (g == glyphCount) {
                continue;
            }
            relax(p + 1, g + 1, here + distance(boxes[p], g), Move::matched);
            // A glyph broken in two side by side (a "w" whose halves part on a blurred screen);
            // an underscore's bar stays apart, for the spacing to find between the glyphs.
            if (p + 1 < boxes.size() && !isBar(p) && !isBar(p + 1)) {
                relax(p + 2, g + 1, here + kUnreadCost + distance(boxes[p].united(boxes[p + 1]), g),
                      Move::joined);
            }
        }
    }
    if (cost[at(boxes.size(), glyphCount)] >= kUnreachable) {
        return {};
    }
    std::vector<QRect> out(glyphCount);
    size_t p = boxes.size();
    size_t g = glyphCount;
    while (p > 0) {
        switch (moves[at(p, g)]) {
            case Move::unread:
                --p;
                break;
            case Move::matched:
                out[--g] = boxes[--p];
                break;
            case Move::joined:
                out[--g] = boxes[p - 2].united(boxes[p - 1]);
                p -= 2;
                break;
            case Move::none:
                return {};
        }
    }
    return out;
}

}  // namespace

RecognizedLine placed(const RecognizedLine& line, const QImage& ink) {
    const QList<RecognizedGlyph>& glyphs = line.glyphs;
    if (glyphs.isEmpty() || ink.format() != QImage::Format_Grayscale8) {
        return line;
    }
    std::vector<QRect> boxes = glyphsOf(pieces(ink));
    const auto glyphCount = static_cast<size_t>(glyphs.size());
    if (boxes.size() < glyphCount) {
        boxes = withTouchingSplit(boxes);
    }
    if (boxes.empty() || boxes.size() < glyphCount || boxes.size() > glyphCount + kMaxUnread) {
        return line;
    }
    const std::vector<QRect> placedBoxes = aligned(boxes, glyphs);
    if (placedBoxes.empty()) {
        return line;
    }
    RecognizedLine out = line;
    std::vector<int> widths;
    for (size_t g = 0; g < glyphCount; ++g) {
        out.glyphs[static_cast<qsizetype>(g)].box = placedBoxes[g];
        widths.push_back(placedBoxes[g].width());
    }
    // A glyph broken into fragments, or neighbours run together, may still add up to the count,
    // shifting pieces onto the wrong glyphs: a fragment stands for a whole letter, or a piece lies
    // more than a glyph's width outside the engine's box for its glyph, rough as it is. Such a
    // placement is no placement.
    std::nth_element(widths.begin(), widths.begin() + widths.size() / 2, widths.end());
    const double typical = widths[widths.size() / 2];
    for (qsizetype i = 0; i < out.glyphs.size(); ++i) {
        const RecognizedGlyph& glyph = out.glyphs.at(i);
        const QRect& engineBox = glyphs.at(i).box;
        const int width = glyph.box.width();
        const double centre = glyph.box.center().x();
        if ((width < kFragmentWidth * typical && !kNarrowGlyphs.contains(glyph.text)) ||
            (width > kMergedWidth * typical && !kWideGlyphs.contains(glyph.text)) ||
            centre < engineBox.left() - typical || centre > engineBox.right() + typical) {
            return line;
        }
    }
    return out;
}

}  // namespace GlyphInk
