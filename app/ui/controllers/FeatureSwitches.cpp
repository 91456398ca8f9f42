#include "ui/controllers/FeatureSwitches.h"

#include "core/AppState.h"
#include "shields/PlanShield.h"
#include "ui/controllers/BroadcastController.h"
#include "ui/controllers/MaskScanner.h"

FeatureSwitches::FeatureSwitches(AppState& appState, PlanShield& desktopShield,
                                 PlanShield& notificationGuard, BroadcastController& broadcast,
                                 MaskScanner& maskScanner, QObject* parent)
    : QObject(parent)
    , m_appState(appState)
    , m_desktopShield(desktopShield)
    , m_notificationGuard(notificationGuard)
    , m_broadcast(broadcast)
    , m_maskScanner(maskScanner) {}

namespace {

void drive(PlanShield& shield, bool on) {
    // The future is not awaited: the shield's own state reports the outcome.
    (void)(on ? shield.activate() : shield.deactivate());
}

}  // namespace

void FeatureSwitches::setDesktopShield(bool on) {
    m_appState.setDesktopShieldActive(on);
    drive(m_desktopShield, on);
}

void FeatureSwitches::setNotificationGuard(bool on) {
    m_appState.setNotificationGuardActive(on);
    drive(m_notificationGuard, on);
}

void FeatureSwitches::togglePresentation() {
    const bool on = !m_appState.isPresentationMode();
    m_appState.setPresentationMode(on);
    m_appState.setDesktopShieldActive(on);
    m_appState.setNotificationGuardActive(on);
    drive(m_desktopShield, on);
    drive(m_notificationGuard, on);
}

void FeatureSwitches::switchPresentationShieldsOn() {
    m_appState.setDesktopShieldActive(true);
    m_appState.setNotificationGuardActive(true);
    drive(m_desktopShield, true);
    drive(m_notificationGuard, true);
}

QString FeatureSwitches::flipBroadcast(bool on) {
    switch (m_broadcast.flip(on)) {
        case BroadcastController::FlipOutcome::started:
            return QStringLiteral("broadcast");
        case BroadcastController::FlipOutcome::needsSetup:
            return QStringLiteral("camera-setup");
        case BroadcastController::FlipOutcome::stopped:
            break;
    }
    return {};
}

void FeatureSwitches::setMask(bool on, const QString& failureLogPrefix) {
    (void)m_maskScanner.switchMask(on, failureLogPrefix);
}
