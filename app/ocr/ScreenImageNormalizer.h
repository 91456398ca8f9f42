#pragma once

#include "ocr/NormalizerBlockRule.h"

#include <QImage>

// Turns a screenshot into black text on a white ground for recognition. Screens mix light and dark
// windows, coloured bubbles and grey panels; a single threshold for the whole image loses text on
// all but one of them, and light text on dark ground is read poorly or not at all. Each small
// block is therefore judged from its neighbourhood: which level is the ground (the majority) and
// which is the ink, and where the threshold between them lies. Areas without contrast become
// white.
namespace ScreenImageNormalizer {

// Side of the square blocks, in pixels, over which ground and ink are estimated.
inline constexpr int kBlockSize = kNormalizerBlockSize;
// Below this spread between the darkest and lightest pixel of a neighbourhood, there is no text.
inline constexpr int kMinContrast = 48;

// An 8-bit grayscale image of the same size holding only 0 (ink) and 255 (ground). A null image
// gives a null image.
QImage normalize(const QImage& screenshot);

}  // namespace ScreenImageNormalizer
