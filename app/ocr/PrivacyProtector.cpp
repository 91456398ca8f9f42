#include "ocr/PrivacyProtector.h"

#include "core/Console.h"
#include "ocr/EnginePool.h"
#include "ocr/ScreenTextReader.h"

#include <QCoreApplication>
#include <QPointer>
#include <QPromise>
#include <QThreadPool>
#include <QUuid>

#include <exception>

PrivacyProtector::PrivacyProtector(QObject* parent)
    : PrivacyProtector(EnginePool::shared(), parent) {}

PrivacyProtector::PrivacyProtector(EnginePool& engines, QObject* parent)
    : QObject(parent)
    , m_reader(std::make_shared<ScreenTextReader>(engines)) {}

// Scans still running keep the reader alive through their own reference.
PrivacyProtector::~PrivacyProtector() = default;

QList<SensitiveRegion> PrivacyProtector::regionsForLines(const QList<RecognizedLine>& lines) {
    QList<SensitiveRegion> regions;
    for (const RecognizedLine& line : lines) {
        for (const SensitiveMatch& match : sensitiveMatches(line.text)) {
            regions.append(
                SensitiveRegion{QUuid::createUuid(), QRectF(line.box), match.kind, match.text});
        }
    }
    return regions;
}

QFuture<QList<SensitiveRegion>> PrivacyProtector::scan(const QImage& image) {
    auto promise = std::make_shared<QPromise<QList<SensitiveRegion>>>();
    QFuture<QList<SensitiveRegion>> future = promise->future();
    promise->start();

    if (++m_runningScans == 1) {
        Q_EMIT isScanningChanged();
    }

    // The worker holds the reader, never the detector: the detector may be gone when it ends.
    const QPointer<PrivacyProtector> self(this);
    const std::shared_ptr<ScreenTextReader> reader = m_reader;
    QThreadPool::globalInstance()->start([self, reader, image, promise] {
        RecognitionOutcome outcome;
        try {
            outcome = reader->read(image);
        } catch (const std::exception& error) {
            outcome.error = QString::fromLocal8Bit(error.what());
        }
        QList<SensitiveRegion> regions;
        if (outcome.failed()) {
            Console::printLine(QStringLiteral("[PrivacyProtector] OCR error: ") + outcome.error);
        } else {
            regions = regionsForLines(outcome.lines);
        }
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, promise, regions = std::move(regions)] {
                if (self.isNull()) {
                    promise->addResult(QList<SensitiveRegion>{});
                } else {
                    promise->addResult(regions);
                    self->scanFinished();
                }
                promise->finish();
            },
            Qt::QueuedConnection);
    });
    return future;
}

void PrivacyProtector::scanFinished() {
    if (--m_runningScans == 0) {
        Q_EMIT isScanningChanged();
    }
}
