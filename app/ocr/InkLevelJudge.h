#pragma once

#include "ocr/NormalizerBlockRule.h"

#include <QImage>

#include <vector>

// Decides for each block of a screenshot which of its two levels is the ground. Glyph strokes are
// thin at any size and weight a screen shows; grounds are wide. Counting, per block, the pixels
// of each level whose whole (2·kStrokeRadius+1)² square has that level tells them apart where a
// mean of the levels cannot: in blocks crowded with glyphs, where the ink outweighs the ground.
// The level with more such pixels is the block's ground. A block too crowded to show any follows
// the nearest blocks beside it in its row (its text line), then the blocks around it; with none
// of those either, it keeps the guess its rule came with.
namespace InkLevelJudge {

inline constexpr int kStrokeRadius = 4;

// `rules` holds one rule per block of kNormalizerBlockSize pixels, `columns` blocks to a row, with
// their thresholds set; their `lightInk` is updated.
void judge(const QImage& gray, std::vector<NormalizerBlockRule>& rules, int columns);

}  // namespace InkLevelJudge
