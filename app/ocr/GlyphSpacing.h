#pragma once

#include "ocr/RecognizedLine.h"

#include <QImage>
#include <QString>

// Corrects the spaces of a recognised line from the geometry of its glyphs. The engine learned
// spacing on proportional print: in a monospace font (a terminal, code, a log) every glyph sits
// in a cell of equal width, so a narrow "." or "," leaves much ground before the next letter and
// is read as "example. com"; digit runs get split after a narrow "1"; an underscore is read as a
// space. In monospace text a space is an empty cell: the ink centres of two neighbouring glyphs
// stand about one pitch apart inside a word and two or more across a space, and the ground
// between them is narrower than a cell.
//
// Mostly the engine's spaces are judged: one that geometry contradicts is removed, one over a cell
// whose ink is a bar along the bottom becomes "_". A space is added only between two digits whose
// own ink stands a space apart (a phone number's groups read as one). Proportional lines keep
// the engine's spacing between letters (their gaps vary too much with the glyph pairs, and a space
// wrongly removed hides a number from its word boundary); only the spaces inside digit runs, set
// on a fixed pitch in every font, are judged there, so a card number split after a narrow "1" is
// whole again, and so is a number split beside the "-" or "." between its groups ("746 -06-9427").
namespace GlyphSpacing {

// A line is monospace when its glyphs stand on their own ink (at least kGridShare of their boxes
// are their ink's, see GlyphInk: the engine's own boxes are spread about evenly along a line in
// any font) and at least kMonospaceShare of the steps between neighbouring glyph centres inside
// words lie within kPitchTolerance of the median step (the pitch), over at least kMinSteps
// steps...
inline constexpr double kPitchTolerance = 0.2;
inline constexpr double kMonospaceShare = 0.7;
inline constexpr int kMinSteps = 6;
// ...and the steps between a narrow letter or punctuation mark ("i", "l", ".", ",", ...) and a
// letter, at least kMinNarrowSteps of them, are as long as the others: a proportional font gives
// those glyphs narrow advances. Digits do not count: proportional fonts set them on a fixed pitch.
inline constexpr int kMinNarrowSteps = 3;
inline constexpr double kNarrowStepShare = 0.9;
// A line without enough narrow letters is monospace when at least kGridShare of its glyph centres,
// across its words, lie within kGridTolerance of a cell of one grid, over at least kMinGridLetters
// letters.
inline constexpr int kMinGridLetters = 6;
inline constexpr double kGridTolerance = 0.15;
inline constexpr double kGridShare = 0.9;
// Every font sets digits on one pitch, so in any line a space the engine put between two digits
// is kept only when their centres stand at least kDigitSpaceSteps digit pitches apart (a space
// adds half a pitch or more); the digit pitch is the median of at least kMinDigitSteps steps
// between digits inside words.
inline constexpr int kMinDigitSteps = 3;
inline constexpr double kDigitSpaceSteps = 1.25;
// Where two digits of one word stand at least this many digit pitches apart, both boxes being their
// own ink (give or take a column of ground), the engine lost a space between two groups and it is
// put back.
inline constexpr double kDigitGapSteps = 1.35;
// In monospace lines, an engine space is kept when its neighbours' centres stand at least this many
// pitches apart or the widest empty column run between them is at least this share of the pitch.
inline constexpr double kSpaceSteps = 1.5;
inline constexpr double kSpaceGapShare = 0.75;
// In a proportional line, a space the engine read between glyphs on their own ink is no space
// where their gap is no wider than nine in ten of the line's gaps between letters and than this
// share of the glyphs' median height.
inline constexpr double kTightGapHeight = 0.35;

// The line's text with its spaces corrected, or `line.text` unchanged when there is nothing to
// judge. `ink` is the 8-bit image the line was read from (dark ink on a
// light ground) in the glyphs' coordinates.
QString respace(const RecognizedLine& line, const QImage& ink);

}  // namespace GlyphSpacing
