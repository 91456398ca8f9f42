#pragma once

#include <QObject>
#include <QVariantMap>

#include <functional>

class AppState;
class FeatureSwitches;
class ShellActions;

// What scripts and other `velarion` processes may ask of the running application: the same verbs
// the popover and the dashboard use (FeatureSwitches), the panic action the hot key runs, and the
// switches' state as AppState holds it. Nothing here keeps state of its own, so a change made
// through it shows in the interface, and one made in the interface shows here; quitting restores
// what it switched on through the one quit path. GUI thread only; everything passed in must
// outlive this object.
class ScriptingService final : public QObject {
    Q_OBJECT

public:
    ScriptingService(AppState& appState, FeatureSwitches& switches, ShellActions& shell,
                     std::function<void()> panic, QObject* parent = nullptr);

    void showMainWindow();
    void panic();
    // Presentation mode to `on`; already there, nothing runs again.
    void setPresentationMode(bool on);
    void setDesktopShield(bool on);
    void setNotificationGuard(bool on);
    // As the popover's switch: on opens the broadcast window, or the camera set-up while the
    // camera is not ready.
    void setBroadcastCamera(bool on);
    void setPrivacyMask(bool on);

    // "PresentationMode", "DesktopShield", "NotificationGuard", "BroadcastCamera", "PrivacyMask".
    QVariantMap properties() const;

Q_SIGNALS:
    // One switch's state changed, by whatever path; `property` is a key of properties().
    void propertyChanged(const QString& property, bool value);

private:
    AppState& m_appState;
    FeatureSwitches& m_switches;
    ShellActions& m_shell;
    std::function<void()> m_panic;
};
