#pragma once

#include "ocr/RecognizedLine.h"
#include "ocr/TileLayout.h"

#include <QImage>
#include <QList>

#include <mutex>

class EnginePool;
class QThreadPool;

// Reads the text lines of a whole screenshot: normalises it to black on white, cuts it into tiles,
// recognises the tiles in parallel on the engine pool and puts the lines back into the image's
// pixel space, ordered by tile (band by band, left to right) and then as the engine read them.
//
// A tile whose pixels are identical to a tile at the same place in the previous read is not
// recognised again; its lines are reused. That makes periodic re-scans of a mostly unchanged
// screen cheap.
//
// `read` is thread-safe and blocking; call it off the GUI thread.
class ScreenTextReader {
public:
    explicit ScreenTextReader(EnginePool& engines);
    ~ScreenTextReader();
    ScreenTextReader(const ScreenTextReader&) = delete;
    ScreenTextReader& operator=(const ScreenTextReader&) = delete;

    RecognitionOutcome read(const QImage& screenshot);

    // Tiles recognised and reused by the last read, for diagnostics and benchmarks.
    struct Counts {
        int recognised = 0;
        int reused = 0;
    };
    Counts lastCounts() const;

private:
    struct CachedTile {
        Tile tile;
        QImage pixels;
        QList<RecognizedLine> lines;
    };

    // Recognises `result.pixels` and fills `result.lines` with the lines this tile keeps.
    RecognitionOutcome recognizeTile(CachedTile& result);

    EnginePool& m_engines;
    QThreadPool* m_workers;  // owned; one thread per engine

    mutable std::mutex m_cacheMutex;  // guards the two members below
    QList<CachedTile> m_cache;
    Counts m_lastCounts;
};
