#pragma once

#include <QObject>

class CameraSetupPreferences;
class FeatureSwitches;
class HotkeyManager;
class ShellActions;
class UpdateChecker;
class QWidget;

// What happens when the main window appears. The first time: the panic hot key gets its action
// (bring Velarion to the front, both presentation shields on, open the broadcast window; pressing
// again repeats it and never switches anything off), the camera set-up opens if it was never seen
// or a resume was asked for, and one update check starts (it does not block: the checker answers
// later). Until then the hot key does nothing.
//
// It also reports every show and hide of the window, so the dashboard knows whether it is seen.
// GUI thread only; everything passed in must outlive this object.
class MainWindowLifecycle final : public QObject {
    Q_OBJECT

public:
    MainWindowLifecycle(QWidget& window, HotkeyManager& hotkeys, FeatureSwitches& switches,
                        CameraSetupPreferences& cameraSetup, UpdateChecker& updates,
                        ShellActions& shell, QObject* parent = nullptr);

    bool hasAppeared() const { return m_hasAppeared; }
    // Runs the first-appearance steps unless they already ran. Called by the window's first show.
    void appear();
    // The panic action, as the hot key runs it.
    void panic();

Q_SIGNALS:
    void windowShownChanged(bool shown);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& m_window;
    HotkeyManager& m_hotkeys;
    FeatureSwitches& m_switches;
    CameraSetupPreferences& m_cameraSetup;
    UpdateChecker& m_updates;
    ShellActions& m_shell;
    bool m_hasAppeared = false;
};
