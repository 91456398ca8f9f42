#include "ocr/FrameEdges.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace FrameEdges {
namespace {

constexpr uint8_t kInk = 0;
constexpr uint8_t kGround = 255;
constexpr size_t kMinPieces = 4;

struct Piece {
    QRect box;
    std::vector<QPoint> points;
};

// The 8-connected pieces of ink of `pixels`.
std::vector<Piece> piecesOf(const QImage& pixels) {
    const int width = pixels.width();
    const int height = pixels.height();
    std::vector<bool> seen(static_cast<size_t>(width) * static_cast<size_t>(height), false);
    const auto at = [width](int x, int y) {
        return static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
    };
    std::vector<Piece> out;
    std::vector<QPoint> stack;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (pixels.constScanLine(y)[x] != kInk || seen[at(x, y)]) {
                continue;
            }
            Piece piece;
            seen[at(x, y)] = true;
            stack.assign(1, QPoint(x, y));
            while (!stack.empty()) {
                const QPoint p = stack.back();
                stack.pop_back();
                piece.points.push_back(p);
                piece.box = piece.box.united(QRect(p, QSize(1, 1)));
                for (int ny = std::max(0, p.y() - 1); ny <= std::min(height - 1, p.y() + 1); ++ny) {
                    for (int nx = std::max(0, p.x() - 1); nx <= std::min(width - 1, p.x() + 1);
                         ++nx) {
                        if (pixels.constScanLine(ny)[nx] == kInk && !seen[at(nx, ny)]) {
                            seen[at(nx, ny)] = true;
                            stack.emplace_back(nx, ny);
                        }
                    }
                }
            }
            out.push_back(std::move(piece));
        }
    }
    return out;
}

}  // namespace

void cut(TextArea& area, QImage& pixels) {
    if (!area.singleLine || area.inverted || pixels.size() != area.box.size()) {
        return;
    }
    const std::vector<Piece> pieces = piecesOf(pixels);
    if (pieces.size() < kMinPieces) {
        return;
    }
    std::vector<int> heights;
    for (const Piece& piece : pieces) {
        heights.push_back(piece.box.height());
    }
    std::sort(heights.begin(), heights.end());
    // Nine in ten of the pieces, the frame's few sides left out.
    const int glyphHeight = heights[(heights.size() - 1) * 9 / 10 - 1];
    QRect kept;
    bool cutAny = false;
    for (const Piece& piece : pieces) {
        const bool side = piece.box.height() >= kTallerThanGlyphs * glyphHeight &&
                          piece.box.width() <= kMaxWidthShare * piece.box.height();
        if (!side) {
            kept = kept.united(piece.box);
            continue;
        }
        for (const QPoint& p : piece.points) {
            pixels.scanLine(p.y())[p.x()] = kGround;
        }
        cutAny = true;
    }
    if (!cutAny || kept.isEmpty()) {
        return;
    }
    const QRect rows(0, kept.top(), pixels.width(), kept.height());
    pixels = pixels.copy(rows);
    area.box = QRect(area.box.left(), area.box.top() + kept.top(), area.box.width(), kept.height());
}

}  // namespace FrameEdges
