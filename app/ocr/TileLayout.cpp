#include "ocr/TileLayout.h"

#include <QImage>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace TileLayout {
namespace {

std::vector<int> inkPerRow(const QImage& image) {
    std::vector<int> ink(static_cast<size_t>(image.height()), 0);
    for (int y = 0; y < image.height(); ++y) {
        const uint8_t* line = image.constScanLine(y);
        ink[static_cast<size_t>(y)] =
            static_cast<int>(std::count(line, line + image.width(), uint8_t{0}));
    }
    return ink;
}

struct Cut {
    int row = 0;
    bool clean = true;
};

// The emptiest row within reach of `nominal`, the nearest one among equals.
Cut bestCut(const std::vector<int>& rowInk, int nominal, int lowest, int highest) {
    Cut best{nominal, rowInk[static_cast<size_t>(nominal)] == 0};
    int bestInk = rowInk[static_cast<size_t>(nominal)];
    for (int offset = 1; offset <= kCutSearch && bestInk > 0; ++offset) {
        for (const int row : {nominal - offset, nominal + offset}) {
            if (row < lowest || row > highest) {
                continue;
            }
            const int ink = rowInk[static_cast<size_t>(row)];
            if (ink < bestInk) {
                bestInk = ink;
                best = Cut{row, ink == 0};
            }
        }
    }
    return best;
}

std::vector<Cut> bandCuts(const std::vector<int>& rowInk, int height) {
    std::vector<Cut> cuts{{0, true}};
    const int bands = std::max(1, (height + kBandHeight / 2) / kBandHeight);
    for (int band = 1; band < bands; ++band) {
        const int nominal = band * height / bands;
        const int lowest = cuts.back().row + kBandHeight / 4;
        const int highest = height - kBandHeight / 4;
        if (lowest > highest) {
            break;
        }
        cuts.push_back(bestCut(rowInk, std::clamp(nominal, lowest, highest), lowest, highest));
    }
    cuts.push_back({height, true});
    return cuts;
}

// Splits [top, bottom) of the image at runs of empty columns and trims each piece to its ink.
void addColumnTiles(const QImage& image, int top, int bottom, int keepTop, int keepBottom,
                    QList<Tile>& out) {
    const int width = image.width();
    std::vector<int> columnInk(static_cast<size_t>(width), 0);
    int firstInkRow = bottom;
    int lastInkRow = top - 1;
    for (int y = top; y < bottom; ++y) {
        const uint8_t* line = image.constScanLine(y);
        bool any = false;
        for (int x = 0; x < width; ++x) {
            if (line[x] == 0) {
                ++columnInk[static_cast<size_t>(x)];
                any = true;
            }
        }
        if (any) {
            firstInkRow = std::min(firstInkRow, y);
            lastInkRow = y;
        }
    }
    if (lastInkRow < firstInkRow) {
        return;
    }
    const int tileTop = std::max(top, firstInkRow - kPadding);
    const int tileBottom = std::min(bottom, lastInkRow + 1 + kPadding);

    int x = 0;
    while (x < width) {
        while (x < width && columnInk[static_cast<size_t>(x)] == 0) {
            ++x;
        }
        if (x >= width) {
            break;
        }
        const int start = x;
        int end = x;  // one past the last ink column of this piece
        int gap = 0;
        while (x < width && gap < kMinColumnGap) {
            if (columnInk[static_cast<size_t>(x)] == 0) {
                ++gap;
            } else {
                gap = 0;
                end = x + 1;
            }
            ++x;
        }
        const int left = std::max(0, start - kPadding);
        const int right = std::min(width, end + kPadding);
        out.append(
            Tile{QRect(left, tileTop, right - left, tileBottom - tileTop), keepTop, keepBottom});
    }
}

}  // namespace

QList<Tile> tiles(const QImage& normalized) {
    QList<Tile> out;
    if (normalized.isNull() || normalized.format() != QImage::Format_Grayscale8) {
        return out;
    }
    const int height = normalized.height();
    const std::vector<int> rowInk = inkPerRow(normalized);
    const std::vector<Cut> cuts = bandCuts(rowInk, height);
    for (size_t i = 0; i + 1 < cuts.size(); ++i) {
        const Cut& upper = cuts[i];
        const Cut& lower = cuts[i + 1];
        const int top = upper.clean ? upper.row : std::max(0, upper.row - kCutOverlap);
        const int bottom = lower.clean ? lower.row : std::min(height, lower.row + kCutOverlap);
        addColumnTiles(normalized, top, bottom, upper.row, lower.row, out);
    }
    return out;
}

}  // namespace TileLayout
