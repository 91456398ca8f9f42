#pragma once

#include "ocr/LineLayout.h"

#include <QImage>

// A text field's frame runs across a line between its label and its text: its top and bottom
// edges are rules, taken out with the others, but its rounded sides stay, thin pieces of ink far
// taller than the line's glyphs. Read with the line, the engine takes a side for "|" or "(", sees
// glyphs small in a tall image and misreads digits beside it ("720-17-8082" for "720-17-8042").
// Such pieces are taken out of a single line's ink, and the line's box shrinks to what is left.
namespace FrameEdges {

// A piece at least this many times as tall as the line's other pieces (nine in ten of them), and
// at most this share of its height wide, is a frame's side.
inline constexpr double kTallerThanGlyphs = 1.6;
inline constexpr double kMaxWidthShare = 0.25;

// `area` and `pixels` (its binary ink, 0 ink and 255 ground, `area.box` sized) without a frame's
// sides; unchanged when there are none.
void cut(TextArea& area, QImage& pixels);

}  // namespace FrameEdges
