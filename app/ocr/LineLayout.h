#pragma once

#include <QList>
#include <QRect>

class QImage;

// A piece of a normalised screen that is recognised on its own: one text line, or, where lines
// could not be told apart by empty rows, a block that the engine lays out itself.
struct TextArea {
    QRect box;
    bool singleLine = true;
    // A badge: light text on a pill the screen's normalisation turned to ink, to be read with ink
    // and ground swapped.
    bool inverted = false;

    friend bool operator==(const TextArea&, const TextArea&) = default;
};

// Finds the text lines of a normalised screen (black ink on white) without the engine's page
// layout analysis, which costs more than reading a line and merges the lines of side-by-side
// windows. Window frames, separators and bubble outlines (runs of ink far longer than any glyph)
// are ignored; the rest is cut recursively at empty rows and at wide empty column gaps until each
// piece is one line. The cuts depend only on the ink itself, so a line that did not change is
// found again with the same pixels wherever the rest of the screen changed.
//
// Areas come in reading order: top to bottom, and left to right where a cut separated columns.
namespace LineLayout {

// Empty columns at least this wide separate text (windows, panels, table columns); word spaces
// are narrower, even in monospace fonts at 17 points on a 2× screen.
inline constexpr int kMinColumnGap = 40;
// Ink runs at least this long, across or down, are frames and rules rather than glyphs.
inline constexpr int kRuleLengthAcross = 160;
inline constexpr int kRuleLengthDown = 64;
// Taller pieces hold more than one line that no empty row separates; so do lower ones with a
// valley of ink in their middle (see kValleyRatio).
inline constexpr int kMaxLineHeight = 90;
// Pieces lower than this are specks or dashes, not text worth reading.
inline constexpr int kMinTextHeight = 8;
// A piece holding more than one line loses a strip of ink at most kMaxEdgeStrip columns wide at its
// left or right edge, at least kMinEdgeGap empty columns from the rest, where that alone parts its
// lines (a window's edge drawn in pieces between the lines of a 1× screen enlarged), and is cut
// again; one in its middle, as far from the ink on both sides, parts it into columns where with
// the gaps beside it it is as wide as kMinColumnGap (the edge between two windows).
inline constexpr int kMaxEdgeStrip = 12;
inline constexpr int kMinEdgeGap = 8;
// The edge in the middle is drawn as solid bars: ink over at least kMinEdgeInk of the strip's own
// box. A narrow glyph standing as far apart (a "t" between a space and a full stop in a monospace
// font) is strokes with ground between them.
inline constexpr double kMinEdgeInk = 0.75;
// A part of a line, at least kMinBadgeGap empty columns from the rest, at least kMinBadgeWidth
// times as wide as the line is high and with ink over at least kBadgeInk of its area, is a badge
// (a label pill beside an address) rather than words: it is read on its own, inverted. A part as
// far from the rest whose rows overlap theirs by less than half the lower one's height is another
// window's text beside the line, or a speck left of a table's border: it too is cut off.
inline constexpr int kMinBadgeGap = 8;
inline constexpr double kMinBadgeWidth = 1.5;
inline constexpr double kBadgeInk = 0.55;
// Pieces narrower than this many times their height hold too few characters for anything the
// detector looks for (an e-mail address or number has at least six).
inline constexpr int kMinWidthPerHeight = 2;
// A piece whose middle rows hold less than 1/kValleyRatio of the ink of its fullest row is two
// lines touching each other.
inline constexpr int kValleyRatio = 6;

// `normalized` (8-bit grayscale holding only 0 for ink and 255 for ground) with frames and rules
// whitened. A null image, or one of another format, gives a null image.
QImage withoutRules(const QImage& normalized);

// The text areas of an image returned by `withoutRules`.
QList<TextArea> areas(const QImage& clean);

}  // namespace LineLayout
