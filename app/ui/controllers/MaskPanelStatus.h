#pragma once

#include "ui/controllers/MaskScanOutcome.h"

#include <QFuture>
#include <QObject>
#include <QString>

#include <cstdint>
#include <optional>

class AppState;
class MaskScanner;
class PrivacyProtector;

// The status line of the mask's detail panel and the scans started from it ("Scan Now" and the
// panel's switch). The line is, by priority: the outcome of the panel's own last scan ("failed"
// with errorDescription, "noImage", "masking" with count), else "scanning" while any scan runs,
// else "found" with the number of regions AppState holds.
//
// clear() forgets the panel's outcome (the panel closed); a scan that ends after that still
// applies its regions through the scanner but no longer writes the line. GUI thread only; the
// objects passed in must outlive this one.
class MaskPanelStatus final : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString line READ line NOTIFY changed)
    Q_PROPERTY(int count READ count NOTIFY changed)
    Q_PROPERTY(QString errorDescription READ errorDescription NOTIFY changed)

public:
    MaskPanelStatus(MaskScanner& scanner, AppState& appState, PrivacyProtector& privacyProtector,
                    QObject* parent = nullptr);

    QString line() const;
    int count() const;
    QString errorDescription() const;

    Q_INVOKABLE void scanNow();
    // The panel's mask switch: on, stores the flag and scans; off, stores it and clears the mask.
    Q_INVOKABLE void setMask(bool on);
    Q_INVOKABLE void clear();

Q_SIGNALS:
    void changed();

private:
    void track(QFuture<MaskScanOutcome> scan);

    MaskScanner& m_scanner;
    AppState& m_appState;
    PrivacyProtector& m_privacyProtector;
    std::optional<MaskScanOutcome> m_outcome;
    // Counts clear() and new scans; an outcome from an older count is not the panel's latest.
    std::uint64_t m_generation = 0;
};
