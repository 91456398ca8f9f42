#pragma once

#include "ocr/RecognizedLine.h"

#include <QImage>

// Places the engine's glyphs on their own ink. The engine's glyph boxes are rough: neighbours in a
// monospace grid overlap by half a cell, a comma's box may run over the rest of the line. The ink
// is exact: each connected piece of it is a glyph, those stacked over each other ("i", ":", "%")
// taken as one. Each glyph gets a piece's box, in order, where every glyph has a piece and the few
// pieces left over are what the engine reads as nothing (an underscore read as a space, a table's
// rule at the line's end); where not (neighbours touching, a glyph read twice), the engine's boxes
// are all there is.
namespace GlyphInk {

// Two pieces overlapping over at least this share of the narrower one's width are one glyph.
inline constexpr double kStackedOverlap = 0.5;
// At most this many pieces may be left unread, each costing as much as this many pixels of
// distance between a piece's centre and its glyph's engine box.
inline constexpr int kMaxUnread = 3;
inline constexpr double kUnreadCost = 40.0;
// A full stop the engine read as nothing inside a word costs this much:
// more than a glyph joined from two pieces, so that no glyph the engine read is left for another's
// piece.
inline constexpr double kMissedGlyphCost = 2 * kUnreadCost;

// `line` with its glyphs' boxes replaced by their ink's, or `line` itself. `ink` is the 8-bit image
// the line was read from (dark ink on a light ground) in the glyphs' coordinates.
RecognizedLine placed(const RecognizedLine& line, const QImage& ink);

}  // namespace GlyphInk
