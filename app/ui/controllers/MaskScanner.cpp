#include "ui/controllers/MaskScanner.h"

#include "capture/CaptureError.h"
#include "capture/ScreenManager.h"
#include "core/AppState.h"
#include "core/Console.h"
#include "core/SensitiveRegion.h"
#include "ocr/OCROverlayController.h"
#include "ocr/PrivacyProtector.h"
#include "settings/MaskSettings.h"

#include <QImage>

#include <exception>
#include <optional>

MaskScanner::MaskScanner(ScreenManager& screenManager, PrivacyProtector& privacyProtector,
                         AppState& appState, OCROverlayController& overlay, MaskSettings& settings,
                         QObject* parent)
    : QObject(parent)
    , m_screenManager(screenManager)
    , m_privacyProtector(privacyProtector)
    , m_appState(appState)
    , m_overlay(overlay)
    , m_settings(settings) {}

QFuture<MaskScanOutcome> MaskScanner::scanOnce(const QString& failureLogPrefix) {
    return m_screenManager.captureScreenSnapshot()
        .then(this,
              [this](const std::optional<QImage>& image) -> QFuture<MaskScanOutcome> {
                  if (!image) {
                      return QtFuture::makeReadyFuture(MaskScanOutcome::noImageFound());
                  }
                  const QSize size = image->size();
                  return m_privacyProtector.scan(*image).then(
                      this, [this, size](const QList<SensitiveRegion>& regions) {
                          return applyResult(regions, size);
                      });
              })
        .unwrap()
        .onFailed(this,
                  [](const CaptureError& error) {
                      return MaskScanOutcome::failedWith(error.description());
                  })
        .onFailed(this,
                  [](const std::exception& error) {
                      return MaskScanOutcome::failedWith(QString::fromLocal8Bit(error.what()));
                  })
        .then(this, [this, failureLogPrefix](const MaskScanOutcome& outcome) {
            if (outcome.kind == MaskScanOutcome::Kind::failed && !failureLogPrefix.isEmpty()) {
                Console::printLine(failureLogPrefix + outcome.errorDescription);
            }
            Q_EMIT scanFinished(outcome);
            return outcome;
        });
}

QFuture<MaskScanOutcome> MaskScanner::switchMask(bool on, const QString& failureLogPrefix) {
    m_appState.setOCRMaskingActive(on);
    if (on) {
        return scanOnce(failureLogPrefix);
    }
    m_overlay.hide();
    m_appState.setDetectedSensitiveRegions({});
    return {};
}

MaskScanOutcome MaskScanner::applyResult(const QList<SensitiveRegion>& regions, QSize imageSize) {
    m_appState.setDetectedSensitiveRegions(regions);
    if (m_appState.isOCRMaskingActive() && !regions.isEmpty()) {
        m_overlay.show(regions, imageSize.width(), imageSize.height(), m_settings.maskOpacity());
    } else {
        m_overlay.hide();
    }
    return MaskScanOutcome::foundRegions(static_cast<int>(regions.size()));
}
