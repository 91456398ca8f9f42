#pragma once

#include "SyntheticScreen.h"
#include "core/SensitiveRegion.h"
#include "ocr/RecognizedLine.h"

#include <QList>
#include <QStringList>

// Scores the regions found on one screen against its ground truth. Lines tagged "clipped" (partly
// hidden) are not scored, but regions on them are not spurious either. A region is on a line when
// its vertical centre lies within the line's height and it overlaps the line horizontally.
struct Score {
    int sensitive = 0;  // sensitive strings on the screen
    int exact = 0;      // found with the right kind and text on the right line
    int masked = 0;     // no more than half a character left outside the masks drawn on its line
    int spurious = 0;   // regions on no line that holds a sensitive string

    Score& operator+=(const Score& other);
};

Score scoreRegions(const QList<TruthLine>& truth, const QList<SensitiveRegion>& regions);

// One text per sensitive string not found exactly or not masked whole: the line as drawn and what
// was read on it.
QStringList describeMisses(const QList<TruthLine>& truth, const QList<RecognizedLine>& lines,
                           const QList<SensitiveRegion>& regions);
