#include "ocr/InkLevelJudge.h"

#include <algorithm>
#include <cstdint>

namespace InkLevelJudge {
namespace {

constexpr int kSpan = 2 * kStrokeRadius + 1;
constexpr uint8_t kLight = 1;
constexpr uint8_t kDark = 2;

using Map = std::vector<uint8_t>;

// Per pixel, which levels (kLight, kDark bits) fill the kSpan pixels of `in` centred on it along
// a row (`all`) or reach it (`!all`: some pixel of the level lies within the span).
void rowPass(const Map& in, Map& out, int width, int height, bool all) {
    std::vector<int> lights(static_cast<size_t>(width + 1));
    std::vector<int> darks(static_cast<size_t>(width + 1));
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = &in[static_cast<size_t>(y) * width];
        for (int x = 0; x < width; ++x) {
            lights[static_cast<size_t>(x + 1)] = lights[static_cast<size_t>(x)] + (row[x] & kLight);
            darks[static_cast<size_t>(x + 1)] =
                darks[static_cast<size_t>(x)] + ((row[x] & kDark) >> 1);
        }
        uint8_t* result = &out[static_cast<size_t>(y) * width];
        for (int x = 0; x < width; ++x) {
            const int from = std::max(0, x - kStrokeRadius);
            const int to = std::min(width, x + kStrokeRadius + 1);
            const int light = lights[static_cast<size_t>(to)] - lights[static_cast<size_t>(from)];
            const int dark = darks[static_cast<size_t>(to)] - darks[static_cast<size_t>(from)];
            const int need = all ? kSpan : 1;
            result[x] =
                static_cast<uint8_t>((light >= need ? kLight : 0) | (dark >= need ? kDark : 0));
        }
    }
}

// The same down the columns.
void columnPass(const Map& in, Map& out, int width, int height, bool all) {
    std::vector<int> lights(static_cast<size_t>(width), 0);
    std::vector<int> darks(static_cast<size_t>(width), 0);
    const auto add = [&](int y, int sign) {
        if (y < 0 || y >= height) {
            return;
        }
        const uint8_t* row = &in[static_cast<size_t>(y) * width];
        for (int x = 0; x < width; ++x) {
            lights[static_cast<size_t>(x)] += sign * (row[x] & kLight);
            darks[static_cast<size_t>(x)] += sign * ((row[x] & kDark) >> 1);
        }
    };
    for (int y = 0; y < kStrokeRadius; ++y) {
        add(y, 1);
    }
    const int need = all ? kSpan : 1;
    for (int y = 0; y < height; ++y) {
        add(y + kStrokeRadius, 1);
        uint8_t* result = &out[static_cast<size_t>(y) * width];
        for (int x = 0; x < width; ++x) {
            result[x] = static_cast<uint8_t>((lights[static_cast<size_t>(x)] >= need ? kLight : 0) |
                                             (darks[static_cast<size_t>(x)] >= need ? kDark : 0));
        }
        add(y - kStrokeRadius, -1);
    }
}

}  // namespace

void judge(const QImage& gray, std::vector<NormalizerBlockRule>& rules, int columns,
           int blockSize) {
    const int width = gray.width();
    const int height = gray.height();
    const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
    if (pixels == 0 || columns <= 0) {
        return;
    }
    Map levels(pixels);
    for (int y = 0; y < height; ++y) {
        const uint8_t* in = gray.constScanLine(y);
        const NormalizerBlockRule* rowRules = &rules[static_cast<size_t>(y / blockSize) * columns];
        uint8_t* out = &levels[static_cast<size_t>(y) * width];
        for (int x = 0; x < width; ++x) {
            const NormalizerBlockRule& rule = rowRules[x / blockSize];
            out[x] = in[x] >= (rule.blank ? 128 : rule.threshold) ? kLight : kDark;
        }
    }
    // The centres of full squares of each level: ground, never a stroke.
    Map across(pixels);
    Map centres(pixels);
    rowPass(levels, across, width, height, true);
    columnPass(across, centres, width, height, true);

    std::vector<int> evidence(rules.size(), 0);  // > 0: more light ground, < 0: more dark ground
    for (int y = 0; y < height; ++y) {
        const uint8_t* centre = &centres[static_cast<size_t>(y) * width];
        int* rowEvidence = &evidence[static_cast<size_t>(y / blockSize) * columns];
        for (int x = 0; x < width; ++x) {
            rowEvidence[x / blockSize] += (centre[x] & kLight) - ((centre[x] & kDark) >> 1);
        }
    }
    const int rows = static_cast<int>(rules.size()) / columns;
    for (int by = 0; by < rows; ++by) {
        for (int bx = 0; bx < columns; ++bx) {
            NormalizerBlockRule& rule = rules[static_cast<size_t>(by) * columns + bx];
            if (rule.blank) {
                continue;
            }
            int vote = evidence[static_cast<size_t>(by) * columns + bx];
            if (vote == 0) {
                for (int ny = std::max(0, by - 1); ny <= std::min(rows - 1, by + 1); ++ny) {
                    for (int nx = std::max(0, bx - 1); nx <= std::min(columns - 1, bx + 1); ++nx) {
                        vote += evidence[static_cast<size_t>(ny) * columns + nx];
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
