#pragma once

#include "ocr/LineLayout.h"
#include "ocr/RecognizedLine.h"

#include <QImage>
#include <QList>
#include <QMultiHash>

#include <mutex>

class EnginePool;
class QThreadPool;

// Reads the text lines of a whole screenshot: normalises it to black on white, finds its lines
// (LineLayout), reads them in parallel on the engine pool and puts them back into the image's
// pixel space, in the layout's reading order.
//
// A line whose pixels are identical to a line of the previous read, wherever it was, is not read
// again: its text is reused. That makes periodic re-scans of a mostly unchanged screen cheap, and
// a scrolled window costs only its new lines.
//
// `read` is thread-safe and blocking; call it off the GUI thread.
class ScreenTextReader {
public:
    explicit ScreenTextReader(EnginePool& engines);
    ~ScreenTextReader();
    ScreenTextReader(const ScreenTextReader&) = delete;
    ScreenTextReader& operator=(const ScreenTextReader&) = delete;

    RecognitionOutcome read(const QImage& screenshot);

    // Text areas read and reused by the last read, for diagnostics and benchmarks.
    struct Counts {
        int recognised = 0;
        int reused = 0;
    };
    Counts lastCounts() const;

private:
    // One area of a read: its pixels, and its lines with boxes relative to the area.
    struct AreaReading {
        TextArea area;
        QImage pixels;
        QList<RecognizedLine> lines;
    };

    RecognitionOutcome recognizeArea(AreaReading& reading, const QImage& gray);

    EnginePool& m_engines;
    QThreadPool* m_workers;  // owned; one thread per engine

    mutable std::mutex m_cacheMutex;          // guards the two members below
    QMultiHash<size_t, AreaReading> m_cache;  // the last read's areas by a hash of their pixels
    Counts m_lastCounts;
};
