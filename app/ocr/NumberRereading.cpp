#include "ocr/NumberRereading.h"

#include "ocr/GlyphReading.h"

#include <QStringList>

#include <algorithm>

namespace NumberRereading {
namespace {

// The index of the single letter in a word of digits and marks with at least kMinDigits digits;
// -1 when the word is not such a number.
qsizetype misreadLetter(const QString& word) {
    int digits = 0;
    qsizetype letter = -1;
    for (qsizetype i = 0; i < word.size(); ++i) {
        const QChar c = word.at(i);
        if (c.isDigit()) {
            ++digits;
        } else if (c.isLetter() && c.unicode() < 128 && letter < 0) {
            letter = i;
        } else if (!GlyphReading::isNumberMark(c)) {
            return -1;
        }
    }
    return digits >= kMinDigits ? letter : -1;
}

}  // namespace

bool wanted(const QString& text) {
    const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    return std::any_of(words.begin(), words.end(),
                       [](const QString& word) { return misreadLetter(word) >= 0; });
}

QString merged(const QString& first, const QString& second) {
    QStringList words = first.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const QStringList again = second.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    // The second reading may add a stray mark before the line ("— 418-83-8135"): its words are
    // matched from the end. A mark ending a word (a cell's border read as ",") may come and go.
    const qsizetype shift = again.size() - words.size();
    const auto core = [](QString word) {
        while (!word.isEmpty() && QStringLiteral(",.;:").contains(word.back())) {
            word.chop(1);
        }
        return word;
    };
    bool changed = false;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const qsizetype letter = misreadLetter(words.at(i));
        if (letter < 0 || i + shift < 0 || i + shift >= again.size()) {
            continue;
        }
        const QString candidate = core(again.at(i + shift));
        QString expected = core(words.at(i));
        if (letter < candidate.size() && candidate.size() == expected.size() &&
            candidate.at(letter).isDigit()) {
            expected[letter] = candidate.at(letter);
            if (candidate == expected) {
                words[i][letter] = candidate.at(letter);
                changed = true;
            }
        }
    }
    return changed ? words.join(QLatin1Char(' ')) : first;
}

}  // namespace NumberRereading
