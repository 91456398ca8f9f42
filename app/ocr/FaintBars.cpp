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

class Finder {
public:
    Finder(const QImage& gray, const std::vector<NormalizerBlockRule>& rules, int columns,
           const QImage& before)
        : m_gray(gray)
        , m_rules(rules)
        , m_columns(columns)
        , m_before(before) {}

    const NormalizerBlockRule& ruleAt(int x, int y) const {
        return m_rules[static_cast<size_t>(y / kNormalizerBlockSize) * m_columns +
                       x / kNormalizerBlockSize];
    }

    bool deep(int x, int y) const {
        const NormalizerBlockRule& rule = ruleAt(x, y);
        if (rule.blank || rule.high - rule.low <= 0) {
            return false;
        }
        const int value = m_gray.constScanLine(y)[x];
        const int depth = rule.lightInk ? value - rule.low : rule.high - value;
        return 100 * depth >= kMinDepthPercent * (rule.high - rule.low);
    }

    bool inkBefore(int x, int y) const { return m_before.constScanLine(y)[x] == kInk; }

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
    const QImage before = binary.copy();
    const Finder finder(gray, rules, columns, before);
    const int width = gray.width();
    for (int y = 0; y < gray.height(); ++y) {
        int x = 0;
        while (x < width) {
            if (finder.inkBefore(x, y) || !finder.deep(x, y)) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < width && !finder.inkBefore(x, y) && finder.deep(x, y)) {
                ++x;
            }
            // A run that ends in ink is a stroke's edge, not a bar on its own.
            const bool touchesInk = (start > 0 && finder.inkBefore(start - 1, y)) ||
                                    (x < width && finder.inkBefore(x, y));
            const bool ends =
                finder.atGround(start - kEndProbe, y) && finder.atGround(x - 1 + kEndProbe, y);
            if (x - start >= kMinLength && !touchesInk && ends && finder.standsApart(start, x, y)) {
                uint8_t* line = binary.scanLine(y);
                std::fill(line + start, line + x, kInk);
            }
        }
    }
}

}  // namespace FaintBars
