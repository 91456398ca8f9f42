#pragma once

#include <QImage>

// The screen in 8-bit grey, with exactly the levels QImage::convertToFormat gives, at a fraction
// of its cost. Qt converts every pixel through linear light (colour-space lookups and
// floating-point luminance), some 30 ms of CPU for a 2880×1800 screen; a screen holds few distinct
// colours, most of them in runs, so each distinct colour is converted once, by Qt itself.
namespace ScreenGray {

QImage of(const QImage& screenshot);

}  // namespace ScreenGray
