#include "ocr/ScreenTextReader.h"

#include "ocr/BadgeImage.h"
#include "ocr/EnginePool.h"
#include "ocr/FrameEdges.h"
#include "ocr/GlyphConfusions.h"
#include "ocr/GlyphInk.h"
#include "ocr/GlyphSpacing.h"
#include "ocr/NumberRereading.h"
#include "ocr/RecognitionTextFixer.h"
#include "ocr/ScreenGray.h"
#include "ocr/ScreenImageNormalizer.h"
#include "ocr/SoftLineImage.h"
#include "ocr/TextRecognitionEngine.h"

#include <QThreadPool>
#include <QtConcurrent/QtConcurrentMap>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

size_t pixelHash(const QImage& pixels) {
    size_t hash = qHashMulti(0, pixels.width(), pixels.height());
    for (int y = 0; y < pixels.height(); ++y) {
        hash = qHashBits(pixels.constScanLine(y), static_cast<size_t>(pixels.width()), hash);
    }
    return hash;
}

// The engine reads a line best with some ground around it, as lines stand on a page.
int marginFor(const TextArea& area) {
    return std::max(4, std::min(area.box.height(), LineLayout::kMaxLineHeight) / 3);
}

// `pixels` on white ground, `margin` around it and `before` more on its left.
QImage withMargin(const QImage& pixels, int margin, int before = 0) {
    QImage out(pixels.width() + 2 * margin + before, pixels.height() + 2 * margin,
               QImage::Format_Grayscale8);
    out.fill(255);
    for (int y = 0; y < pixels.height(); ++y) {
        std::memcpy(out.scanLine(y + margin) + margin + before, pixels.constScanLine(y),
                    static_cast<size_t>(pixels.width()));
    }
    return out;
}

// The ground put before a line read a second time (see NumberRereading).
int rereadingPad(const TextArea& area) {
    return std::max(40, std::min(area.box.height(), LineLayout::kMaxLineHeight) * 3 / 2);
}

// The text of a single line read from `line`, placed on the ink of `framed` (the line's binary
// pixels as the engine was given them).
QString lineText(const RecognizedLine& line, const QImage& framed) {
    return GlyphSpacing::respace(GlyphConfusions::resolve(GlyphInk::placed(line, framed), framed),
                                 framed);
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

RecognitionOutcome ScreenTextReader::recognizeArea(AreaReading& reading, const QImage& gray) {
    const EnginePool::Lease lease = m_engines.acquire();
    RecognitionOutcome outcome;
    if (lease.engine() == nullptr) {
        outcome.error = lease.error();
        return outcome;
    }
    const int margin = marginFor(reading.area);
    const QImage framed = withMargin(reading.pixels, margin);
    QImage soft;
    if (reading.area.inverted) {
        outcome = lease.engine()->recognizeLine(framed);
    } else if (reading.area.singleLine) {
        soft = SoftLineImage::make(gray, reading.pixels, reading.area.box);
        outcome = lease.engine()->recognizeLine(withMargin(soft, margin));
    } else {
        outcome = lease.engine()->recognize(framed);
    }
    if (outcome.failed()) {
        return outcome;
    }
    const QRect inside(QPoint(0, 0), reading.pixels.size());
    for (const RecognizedLine& line : outcome.lines) {
        // A line read as a whole covers the whole area; the margin is not part of it.
        const QRect box = reading.area.singleLine
                              ? inside
                              : line.box.translated(-margin, -margin).intersected(inside);
        QString text = reading.area.singleLine ? lineText(line, framed) : line.text;
        if (!soft.isNull() && NumberRereading::wanted(text)) {
            const int pad = rereadingPad(reading.area);
            const RecognitionOutcome again =
                lease.engine()->recognizeLine(withMargin(soft, margin, pad));
            if (!again.failed() && again.lines.size() == 1) {
                text = NumberRereading::merged(
                    text, lineText(again.lines.first(), withMargin(reading.pixels, margin, pad)));
            }
        }
        reading.lines.append(RecognizedLine{RecognitionTextFixer::fix(text), box});
    }
    return outcome;
}

RecognitionOutcome ScreenTextReader::read(const QImage& screenshot) {
    RecognitionOutcome outcome;
    if (screenshot.isNull()) {
        outcome.error = QStringLiteral("the image is empty");
        return outcome;
    }
    const QImage gray = ScreenGray::of(screenshot);
    const QImage clean = LineLayout::withoutRules(ScreenImageNormalizer::normalize(gray));
    const QList<TextArea> areas = LineLayout::areas(clean);

    QMultiHash<size_t, AreaReading> previous;
    {
        const std::lock_guard lock(m_cacheMutex);
        previous = m_cache;
    }

    std::vector<AreaReading> readings(static_cast<size_t>(areas.size()));
    std::vector<size_t> hashes(readings.size());
    std::vector<int> pending;
    for (int i = 0; i < areas.size(); ++i) {
        AreaReading& reading = readings[static_cast<size_t>(i)];
        reading.area = areas.at(i);
        reading.pixels = reading.area.inverted ? BadgeImage::text(gray, reading.area.box)
                                               : clean.copy(reading.area.box);
        FrameEdges::cut(reading.area, reading.pixels);
        hashes[static_cast<size_t>(i)] = pixelHash(reading.pixels);
        bool reused = false;
        for (auto it = previous.constFind(hashes[static_cast<size_t>(i)]);
             it != previous.cend() && it.key() == hashes[static_cast<size_t>(i)]; ++it) {
            if (it->area.singleLine == reading.area.singleLine && it->pixels == reading.pixels) {
                reading.lines = it->lines;
                reused = true;
                break;
            }
        }
        if (!reused) {
            pending.push_back(i);
        }
    }
    // Longest first, so that the last area to finish is a short one.
    std::sort(pending.begin(), pending.end(), [&](int a, int b) {
        return readings[static_cast<size_t>(a)].area.box.width() >
               readings[static_cast<size_t>(b)].area.box.width();
    });

    std::mutex errorMutex;
    QString firstError;
    QtConcurrent::blockingMap(m_workers, pending, [&](int index) {
        const RecognitionOutcome areaOutcome =
            recognizeArea(readings[static_cast<size_t>(index)], gray);
        if (areaOutcome.failed()) {
            const std::lock_guard lock(errorMutex);
            if (firstError.isEmpty()) {
                firstError = areaOutcome.error;
            }
        }
    });
    if (!firstError.isEmpty()) {
        outcome.error = firstError;
        return outcome;
    }

    QMultiHash<size_t, AreaReading> cache;
    for (size_t i = 0; i < readings.size(); ++i) {
        AreaReading& reading = readings[i];
        for (const RecognizedLine& line : reading.lines) {
            outcome.lines.append(
                RecognizedLine{line.text, line.box.translated(reading.area.box.topLeft())});
        }
        cache.insert(hashes[i], std::move(reading));
    }
    const std::lock_guard lock(m_cacheMutex);
    m_cache = std::move(cache);
    m_lastCounts = Counts{static_cast<int>(pending.size()),
                          static_cast<int>(areas.size() - static_cast<qsizetype>(pending.size()))};
    return outcome;
}
