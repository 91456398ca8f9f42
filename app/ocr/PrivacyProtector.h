#pragma once

#include "core/SensitiveRegion.h"
#include "ocr/RecognizedLine.h"
#include "ocr/SensitivePatternTable.h"

#include <QFuture>
#include <QImage>
#include <QList>
#include <QObject>

#include <memory>

class EnginePool;
class ScreenTextReader;

// Finds sensitive text (e-mail addresses, card, phone and social-security numbers) in a snapshot
// of the screen. Recognition runs on worker threads; `scan` returns at once and its future is
// fulfilled on the GUI thread. The detector keeps no result of its own.
class PrivacyProtector final : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isScanning READ isScanning NOTIFY isScanningChanged)
    Q_PROPERTY(QList<SensitiveRegion> detectedRegions READ detectedRegions CONSTANT)

public:
    // Recognises with the process's engine pool.
    explicit PrivacyProtector(QObject* parent = nullptr);
    // Recognises with `engines`, which must outlive every scan started here.
    explicit PrivacyProtector(EnginePool& engines, QObject* parent = nullptr);
    ~PrivacyProtector() override;

    // True from the start of a scan until the result of the last running scan is delivered.
    bool isScanning() const { return m_runningScans > 0; }
    // Always empty: results go back to the caller of `scan` only.
    QList<SensitiveRegion> detectedRegions() const { return {}; }

    // Recognises `image` and returns one region per match, in the image's pixel space with the
    // origin at the top left, covering the whole line the match was found in. Ordered by line,
    // then by pattern, then by position. Scans may overlap; each gets its own result, exactly
    // once. Never fails: a recognition error prints "[PrivacyProtector] OCR error: …" and gives
    // an empty list, and so does a detector destroyed before the scan ends.
    QFuture<QList<SensitiveRegion>> scan(const QImage& image);

    static QList<SensitiveMatch> sensitiveMatches(const QString& line) {
        return SensitivePatternTable::sensitiveMatches(line);
    }

    // The regions of recognised lines: one per match, each with its line's box.
    static QList<SensitiveRegion> regionsForLines(const QList<RecognizedLine>& lines);

Q_SIGNALS:
    void isScanningChanged();

private:
    void scanFinished();

    std::shared_ptr<ScreenTextReader> m_reader;
    int m_runningScans = 0;
};
