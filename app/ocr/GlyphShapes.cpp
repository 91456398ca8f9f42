#include "ocr/GlyphShapes.h"

#include "ocr/InkPieces.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace GlyphShapes {

double barDepth(const QImage& ink, QRect area) {
    area = area.intersected(ink.rect());
    std::vector<int> counts;
    int first = -1;
    int last = -1;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const uint8_t* row = ink.constScanLine(y);
        const auto count =
            static_cast<int>(std::count_if(row + area.left(), row + area.right() + 1,
                                           [](uint8_t v) { return v < InkPieces::kInkBelow; }));
        counts.push_back(count);
        if (count > 0) {
            first = first < 0 ? y : first;
            last = y;
        }
    }
    if (first < 0 || last - first < 4) {
        return -1;
    }
    const int widest = *std::max_element(counts.begin(), counts.end());
    for (int y = first; y <= last; ++y) {
        if (5 * counts[static_cast<size_t>(y - area.top())] >= 4 * widest) {
            return static_cast<double>(y - first) / (last - first);
        }
    }
    return -1;
}

bool fitsItsInk(const QImage& ink, QRect area) {
    area = area.intersected(ink.rect());
    const auto columnHasInk = [&](int x) {
        for (int y = area.top(); y <= area.bottom(); ++y) {
            if (ink.constScanLine(y)[x] < InkPieces::kInkBelow) {
                return true;
            }
        }
        return false;
    };
    return !area.isEmpty() && columnHasInk(area.left()) && columnHasInk(area.right());
}

QRect inkBox(const QImage& ink, QRect area) {
    area = area.intersected(ink.rect());
    QRect out;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (ink.constScanLine(y)[x] < InkPieces::kInkBelow) {
                out = out.united(QRect(x, y, 1, 1));
            }
        }
    }
    return out;
}

StemShape stemShape(const QImage& ink, QRect area) {
    area = area.intersected(ink.rect());
    if (area.width() < 2 || area.height() < 8) {
        return StemShape::none;
    }
    const auto inkAt = [&](int x, int y) {
        return ink.constScanLine(y)[x] < InkPieces::kInkBelow;
    };
    std::vector<int> columns(static_cast<size_t>(area.width()), 0);
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            columns[static_cast<size_t>(x - area.left())] += inkAt(x, y) ? 1 : 0;
        }
    }
    const int tallest = *std::max_element(columns.begin(), columns.end());
    if (tallest < kStemHeight * area.height()) {
        return StemShape::none;
    }
    int stemLeft = area.right();
    int stemRight = area.left();
    for (int x = area.left(); x <= area.right(); ++x) {
        if (10 * columns[static_cast<size_t>(x - area.left())] >= 7 * tallest) {
            stemLeft = std::min(stemLeft, x);
            stemRight = std::max(stemRight, x);
        }
    }
    const auto anyInk = [&](int left, int right, int top, int bottom) {
        for (int y = top; y <= bottom; ++y) {
            for (int x = left; x <= right; ++x) {
                if (inkAt(x, y)) {
                    return true;
                }
            }
        }
        return false;
    };
    const int band = std::max(2, area.height() / 4);
    const int top = area.top();
    const int bottom = area.bottom();
    // Judged first: a serif "l" enlarged from a 1x screen has its flag and foot one pixel wide.
    if (stemLeft > area.left() && stemRight < area.right() &&
        anyInk(area.left(), stemLeft - 1, top, top + band) &&
        !anyInk(stemRight + 1, area.right(), top, top + band) &&
        anyInk(stemRight + 1, area.right(), bottom - band, bottom)) {
        return StemShape::smallL;
    }
    // A pixel of a bar's blurred or slanted ends may stand beside its stem.
    if (stemLeft - area.left() <= 1 && area.right() - stemRight <= 1) {
        return StemShape::bar;
    }
    return StemShape::none;
}

bool enclosesCounter(const QImage& ink, QRect area) {
    area = QRect(area.left(), 0, area.width(), ink.height()).intersected(ink.rect());
    if (area.width() < 3 || area.height() < 3) {
        return false;
    }
    const int width = area.width();
    const int height = area.height();
    std::vector<uint8_t> open(static_cast<size_t>(width * height), 0);
    std::vector<QPoint> pending;
    const auto ground = [&](int x, int y) {
        return ink.constScanLine(area.top() + y)[area.left() + x] >= InkPieces::kInkBelow;
    };
    const auto reach = [&](int x, int y) {
        uint8_t& mark = open[static_cast<size_t>(y * width + x)];
        if (mark == 0 && ground(x, y)) {
            mark = 1;
            pending.emplace_back(x, y);
        }
    };
    for (int x = 0; x < width; ++x) {
        reach(x, 0);
        reach(x, height - 1);
    }
    for (int y = 0; y < height; ++y) {
        reach(0, y);
        reach(width - 1, y);
    }
    while (!pending.empty()) {
        const QPoint p = pending.back();
        pending.pop_back();
        for (const QPoint step : {QPoint(-1, 0), QPoint(1, 0), QPoint(0, -1), QPoint(0, 1)}) {
            const QPoint next = p + step;
            if (next.x() >= 0 && next.x() < width && next.y() >= 0 && next.y() < height) {
                reach(next.x(), next.y());
            }
        }
    }
    int rows = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = width / 2 - 1; x <= width / 2 + 1; ++x) {
            if (open[static_cast<size_t>(y * width + x)] == 0 && ground(x, y)) {
                ++rows;
                break;
            }
        }
    }
    return rows >= kMinCounterHeight;
}

}  // namespace GlyphShapes
