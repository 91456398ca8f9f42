#include "ocr/InkLevelJudge.h"

#include <algorithm>
#include <cstdint>

namespace InkLevelJudge {
namespace {

constexpr int kSpan = 2 * kStrokeRadius + 1;
constexpr uint8_t kNone = 0;
constexpr uint8_t kLight = 1;
constexpr uint8_t kDark = 2;
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
// square is dark. One pass: a pixel's row of kSpan pixels is one level when the run of that level
// ending kStrokeRadius pixels to its right is kSpan long; its square is, when kSpan such rows
// stack.
std::vector<ThickGround> thickGroundEvidence(const QImage& gray,
                                             const std::vector<NormalizerBlockRule>& rules,
                                             int columns) {
    constexpr int blockSize = kNormalizerBlockSize;
    const int width = gray.width();
    const int height = gray.height();
    std::vector<ThickGround> evidence(rules.size());
    const std::vector<int> thresholds = levelThresholds(rules, columns);
    std::vector<uint8_t> level(static_cast<size_t>(width));
    std::vector<uint8_t> across(static_cast<size_t>(width));
    std::vector<int> lightRows(static_cast<size_t>(width), 0);
    std::vector<int> darkRows(static_cast<size_t>(width), 0);
    for (int y = 0; y < height; ++y) {
        const uint8_t* in = gray.constScanLine(y);
        const int* rowThresholds = &thresholds[static_cast<size_t>(y / blockSize) * columns];
        for (int x = 0; x < width; ++x) {
            level[static_cast<size_t>(x)] = in[x] >= rowThresholds[x / blockSize] ? kLight : kDark;
        }
        std::fill(across.begin(), across.end(), kNone);
        int run = 0;
        for (int x = 0; x < width; ++x) {
            run = x > 0 && level[static_cast<size_t>(x)] == level[static_cast<size_t>(x - 1)]
                      ? run + 1
                      : 1;
            if (run >= kSpan) {
                across[static_cast<size_t>(x - kStrokeRadius)] = level[static_cast<size_t>(x)];
            }
        }
        const int centreRow = y - kStrokeRadius;
        ThickGround* rowEvidence =
            centreRow >= 0 ? &evidence[static_cast<size_t>(centreRow / blockSize) * columns]
                           : nullptr;
        for (int x = 0; x < width; ++x) {
            int& light = lightRows[static_cast<size_t>(x)];
            int& dark = darkRows[static_cast<size_t>(x)];
            light = across[static_cast<size_t>(x)] == kLight ? light + 1 : 0;
            dark = across[static_cast<size_t>(x)] == kDark ? dark + 1 : 0;
            if (rowEvidence != nullptr) {
                if (light >= kSpan) {
                    ++rowEvidence[x / blockSize].light;
                } else if (dark >= kSpan) {
                    ++rowEvidence[x / blockSize].dark;
                }
            }
        }
    }
    return evidence;
}

// The ground of the nearest block in one direction along a block row that shows thick ground of
// one level. A block with thick ground of both levels is an edge: the text line ends there, and
// beyond it lies another ground.
int lineVote(const std::vector<ThickGround>& evidence, int rowStart, int bx, int step,
             int columns) {
    for (int distance = 1; distance <= kLineReach; ++distance) {
        const int nx = bx + step * distance;
        if (nx < 0 || nx >= columns) {
            return 0;
        }
        const ThickGround& ground = evidence[static_cast<size_t>(rowStart + nx)];
        if (ground.oneSided()) {
            return ground.vote();
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
