#pragma once

#include "ocr/RecognizedLine.h"

#include <QImage>
#include <QList>
#include <QRect>

#include <vector>

// Where the engine's glyphs and the line's ink disagree on how many glyphs there are: a digit the
// engine read once that the ink shows twice, a mark it read from grey shading where there is no
// ink. `ink` is the 8-bit image the line was read from, in the glyphs' coordinates.
namespace MissedGlyphs {

// A digit's box at least this many of the line's digit widths wide may hold the digit twice.
inline constexpr double kRepeatedWidth = 1.6;
// Two pieces are one glyph drawn twice where at most this share of their inked pixels lie apart
// from the other's ink.
inline constexpr double kSameShapeStrays = 0.02;
// A mark's box is judged for ink only where at least this many pixels of it are its own.
inline constexpr int kMinOwnWidth = 3;

// `glyphs` with each digit read once where the ink shows it repeated (`pieces`: the boxes of the
// line's glyph pieces) read once per piece.
QList<RecognizedGlyph> withRepeats(const QList<RecognizedGlyph>& glyphs,
                                   const std::vector<QRect>& pieces, const QImage& ink);

// `glyphs` without the quotes and underscores beginning a word that stand on no ink.
QList<RecognizedGlyph> withoutShadingMarks(QList<RecognizedGlyph> glyphs, const QImage& ink);

}  // namespace MissedGlyphs
