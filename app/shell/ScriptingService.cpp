#include "shell/ScriptingService.h"

#include "core/AppState.h"
#include "ui/controllers/FeatureSwitches.h"
#include "ui/controllers/ShellActions.h"

ScriptingService::ScriptingService(AppState& appState, FeatureSwitches& switches,
                                   ShellActions& shell, std::function<void()> panic,
                                   QObject* parent)
    : QObject(parent)
    , m_appState(appState)
    , m_switches(switches)
    , m_shell(shell)
    , m_panic(std::move(panic)) {
    const auto follow = [this](auto signal, const char* property, bool (AppState::*read)() const) {
        connect(&m_appState, signal, this, [this, property, read] {
            Q_EMIT propertyChanged(QString::fromLatin1(property), (m_appState.*read)());
        });
    };
    follow(&AppState::isPresentationModeChanged, "PresentationMode", &AppState::isPresentationMode);
    follow(&AppState::isDesktopShieldActiveChanged, "DesktopShield",
           &AppState::isDesktopShieldActive);
    follow(&AppState::isNotificationGuardActiveChanged, "NotificationGuard",
           &AppState::isNotificationGuardActive);
    follow(&AppState::isVirtualCameraActiveChanged, "BroadcastCamera",
           &AppState::isVirtualCameraActive);
    follow(&AppState::isOCRMaskingActiveChanged, "PrivacyMask", &AppState::isOCRMaskingActive);
}

void ScriptingService::showMainWindow() {
    m_shell.bringToFront();
}

void ScriptingService::panic() {
    m_panic();
}

void ScriptingService::setPresentationMode(bool on) {
    if (m_appState.isPresentationMode() != on) {
        m_switches.togglePresentation();
    }
}

void ScriptingService::setDesktopShield(bool on) {
    m_switches.setDesktopShield(on);
}

void ScriptingService::setNotificationGuard(bool on) {
    m_switches.setNotificationGuard(on);
}

void ScriptingService::setBroadcastCamera(bool on) {
    const QString next = m_switches.flipBroadcast(on);
    if (!next.isEmpty()) {
        m_shell.openWindow(next);
    }
}

void ScriptingService::setPrivacyMask(bool on) {
    m_switches.setMask(on, QStringLiteral("[Scripting] OCR scan failed: "));
}

QVariantMap ScriptingService::properties() const {
    return {{QStringLiteral("PresentationMode"), m_appState.isPresentationMode()},
            {QStringLiteral("DesktopShield"), m_appState.isDesktopShieldActive()},
            {QStringLiteral("NotificationGuard"), m_appState.isNotificationGuardActive()},
            {QStringLiteral("BroadcastCamera"), m_appState.isVirtualCameraActive()},
            {QStringLiteral("PrivacyMask"), m_appState.isOCRMaskingActive()}};
}
