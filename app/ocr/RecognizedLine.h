#pragma once

#include <QList>
#include <QRect>
#include <QString>

// One line of text as recognised, with its box in pixels of the image it was read from (origin at
// the top left).
struct RecognizedLine {
    QString text;
    QRect box;

    friend bool operator==(const RecognizedLine&, const RecognizedLine&) = default;
};

// What one recognition produced: the lines, or the description of why it failed.
struct RecognitionOutcome {
    QList<RecognizedLine> lines;
    QString error;

    bool failed() const { return !error.isEmpty(); }
};
