#include "ui/controllers/BroadcastController.h"

#include "capture/CaptureError.h"
#include "capture/PrivacyShieldService.h"
#include "capture/ScreenCaptureAccess.h"
#include "capture/ScreenManager.h"
#include "capture/publisher/SystemExtensionInstaller.h"
#include "capture/publisher/VirtualCameraService.h"
#include "core/AppState.h"

#include <QFuture>

#include <exception>

namespace {

using InstallerKind = SystemExtensionInstaller::State::Kind;

}  // namespace

BroadcastController::BroadcastController(AppState& appState, ScreenCaptureAccess& captureAccess,
                                         SystemExtensionInstaller& installer,
                                         VirtualCameraService& virtualCamera,
                                         ScreenManager& screenManager,
                                         PrivacyShieldService& privacyShield, QObject* parent)
    : QObject(parent)
    , m_appState(appState)
    , m_captureAccess(captureAccess)
    , m_installer(installer)
    , m_virtualCamera(virtualCamera)
    , m_screenManager(screenManager)
    , m_privacyShield(privacyShield) {
    connect(&m_installer, &SystemExtensionInstaller::stateChanged, this,
            &BroadcastController::updateReadiness);
    connect(&m_captureAccess, &ScreenCaptureAccess::grantedChanged, this,
            &BroadcastController::updateReadiness);
    updateReadiness();
}

void BroadcastController::recheck() {
    m_captureAccess.request();
    updateReadiness();
}

bool BroadcastController::start() {
    // Readiness includes an active installer, so the extension never needs activating here.
    if (!m_isReady || m_appState.isVirtualCameraActive()) {
        return false;
    }
    m_appState.setVirtualCameraActive(true);
    m_virtualCamera.startPublishing();
    if (!m_virtualCamera.isPublishing()) {
        // The publisher keeps its own error text; a capture with nowhere to go is not started.
        m_appState.setVirtualCameraActive(false);
        return false;
    }
    runCapture();
    return true;
}

bool BroadcastController::restart() {
    if (!m_appState.isVirtualCameraActive()) {
        return false;
    }
    runCapture();
    return true;
}

void BroadcastController::stop() {
    ++m_captureRun;
    m_appState.setVirtualCameraActive(false);
    m_virtualCamera.stopPublishing();
    stopCapture();
}

void BroadcastController::requestSetup() {
    if (m_installer.state().kind == InstallerKind::idle) {
        m_installer.activateExtension();
    }
}

BroadcastController::FlipOutcome BroadcastController::flip(bool on) {
    if (!on) {
        stop();
        return FlipOutcome::stopped;
    }
    if (!m_isReady) {
        requestSetup();
        return FlipOutcome::needsSetup;
    }
    start();
    return FlipOutcome::started;
}

void BroadcastController::updateReadiness() {
    const bool ready =
        m_captureAccess.preflight() && m_installer.state().kind == InstallerKind::active;
    if (ready == m_isReady) {
        return;
    }
    m_isReady = ready;
    Q_EMIT isReadyChanged();
}

void BroadcastController::runCapture() {
    const std::uint64_t run = ++m_captureRun;
    beginCaptureWork();
    m_screenManager.startStealthSession(m_appState.protectedWindowIDs())
        .then(this, [this, run] { captureRunSucceeded(run); })
        .onFailed(
            this,
            [this, run](const CaptureError& error) { captureRunFailed(run, error.description()); })
        .onFailed(this, [this, run](const std::exception& error) {
            captureRunFailed(run, QString::fromLocal8Bit(error.what()));
        });
}

void BroadcastController::captureRunSucceeded(std::uint64_t run) {
    if (!m_appState.isVirtualCameraActive()) {
        // Stopped while this start was under way: its capture must not outlive the broadcast.
        stopCapture();
    } else if (run == m_captureRun) {
        Q_EMIT captureStarted();
    }
    endCaptureWork();
}

void BroadcastController::captureRunFailed(std::uint64_t run, const QString& description) {
    if (run == m_captureRun) {
        // A failed restart has already stopped the previous capture, so it ends the broadcast
        // just as a failed start does; a flag left on would show a broadcast that shows nothing.
        // Publishing stops before the failure is reported: stopping resets the publisher's status
        // text, which must go on saying why the broadcast ended.
        m_virtualCamera.stopPublishing();
        m_virtualCamera.reportCaptureFailure(description);
        m_appState.setVirtualCameraActive(false);
        // An older start may still have stored its capture; nothing may keep running.
        stopCapture();
        Q_EMIT captureFailed(description);
    }
    endCaptureWork();
}

void BroadcastController::stopCapture() {
    beginCaptureWork();
    m_privacyShield.stopStealthSession().then(this, [this] { endCaptureWork(); });
}

void BroadcastController::beginCaptureWork() {
    if (++m_pendingCaptureWork == 1) {
        Q_EMIT isCaptureBusyChanged();
    }
}

void BroadcastController::endCaptureWork() {
    if (--m_pendingCaptureWork == 0) {
        Q_EMIT isCaptureBusyChanged();
    }
}
