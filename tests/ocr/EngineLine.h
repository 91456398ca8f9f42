#pragma once

#include "ocr/RecognizedLine.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPoint>
#include <QString>

// A line drawn with Qt and the glyph boxes an engine would report for `reading`: the drawn text
// read with spaces where the engine put them. A drawn character the reading skips (an underscore
// or space read as a space) gets no glyph. `rough` boxes reach half a glyph into each neighbour,
// as the engine's do on monospace lines.
inline RecognizedLine engineLine(const QImage& image, const QString& drawn, const QString& reading,
                                 const QFont& font, QPoint origin, bool rough) {
    const QFontMetrics metrics(font);
    RecognizedLine line{reading, image.rect()};
    qsizetype t = 0;
    bool spaceBefore = true;
    for (const QChar c : reading) {
        if (c == QLatin1Char(' ')) {
            spaceBefore = true;
            continue;
        }
        while (t < drawn.size() && drawn.at(t) != c) {
            ++t;
        }
        const int x = origin.x() + metrics.horizontalAdvance(drawn.left(t));
        const int width = metrics.horizontalAdvance(drawn.at(t));
        const QRect cell(x, origin.y(), width, metrics.height());
        line.glyphs.append(RecognizedGlyph{
            QString(c), rough ? cell.adjusted(-width / 2, 0, width / 2, 0) : cell, spaceBefore});
        spaceBefore = false;
        ++t;
    }
    return line;
}
