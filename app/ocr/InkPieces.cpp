#include "ocr/InkPieces.h"

#include <algorithm>

namespace InkPieces {

std::vector<Piece> of(const QImage& ink) {
    const int width = ink.width();
    const int height = ink.height();
    std::vector<bool> seen(static_cast<size_t>(width) * static_cast<size_t>(height), false);
    const auto at = [width](int x, int y) {
        return static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
    };
    std::vector<Piece> out;
    std::vector<QPoint> stack;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (ink.constScanLine(y)[x] >= kInkBelow || seen[at(x, y)]) {
                continue;
            }
            Piece piece;
            int left = x;
            int right = x;
            int top = y;
            int bottom = y;
            seen[at(x, y)] = true;
            stack.assign(1, QPoint(x, y));
            while (!stack.empty()) {
                const QPoint p = stack.back();
                stack.pop_back();
                piece.points.push_back(p);
                left = std::min(left, p.x());
                right = std::max(right, p.x());
                top = std::min(top, p.y());
                bottom = std::max(bottom, p.y());
                for (int ny = std::max(0, p.y() - 1); ny <= std::min(height - 1, p.y() + 1); ++ny) {
                    const uint8_t* row = ink.constScanLine(ny);
                    for (int nx = std::max(0, p.x() - 1); nx <= std::min(width - 1, p.x() + 1);
                         ++nx) {
                        if (row[nx] < kInkBelow && !seen[at(nx, ny)]) {
                            seen[at(nx, ny)] = true;
                            stack.emplace_back(nx, ny);
                        }
                    }
                }
            }
            piece.box = QRect(QPoint(left, top), QPoint(right, bottom));
            out.push_back(std::move(piece));
        }
    }
    return out;
}

std::vector<QRect> boxes(const QImage& ink) {
    std::vector<QRect> out;
    for (const Piece& piece : of(ink)) {
        out.push_back(piece.box);
    }
    std::sort(out.begin(), out.end(),
              [](const QRect& a, const QRect& b) { return a.left() < b.left(); });
    return out;
}

}  // namespace InkPieces
