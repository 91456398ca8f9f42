#include "ocr/FaintBars.h"

#include <algorithm>
#include <cstdint>

namespace FaintBars {
namespace {

constexpr uint8_t kInk = 0;
// A bar shorter than this (in pixels of the 2× image) could be a dot's or a stroke's edge.
constexpr int kMinLength = 8;
// How far from the ground level, as a share of the way to the ink level, a bar's pixels lie at
// least. Table rules and window edges are lighter; half-covered rows lie near one half.
constexpr int kMinDepthPercent = 30;
// The rows a bar is apart from other ink: a pixel row wider than this on either side is not a bar.
constexpr int kClearRows = 2;
constexpr int kThicknessProbe = 3;
// A bar ends in ground this far beyond its last deep pixel (its soft edge lies between); a table's
// faint rule, deep only in blocks whose darkest level is a glyph's grey edge, goes on at its level.
constexpr int kEndProbe = 3;
constexpr int kGroundDepthPercent = 10;

struct Bar {
    int y;
    int start;
    int end;
};

class Finder {
public:
    Finder(const QImage& gray, const std::vector<NormalizerBlockRule>& rules, int columns,
           const QImage& binary)
        : m_gray(gray)
        , m_rules(rules)
        , m_columns(columns)
        , m_before(binary) {}

    const NormalizerBlockRule& ruleAt(int x, int y) const {
        return m_rules[static_cast<size_t>(y / kNormalizerBlockSize) * m_columns +
                       x / kNormalizerBlockSize];
    }

    // The least depth, in levels from the ground level, of a bar's pixels in a block of `rule`;
    // 0 where no pixel can be deep.
    static int leastDepth(const NormalizerBlockRule& rule) {
        const int range = rule.high - rule.low;
        return rule.blank || range <= 0 ? 0 : (kMinDepthPercent * range + 99) / 100;
    }

    bool deep(int x, int y) const {
        const NormalizerBlockRule& rule = ruleAt(x, y);
        const int least = leastDepth(rule);
        const int value = m_gray.constScanLine(y)[x];
        return least > 0 && (rule.lightInk ? value - rule.low : rule.high - value) >= least;
    }

    bool inkBefore(int x, int y) const { return m_before.constScanLine(y)[x] == kInk; }

    // Marks in `deep` (one byte per pixel of row `y`) the pixels that are deep and not yet ink.
    void deepCandidates(int y, uint8_t* deep) const {
        const uint8_t* in = m_gray.constScanLine(y);
        const uint8_t* ink = m_before.constScanLine(y);
        const int width = m_gray.width();
        for (int bx = 0; bx < m_columns; ++bx) {
            const NormalizerBlockRule& rule = ruleAt(bx * kNormalizerBlockSize, y);
            const int start = bx * kNormalizerBlockSize;
            const int end = std::min(width, start + kNormalizerBlockSize);
            const int least = leastDepth(rule);
            if (least == 0) {
                std::fill(deep + start, deep + end, uint8_t{0});
            } else if (rule.lightInk) {
                const int limit = rule.low + least;
                for (int x = start; x < end; ++x) {
                    deep[x] = in[x] >= limit && ink[x] != kInk ? 1 : 0;
                }
            } else {
                const int limit = rule.high - least;
                for (int x = start; x < end; ++x) {
                    deep[x] = in[x] <= limit && ink[x] != kInk ? 1 : 0;
                }
            }
        }
    }

    // Whether the pixel lies at the ground level: a bar ends there, a table's rule goes on.
    bool atGround(int x, int y) const {
        if (x < 0 || x >= m_gray.width()) {
            return true;
        }
        const NormalizerBlockRule& rule = ruleAt(x, y);
        const int value = m_gray.constScanLine(y)[x];
        const int depth = rule.lightInk ? value - rule.low : rule.high - value;
        return rule.blank || 100 * depth <= kGroundDepthPercent * (rule.high - rule.low);
    }

    // A candidate row run is a bar when the rows next to it hold no ink and the rows a little
    // further hold almost nothing deep: a glyph's faint edge lies on its stroke, a thick faint
    // band (a selection, a shaded header) is deep beyond the probe.
    bool standsApart(int start, int end, int y) const {
        const int height = m_gray.height();
        for (int dy = -kClearRows; dy <= kClearRows; ++dy) {
            const int row = y + dy;
            if (dy == 0 || row < 0 || row >= height) {
                continue;
            }
            for (int x = start; x < end; ++x) {
                if (inkBefore(x, row)) {
                    return false;
                }
            }
        }
        for (const int row : {y - kThicknessProbe, y + kThicknessProbe}) {
            if (row < 0 || row >= height) {
                continue;
            }
            int dark = 0;
            for (int x = start; x < end; ++x) {
                dark += deep(x, row) || inkBefore(x, row) ? 1 : 0;
            }
            if (4 * dark > end - start) {
                return false;
            }
        }
        return true;
    }

private:
    const QImage& m_gray;
    const std::vector<NormalizerBlockRule>& m_rules;
    const int m_columns;
    const QImage& m_before;
};

}  // namespace

void restore(const QImage& gray, const std::vector<NormalizerBlockRule>& rules, int columns,
             QImage& binary) {
    if (gray.size() != binary.size() || gray.format() != QImage::Format_Grayscale8) {
        return;
    }
    const Finder finder(gray, rules, columns, binary);
    const int width = gray.width();
    std::vector<uint8_t> deep(static_cast<size_t>(width));
    // Bars are drawn once all are found, so that one bar never hides another's neighbourhood.
    std::vector<Bar> bars;
    for (int y = 0; y < gray.height(); ++y) {
        finder.deepCandidates(y, deep.data());
        int x = 0;
        while (x < width) {
            if (deep[static_cast<size_t>(x)] == 0) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < width && deep[static_cast<size_t>(x)] != 0) {
                ++x;
            }
            // A run that ends in ink is a stroke's edge, not a bar on its own.
            const bool touchesInk = (start > 0 && finder.inkBefore(start - 1, y)) ||
                                    (x < width && finder.inkBefore(x, y));
            if (x - start >= kMinLength && !touchesInk && finder.atGround(start - kEndProbe, y) &&
                finder.atGround(x - 1 + kEndProbe, y) && finder.standsApart(start, x, y)) {
                bars.push_back(Bar{y, start, x});
            }
        }
    }
    for (const Bar& bar : bars) {
        uint8_t* line = binary.scanLine(bar.y);
        std::fill(line + bar.start, line + bar.end, kInk);
    }
}

}  // namespace FaintBars
