#pragma once

#include "ocr/RecognizedLine.h"

// Small questions about one recognised glyph, shared by the rules that correct the engine's
// readings.
namespace GlyphReading {

// One past the last glyph of the word that begins at `start`.
inline qsizetype wordEnd(const QList<RecognizedGlyph>& glyphs, qsizetype start) {
    qsizetype end = start + 1;
    while (end < glyphs.size() && !glyphs.at(end).wordStart) {
        ++end;
    }
    return end;
}

// Marks that write numbers: group separators, brackets, a country code's plus, a row's comma.
inline bool isNumberMark(QChar c) {
    return QStringLiteral("-.,()+/").contains(c);
}

inline bool isDigit(const RecognizedGlyph& glyph) {
    return glyph.text.size() == 1 && glyph.text.at(0).isDigit();
}

inline bool isAlphanumeric(const RecognizedGlyph& glyph) {
    return glyph.text.size() == 1 && glyph.text.at(0).isLetterOrNumber();
}

// Replaces the glyph's reading with the engine's first other reading of it that `fits`; false
// when there is none.
template <typename Fits>
bool takeAlternative(RecognizedGlyph& glyph, Fits fits) {
    for (const QChar c : glyph.alternatives) {
        if (fits(c)) {
            glyph.text = QString(c);
            return true;
        }
    }
    return false;
}

// `line` with its text rebuilt from its glyphs, a space before each that begins a word.
inline RecognizedLine withTextOfGlyphs(RecognizedLine line) {
    QString text;
    for (const RecognizedGlyph& glyph : line.glyphs) {
        if (glyph.wordStart && !text.isEmpty()) {
            text += QLatin1Char(' ');
        }
        text += glyph.text;
    }
    line.text = text;
    return line;
}

}  // namespace GlyphReading
