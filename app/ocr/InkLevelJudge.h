#pragma once

#include "ocr/NormalizerBlockRule.h"

#include <QImage>

#include <vector>

// Decides for each block of a screenshot which of its two levels is the ground. Glyph strokes are
// thin at any size and weight a screen shows; grounds are wide. Counting, per block, the pixels
// of each level whose whole (2·kStrokeRadius+1)² square has that level tells them apart where a
// mean of the levels cannot: in blocks crowded with glyphs, where the ink outweighs the ground.
// The level with more such pixels is the block's ground. A block too crowded to show any, or on a
// bubble's or window's edge with thick ground of both levels, follows the nearest blocks beside
// it in its row (its text line) that show one level, up to the next edge, one vote a side; where
// the two sides differ, its own count, then the blocks around it; with none of those either, it
// keeps the guess its rule came with.
namespace InkLevelJudge {

// Squares of 9 pixels: wider than the strokes of bold 20-point text on a 2× screen, narrower than
// the ground left and right of the text in a chat bubble.
inline constexpr int kStrokeRadius = 4;

// `rules` holds one rule per block of kNormalizerBlockSize pixels, `columns` blocks to a row, with
// their thresholds set; their `lightInk` is updated.
void judge(const QImage& gray, std::vector<NormalizerBlockRule>& rules, int columns);

}  // namespace InkLevelJudge
