#include "ocr/FullStops.h"

#include "ocr/GlyphReading.h"

#include <algorithm>

namespace {

using GlyphReading::isAlphanumeric;

bool isStop(const RecognizedGlyph& glyph) {
    return glyph.text == QLatin1String(".");
}

// For each of `boxes`, whether an empty column parts it from every other: a glyph of its own,
// never a fragment of a letter broken on a blurred screen.
std::vector<bool> standingApart(const std::vector<QRect>& boxes) {
    std::vector<bool> out(boxes.size(), true);
    for (size_t i = 0; i < boxes.size(); ++i) {
        for (size_t j = i + 1; j < boxes.size() && boxes[j].left() <= boxes[i].right() + 1; ++j) {
            out[i] = false;
            out[j] = false;
        }
    }
    return out;
}

// For each glyph, whether it follows the "@" of a word with no full stop after it: a domain that
// lost its dots.
std::vector<bool> inDotlessDomains(const QList<RecognizedGlyph>& glyphs) {
    std::vector<bool> out(static_cast<size_t>(glyphs.size()), false);
    for (qsizetype start = 0; start < glyphs.size();) {
        const qsizetype end = GlyphReading::wordEnd(glyphs, start);
        qsizetype at = end;
        bool dot = false;
        for (qsizetype i = start; i < end; ++i) {
            at = glyphs.at(i).text == QLatin1String("@") && at == end ? i : at;
            dot = dot || (at < i && isStop(glyphs.at(i)));
        }
        for (qsizetype i = at + 1; !dot && i < end; ++i) {
            out[static_cast<size_t>(i)] = true;
        }
        start = end;
    }
    return out;
}

// For each glyph, whether it belongs to a word with an "@": an address, whose names are joined by
// full stops far more often than by nothing.
std::vector<bool> inAddresses(const QList<RecognizedGlyph>& glyphs) {
    std::vector<bool> out(static_cast<size_t>(glyphs.size()), false);
    for (qsizetype start = 0; start < glyphs.size();) {
        const qsizetype end = GlyphReading::wordEnd(glyphs, start);
        const bool address =
            std::any_of(glyphs.begin() + start, glyphs.begin() + end,
                        [](const RecognizedGlyph& g) { return g.text == QLatin1String("@"); });
        std::fill(out.begin() + start, out.begin() + end, address);
        start = end;
    }
    return out;
}

}  // namespace

FullStops::FullStops(const QList<RecognizedGlyph>& glyphs, const std::vector<QRect>& pieces,
                     const LineShape& shape)
    : glyphs_(glyphs)
    , pieces_(pieces)
    , shape_(shape)
    , dotless_(inDotlessDomains(glyphs))
    , address_(inAddresses(glyphs))
    , apart_(standingApart(pieces)) {}

// Whether the dot at `piece` stands as close to the pieces on both its sides as letters of a word
// do: a full stop inside a name, not one ending a sentence before a space.
bool FullStops::tightBetween(size_t piece) const {
    const QRect& dot = pieces_[piece];
    const double widest = kTightGap * shape_.typicalHeight;
    return piece > 0 && piece + 1 < pieces_.size() &&
           dot.left() - pieces_[piece - 1].right() - 1 <= widest &&
           pieces_[piece + 1].left() - dot.right() - 1 <= widest;
}

// Whether a full stop before the glyph at `index`, which begins a word, would join that word, an
// address, to a name before it.
bool FullStops::joinsAddress(size_t index) const {
    return address_[index] && !address_[index - 1] &&
           isAlphanumeric(glyphs_.at(static_cast<qsizetype>(index - 1)));
}

bool FullStops::missedBefore(size_t piece, size_t before) const {
    const RecognizedGlyph& next = glyphs_.at(static_cast<qsizetype>(before));
    const RecognizedGlyph& previous = glyphs_.at(static_cast<qsizetype>(before - 1));
    if (!shape_.isDot(pieces_[piece]) || isStop(next) || isStop(previous)) {
        return false;
    }
    if (next.wordStart) {
        return joinsAddress(before) && apart_[piece] && tightBetween(piece);
    }
    return next.alternatives.contains(QLatin1Char('.')) ||
           previous.alternatives.contains(QLatin1Char('.')) ||
           (dotless_[before - 1] && dotless_[before]) ||
           (address_[before - 1] && address_[before] && apart_[piece]);
}

FullStops::Found FullStops::missedInAddresses() const {
    // The engine's box of a glyph holds the centre of its own piece, rough as it is.
    const auto holds = [](const RecognizedGlyph& glyph, const QRect& piece) {
        return glyph.box.left() <= piece.center().x() && piece.center().x() <= glyph.box.right();
    };
    Found found;
    for (size_t p = 1; p + 1 < pieces_.size(); ++p) {
        const QRect& dot = pieces_[p];
        const bool read = std::any_of(glyphs_.begin(), glyphs_.end(), [&](const auto& glyph) {
            return isStop(glyph) && holds(glyph, dot);
        });
        if (!apart_[p] || read || !shape_.isDot(dot)) {
            continue;
        }
        const int centre = dot.center().x();
        for (qsizetype i = 1; i < glyphs_.size(); ++i) {
            const RecognizedGlyph& before = glyphs_.at(i - 1);
            const RecognizedGlyph& after = glyphs_.at(i);
            if (before.box.center().x() < centre && centre < after.box.center().x()) {
                const auto index = static_cast<size_t>(i);
                const bool inName = after.wordStart ? joinsAddress(index) && tightBetween(p)
                                                    : address_[index] && isAlphanumeric(before);
                if (inName && isAlphanumeric(after) && holds(before, pieces_[p - 1]) &&
                    holds(after, pieces_[p + 1])) {
                    found.emplace_back(index, dot);
                }
                break;
            }
        }
    }
    return found;
}

QList<RecognizedGlyph> FullStops::withHyphensThatAreDots(QList<RecognizedGlyph> glyphs,
                                                         const std::vector<QRect>& pieces,
                                                         const LineShape& shape) {
    for (RecognizedGlyph& glyph : glyphs) {
        if (glyph.text != QLatin1String("-")) {
            continue;
        }
        const auto under = [&](const QRect& box) {
            return box.center().x() >= glyph.box.left() && box.center().x() <= glyph.box.right();
        };
        const auto first = std::find_if(pieces.begin(), pieces.end(), under);
        if (first != pieces.end() && std::find_if(first + 1, pieces.end(), under) == pieces.end() &&
            shape.isDot(*first)) {
            glyph.text = QStringLiteral(".");
        }
    }
    return glyphs;
}

RecognizedLine FullStops::withStops(const RecognizedLine& line, const Found& found) {
    if (found.empty()) {
        return line;
    }
    RecognizedLine out = line;
    for (auto stop = found.rbegin(); stop != found.rend(); ++stop) {
        const auto index = static_cast<qsizetype>(stop->first);
        out.glyphs[index].wordStart = false;
        out.glyphs.insert(index,
                          RecognizedGlyph{QStringLiteral("."), stop->second, false, {}, true});
    }
    return GlyphReading::withTextOfGlyphs(out);
}
