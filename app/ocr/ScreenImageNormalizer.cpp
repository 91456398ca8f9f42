#include "ocr/ScreenImageNormalizer.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace ScreenImageNormalizer {
namespace {

struct BlockStats {
    int minimum = 255;
    int maximum = 0;
    int64_t sum = 0;
    int count = 0;
};

struct BlockRule {
    bool blank = true;      // no contrast: everything is ground
    bool lightInk = false;  // the ground is the darker level
    int threshold = 128;
    int inkLevel = 0;  // the extreme level on the ink side

    // Whether `value` is clearly ink by this rule: nearer the ink level than the threshold.
    bool clearlyInk(int value) const {
        return lightInk ? 2 * value >= threshold + inkLevel : 2 * value <= threshold + inkLevel;
    }
};

std::vector<BlockStats> blockStatistics(const QImage& gray, int columns, int rows) {
    std::vector<BlockStats> stats(static_cast<size_t>(columns) * static_cast<size_t>(rows));
    const int width = gray.width();
    for (int y = 0; y < gray.height(); ++y) {
        const uint8_t* line = gray.constScanLine(y);
        BlockStats* rowStats = &stats[static_cast<size_t>(y / kBlockSize) * columns];
        for (int bx = 0; bx < columns; ++bx) {
            const int x0 = bx * kBlockSize;
            const int x1 = std::min(width, x0 + kBlockSize);
            int minimum = 255;
            int maximum = 0;
            int sum = 0;
            for (int x = x0; x < x1; ++x) {
                const int value = line[x];
                minimum = std::min(minimum, value);
                maximum = std::max(maximum, value);
                sum += value;
            }
            BlockStats& block = rowStats[bx];
            block.minimum = std::min(block.minimum, minimum);
            block.maximum = std::max(block.maximum, maximum);
            block.sum += sum;
            block.count += x1 - x0;
        }
    }
    return stats;
}

// The rule of one block from the 3×3 blocks around it: a glyph fragment alone in a block would
// otherwise look like the majority level.
std::vector<BlockRule> blockRules(const std::vector<BlockStats>& stats, int columns, int rows) {
    std::vector<BlockRule> rules(stats.size());
    for (int by = 0; by < rows; ++by) {
        for (int bx = 0; bx < columns; ++bx) {
            BlockStats around;
            for (int ny = std::max(0, by - 1); ny <= std::min(rows - 1, by + 1); ++ny) {
                for (int nx = std::max(0, bx - 1); nx <= std::min(columns - 1, bx + 1); ++nx) {
                    const BlockStats& s = stats[static_cast<size_t>(ny) * columns + nx];
                    around.minimum = std::min(around.minimum, s.minimum);
                    around.maximum = std::max(around.maximum, s.maximum);
                    around.sum += s.sum;
                    around.count += s.count;
                }
            }
            BlockRule& rule = rules[static_cast<size_t>(by) * columns + bx];
            const BlockStats& own = stats[static_cast<size_t>(by) * columns + bx];
            if (around.count == 0 || own.maximum - own.minimum < kMinContrast / 2 ||
                around.maximum - around.minimum < kMinContrast) {
                continue;
            }
            rule.blank = false;
            rule.threshold = (around.minimum + around.maximum) / 2;
            // The block's own pixels weigh as much as its eight neighbours together: at the edge
            // of a bubble or panel the neighbours see mostly the ground beyond it.
            constexpr int kOwnWeight = 7;
            const int64_t mean = (around.sum + kOwnWeight * own.sum) /
                                 std::max<int64_t>(1, around.count + kOwnWeight * own.count);
            rule.lightInk = mean < rule.threshold;
            rule.inkLevel = rule.lightInk ? around.maximum : around.minimum;
        }
    }
    return rules;
}

// Where a window, panel or bubble edge runs through a block, the level of the ground beyond the
// edge can be the ink level of the block: it becomes a blot of ink along the edge (the outline of
// a chat bubble, for instance) that joins the line beside it and ruins its reading. Such a blot
// goes on, at the same level, into a neighbouring block where that level is ground, and there it
// spreads far; a glyph cut by such a block boundary goes on only as far as its own strokes.
// Connected ink that crosses into ground at its own ink level is followed across: if the level
// spreads beyond any glyph's size the ink is whitened, otherwise the glyph's missing strokes are
// restored as ink.
class GroundContinuations {
public:
    GroundContinuations(const QImage& gray, const std::vector<BlockRule>& rules, int columns,
                        QImage& out)
        : m_gray(gray)
        , m_rules(rules)
        , m_columns(columns)
        , m_out(out)
        , m_bits(out.bits())
        , m_bytesPerLine(static_cast<int>(out.bytesPerLine()))
        , m_width(out.width())
        , m_height(out.height()) {}

    void resolve() {
        for (int y = 0; y < m_height; ++y) {
            for (int x = 0; x < m_width; ++x) {
                if (pixel(index(x, y)) == kUnvisitedInk) {
                    resolveComponent(index(x, y));
                }
            }
        }
        for (int y = 0; y < m_height; ++y) {
            uint8_t* line = m_out.scanLine(y);
            std::replace(line, line + m_width, kVisitedInk, kInk);
        }
    }

private:
    static constexpr uint8_t kInk = 0;
    static constexpr uint8_t kUnvisitedInk = 0;
    static constexpr uint8_t kVisitedInk = 1;
    static constexpr uint8_t kGround = 255;
    // More ground at the ink level than this, reached from one piece of ink, is no glyph's part.
    static constexpr int kMaxGlyphPart = 2048;

    int index(int x, int y) const { return y * m_width + x; }
    uint8_t& pixel(int i) { return m_bits[(i / m_width) * m_bytesPerLine + i % m_width]; }
    const BlockRule& ruleAt(int i) const {
        const int x = i % m_width;
        const int y = i / m_width;
        return m_rules[static_cast<size_t>(y / kBlockSize) * m_columns + x / kBlockSize];
    }
    template <typename Visit>
    void forNeighbours(int i, Visit visit) const {
        const int x = i % m_width;
        const int y = i / m_width;
        if (x > 0)
            visit(i - 1);
        if (x + 1 < m_width)
            visit(i + 1);
        if (y > 0)
            visit(i - m_width);
        if (y + 1 < m_height)
            visit(i + m_width);
    }

    void resolveComponent(int start) {
        m_component.clear();
        m_crossings.clear();
        m_stack.assign(1, start);
        pixel(start) = kVisitedInk;
        while (!m_stack.empty()) {
            const int i = m_stack.back();
            m_stack.pop_back();
            m_component.push_back(i);
            const BlockRule& rule = ruleAt(i);
            forNeighbours(i, [&](int n) {
                uint8_t& value = pixel(n);
                if (value == kUnvisitedInk) {
                    value = kVisitedInk;
                    m_stack.push_back(n);
                } else if (value == kGround && &ruleAt(n) != &rule &&
                           rule.clearlyInk(m_gray.constScanLine(n / m_width)[n % m_width])) {
                    m_crossings.push_back(n);
                }
            });
        }
        if (m_crossings.empty()) {
            return;
        }
        const BlockRule& rule = ruleAt(m_component.front());
        const bool bounded = followAcross(rule);
        if (bounded) {
            for (const int i : m_across) {
                pixel(i) = kVisitedInk;
            }
        } else {
            for (const int i : m_component) {
                pixel(i) = kGround;
            }
        }
        for (const int i : m_across) {
            m_marks[static_cast<size_t>(i)] = 0;
        }
    }

    // Collects in m_across the ground at the component's ink level reached from its crossings;
    // false when it spreads further than a glyph could.
    bool followAcross(const BlockRule& rule) {
        if (m_marks.empty()) {
            m_marks.assign(static_cast<size_t>(m_width) * static_cast<size_t>(m_height), 0);
        }
        m_across.clear();
        m_stack.clear();
        for (const int i : m_crossings) {
            if (m_marks[static_cast<size_t>(i)] == 0) {
                m_marks[static_cast<size_t>(i)] = 1;
                m_across.push_back(i);
                m_stack.push_back(i);
            }
        }
        while (!m_stack.empty()) {
            if (static_cast<int>(m_across.size()) > kMaxGlyphPart) {
                return false;
            }
            const int i = m_stack.back();
            m_stack.pop_back();
            forNeighbours(i, [&](int n) {
                if (m_marks[static_cast<size_t>(n)] == 0 && pixel(n) == kGround &&
                    rule.clearlyInk(m_gray.constScanLine(n / m_width)[n % m_width])) {
                    m_marks[static_cast<size_t>(n)] = 1;
                    m_across.push_back(n);
                    m_stack.push_back(n);
                }
            });
        }
        return true;
    }

    const QImage& m_gray;
    const std::vector<BlockRule>& m_rules;
    const int m_columns;
    QImage& m_out;
    uint8_t* const m_bits;  // m_out's pixels, detached once
    const int m_bytesPerLine;
    const int m_width;
    const int m_height;
    std::vector<int> m_stack;
    std::vector<int> m_component;
    std::vector<int> m_crossings;
    std::vector<int> m_across;
    std::vector<uint8_t> m_marks;  // pixels in m_across; cleared after each component
};

}  // namespace

QImage normalize(const QImage& screenshot) {
    if (screenshot.isNull()) {
        return {};
    }
    const QImage gray = screenshot.format() == QImage::Format_Grayscale8
                            ? screenshot
                            : screenshot.convertToFormat(QImage::Format_Grayscale8);
    const int width = gray.width();
    const int height = gray.height();
    const int columns = (width + kBlockSize - 1) / kBlockSize;
    const int rows = (height + kBlockSize - 1) / kBlockSize;
    const std::vector<BlockRule> rules =
        blockRules(blockStatistics(gray, columns, rows), columns, rows);

    QImage out(width, height, QImage::Format_Grayscale8);
    for (int y = 0; y < height; ++y) {
        const uint8_t* in = gray.constScanLine(y);
        uint8_t* line = out.scanLine(y);
        const BlockRule* rowRules = &rules[static_cast<size_t>(y / kBlockSize) * columns];
        for (int bx = 0; bx < columns; ++bx) {
            const BlockRule& rule = rowRules[bx];
            const int x0 = bx * kBlockSize;
            const int x1 = std::min(width, x0 + kBlockSize);
            if (rule.blank) {
                std::fill(line + x0, line + x1, uint8_t{255});
            } else if (rule.lightInk) {
                for (int x = x0; x < x1; ++x) {
                    line[x] = in[x] > rule.threshold ? 0 : 255;
                }
            } else {
                for (int x = x0; x < x1; ++x) {
                    line[x] = in[x] < rule.threshold ? 0 : 255;
                }
            }
        }
    }
    GroundContinuations(gray, rules, columns, out).resolve();
    return out;
}

}  // namespace ScreenImageNormalizer
