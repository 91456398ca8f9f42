#pragma once

#include <QImage>
#include <QRect>

// The engine's view of one text line. The normalised screen is binary, which is what the layout
// needs, but the recognition network was trained on anti-aliased print: a threshold throws away
// the grey edges that tell a soft, enlarged "8" from a "3" or "0" and a "." from noise, which
// matters most on a 1× screen snapshotted at twice its size. This maps the screen's own grey
// levels of the line to dark ink on a light ground, using the binary line only to learn which
// level is ink and which is ground.
namespace SoftLineImage {

// `gray` is the whole screen as 8-bit grayscale, `binary` the normalised line (0 ink, 255
// ground) covering `box` of it. Gives an 8-bit image of the line's size: ink levels near 0, ground
// near 255, edges in between. Gives the binary line itself when ink and ground cannot be told
// apart (no ink, or levels too close).
QImage make(const QImage& gray, const QImage& binary, const QRect& box);

}  // namespace SoftLineImage
