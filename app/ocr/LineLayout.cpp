#include "ocr/LineLayout.h"

#include <QImage>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

namespace LineLayout {
namespace {

constexpr uint8_t kInk = 0;
constexpr uint8_t kGround = 255;
constexpr int kFar = std::numeric_limits<int>::max();

struct Run {
    int start = 0;
    int end = 0;  // one past the last

    int length() const { return end - start; }
};

void eraseLongRunsAcross(const QImage& source, QImage& out) {
    const int width = source.width();
    for (int y = 0; y < source.height(); ++y) {
        const uint8_t* in = source.constScanLine(y);
        uint8_t* line = out.scanLine(y);
        int x = 0;
        while (x < width) {
            if (in[x] != kInk) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < width && in[x] == kInk) {
                ++x;
            }
            if (x - start >= kRuleLengthAcross) {
                std::fill(line + start, line + x, kGround);
            }
        }
    }
}

void eraseLongRunsDown(const QImage& source, QImage& out) {
    const int width = source.width();
    const int height = source.height();
    std::vector<int> runLength(static_cast<size_t>(width), 0);
    const auto endRun = [&](int x, int y) {
        const int length = runLength[static_cast<size_t>(x)];
        if (length >= kRuleLengthDown) {
            for (int row = y - length; row < y; ++row) {
                out.scanLine(row)[x] = kGround;
            }
        }
        runLength[static_cast<size_t>(x)] = 0;
    };
    for (int y = 0; y < height; ++y) {
        const uint8_t* in = source.constScanLine(y);
        for (int x = 0; x < width; ++x) {
            if (in[x] == kInk) {
                ++runLength[static_cast<size_t>(x)];
            } else if (runLength[static_cast<size_t>(x)] > 0) {
                endRun(x, y);
            }
        }
    }
    for (int x = 0; x < width; ++x) {
        endRun(x, height);
    }
}

bool rowHasInk(const QImage& image, const QRect& area, int y) {
    const uint8_t* line = image.constScanLine(y);
    return std::find(line + area.left(), line + area.right() + 1, kInk) != line + area.right() + 1;
}

// The longest stretch of ink across any of `rows` within the columns of `area`.
int longestStroke(const QImage& image, const QRect& area, const Run& rows) {
    int longest = 0;
    for (int y = rows.start; y < rows.end; ++y) {
        const uint8_t* line = image.constScanLine(y);
        int run = 0;
        for (int x = area.left(); x <= area.right(); ++x) {
            run = line[x] == kInk ? run + 1 : 0;
            longest = std::max(longest, run);
        }
    }
    return longest;
}

// Runs of rows of `area` that hold ink. A run too thin to be a line (the dots of an i, an
// accent, a dash) joins the run it nearly touches; alone it is a speck and is dropped. So is one
// with a stroke longer than that run is high: no mark above or below a glyph is that long, but
// what is left of a table's rule where something was drawn over part of it is, and joined to
// the line it would make the engine read the line's glyphs smaller than they are.
std::vector<Run> inkRows(const QImage& image, const QRect& area) {
    std::vector<Run> runs;
    bool inRun = false;
    for (int y = area.top(); y <= area.bottom() + 1; ++y) {
        const bool ink = y <= area.bottom() && rowHasInk(image, area, y);
        if (ink && !inRun) {
            runs.push_back(Run{y, y});
            inRun = true;
        } else if (!ink && inRun) {
            runs.back().end = y;
            inRun = false;
        }
    }
    std::vector<Run> merged;
    for (size_t i = 0; i < runs.size(); ++i) {
        Run run = runs[i];
        if (run.length() >= kMinTextHeight) {
            merged.push_back(run);
            continue;
        }
        const int gapAbove = merged.empty() ? kFar : run.start - merged.back().end;
        const int gapBelow = i + 1 < runs.size() ? runs[i + 1].start - run.end : kFar;
        if (std::min(gapAbove, gapBelow) <= kMinTextHeight) {
            const Run& joined = gapAbove <= gapBelow ? merged.back() : runs[i + 1];
            if (longestStroke(image, area, run) > joined.length()) {
                continue;
            }
        }
        if (gapAbove <= kMinTextHeight && gapAbove <= gapBelow) {
            merged.back().end = run.end;
        } else if (gapBelow <= kMinTextHeight) {
            runs[i + 1].start = run.start;
        }
    }
    // A thin run merged upwards may have made its neighbour's gap to the next one small; that is
    // fine: a line is never split by a gap of a few rows.
    return merged;
}

// How many ink pixels each column of `area` holds.
std::vector<int> inkPerColumn(const QImage& image, const QRect& area) {
    std::vector<int> columnInk(static_cast<size_t>(area.width()), 0);
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const uint8_t* line = image.constScanLine(y) + area.left();
        for (int x = 0; x < area.width(); ++x) {
            columnInk[static_cast<size_t>(x)] += line[x] == kInk ? 1 : 0;
        }
    }
    return columnInk;
}

// Runs of columns of `area` with ink, split where at least kMinColumnGap columns are empty.
std::vector<Run> inkColumns(const QImage& image, const QRect& area) {
    const std::vector<int> columnInk = inkPerColumn(image, area);
    std::vector<Run> runs;
    int gap = kMinColumnGap;
    for (int x = 0; x < area.width(); ++x) {
        if (columnInk[static_cast<size_t>(x)] == 0) {
            ++gap;
            continue;
        }
        if (gap >= kMinColumnGap) {
            runs.push_back(Run{area.left() + x, area.left() + x + 1});
        } else {
            runs.back().end = area.left() + x + 1;
        }
        gap = 0;
    }
    return runs;
}

// Whether the middle third of `box` has rows much emptier than its fullest row. One line is dense
// there (the height of its small letters), with or without ascenders and descenders; two lines
// with no empty row between them are not: only descenders and ascenders cross from one to the
// other.
bool hasValley(const QImage& image, const QRect& box) {
    int fullest = 0;
    int emptiest = box.width();
    for (int y = box.top(); y <= box.bottom(); ++y) {
        const uint8_t* line = image.constScanLine(y) + box.left();
        const int ink = static_cast<int>(std::count(line, line + box.width(), kInk));
        fullest = std::max(fullest, ink);
        const int depth = y - box.top();
        if (3 * depth >= box.height() && 3 * depth <= 2 * box.height()) {
            emptiest = std::min(emptiest, ink);
        }
    }
    return emptiest * kValleyRatio < fullest;
}

// `box` without a thin strip of ink at its left or right edge that stands apart from the rest and
// alone joins its lines: a window's edge drawn in pieces between the lines, a scroll bar. `box`
// itself when there is none.
QRect withoutEdgeStrip(const QImage& image, const QRect& box) {
    const std::vector<int> columnInk = inkPerColumn(image, box);
    const auto inked = [&](int x) {
        return x >= 0 && x < box.width() && columnInk[static_cast<size_t>(x)] > 0;
    };
    // The first column of the rest after a strip that starts at `from` and goes in `step`.
    const auto pastStrip = [&](int from, int step) {
        int x = from;
        while (inked(x)) {
            x += step;
        }
        const int strip = std::abs(x - from);
        int gap = 0;
        while (x >= 0 && x < box.width() && !inked(x)) {
            x += step;
            ++gap;
        }
        return inked(x) && strip <= kMaxEdgeStrip && gap >= kMinEdgeGap ? x : from;
    };
    for (const QRect inner :
         {QRect(QPoint(box.left() + pastStrip(0, 1), box.top()), box.bottomRight()),
          QRect(box.topLeft(),
                QPoint(box.left() + pastStrip(box.width() - 1, -1), box.bottom()))}) {
        if (inner != box && inkRows(image, inner).size() > 1) {
            return inner;
        }
    }
    return box;
}

// Whether the ink in the columns `strip` (offsets within `box`) fills at least kMinEdgeInk of them
// on the rows where it has any: bars, with or without gaps between them.
bool solidStrip(const QImage& image, const QRect& box, const Run& strip) {
    int ink = 0;
    int rows = 0;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        const uint8_t* line = image.constScanLine(y) + box.left();
        const int row = static_cast<int>(std::count(line + strip.start, line + strip.end, kInk));
        ink += row;
        rows += row > 0 ? 1 : 0;
    }
    return rows > 0 && ink >= kMinEdgeInk * strip.length() * rows;
}

// `box` cut in two at a thin, solid strip of ink in its middle that stands apart from the ink on
// both sides and alone bridges a gap as wide as one between columns: the edge between two windows
// drawn in pieces between the lines of a 1× screen enlarged. Empty when there is none.
QList<QRect> splitAtInnerStrip(const QImage& image, const QRect& box) {
    const std::vector<int> columnInk = inkPerColumn(image, box);
    std::vector<Run> runs;
    for (int x = 0; x < box.width(); ++x) {
        if (columnInk[static_cast<size_t>(x)] == 0) {
            continue;
        }
        if (runs.empty() || runs.back().end < x) {
            runs.push_back(Run{x, x + 1});
        } else {
            runs.back().end = x + 1;
        }
    }
    for (size_t i = 1; i + 1 < runs.size(); ++i) {
        const int before = runs[i].start - runs[i - 1].end;
        const int after = runs[i + 1].start - runs[i].end;
        if (runs[i].length() <= kMaxEdgeStrip && before >= kMinEdgeGap && after >= kMinEdgeGap &&
            before + runs[i].length() + after >= kMinColumnGap && solidStrip(image, box, runs[i])) {
            return {QRect(box.left(), box.top(), runs[i - 1].end, box.height()),
                    QRect(box.left() + runs[i + 1].start, box.top(),
                          box.width() - runs[i + 1].start, box.height())};
        }
    }
    return {};
}

// The rows from the first to the last with ink in `area`.
Run inkExtent(const QImage& image, const QRect& area) {
    Run extent{area.bottom() + 1, area.top()};
    for (int y = area.top(); y <= area.bottom(); ++y) {
        if (rowHasInk(image, area, y)) {
            extent.start = std::min(extent.start, y);
            extent.end = y + 1;
        }
    }
    return extent;
}

// A part of a line: a run of columns with ink, at least kMinBadgeGap empty columns from the rest.
struct Part {
    Run columns;  // relative to the line's box
    int ink = 0;
};

// The parts of a line from the ink of each of its columns, left to right.
std::vector<Part> partsOf(const std::vector<int>& columnInk) {
    std::vector<Part> parts;
    int gap = kMinBadgeGap;
    for (int x = 0; x < static_cast<int>(columnInk.size()); ++x) {
        const int ink = columnInk[static_cast<size_t>(x)];
        if (ink == 0) {
            ++gap;
            continue;
        }
        if (gap >= kMinBadgeGap) {
            parts.push_back(Part{Run{x, x + 1}, 0});
        }
        parts.back().columns.end = x + 1;
        parts.back().ink += ink;
        gap = 0;
    }
    return parts;
}

// `box` cut before a word whose rows and those of the words before it overlap by less than half
// the lower one's height: another window's text drawn beside a line (a notification over a
// table), to be read each at its own size; what is left of a table's rules beside a cell's text
// (a speck at the top of a border) goes to a part of its own, too small to be read. A quote or a
// dash lies within the words' rows. Empty when the words stand in one line.
QList<QRect> splitAtOffsetWords(const QImage& image, const QRect& box) {
    QList<QRect> groups;
    Run rows;
    for (const Part& part : partsOf(inkPerColumn(image, box))) {
        const QRect columns(box.left() + part.columns.start, box.top(), part.columns.length(),
                            box.height());
        const Run word = inkExtent(image, columns);
        const int overlap = std::min(word.end, rows.end) - std::max(word.start, rows.start);
        if (groups.isEmpty() || 2 * overlap < std::min(word.length(), rows.length())) {
            groups.append(columns);
            rows = word;
        } else {
            groups.back().setRight(columns.right());
            rows = Run{std::min(rows.start, word.start), std::max(rows.end, word.end)};
        }
    }
    return groups.size() > 1 ? groups : QList<QRect>{};
}

// The parts of one line split at its badges, in reading order; empty when it has none.
QList<TextArea> splitAtBadges(const QImage& image, const QRect& box) {
    const std::vector<Part> parts = partsOf(inkPerColumn(image, box));
    const auto isBadge = [&](const Part& part) {
        const double area = static_cast<double>(part.columns.length()) * box.height();
        return part.columns.length() >= kMinBadgeWidth * box.height() &&
               part.ink >= kBadgeInk * area;
    };
    if (parts.size() < 2 || std::none_of(parts.begin(), parts.end(), isBadge)) {
        return {};
    }
    QList<TextArea> out;
    Run words{-1, -1};
    const auto endWords = [&] {
        const QRect wordsBox(box.left() + words.start, box.top(), words.length(), box.height());
        if (words.start >= 0 && wordsBox.width() >= kMinWidthPerHeight * wordsBox.height()) {
            out.append(TextArea{wordsBox, true});
        }
        words = Run{-1, -1};
    };
    for (const Part& part : parts) {
        if (isBadge(part)) {
            endWords();
            out.append(TextArea{QRect(box.left() + part.columns.start, box.top(),
                                      part.columns.length(), box.height()),
                                true, true});
        } else {
            words = Run{words.start < 0 ? part.columns.start : words.start, part.columns.end};
        }
    }
    endWords();
    return out;
}

void cut(const QImage& image, const QRect& area, QList<TextArea>& out) {
    const std::vector<Run> rows = inkRows(image, area);
    if (rows.size() > 1) {
        for (const Run& row : rows) {
            cut(image, QRect(area.left(), row.start, area.width(), row.length()), out);
        }
        return;
    }
    if (rows.empty()) {
        return;
    }
    const QRect band(area.left(), rows.front().start, area.width(), rows.front().length());
    const std::vector<Run> columns = inkColumns(image, band);
    if (columns.size() > 1) {
        for (const Run& column : columns) {
            cut(image, QRect(column.start, band.top(), column.length(), band.height()), out);
        }
        return;
    }
    if (columns.empty()) {
        return;
    }
    const QRect box(columns.front().start, band.top(), columns.front().length(), band.height());
    if (box.height() < kMinTextHeight) {
        return;
    }
    const bool oneLine = box.height() <= kMaxLineHeight && !hasValley(image, box);
    if (!oneLine) {
        const QRect inner = withoutEdgeStrip(image, box);
        if (inner != box) {
            cut(image, inner, out);
            return;
        }
        const QList<QRect> sides = splitAtInnerStrip(image, box);
        if (!sides.isEmpty()) {
            for (const QRect& side : sides) {
                cut(image, side, out);
            }
            return;
        }
    }
    const QList<QRect> offset = splitAtOffsetWords(image, box);
    if (!offset.isEmpty()) {
        for (const QRect& words : offset) {
            cut(image, words, out);
        }
        return;
    }
    if (box.width() < kMinWidthPerHeight * box.height()) {
        return;
    }
    const QList<TextArea> parts = oneLine ? splitAtBadges(image, box) : QList<TextArea>{};
    if (parts.isEmpty()) {
        out.append(TextArea{box, oneLine});
    } else {
        out.append(parts);
    }
}

}  // namespace

QImage withoutRules(const QImage& normalized) {
    if (normalized.isNull() || normalized.format() != QImage::Format_Grayscale8) {
        return {};
    }
    QImage out = normalized.copy();
    eraseLongRunsAcross(normalized, out);
    eraseLongRunsDown(normalized, out);
    return out;
}

QList<TextArea> areas(const QImage& clean) {
    QList<TextArea> out;
    if (clean.isNull() || clean.format() != QImage::Format_Grayscale8) {
        return out;
    }
    cut(clean, clean.rect(), out);
    return out;
}

}  // namespace LineLayout
