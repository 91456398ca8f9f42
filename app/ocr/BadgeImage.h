#pragma once

#include <QImage>
#include <QRect>

// The text of a badge (a label pill beside an address) as black ink on white. The normalised
// screen shows a light pill on a dark window as ink, its text as speckled holes; the screen's own
// grey levels show it plainly. The pill is the most common level inside the badge's box; what
// differs from it is text, or the window around the pill's rounded ends, which touches the box's
// edges and is left out.
namespace BadgeImage {

// Levels at least this far from the pill's are its text.
inline constexpr int kTextContrast = 48;

// `gray` is the whole screen as 8-bit grayscale, `box` the badge in it. An 8-bit image of the
// box's size holding 0 for ink and 255 for ground.
QImage text(const QImage& gray, const QRect& box);

}  // namespace BadgeImage
