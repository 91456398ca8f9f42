#pragma once

#include "ui/controllers/MaskScanOutcome.h"

#include <QFuture>
#include <QList>
#include <QObject>
#include <QSize>
#include <QString>

class AppState;
class MaskSettings;
class OCROverlayController;
class PrivacyProtector;
class ScreenManager;
struct SensitiveRegion;

// One scan of the privacy mask, the same for the popover, the dashboard's feature panel and the
// periodic scan: a snapshot of the screen, text recognition, the regions stored in AppState, then
// the overlay shown over them (with the opacity of the user's mask strength) or hidden.
//
// The overlay is shown only if the mask is still on when the result arrives and something was
// found; a scan that ends after the mask was switched off still stores its regions but hides the
// overlay. Scans may overlap; each applies its own result when it ends.
//
// GUI thread only; every service passed in must outlive this object.
class MaskScanner final : public QObject {
    Q_OBJECT

public:
    MaskScanner(ScreenManager& screenManager, PrivacyProtector& privacyProtector,
                AppState& appState, OCROverlayController& overlay, MaskSettings& settings,
                QObject* parent = nullptr);

    // Starts one scan. The future ends on the GUI thread with the outcome (never an exception),
    // after the regions were stored and the overlay updated, and scanFinished() carries the same
    // outcome. A failure is also printed to standard output after `failureLogPrefix`, when one is
    // given ("[MenuBarPopover] OCR scan failed: ").
    Q_INVOKABLE QFuture<MaskScanOutcome> scanOnce(const QString& failureLogPrefix = QString());

    // The mask switch moved: stores the flag; on, starts one scan (whose future is returned);
    // off, hides the overlay and forgets the regions (and returns a future without a result).
    Q_INVOKABLE QFuture<MaskScanOutcome> switchMask(bool on,
                                                    const QString& failureLogPrefix = QString());

Q_SIGNALS:
    void scanFinished(const MaskScanOutcome& outcome);

private:
    MaskScanOutcome applyResult(const QList<SensitiveRegion>& regions, QSize imageSize);

    ScreenManager& m_screenManager;
    PrivacyProtector& m_privacyProtector;
    AppState& m_appState;
    OCROverlayController& m_overlay;
    MaskSettings& m_settings;
};
