#pragma once

#include <QImage>

// The snapshot of a 1× screen as the X11 composer makes it: twice the size, sampled at pixel
// centres by XRender's bilinear filter with PAD edges. Pixman computes that filter with weights of
// 1/256 and truncates, so the emulation does too: an output pixel at even x takes 3/4 of its source
// pixel and 1/4 of the left neighbour, at odd x 1/4 of the right one; the same down the columns.
namespace SnapshotEnlargement {

// An RGB32 image of twice the width and height. A null image gives a null image.
QImage enlargeTwice(const QImage& screen);

}  // namespace SnapshotEnlargement
