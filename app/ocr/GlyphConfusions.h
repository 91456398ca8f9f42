#pragma once

#include "ocr/RecognizedLine.h"

#include <QImage>

// Resolves character confusions of the engine where the glyph's own ink, or the engine's own doubt
// (its other likely readings of a glyph), shows which character it is: a single letter or mark
// inside a long run of digits takes the digit the engine found likely for it, a digit or mark read
// twice in overlapping boxes is read once, and the glyphs of addresses are judged by
// AddressGlyphs.
namespace GlyphConfusions {

// A word of at least this many digits with a single letter among them is a number misread; the
// letter is read again from the engine's other likely characters for it.
inline constexpr int kMinDigitRun = 8;

// Two overlapping digits (or marks) of a word whose boxes together are at most this many median
// digit (or glyph) widths wide are one glyph read twice.
inline constexpr double kDoubledGlyphSpan = 1.4;
inline constexpr double kMutualDoubledGlyphSpan = 1.7;

// `line` with the glyphs whose ink contradicts their reading replaced, and its text rebuilt from
// the glyphs; `line` itself when nothing changes. `ink` as for GlyphSpacing::respace.
RecognizedLine resolve(const RecognizedLine& line, const QImage& ink);

}  // namespace GlyphConfusions
