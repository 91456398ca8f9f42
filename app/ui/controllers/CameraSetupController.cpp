#include "ui/controllers/CameraSetupController.h"

#include "capture/ScreenCaptureAccess.h"
#include "capture/publisher/SystemExtensionInstaller.h"
#include "settings/CameraSetupPreferences.h"
#include "ui/controllers/QtScanTimer.h"
#include "ui/controllers/ShellActions.h"

namespace {

using Kind = SystemExtensionInstaller::State::Kind;

}  // namespace

CameraSetupController::CameraSetupController(ScreenCaptureAccess& access,
                                             SystemExtensionInstaller& installer,
                                             CameraSetupPreferences& preferences,
                                             ShellActions& shell, std::unique_ptr<ScanTimer> timer,
                                             CaptureCheck captureCheck, QObject* parent)
    : QObject(parent)
    , m_access(access)
    , m_installer(installer)
    , m_preferences(preferences)
    , m_shell(shell)
    , m_timer(timer ? std::move(timer) : std::make_unique<QtScanTimer>())
    , m_captureCheck(std::move(captureCheck)) {
    if (!m_captureCheck) {
        m_captureCheck = [this] {
            m_access.request();
            return m_access.preflight();
        };
    }
    connect(&m_installer, &SystemExtensionInstaller::stateChanged, this,
            &CameraSetupController::stepsChanged);
    connect(&m_installer, &SystemExtensionInstaller::lastMessageChanged, this,
            &CameraSetupController::stepsChanged);
    m_granted = m_captureCheck();
}

CameraSetupController::~CameraSetupController() = default;

QString CameraSetupController::step1State() const {
    if (m_granted) {
        return QStringLiteral("done");
    }
    return m_didRequest ? QStringLiteral("actionNeeded") : QStringLiteral("pending");
}

QString CameraSetupController::step2State() const {
    switch (m_installer.state().kind) {
        case Kind::idle:
            return QStringLiteral("pending");
        case Kind::requesting:
            return QStringLiteral("working");
        case Kind::needsApproval:
        case Kind::failed:
            return QStringLiteral("actionNeeded");
        case Kind::active:
            return QStringLiteral("done");
    }
    return QStringLiteral("pending");
}

QString CameraSetupController::installerState() const {
    switch (m_installer.state().kind) {
        case Kind::idle:
            return QStringLiteral("idle");
        case Kind::requesting:
            return QStringLiteral("requesting");
        case Kind::needsApproval:
            return QStringLiteral("needsApproval");
        case Kind::active:
            return QStringLiteral("active");
        case Kind::failed:
            return QStringLiteral("failed");
    }
    return QStringLiteral("idle");
}

QString CameraSetupController::approvalInstruction() const {
    return m_installer.state().kind == Kind::needsApproval ? m_installer.lastMessage() : QString();
}

QString CameraSetupController::unavailableReason() const {
    return m_granted ? QString() : m_access.unavailableReason();
}

bool CameraSetupController::allSet() const {
    return m_granted && m_installer.state().kind == Kind::active;
}

void CameraSetupController::opened() {
    const bool wasRequested = m_didRequest;
    m_didRequest = false;
    if (wasRequested) {
        Q_EMIT stepsChanged();
    }
    if (!m_shown) {
        m_shown = true;
        Q_EMIT isShownChanged();
    }
    recheck();
    scheduleRecheck();
}

void CameraSetupController::closed() {
    m_timer->stop();
    if (m_shown) {
        m_shown = false;
        Q_EMIT isShownChanged();
    }
}

void CameraSetupController::grantScreenRecording() {
    m_didRequest = true;
    Q_EMIT stepsChanged();
    // There is nothing to ask on this platform: the check itself is the request.
    recheck();
}

void CameraSetupController::openScreenRecordingSettings() {
    m_shell.openDesktopSettings(QStringLiteral("privacy"));
}

void CameraSetupController::quitAndReopen() {
    // Stored before the quit starts: the new process reads it at its first window.
    m_preferences.resumeAtNextLaunch();
    m_shell.relaunch();
}

void CameraSetupController::enableExtension() {
    m_installer.activateExtension();
}

void CameraSetupController::dismiss() {
    Q_EMIT dismissRequested();
}

void CameraSetupController::recheck() {
    setGranted(m_captureCheck());
}

void CameraSetupController::scheduleRecheck() {
    m_timer->start(kRecheckInterval, [this] {
        if (!m_shown) {
            return;
        }
        recheck();
        scheduleRecheck();
    });
}

void CameraSetupController::setGranted(bool granted) {
    if (granted != m_granted) {
        m_granted = granted;
        Q_EMIT stepsChanged();
    }
}
