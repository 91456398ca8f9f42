#pragma once

#include "ocr/LineShape.h"
#include "ocr/RecognizedLine.h"

#include <QList>
#include <QRect>

#include <utility>
#include <vector>

// The full stops of a line the engine read as nothing or as something else, found from the line's
// glyph pieces (`pieces`: the boxes of its glyphs' ink, stacked pieces joined, left to right). A
// full stop is a dot on the baseline; it is only taken for one where the engine's own doubt or an
// address's shape supports it:
// - one tucked under a serif letter's arm ("tailspin-air.com" read "tailspin-aircom"), where the
//   engine found a full stop likely beside it or where it would be the only one of an address's
//   domain;
// - one standing apart between two letters of an address ("k.haddad" read "khaddad"), never a
//   letter's foot broken off on a blurred screen, which touches the letter's columns;
// - one read as a space before an address's last name ("wei haddad@" for "wei.haddad@"), as close
//   to the letters on both its sides as letters of a word stand;
// - one read as a hyphen, whose bar stands at the middle of the letters ("j-horvat@").
class FullStops {
public:
    // A full stop inside a name stands no further than this share of the line's typical piece from
    // the letters beside it.
    static constexpr double kTightGap = 0.35;

    // Full stops found, each with the index of the glyph it stands before.
    using Found = std::vector<std::pair<size_t, QRect>>;

    FullStops(const QList<RecognizedGlyph>& glyphs, const std::vector<QRect>& pieces,
              const LineShape& shape);

    // Whether the piece at `piece`, which no glyph stands on, is a full stop missed before the
    // glyph at `before` (never the first). For placing the glyphs on their pieces.
    bool missedBefore(size_t piece, size_t before) const;

    // Where the glyphs could not be placed on their pieces: the missed full stops of addresses,
    // between two glyphs whose engine boxes hold the pieces beside the dot.
    Found missedInAddresses() const;

    // `glyphs` with each "-" whose box holds one piece of ink, a dot, read as ".".
    static QList<RecognizedGlyph> withHyphensThatAreDots(QList<RecognizedGlyph> glyphs,
                                                         const std::vector<QRect>& pieces,
                                                         const LineShape& shape);

    // `line` with a full stop read from each of `found` before its glyph, in one word with it.
    static RecognizedLine withStops(const RecognizedLine& line, const Found& found);

private:
    bool tightBetween(size_t piece) const;
    bool joinsAddress(size_t index) const;

    const QList<RecognizedGlyph>& glyphs_;
    const std::vector<QRect>& pieces_;
    const LineShape& shape_;
    std::vector<bool> dotless_;
    std::vector<bool> address_;
    std::vector<bool> apart_;
};
