#include "ui/controllers/MaskPanelStatus.h"

#include "core/AppState.h"
#include "ocr/PrivacyProtector.h"
#include "ui/controllers/MaskScanner.h"

MaskPanelStatus::MaskPanelStatus(MaskScanner& scanner, AppState& appState,
                                 PrivacyProtector& privacyProtector, QObject* parent)
    : QObject(parent)
    , m_scanner(scanner)
    , m_appState(appState)
    , m_privacyProtector(privacyProtector) {
    connect(&m_appState, &AppState::detectedSensitiveRegionsChanged, this,
            &MaskPanelStatus::changed);
    connect(&m_privacyProtector, &PrivacyProtector::isScanningChanged, this,
            &MaskPanelStatus::changed);
}

QString MaskPanelStatus::line() const {
    if (m_outcome) {
        switch (m_outcome->kind) {
            case MaskScanOutcome::Kind::failed:
                return QStringLiteral("failed");
            case MaskScanOutcome::Kind::noImage:
                return QStringLiteral("noImage");
            case MaskScanOutcome::Kind::found:
                return QStringLiteral("masking");
        }
    }
    return m_privacyProtector.isScanning() ? QStringLiteral("scanning") : QStringLiteral("found");
}

int MaskPanelStatus::count() const {
    if (m_outcome) {
        return m_outcome->regionCount;
    }
    return static_cast<int>(m_appState.detectedSensitiveRegions().size());
}

QString MaskPanelStatus::errorDescription() const {
    return m_outcome ? m_outcome->errorDescription : QString();
}

void MaskPanelStatus::scanNow() {
    track(m_scanner.scanOnce());
}

void MaskPanelStatus::setMask(bool on) {
    if (on) {
        track(m_scanner.switchMask(true));
    } else {
        (void)m_scanner.switchMask(false);
    }
}

void MaskPanelStatus::clear() {
    ++m_generation;
    if (m_outcome) {
        m_outcome.reset();
        Q_EMIT changed();
    }
}

void MaskPanelStatus::track(QFuture<MaskScanOutcome> scan) {
    // A new scan empties the line first, as the previous outcome no longer describes the screen.
    const std::uint64_t generation = ++m_generation;
    m_outcome.reset();
    Q_EMIT changed();
    (void)scan.then(this, [this, generation](const MaskScanOutcome& outcome) {
        if (generation != m_generation) {
            return;
        }
        m_outcome = outcome;
        Q_EMIT changed();
    });
}
