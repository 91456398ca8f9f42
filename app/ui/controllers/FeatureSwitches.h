#pragma once

#include <QObject>
#include <QString>

class AppState;
class BroadcastController;
class MaskScanner;
class PlanShield;

// The verbs behind every privacy switch of the popover and the dashboard, so that both flip the
// features the same way.
//
// A switch stores the user's choice in AppState first and then asks the service; the shields'
// commands run on their worker thread and nothing here waits for them. A shield that fails keeps
// the flag the user chose (its own isActive and lastError tell the truth). GUI thread only; every
// object passed in must outlive this one.
class FeatureSwitches final : public QObject {
    Q_OBJECT

public:
    FeatureSwitches(AppState& appState, PlanShield& desktopShield, PlanShield& notificationGuard,
                    BroadcastController& broadcast, MaskScanner& maskScanner,
                    QObject* parent = nullptr);

    Q_INVOKABLE void setDesktopShield(bool on);
    Q_INVOKABLE void setNotificationGuard(bool on);
    // Presentation mode: both presentation shields follow the new mode, whatever each was before;
    // the mask and the broadcast are left alone.
    Q_INVOKABLE void togglePresentation();
    // The panic action's part: both presentation shields on, never off, however often it runs.
    Q_INVOKABLE void switchPresentationShieldsOn();
    // The broadcast switch moved. Returns the window to open next: "broadcast" once it went live,
    // "camera-setup" when the set-up is still missing, nothing when it was switched off.
    Q_INVOKABLE QString flipBroadcast(bool on);
    // The mask switch moved: on, one scan, whose failure is printed after `failureLogPrefix`.
    Q_INVOKABLE void setMask(bool on, const QString& failureLogPrefix = QString());

private:
    AppState& m_appState;
    PlanShield& m_desktopShield;
    PlanShield& m_notificationGuard;
    BroadcastController& m_broadcast;
    MaskScanner& m_maskScanner;
};
