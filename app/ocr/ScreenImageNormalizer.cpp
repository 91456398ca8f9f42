#include "ocr/ScreenImageNormalizer.h"

#include "ocr/FaintBars.h"
#include "ocr/GroundContinuations.h"
#include "ocr/InkLevelJudge.h"
#include "ocr/ScreenGray.h"

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
std::vector<NormalizerBlockRule> blockRules(const std::vector<BlockStats>& stats, int columns,
                                            int rows) {
    std::vector<NormalizerBlockRule> rules(stats.size());
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
            NormalizerBlockRule& rule = rules[static_cast<size_t>(by) * columns + bx];
            const BlockStats& own = stats[static_cast<size_t>(by) * columns + bx];
            if (around.count == 0 || own.maximum - own.minimum < kMinContrast / 2 ||
                around.maximum - around.minimum < kMinContrast) {
                continue;
            }
            rule.blank = false;
            rule.threshold = (around.minimum + around.maximum) / 2;
            rule.low = around.minimum;
            rule.high = around.maximum;
            // A first guess; InkLevelJudge decides where the block or its neighbours show strokes.
            rule.lightInk = around.sum / around.count < rule.threshold;
        }
    }
    return rules;
}

}  // namespace

QImage normalize(const QImage& screenshot) {
    if (screenshot.isNull()) {
        return {};
    }
    const QImage gray = ScreenGray::of(screenshot);
    const int width = gray.width();
    const int height = gray.height();
    const int columns = (width + kBlockSize - 1) / kBlockSize;
    const int rows = (height + kBlockSize - 1) / kBlockSize;
    std::vector<NormalizerBlockRule> rules =
        blockRules(blockStatistics(gray, columns, rows), columns, rows);
    InkLevelJudge::judge(gray, rules, columns);

    QImage out(width, height, QImage::Format_Grayscale8);
    for (int y = 0; y < height; ++y) {
        const uint8_t* in = gray.constScanLine(y);
        uint8_t* line = out.scanLine(y);
        const NormalizerBlockRule* rowRules = &rules[static_cast<size_t>(y / kBlockSize) * columns];
        for (int bx = 0; bx < columns; ++bx) {
            const NormalizerBlockRule& rule = rowRules[bx];
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
    FaintBars::restore(gray, rules, columns, out);
    return out;
}

}  // namespace ScreenImageNormalizer
