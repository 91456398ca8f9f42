#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>

#include <cstdint>
#include <vector>

// The connected pieces of ink of a line's image: what a glyph, a dot or a frame's side is made of.
namespace InkPieces {

// A pixel of an 8-bit image (dark ink on a light ground) darker than this is ink.
inline constexpr uint8_t kInkBelow = 128;

struct Piece {
    QRect box;
    std::vector<QPoint> points;
};

// The 8-connected pieces of ink of `ink`, in the order their first pixels are met row by row.
std::vector<Piece> of(const QImage& ink);

// The boxes of the pieces, left to right.
std::vector<QRect> boxes(const QImage& ink);

}  // namespace InkPieces
