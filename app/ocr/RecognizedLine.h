#pragma once

#include <QList>
#include <QRect>
#include <QString>

// One character as the engine read it, with its box in pixels of the image the line was read
// from; `wordStart` when the engine began a word (put a space before it) with this character.
// `alternatives` are the other characters the engine found likely for the glyph, most likely first.
// `ownPiece` when the glyph was read from a piece of ink of its own that the engine read as nothing
// or as part of a neighbour: it is a glyph apart, never one read twice.
struct RecognizedGlyph {
    QString text;
    QRect box;
    bool wordStart = false;
    QString alternatives = {};
    bool ownPiece = false;

    friend bool operator==(const RecognizedGlyph&, const RecognizedGlyph&) = default;
};

// One line of text as recognised, with its box in pixels of the image it was read from (origin at
// the top left). `glyphs`, when the engine gives them, are the line's characters in reading order.
struct RecognizedLine {
    QString text;
    QRect box;
    QList<RecognizedGlyph> glyphs = {};

    friend bool operator==(const RecognizedLine&, const RecognizedLine&) = default;
};

// What one recognition produced: the lines, or the description of why it failed.
struct RecognitionOutcome {
    QList<RecognizedLine> lines;
    QString error;

    bool failed() const { return !error.isEmpty(); }
};
