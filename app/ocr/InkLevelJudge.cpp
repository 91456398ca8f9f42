#include "ocr/InkLevelJudge.h"

#include <algorithm>
#include <cstdint>

namespace InkLevelJudge {
namespace {

constexpr int kSpan = 2 * kStrokeRadius + 1;
constexpr uint8_t kNone = 0;
constexpr uint8_t kLight = 1;
constexpr uint8_t kDark = 2;
static_assert((kLight & kDark) == kNone);
// How many blocks to each side a crowded block looks for its line's ground.
constexpr int kLineReach = 8;

// The pixels of a block that are the centre of a square of one level.
struct ThickGround {
    int light = 0;
    int dark = 0;

    int vote() const { return light - dark; }
    // Thick ground of one level only: a block inside one window or bubble, not on an edge.
    bool oneSided() const { return (light == 0) != (dark == 0); }
};

// The level that splits light from dark in each block: its rule's threshold; for a block without
// contrast, that of a block around it with contrast, so that a plain stretch of a bubble's ground
// counts as the same level as the rest of that ground.
std::vector<int> levelThresholds(const std::vector<NormalizerBlockRule>& rules, int columns) {
    const int rows = static_cast<int>(rules.size()) / columns;
    std::vector<int> thresholds(rules.size(), 128);
    for (int by = 0; by < rows; ++by) {
        for (int bx = 0; bx < columns; ++bx) {
            const size_t block = static_cast<size_t>(by) * columns + bx;
            if (!rules[block].blank) {
                thresholds[block] = rules[block].threshold;
                continue;
            }
            for (int ny = std::max(0, by - 1); ny <= std::min(rows - 1, by + 1); ++ny) {
                for (int nx = std::max(0, bx - 1); nx <= std::min(columns - 1, bx + 1); ++nx) {
                    const NormalizerBlockRule& near = rules[static_cast<size_t>(ny) * columns + nx];
                    if (!near.blank) {
                        thresholds[block] = near.threshold;
                    }
                }
            }
        }
    }
    return thresholds;
}

// Per block, the light pixels whose whole square is light and the dark pixels whose whole
// square is dark. One pass: a pixel's row of kSpan pixels centred on it is of one level, its
// square is when kSpan such rows stack. Counts stop at kSpan, which keeps them in a byte.
std::vector<ThickGround> thickGroundEvidence(const QImage& gray,
                                             const std::vector<NormalizerBlockRule>& rules,
                                             int columns) {
    constexpr int blockSize = kNormalizerBlockSize;
    const int width = gray.width();
    const int height = gray.height();
    std::vector<ThickGround> evidence(rules.size());
    const std::vector<int> thresholds = levelThresholds(rules, columns);
    std::vector<uint8_t> level(static_cast<size_t>(width));
    std::vector<uint8_t> across(static_cast<size_t>(width), kNone);
    std::vector<uint8_t> lightRows(static_cast<size_t>(width), 0);
    std::vector<uint8_t> darkRows(static_cast<size_t>(width), 0);
    for (int y = 0; y < height; ++y) {
        const uint8_t* in = gray.constScanLine(y);
        const int* rowThresholds = &thresholds[static_cast<size_t>(y / blockSize) * columns];
        for (int bx = 0; bx < columns; ++bx) {
            const int threshold = rowThresholds[bx];
            const int end = std::min(width, (bx + 1) * blockSize);
            for (int x = bx * blockSize; x < end; ++x) {
                level[static_cast<size_t>(x)] = in[x] >= threshold ? kLight : kDark;
            }
        }
        // The levels are single bits, so the AND of a row's kSpan levels is that level when
        // they are all alike and kNone otherwise.
        for (int x = kStrokeRadius; x + kStrokeRadius < width; ++x) {
            uint8_t alike = level[static_cast<size_t>(x - kStrokeRadius)];
            for (int k = 1; k < kSpan; ++k) {
                alike &= level[static_cast<size_t>(x - kStrokeRadius + k)];
            }
            across[static_cast<size_t>(x)] = alike;
        }
        const int centreRow = y - kStrokeRadius;
        ThickGround* rowEvidence =
            centreRow >= 0 ? &evidence[static_cast<size_t>(centreRow / blockSize) * columns]
                           : nullptr;
        for (int bx = 0; bx < columns; ++bx) {
            const int end = std::min(width, (bx + 1) * blockSize);
            int light = 0;
            int dark = 0;
            for (int x = bx * blockSize; x < end; ++x) {
                const auto at = static_cast<size_t>(x);
                const uint8_t l = across[at] == kLight ? std::min(lightRows[at] + 1, kSpan) : 0;
                const uint8_t d = across[at] == kDark ? std::min(darkRows[at] + 1, kSpan) : 0;
                lightRows[at] = l;
                darkRows[at] = d;
                light += l >= kSpan ? 1 : 0;
                dark += d >= kSpan ? 1 : 0;
            }
            if (rowEvidence != nullptr) {
                rowEvidence[bx].light += light;
                rowEvidence[bx].dark += dark;
            }
        }
    }
    return evidence;
}

// The ground of the nearest block in one direction along a block row that shows thick ground of
// one level, as one vote: a plain field beside a panel of crowded lines shows far more thick
// ground than the lines' own blocks, and must not outvote them. A block with thick ground of both
// levels is an edge: the text line ends there, and beyond it lies another ground.
int lineVote(const std::vector<ThickGround>& evidence, int rowStart, int bx, int step,
             int columns) {
    for (int distance = 1; distance <= kLineReach; ++distance) {
        const int nx = bx + step * distance;
        if (nx < 0 || nx >= columns) {
            return 0;
        }
        const ThickGround& ground = evidence[static_cast<size_t>(rowStart + nx)];
        if (ground.oneSided()) {
            return ground.vote() > 0 ? 1 : -1;
        }
        if (ground.light != 0) {
            return 0;
        }
    }
    return 0;
}

}  // namespace

void judge(const QImage& gray, std::vector<NormalizerBlockRule>& rules, int columns) {
    if (gray.isNull() || columns <= 0) {
        return;
    }
    const std::vector<ThickGround> evidence = thickGroundEvidence(gray, rules, columns);
    const int rows = static_cast<int>(rules.size()) / columns;
    for (int by = 0; by < rows; ++by) {
        for (int bx = 0; bx < columns; ++bx) {
            NormalizerBlockRule& rule = rules[static_cast<size_t>(by) * columns + bx];
            if (rule.blank) {
                continue;
            }
            // > 0: more light ground, < 0: more dark ground. A block with thick ground of one
            // level decides alone. A block crowded with glyphs, or on a bubble's or panel's
            // edge with ground of both levels, follows the nearest one-sided blocks beside it in
            // its row (its text line); the blocks above and below may lie beyond the edge.
            const ThickGround& own = evidence[static_cast<size_t>(by) * columns + bx];
            int vote = own.oneSided() ? own.vote() : 0;
            if (vote == 0) {
                for (const int step : {-1, 1}) {
                    vote += lineVote(evidence, by * columns, bx, step, columns);
                }
            }
            if (vote == 0) {
                vote = own.vote();
            }
            if (vote == 0) {
                for (int ny = std::max(0, by - 1); ny <= std::min(rows - 1, by + 1); ++ny) {
                    for (int nx = std::max(0, bx - 1); nx <= std::min(columns - 1, bx + 1); ++nx) {
                        vote += evidence[static_cast<size_t>(ny) * columns + nx].vote();
                    }
                }
            }
            if (vote != 0) {
                rule.lightInk = vote < 0;
            }
        }
    }
}

}  // namespace InkLevelJudge
