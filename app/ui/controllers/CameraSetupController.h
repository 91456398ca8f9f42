#pragma once

#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>

class CameraSetupPreferences;
class ScanTimer;
class ScreenCaptureAccess;
class ShellActions;
class SystemExtensionInstaller;

// The camera set-up window's two steps: screen capture allowed, then the camera extension active.
//
// The window reports opened()/closed(). Each opening starts afresh ("Grant" not yet pressed) and
// reads the capture check at once; while the window is shown it reads it again every 1.2 s, so a
// session that becomes able to capture turns step 1 done without a click. Step 2 follows the
// installer's state as it changes. The states are the names "pending", "actionNeeded", "working"
// and "done".
//
// GUI thread only; every object passed in must outlive this one.
class CameraSetupController final : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool screenRecordingGranted READ screenRecordingGranted NOTIFY stepsChanged)
    Q_PROPERTY(bool didRequestScreenRecording READ didRequestScreenRecording NOTIFY stepsChanged)
    Q_PROPERTY(QString step1State READ step1State NOTIFY stepsChanged)
    Q_PROPERTY(QString step2State READ step2State NOTIFY stepsChanged)
    // The installer's state by name: "idle", "requesting", "needsApproval", "active", "failed".
    Q_PROPERTY(QString installerState READ installerState NOTIFY stepsChanged)
    // What the installer asks the user to do while it needs approval (a translation key).
    Q_PROPERTY(QString approvalInstruction READ approvalInstruction NOTIFY stepsChanged)
    // Why this session cannot capture (a translation key); empty when it can.
    Q_PROPERTY(QString unavailableReason READ unavailableReason NOTIFY stepsChanged)
    // Both steps done: the banner shows and the footer reads "Done" instead of "Close".
    Q_PROPERTY(bool allSet READ allSet NOTIFY stepsChanged)
    Q_PROPERTY(bool isShown READ isShown NOTIFY isShownChanged)

public:
    // Answers whether the screen can be captured now; asked again at every re-check.
    using CaptureCheck = std::function<bool()>;

    static constexpr std::chrono::milliseconds kRecheckInterval{1200};

    // Without a check, `access` is asked again (request()) and read; without a timer, a QTimer one
    // is used.
    CameraSetupController(ScreenCaptureAccess& access, SystemExtensionInstaller& installer,
                          CameraSetupPreferences& preferences, ShellActions& shell,
                          std::unique_ptr<ScanTimer> timer = nullptr,
                          CaptureCheck captureCheck = nullptr, QObject* parent = nullptr);
    ~CameraSetupController() override;

    bool screenRecordingGranted() const { return m_granted; }
    bool didRequestScreenRecording() const { return m_didRequest; }
    QString step1State() const;
    QString step2State() const;
    QString installerState() const;
    QString approvalInstruction() const;
    QString unavailableReason() const;
    bool allSet() const;
    bool isShown() const { return m_shown; }

    // The window was shown / hidden.
    Q_INVOKABLE void opened();
    Q_INVOKABLE void closed();

    // "Grant Screen Recording": remembers the press and checks again.
    Q_INVOKABLE void grantScreenRecording();
    // "Open Screen Recording Settings": the desktop's privacy settings, where it has them.
    Q_INVOKABLE void openScreenRecordingSettings();
    // "Quit & Reopen Velarion": the next launch reopens this window; then the shell relaunches.
    Q_INVOKABLE void quitAndReopen();
    // "Enable Camera Extension" and "Try Again".
    Q_INVOKABLE void enableExtension();
    // "Done" / "Close".
    Q_INVOKABLE void dismiss();

Q_SIGNALS:
    void stepsChanged();
    void isShownChanged();
    // The window is to close.
    void dismissRequested();

private:
    void recheck();
    void scheduleRecheck();
    void setGranted(bool granted);

    ScreenCaptureAccess& m_access;
    SystemExtensionInstaller& m_installer;
    CameraSetupPreferences& m_preferences;
    ShellActions& m_shell;
    std::unique_ptr<ScanTimer> m_timer;
    CaptureCheck m_captureCheck;

    bool m_granted = false;
    bool m_didRequest = false;
    bool m_shown = false;
};
