#include "ocr/BadgeImage.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace BadgeImage {

QImage text(const QImage& gray, const QRect& box) {
    const QImage crop = gray.copy(box);
    std::array<int, 256> histogram{};
    for (int y = crop.height() / 4; y < crop.height() * 3 / 4; ++y) {
        const uint8_t* line = crop.constScanLine(y);
        for (int x = 0; x < crop.width(); ++x) {
            ++histogram[line[x]];
        }
    }
    const auto pill =
        static_cast<int>(std::max_element(histogram.begin(), histogram.end()) - histogram.begin());
    QImage out(crop.size(), QImage::Format_Grayscale8);
    for (int y = 0; y < crop.height(); ++y) {
        const uint8_t* in = crop.constScanLine(y);
        uint8_t* line = out.scanLine(y);
        for (int x = 0; x < crop.width(); ++x) {
            line[x] = std::abs(in[x] - pill) > kTextContrast ? 0 : 255;
        }
    }
    std::vector<QPoint> stack;
    const auto clear = [&](int x, int y) {
        if (x >= 0 && y >= 0 && x < out.width() && y < out.height() && out.scanLine(y)[x] == 0) {
            out.scanLine(y)[x] = 255;
            stack.emplace_back(x, y);
        }
    };
    for (int x = 0; x < out.width(); ++x) {
        clear(x, 0);
        clear(x, out.height() - 1);
    }
    for (int y = 0; y < out.height(); ++y) {
        clear(0, y);
        clear(out.width() - 1, y);
    }
    while (!stack.empty()) {
        const QPoint p = stack.back();
        stack.pop_back();
        clear(p.x() + 1, p.y());
        clear(p.x() - 1, p.y());
        clear(p.x(), p.y() + 1);
        clear(p.x(), p.y() - 1);
    }
    return out;
}

}  // namespace BadgeImage
