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
class ShellActions;
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

// The composition root: creates every service once, in order, wires the few that refer to each
// other, declares the windows and tears everything down in reverse order. It holds no logic of
// its own; views and services receive what they need through their constructors.
class VelarionApp final : public QObject {
    Q_OBJECT

public:
    explicit VelarionApp(QObject* parent = nullptr);
    ~VelarionApp() override;

    // Shows the main window and the tray item.
    void start();

    UserDefaults& userDefaults() { return *m_userDefaults; }
    AppState& appState() { return *m_appState; }
    CommandRunner& commandRunner() { return *m_commandRunner; }
    UpdateChecker& updateChecker() { return *m_updateChecker; }
    UpdateInstaller& updateInstaller() { return *m_updateInstaller; }
    VirtualCameraService& virtualCameraService() { return *m_virtualCameraService; }
    SystemExtensionInstaller& systemExtension() { return *m_systemExtension; }
    HotkeyManager& hotkeyManager() { return *m_hotkeyManager; }
    DesktopShield& desktopShield() { return *m_desktopShield; }
    NotificationGuard& notificationGuard() { return *m_notificationGuard; }
    ScreenManager& screenManager() { return *m_screenManager; }
    PrivacyShieldService& privacyShieldService() { return *m_privacyShieldService; }
    PrivacyProtector& privacyProtector() { return *m_privacyProtector; }
    OCROverlayController& ocrOverlay() { return *m_ocrOverlay; }
    WindowRegistry& windows() { return *m_windows; }
    MainWindow& mainWindow() { return *m_mainWindow; }
    QuitSequence& quitSequence() { return *m_quit; }
    PopoverWindow& popover() { return *m_popover; }
    LocalizationManager& localization() { return m_localization; }
    // One switch state for both places that show the settings.
    LaunchAtLoginSetting& launchAtLogin() { return *m_launchAtLogin; }
    // Windows created later add their retranslate step here.
    LanguageEnvironment& languageEnvironment() { return *m_languageEnvironment; }
    UiEngine& ui() { return *m_ui; }
    UpdateController& updateController() { return *m_updateController; }
    // What the scriptable interface drives: the switches' verbs, the shell's actions and the
    // panic action.
    FeatureSwitches& featureSwitches() { return *m_featureSwitches; }
    ShellActions& shellActions();
    MainWindowLifecycle& mainWindowLifecycle() { return *m_mainWindowLifecycle; }

    // The initial properties of a SettingsContent (or SettingsView): "controller", a new
    // SettingsController owned by `owner` (each view records hot keys on its own), and "updates",
    // the shared UpdateController.
    QVariantMap settingsViewProperties(QObject* owner);

    // What the dashboard's camera module binds to as its `windowList`.
    WindowListController& cameraModuleWindows() { return *m_cameraModuleWindows; }
    // True once a view asked to relaunch; main() starts the new process after this object is gone.
    bool relaunchRequested() const;

private:
    void createServices();
    void registerWindows();
    void createShell();
    void createViews();
    void onMainWindowClosed();
    void followLanguage();

    // Services, in creation order (destroyed in reverse).
    std::unique_ptr<UserDefaults> m_userDefaults;
    std::unique_ptr<CommandRunner> m_commandRunner;
    std::unique_ptr<AppState> m_appState;
    // The publisher outlives the screen manager that feeds it frames on the capture thread.
    std::unique_ptr<NotifyCenter> m_notifyCenter;
    std::unique_ptr<VirtualCameraService> m_virtualCameraService;
    std::unique_ptr<DaemonExtensionActivator> m_extensionActivator;
    std::unique_ptr<SystemExtensionInstaller> m_systemExtension;
    std::unique_ptr<HotkeyManager> m_hotkeyManager;
    // The process-wide instance; it outlives the application object.
    LocalizationManager& m_localization;
    std::unique_ptr<LoginItem> m_loginItem;
    std::unique_ptr<LaunchAtLoginSetting> m_launchAtLogin;
    std::unique_ptr<DesktopShield> m_desktopShield;
    std::unique_ptr<NotificationGuard> m_notificationGuard;
    std::unique_ptr<ScreenManager> m_screenManager;
    std::unique_ptr<PrivacyShieldService> m_privacyShieldService;
    std::unique_ptr<PrivacyProtector> m_privacyProtector;
    std::unique_ptr<OCROverlayController> m_ocrOverlay;
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

    // Shell.
    std::unique_ptr<QuitSequence> m_quit;
    std::unique_ptr<WindowRegistry> m_windows;
    std::unique_ptr<MainWindow> m_mainWindow;
    std::unique_ptr<ApplicationActions> m_actions;
    // Shared by every view; after the actions it hands to them, before the windows that host them.
    std::unique_ptr<UiEngine> m_ui;
    // The camera set-up's steps, and the window lists of the broadcast window and of the
    // dashboard's camera module (each view has its own "not applied yet").
    std::unique_ptr<CameraSetupController> m_cameraSetup;
    std::unique_ptr<WindowListController> m_broadcastWindows;
    std::unique_ptr<WindowListController> m_cameraModuleWindows;
    std::unique_ptr<PopoverWindow> m_popover;
    std::unique_ptr<TrayController> m_tray;
    std::unique_ptr<MainWindowLifecycle> m_mainWindowLifecycle;
    std::unique_ptr<UnixSignalWatcher> m_signals;
    std::unique_ptr<LanguageEnvironment> m_languageEnvironment;
};
