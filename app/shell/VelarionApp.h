#pragma once

#include <QObject>
#include <QVariantMap>

#include <memory>

class AppState;
class BroadcastController;
class CameraSetupController;
class CameraSetupPreferences;
class FeatureSwitches;
class MainWindowLifecycle;
class MaskPanelStatus;
class MaskScanner;
class MaskSettings;
class PeriodicMaskScan;
class ScreenCaptureAccess;
class ScriptingService;
class ApplicationActions;
class CommandRunner;
class DesktopShield;
class LanguageEnvironment;
class LaunchAtLoginSetting;
class LocalizationManager;
class LoginItem;
class HotkeyManager;
class MainWindow;
class NotificationGuard;
class OCROverlayController;
class PopoverWindow;
class PrivacyShieldService;
class ScreenManager;
class PrivacyProtector;
class DaemonExtensionActivator;
class NotifyCenter;
class QuitSequence;
class SystemExtensionInstaller;
class TrayController;
class UiEngine;
class UnixSignalWatcher;
class UserDefaults;
class UpdateAvailability;
class UpdateChecker;
class UpdateController;
class UpdateInstaller;
class VirtualCameraService;
class WindowListController;
class WindowRegistry;

// The composition root. Its members are declared once, in dependency order, and created in that
// order in the constructor's initialiser list (the compiler warns when the two part); the default
// destructor then tears them down in reverse, so whatever a member refers to outlives it: views
// go before the engine they run in and the actions they call, shields are restored before the
// command runner goes, and the screen manager stops before the publisher its frames go to. It
// holds no logic of its own; views and services receive what they need through their
// constructors.
class VelarionApp final : public QObject {
    Q_OBJECT

public:
    explicit VelarionApp(QObject* parent = nullptr);
    ~VelarionApp() override;

    // Shows the main window and the tray item.
    void start();
    // True once a view asked to relaunch; main() starts the new process after this object is gone.
    bool relaunchRequested() const;

    // For the tests that drive the windows of a whole application.
    WindowRegistry& windows() { return *m_windows; }
    MainWindow& mainWindow() { return *m_mainWindow; }
    // What the single instance serves to scripts and to a second `velarion`.
    ScriptingService& scripting() { return *m_scripting; }

private:
    std::unique_ptr<QuitSequence> makeQuitSequence();
    // The initial properties of a SettingsContent (or SettingsView): "controller", a new
    // SettingsController owned by `owner` (each view records hot keys on its own), and "updates",
    // the shared UpdateController.
    QVariantMap settingsViewProperties(QObject* owner);
    void registerWindows();
    void createViews();
    void connectShell();
    void followLanguage();
    void onMainWindowClosed();

    // The process-wide instance (the one singleton the localization contract asks for); it
    // outlives the application object.
    LocalizationManager& m_localization;

    // Services.
    std::unique_ptr<UserDefaults> m_userDefaults;
    std::unique_ptr<CommandRunner> m_commandRunner;
    std::unique_ptr<AppState> m_appState;
    std::unique_ptr<LoginItem> m_loginItem;
    std::unique_ptr<LaunchAtLoginSetting> m_launchAtLogin;
    std::unique_ptr<NotifyCenter> m_notifyCenter;
    std::unique_ptr<VirtualCameraService> m_virtualCameraService;
    std::unique_ptr<DaemonExtensionActivator> m_extensionActivator;
    std::unique_ptr<SystemExtensionInstaller> m_systemExtension;
    // Feeds the publisher on the capture thread, so it goes first.
    std::unique_ptr<ScreenManager> m_screenManager;
    std::unique_ptr<PrivacyShieldService> m_privacyShieldService;
    std::unique_ptr<HotkeyManager> m_hotkeyManager;
    // A shield still on restores the desktop as it is destroyed, through the command runner.
    std::unique_ptr<DesktopShield> m_desktopShield;
    std::unique_ptr<NotificationGuard> m_notificationGuard;
    std::unique_ptr<PrivacyProtector> m_privacyProtector;
    std::unique_ptr<OCROverlayController> m_ocrOverlay;
    // Its steps stop the services above; the update installer and the shell quit through it.
    std::unique_ptr<QuitSequence> m_quit;
    std::unique_ptr<UpdateChecker> m_updateChecker;
    std::unique_ptr<UpdateInstaller> m_updateInstaller;

    // What the views share beyond the services: the capture check, the observable preferences and
    // the one broadcast controller and mask scanner every view that offers them uses.
    std::unique_ptr<ScreenCaptureAccess> m_captureAccess;
    std::unique_ptr<MaskSettings> m_maskSettings;
    std::unique_ptr<CameraSetupPreferences> m_cameraSetupPreferences;
    std::unique_ptr<BroadcastController> m_broadcast;
    std::unique_ptr<MaskScanner> m_maskScanner;
    std::unique_ptr<PeriodicMaskScan> m_periodicMaskScan;
    std::unique_ptr<UpdateController> m_updateController;
    std::unique_ptr<FeatureSwitches> m_featureSwitches;
    std::unique_ptr<MaskPanelStatus> m_maskPanelStatus;
    std::unique_ptr<UpdateAvailability> m_updateAvailability;

    // Shell. The actions reach the windows through signals, so that every window (and the view it
    // owns) is created after, and destroyed before, the engine and the actions its view uses.
    std::unique_ptr<ApplicationActions> m_actions;
    std::unique_ptr<UiEngine> m_ui;
    // The camera set-up's steps, and the window lists of the broadcast window and of the
    // dashboard's camera module (each view has its own "not applied yet").
    std::unique_ptr<CameraSetupController> m_cameraSetup;
    std::unique_ptr<WindowListController> m_broadcastWindows;
    std::unique_ptr<WindowListController> m_cameraModuleWindows;
    std::unique_ptr<WindowRegistry> m_windows;
    std::unique_ptr<MainWindow> m_mainWindow;
    std::unique_ptr<MainWindowLifecycle> m_mainWindowLifecycle;
    std::unique_ptr<PopoverWindow> m_popover;
    std::unique_ptr<TrayController> m_tray;
    std::unique_ptr<UnixSignalWatcher> m_signals;
    std::unique_ptr<LanguageEnvironment> m_languageEnvironment;
    std::unique_ptr<ScriptingService> m_scripting;
};
