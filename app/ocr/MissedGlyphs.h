#pragma once

#include "ocr/RecognizedLine.h"

#include <QImage>
#include <QList>
#include <QRect>

#include <vector>

// Where the engine's glyphs and the line's ink disagree on how many glyphs there are: a digit the
// engine read once that the ink shows twice, a letter it read twice that the ink shows once, a
// mark it read from grey shading where there is no ink. `ink` is the 8-bit image the line was read
// from, in the glyphs' coordinates.
namespace MissedGlyphs {

// A digit's box at least this many of the line's digit widths wide may hold the digit twice.
inline constexpr double kRepeatedWidth = 1.6;
// A "1" lost before another digit stands within kSameRows rows of that digit's top and bottom.
inline constexpr int kSameRows = 2;
// Two pieces are one glyph drawn twice where at most this share of their inked pixels lie apart
// from the other's ink.
inline constexpr double kSameShapeStrays = 0.02;
// A mark's box is judged for ink only where at least this many pixels of it are its own.
inline constexpr int kMinOwnWidth = 3;
// A piece of ink at most this many times as wide as the wider of two glyph boxes is one letter.
inline constexpr double kOneLetterWidth = 1.25;

// `glyphs` with each digit read once where the ink shows it repeated (`pieces`: the boxes of the
// line's glyph pieces) read once per piece, and a "1" the engine lost before a digit put back.
QList<RecognizedGlyph> withRepeats(const QList<RecognizedGlyph>& glyphs,
                                   const std::vector<QRect>& pieces, const QImage& ink);

// `glyphs` with a letter read twice, as its capital and its small form, on one piece of ink
// (`pieces`) read once; so is a "+" read again as a "t" on the ground after it.
QList<RecognizedGlyph> withoutDoubledLetters(QList<RecognizedGlyph> glyphs,
                                             const std::vector<QRect>& pieces);

// `glyphs` without the quotes, underscores and dashes beginning a word that stand on no ink.
QList<RecognizedGlyph> withoutShadingMarks(QList<RecognizedGlyph> glyphs, const QImage& ink);

}  // namespace MissedGlyphs
