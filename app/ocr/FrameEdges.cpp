#include "ocr/FrameEdges.h"

#include "ocr/InkPieces.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace FrameEdges {
namespace {

constexpr uint8_t kGround = 255;
constexpr size_t kMinPieces = 4;

}  // namespace

void cut(TextArea& area, QImage& pixels) {
    if (!area.singleLine || area.inverted || pixels.size() != area.box.size()) {
        return;
    }
    const std::vector<InkPieces::Piece> pieces = InkPieces::of(pixels);
    if (pieces.size() < kMinPieces) {
        return;
    }
    std::vector<int> heights;
    for (const InkPieces::Piece& piece : pieces) {
        heights.push_back(piece.box.height());
    }
    std::sort(heights.begin(), heights.end());
    // Nine in ten of the pieces, the frame's few sides left out.
    const int glyphHeight = heights[(heights.size() - 1) * 9 / 10 - 1];
    QRect kept;
    bool cutAny = false;
    for (const InkPieces::Piece& piece : pieces) {
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
