#pragma once

#include <QObject>
#include <QString>

#include <cstdint>

class AppState;
class PrivacyShieldService;
class ScreenCaptureAccess;
class ScreenManager;
class SystemExtensionInstaller;
class VirtualCameraService;

// The broadcast camera's one set of verbs, shared by the popover's switch, the dashboard's camera
// module and the broadcast window, so that they start, apply and stop the broadcast the same way.
//
// Live means `AppState::isVirtualCameraActive`. The flag is on only while the broadcast is meant
// to run and goes off again whenever it cannot: a start or restart whose capture fails reports
// the failure to the publisher, stops publishing and the capture, and clears the flag; a
// publisher that cannot start clears it at once. Capture starts never block; their outcome
// (captureStarted / captureFailed) comes on the GUI thread, normally after the call returned but
// within it when the display server answers at once. The newest start, restart or
// stop decides: an older start that ends afterwards changes nothing, and if it left a capture
// running while the broadcast is no longer live, that capture is stopped.
//
// GUI thread only. Every service passed in must outlive this object.
class BroadcastController final : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isReady READ isReady NOTIFY isReadyChanged)
    Q_PROPERTY(bool isCaptureBusy READ isCaptureBusy NOTIFY isCaptureBusyChanged)

public:
    // What a flipped switch led to; the view maps it to its own next step (a window to open, a
    // panel to expand).
    enum class FlipOutcome {
        stopped,     // switched off: the broadcast is stopped
        started,     // switched on while ready: the broadcast is live (or already was)
        needsSetup,  // switched on while not ready: nothing started; the set-up is to be shown
    };
    Q_ENUM(FlipOutcome)

    BroadcastController(AppState& appState, ScreenCaptureAccess& captureAccess,
                        SystemExtensionInstaller& installer, VirtualCameraService& virtualCamera,
                        ScreenManager& screenManager, PrivacyShieldService& privacyShield,
                        QObject* parent = nullptr);

    // Screen capture is possible in this session and the camera extension is active. Follows the
    // installer's state; the capture check is read again by recheck().
    bool isReady() const { return m_isReady; }
    // A capture start or restart, or the stop of a capture a superseded start left behind, is
    // under way.
    bool isCaptureBusy() const { return m_pendingCaptureWork > 0; }

    Q_INVOKABLE void recheck();

    // Goes live when ready and not live yet: sets the flag, starts publishing, then starts the
    // capture without the protected windows' applications. False when it did nothing.
    Q_INVOKABLE bool start();
    // "Apply": while live, restarts the capture with the current protected windows. False (and
    // nothing done) while not live.
    Q_INVOKABLE bool restart();
    // "Stop broadcasting": clears the flag, stops publishing and the capture, including a capture
    // whose start is still under way.
    Q_INVOKABLE void stop();
    // Starts the camera extension's activation if nothing has been asked yet (installer idle).
    Q_INVOKABLE void requestSetup();
    // A broadcast switch moved to `on`.
    Q_INVOKABLE FlipOutcome flip(bool on);

Q_SIGNALS:
    void isReadyChanged();
    void isCaptureBusyChanged();
    // The newest capture start or restart is running while live.
    void captureStarted();
    // The newest capture start or restart failed; the broadcast is no longer live.
    void captureFailed(const QString& description);

private:
    void updateReadiness();
    void runCapture();
    void captureRunSucceeded(std::uint64_t run);
    void captureRunFailed(std::uint64_t run, const QString& description);
    void stopCapture();
    void beginCaptureWork();
    void endCaptureWork();

    AppState& m_appState;
    ScreenCaptureAccess& m_captureAccess;
    SystemExtensionInstaller& m_installer;
    VirtualCameraService& m_virtualCamera;
    ScreenManager& m_screenManager;
    PrivacyShieldService& m_privacyShield;

    bool m_isReady = false;
    // Numbers every start, restart and stop; a capture outcome whose number is older was
    // superseded.
    std::uint64_t m_captureRun = 0;
    int m_pendingCaptureWork = 0;
};
