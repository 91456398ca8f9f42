#include "ocr/RecognitionTextFixer.h"

#include <QRegularExpression>
#include <QStringList>

namespace RecognitionTextFixer {
namespace {

bool isAddressCharacter(QChar c) {
    return (c.isLetterOrNumber() && c.unicode() < 128) || c == QLatin1Char('.') ||
           c == QLatin1Char('_') || c == QLatin1Char('%') || c == QLatin1Char('+') ||
           c == QLatin1Char('-') || c == QLatin1Char('@');
}

bool isAddressWord(const QString& word) {
    for (const QChar c : word) {
        if (!isAddressCharacter(c)) {
            return false;
        }
    }
    return !word.isEmpty();
}

// An address that already ends in a top-level domain: a dot after it ends a sentence.
bool isCompleteAddress(const QString& group) {
    static const QRegularExpression complete(
        QStringLiteral(R"(@[A-Za-z0-9\-]+(\.[A-Za-z0-9\-]+)*\.[A-Za-z]{2,}$)"));
    QString text = group;
    while (text.endsWith(QLatin1Char('.'))) {
        text.chop(1);
    }
    return complete.match(text).hasMatch();
}

bool shouldJoin(const QString& group, const QString& next) {
    if (!isAddressWord(next)) {
        return false;
    }
    if (group.endsWith(QLatin1Char('@')) || next.startsWith(QLatin1Char('@'))) {
        return true;
    }
    // A domain split before its dot ("kxu@proseware .net"); a finished address is left alone.
    if (next.startsWith(QLatin1Char('.')) && next.size() > 1 && group.contains(QLatin1Char('@'))) {
        return !isCompleteAddress(group);
    }
    if (group.endsWith(QLatin1Char('.'))) {
        const QChar first = next.at(0);
        const bool continues = first.isDigit() || (first.isLower() && first.unicode() < 128);
        return continues && !isCompleteAddress(group);
    }
    return false;
}

// "+1 555 123 4567" read as "+1555 123 4567": the narrow space after the country code is lost
// in proportional fonts. No number is written that way, so the space goes back where the rest
// of the number is grouped with spaces.
QString splitCountryCode(const QString& line) {
    if (!line.contains(QStringLiteral("+1"))) {
        return line;
    }
    static const QRegularExpression glued(QStringLiteral(R"(\+1(\d{3} \d{3} \d{4})(?!\d))"));
    QString out = line;
    out.replace(glued, QStringLiteral("+1 \\1"));
    return out;
}

// Marks the engine reads at the edge of a word (a quote from a badge's edge, a bracket, the comma
// of a comma-separated row) are no part of an address and must not keep its parts apart.
qsizetype leadingMarks(const QString& word) {
    qsizetype n = 0;
    while (n < word.size() && !isAddressCharacter(word.at(n))) {
        ++n;
    }
    return n;
}

qsizetype trailingMarks(const QString& word) {
    qsizetype n = 0;
    while (n < word.size() && !isAddressCharacter(word.at(word.size() - 1 - n))) {
        ++n;
    }
    return n;
}

QString joinAddressParts(const QString& line) {
    if (!line.contains(QLatin1Char('@'))) {
        return line;
    }
    const QStringList words = line.split(QLatin1Char(' '));
    QStringList out;
    int i = 0;
    while (i < words.size()) {
        const QString& word = words.at(i);
        const qsizetype lead = leadingMarks(word);
        QString group = word.mid(lead);
        QString after;
        int end = i + 1;
        if (isAddressWord(group)) {
            // A word ending in marks ends the address.
            while (end < words.size() && after.isEmpty()) {
                const QString& next = words.at(end);
                const QString core = next.left(next.size() - trailingMarks(next));
                if (!shouldJoin(group, core)) {
                    break;
                }
                group += core;
                after = next.mid(core.size());
                ++end;
            }
        }
        // Only a join that produced an address is kept; anything else stays as it was read.
        if (end > i + 1 && !group.contains(QLatin1Char('@'))) {
            out << word;
            ++i;
            continue;
        }
        out << word.left(lead) + group + after;
        i = end;
    }
    return out.join(QLatin1Char(' '));
}

}  // namespace

QString fix(const QString& line) {
    return splitCountryCode(joinAddressParts(line));
}

}  // namespace RecognitionTextFixer
