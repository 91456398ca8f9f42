#pragma once

#include "ocr/RecognizedLine.h"

#include <QImage>

// Resolves character confusions of the engine where the glyph's own ink shows which character it
// is. The engine, without a dictionary, reads the "+" of "maria+news@…" as "t": both are a
// vertical stroke crossed by a bar, but a "t" is crossed near the top of its ink, at the x-height,
// and a "+" in the middle. Only glyphs of the part of a word before an "@" are judged: that is
// where a "+" stands, and where a wrong "t" costs an address. And a single letter inside a long
// run of digits takes the digit the engine itself found likely for it, and a digit or mark read
// twice in overlapping boxes is read once.
namespace GlyphConfusions {

// A word of at least this many digits with a single letter among them is a number misread; the
// letter is read again from the engine's other likely characters for it.
inline constexpr int kMinDigitRun = 8;

// Two overlapping digits (or marks) of a word whose boxes together are at most this many median
// digit (or glyph) widths wide are one glyph read twice.
inline constexpr double kDoubledGlyphSpan = 1.4;
inline constexpr double kMutualDoubledGlyphSpan = 1.7;

// Letters before the digits that end an address's name take the engine's digit for them only while
// at least this many letters of the name stay before them.
inline constexpr int kMinNameLetters = 2;

// An address's first letter read as a capital is small when its ink is no taller than this many
// times the median of the name's small letters.
inline constexpr double kSmallLetterHeight = 1.15;

// A crossbar whose top lies at least this share of the glyph's ink height below the ink's top is a
// plus sign's; the lower share where the engine, too, found "+" likely.
inline constexpr double kPlusBarDepth = 0.4;
inline constexpr double kDoubtedPlusBarDepth = 0.3;

// `line` with the glyphs whose ink contradicts their reading replaced, and its text rebuilt from
// the glyphs; `line` itself when nothing changes. `ink` as for GlyphSpacing::respace.
RecognizedLine resolve(const RecognizedLine& line, const QImage& ink);

}  // namespace GlyphConfusions
