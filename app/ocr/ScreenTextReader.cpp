#include "ocr/ScreenTextReader.h"

#include "ocr/EnginePool.h"
#include "ocr/RecognitionTextFixer.h"
#include "ocr/ScreenImageNormalizer.h"
#include "ocr/TextRecognitionEngine.h"

#include <QHash>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentMap>

#include <algorithm>
#include <vector>

namespace {

size_t qHashRect(const QRect& rect) {
    return qHashMulti(0, rect.x(), rect.y(), rect.width(), rect.height());
}

}  // namespace

ScreenTextReader::ScreenTextReader(EnginePool& engines)
    : m_engines(engines)
    , m_workers(new QThreadPool) {
    m_workers->setMaxThreadCount(engines.capacity());
}

ScreenTextReader::~ScreenTextReader() {
    m_workers->waitForDone();
    delete m_workers;
}

ScreenTextReader::Counts ScreenTextReader::lastCounts() const {
    const std::lock_guard lock(m_cacheMutex);
    return m_lastCounts;
}

RecognitionOutcome ScreenTextReader::recognizeTile(CachedTile& result) {
    const Tile& tile = result.tile;
    RecognitionOutcome outcome;
    const EnginePool::Lease lease = m_engines.acquire();
    if (lease.engine() == nullptr) {
        outcome.error = lease.error();
        return outcome;
    }
    outcome = lease.engine()->recognize(result.pixels);
    if (outcome.failed()) {
        return outcome;
    }
    for (const RecognizedLine& line : outcome.lines) {
        const QRect box = line.box.translated(tile.area.topLeft());
        const int centre = box.top() + box.height() / 2;
        if (centre < tile.keepTop || centre >= tile.keepBottom) {
            continue;
        }
        result.lines.append(RecognizedLine{RecognitionTextFixer::fix(line.text), box});
    }
    return outcome;
}

RecognitionOutcome ScreenTextReader::read(const QImage& screenshot) {
    RecognitionOutcome outcome;
    if (screenshot.isNull()) {
        outcome.error = QStringLiteral("the image is empty");
        return outcome;
    }
    const QImage normalized = ScreenImageNormalizer::normalize(screenshot);
    const QList<Tile> tiles = TileLayout::tiles(normalized);

    QHash<size_t, const CachedTile*> previousByPlace;
    QList<CachedTile> previous;
    {
        const std::lock_guard lock(m_cacheMutex);
        previous = m_cache;
    }
    for (const CachedTile& cached : previous) {
        previousByPlace.insert(qHashRect(cached.tile.area), &cached);
    }

    std::vector<CachedTile> results(static_cast<size_t>(tiles.size()));
    std::vector<int> pending;
    for (int i = 0; i < tiles.size(); ++i) {
        CachedTile& result = results[static_cast<size_t>(i)];
        result.tile = tiles.at(i);
        result.pixels = normalized.copy(result.tile.area);
        const CachedTile* before = previousByPlace.value(qHashRect(result.tile.area), nullptr);
        if (before != nullptr && before->tile == result.tile && before->pixels == result.pixels) {
            result.lines = before->lines;
        } else {
            pending.push_back(i);
        }
    }
    // Largest first, so that the last tile to finish is a small one.
    std::sort(pending.begin(), pending.end(), [&](int a, int b) {
        const QRect& ra = results[static_cast<size_t>(a)].tile.area;
        const QRect& rb = results[static_cast<size_t>(b)].tile.area;
        return ra.width() * ra.height() > rb.width() * rb.height();
    });

    std::mutex errorMutex;
    QString firstError;
    QtConcurrent::blockingMap(m_workers, pending, [&](int index) {
        CachedTile& result = results[static_cast<size_t>(index)];
        const RecognitionOutcome tileOutcome = recognizeTile(result);
        if (tileOutcome.failed()) {
            const std::lock_guard lock(errorMutex);
            if (firstError.isEmpty()) {
                firstError = tileOutcome.error;
            }
        }
    });
    if (!firstError.isEmpty()) {
        outcome.error = firstError;
        return outcome;
    }

    QList<CachedTile> cache;
    cache.reserve(static_cast<qsizetype>(results.size()));
    for (CachedTile& result : results) {
        outcome.lines.append(result.lines);
        cache.append(std::move(result));
    }
    const std::lock_guard lock(m_cacheMutex);
    m_cache = std::move(cache);
    m_lastCounts = Counts{static_cast<int>(pending.size()),
                          static_cast<int>(tiles.size() - static_cast<qsizetype>(pending.size()))};
    return outcome;
}
