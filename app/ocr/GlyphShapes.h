#pragma once

#include <QImage>
#include <QRect>

// Questions about the shape of one glyph's ink in an 8-bit line image (dark ink on a light
// ground), asked by the rules that correct the engine's readings: where a bar crosses it, whether
// it is a stem or a monospace "l", whether it encloses a counter.
namespace GlyphShapes {

// A letter's stem runs over at least this share of its ink's height.
inline constexpr double kStemHeight = 0.8;

// An enclosed piece of ground at least this many rows tall is a glyph's counter, not a gap left
// between blurred strokes.
inline constexpr int kMinCounterHeight = 4;

// Where the first row carrying a bar (at least 4/5 of the widest row's ink) lies below the top
// of the ink in `area`, as a share of the ink's height; negative when there is too little ink.
double barDepth(const QImage& ink, QRect area);

// True when ink touches the left and right edges of `area`: the box is the glyph's own ink.
bool fitsItsInk(const QImage& ink, QRect area);

// The tightest box around the ink in `area`; empty when it holds none.
QRect inkBox(const QImage& ink, QRect area);

// The shape of a stem's ink in `area`: a bare bar, or a serif or monospace "l": a stem with a hook
// or serif to its left at the top and a foot to its right at the bottom, nothing right of it at
// the top. An "L" has nothing left of its stem, a "J" no foot to the right, a serif "I" serifs on
// both sides at the top; neither is a bare bar.
enum class StemShape { none, bar, smallL };
StemShape stemShape(const QImage& ink, QRect area);

// Whether the ink in the columns of `area` encloses a counter at its middle: ground that no path
// through ground joins to the columns' edges, running at least kMinCounterHeight rows through the
// middle column. Ground beyond the columns counts as open, so a neighbour's counter that a rough
// box cuts through is none, and one the box holds whole lies off its middle.
bool enclosesCounter(const QImage& ink, QRect area);

}  // namespace GlyphShapes
