#pragma once

#include "ocr/NormalizerBlockRule.h"

#include <QImage>

#include <vector>

// An underscore drawn one pixel high on a 1× screen falls between two pixel rows; the snapshot's
// enlargement spreads it further, and it ends up about half-way between ground and ink: on the
// ground side of any threshold that keeps glyph edges thin. The name "grace_novak" then reads as
// two words. A bar of that half level, long enough for a glyph and standing apart from all ink
// above and below, is drawn ink: glyph edges beside a stroke never stand apart from it.
namespace FaintBars {

// `binary` holds the thresholded image (0 ink, 255 ground) made from `gray` with `rules`, one rule
// per block of kNormalizerBlockSize pixels, `columns` blocks to a row; faint bars become ink in it.
void restore(const QImage& gray, const std::vector<NormalizerBlockRule>& rules, int columns,
             QImage& binary);

}  // namespace FaintBars
