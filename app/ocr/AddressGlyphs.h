#pragma once

#include "ocr/RecognizedLine.h"

#include <QImage>
#include <QList>

// Corrects the engine's readings of the glyphs of e-mail addresses, where the engine, without a
// dictionary, confuses glyphs that cost an address its match: an "@" read as a letter, a first
// letter read as a bar or a digit, a name's last digits read as letters, a small first letter read
// as a capital, a monospace "l" read as "L" or "J", a sans "l" read as "I", a "+" read as "t"
// (both a stroke crossed by a bar, but a "t" is crossed near the top of its ink, at the x-height,
// and a "+" in the middle). Each change needs the engine's own doubt or the glyph's ink to
// support it.
namespace AddressGlyphs {

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

// A small letter's glyph at least this many times as tall as the line's small letters is a digit.
inline constexpr double kTallLetterHeight = 1.2;

// An "@" reaches at least this many pixels below the baseline of the small letters.
inline constexpr int kAtSignDescent = 2;

// Tall small letters whose tops stand at least this many pixels above the capitals' tell a bar
// "l" from an "I".
inline constexpr int kMinAscenderRise = 1;

// Where the line's tall letters ("bdfhkl") stand at least this many pixels above its digits, a bar
// in an address's name tells "1" from "l" by its top: at the digits' or at the tall letters'.
inline constexpr int kMinDigitDrop = 2;

// Changes the glyphs of `glyphs` as above; true when any changed. `ink` as for
// GlyphSpacing::respace, with the glyphs' boxes in its coordinates.
bool resolve(QList<RecognizedGlyph>& glyphs, const QImage& ink);

}  // namespace AddressGlyphs
