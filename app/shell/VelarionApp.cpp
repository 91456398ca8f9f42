#include "shell/VelarionApp.h"

#include "capture/PrivacyShieldService.h"
#include "capture/ScreenCaptureAccess.h"
#include "capture/ScreenManager.h"
#include "capture/publisher/SystemExtensionInstaller.h"
#include "capture/publisher/VirtualCameraService.h"
#include "capture/publisher/camera/DaemonExtensionActivator.h"
#include "capture/x11/X11CaptureBackend.h"
#include "core/AppInfo.h"
#include "core/AppState.h"
#include "core/CommandRunner.h"
#include "core/Preferences.h"
#include "core/TestHooks.h"
#include "core/UserDefaults.h"
#include "ocr/OCROverlayController.h"
#include "ocr/PrivacyProtector.h"
#include "settings/CameraSetupPreferences.h"
#include "settings/LanguageEnvironment.h"
#include "settings/LaunchAtLoginSetting.h"
#include "settings/LocalizationManager.h"
#include "settings/LoginItem.h"
#include "settings/MaskSettings.h"
#include "shared/NotifyCenter.h"
#include "shell/ApplicationActions.h"
#include "shell/MainWindow.h"
#include "shell/MainWindowLifecycle.h"
#include "shell/PopoverWindow.h"
#include "shell/QuitSequence.h"
#include "shell/SceneIds.h"
#include "shell/ScriptingService.h"
#include "shell/ShellLogging.h"
#include "shell/ShownWatcher.h"
#include "shell/TrayController.h"
#include "shell/UnixSignalWatcher.h"
#include "shell/WindowRegistry.h"
#include "shields/DesktopShield.h"
#include "shields/NotificationGuard.h"
#include "shields/ShieldTestHook.h"
#include "shields/hotkey/HotkeyGrabber.h"
#include "shields/hotkey/HotkeyManager.h"
#include "ui/UiEngine.h"
#include "ui/ViewWindow.h"
#include "ui/controllers/BroadcastController.h"
#include "ui/controllers/CameraSetupController.h"
#include "ui/controllers/FeatureSwitches.h"
#include "ui/controllers/MaskPanelStatus.h"
#include "ui/controllers/MaskScanner.h"
#include "ui/controllers/PeriodicMaskScan.h"
#include "ui/controllers/ScanTimer.h"
#include "ui/controllers/SettingsController.h"
#include "ui/controllers/UpdateAvailability.h"
#include "ui/controllers/UpdateController.h"
#include "ui/controllers/WindowListController.h"
#include "update/Bundle.h"
#include "update/UpdateChecker.h"
#include "update/UpdateInstaller.h"
#include "update/UpdateSource.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QQuickItem>
#include <QQuickWidget>
#include <QSystemTrayIcon>
#include <QtMath>

namespace {

std::unique_ptr<UserDefaults> userDefaultsWithRegistration() {
    auto defaults = std::make_unique<UserDefaults>();
    Preferences::registerDefaults(*defaults);
    return defaults;
}

std::unique_ptr<SystemExtensionInstaller> cameraInstaller(DaemonExtensionActivator& activator) {
    auto installer = std::make_unique<SystemExtensionInstaller>(activator);
    // A daemon left running by an earlier run of this build is the camera already: the installer
    // reports it active, and the activation keeps it without a restart.
    if (DaemonExtensionActivator::isDaemonOfThisBuildRunning()) {
        installer->activateExtension();
    }
    return installer;
}

std::unique_ptr<UpdateChecker> updateChecker() {
    // A test's feed lets screenshots show the update window's states against a local server.
    const auto testFeed = TestHooks::value(TestHooks::Hook::updateFeedUrl);
    return testFeed
               ? std::make_unique<UpdateChecker>(QUrl(*testFeed), UpdateChecker::currentVersion())
               : std::make_unique<UpdateChecker>();
}

void openUrl(const QUrl& url) {
    QDesktopServices::openUrl(url);
}

std::unique_ptr<UpdateController> updateController(UpdateChecker& checker,
                                                   UpdateInstaller& installer) {
    auto controller = std::make_unique<UpdateController>(checker, installer, openUrl);
    // A packaged copy is updated by the package manager; replacing its files would fight it.
    controller->setUpdatedByPackageManager(UpdateSource::forBundle(Bundle::runningBundle()) ==
                                           UpdateSource::Kind::packageManager);
    return controller;
}

}  // namespace

VelarionApp::VelarionApp(QObject* parent)
    : QObject(parent)
    , m_localization(LocalizationManager::shared())
    , m_userDefaults(userDefaultsWithRegistration())
    , m_commandRunner(std::make_unique<CommandRunner>())
    , m_appState(std::make_unique<AppState>())
    , m_loginItem(std::make_unique<LoginItem>(LoginItem::mainApp()))
    , m_launchAtLogin(std::make_unique<LaunchAtLoginSetting>(*m_userDefaults, *m_loginItem))
    , m_notifyCenter(std::make_unique<NotifyCenter>())
    , m_virtualCameraService(std::make_unique<VirtualCameraService>(*m_notifyCenter))
    // The camera daemon it starts keeps running after the application quits.
    , m_extensionActivator(std::make_unique<DaemonExtensionActivator>())
    , m_systemExtension(cameraInstaller(*m_extensionActivator))
    , m_screenManager(std::make_unique<ScreenManager>(std::make_shared<X11CaptureBackend>()))
    , m_privacyShieldService(std::make_unique<PrivacyShieldService>(*m_screenManager, *m_appState))
    // Grabs the stored hot key at once; the panic action arrives with the main window.
    , m_hotkeyManager(
          std::make_unique<HotkeyManager>(*m_userDefaults, HotkeyGrabber::createDefault()))
    , m_desktopShield(std::make_unique<DesktopShield>(*m_commandRunner))
    , m_notificationGuard(std::make_unique<NotificationGuard>(*m_commandRunner))
    // Recognition engines load at the first scan, not here.
    , m_privacyProtector(std::make_unique<PrivacyProtector>())
    , m_ocrOverlay(std::make_unique<OCROverlayController>())
    , m_quit(makeQuitSequence())
    , m_updateChecker(updateChecker())
    // Ends the application through the same quit path as "Quit" once the relaunch script runs.
    , m_updateInstaller(std::make_unique<UpdateInstaller>(
          DMGInstaller::Context::forRunningApplication(), [this] { m_quit->quit(); }))
    , m_captureAccess(ScreenCaptureAccess::forThisSession())
    , m_maskSettings(std::make_unique<MaskSettings>(*m_userDefaults))
    , m_cameraSetupPreferences(std::make_unique<CameraSetupPreferences>(*m_userDefaults))
    , m_broadcast(std::make_unique<BroadcastController>(*m_appState, *m_captureAccess,
                                                        *m_systemExtension, *m_virtualCameraService,
                                                        *m_screenManager, *m_privacyShieldService))
    , m_maskScanner(std::make_unique<MaskScanner>(*m_screenManager, *m_privacyProtector,
                                                  *m_appState, *m_ocrOverlay, *m_maskSettings))
    , m_periodicMaskScan(
          std::make_unique<PeriodicMaskScan>(*m_maskScanner, *m_appState, *m_maskSettings))
    , m_updateController(updateController(*m_updateChecker, *m_updateInstaller))
    , m_featureSwitches(std::make_unique<FeatureSwitches>(
          *m_appState, *m_desktopShield, *m_notificationGuard, *m_broadcast, *m_maskScanner))
    , m_maskPanelStatus(
          std::make_unique<MaskPanelStatus>(*m_maskScanner, *m_appState, *m_privacyProtector))
    , m_updateAvailability(std::make_unique<UpdateAvailability>(*m_updateChecker))
    , m_actions(std::make_unique<ApplicationActions>(*m_quit))
    , m_ui(std::make_unique<UiEngine>(m_localization, *m_actions))
    , m_cameraSetup(std::make_unique<CameraSetupController>(*m_captureAccess, *m_systemExtension,
                                                            *m_cameraSetupPreferences, *m_actions))
    , m_broadcastWindows(std::make_unique<WindowListController>(
          *m_appState, *m_screenManager, *m_privacyShieldService, *m_broadcast, *m_actions))
    , m_cameraModuleWindows(std::make_unique<WindowListController>(
          *m_appState, *m_screenManager, *m_privacyShieldService, *m_broadcast, *m_actions))
    , m_windows(std::make_unique<WindowRegistry>())
    , m_mainWindow(std::make_unique<MainWindow>(*m_windows, openUrl))
    , m_mainWindowLifecycle(std::make_unique<MainWindowLifecycle>(
          *m_mainWindow, *m_hotkeyManager, *m_featureSwitches, *m_cameraSetupPreferences,
          *m_updateChecker, *m_actions))
    , m_popover(std::make_unique<PopoverWindow>())
    , m_tray(std::make_unique<TrayController>(*m_popover))
    , m_signals(std::make_unique<UnixSignalWatcher>())
    // Direction and locale are set before the retranslate step below runs, so texts are redone
    // in an already turned layout.
    , m_languageEnvironment(std::make_unique<LanguageEnvironment>(m_localization))
    , m_scripting(std::make_unique<ScriptingService>(*m_appState, *m_featureSwitches, *m_actions,
                                                     [this] { m_mainWindowLifecycle->panic(); })) {
    // The publisher is a replaceable sink of the screen manager (tools and tests plug in their
    // own), so it is set rather than passed to the constructor.
    m_screenManager->setVirtualCameraService(m_virtualCameraService.get());
    // The mask must not hide the text beneath it from the next snapshot.
    connect(m_ocrOverlay.get(), &OCROverlayController::windowChanged, this, [this] {
        const std::optional<WindowId> id = m_ocrOverlay->windowId();
        m_screenManager->setSnapshotExcludedWindows(id ? WindowIdSet{*id} : WindowIdSet{});
    });
    connectShell();
    registerWindows();
    createViews();
    followLanguage();
}

VelarionApp::~VelarionApp() = default;

std::unique_ptr<QuitSequence> VelarionApp::makeQuitSequence() {
    auto quit = std::make_unique<QuitSequence>();
    // Started, not awaited: whatever is still running stops as the screen manager goes.
    quit->addStep(QStringLiteral("Stealth session"),
                  [this] { (void)m_privacyShieldService->stopStealthSession(); });
    // The shared surfaces go and the camera turns black before the rest is restored.
    quit->addStep(QStringLiteral("Virtual camera"),
                  [this] { m_virtualCameraService->stopPublishing(); });
    quit->addStep(QStringLiteral("Mask overlay"), [this] { m_ocrOverlay->hide(); });
    // Synchronous: the icons and notifications are back before the process ends.
    quit->addStep(QStringLiteral("Desktop shield"), [this] { m_desktopShield->deactivateNow(); });
    quit->addStep(QStringLiteral("Notification guard"),
                  [this] { m_notificationGuard->deactivateNow(); });
    return quit;
}

void VelarionApp::connectShell() {
    connect(m_actions.get(), &ApplicationActions::windowRequested, m_windows.get(),
            &WindowRegistry::open);
    connect(m_actions.get(), &ApplicationActions::frontRequested, m_mainWindow.get(),
            &MainWindow::bringToFront);
    connect(m_tray.get(), &TrayController::quitRequested, m_actions.get(),
            &ApplicationActions::quit);
    connect(m_tray.get(), &TrayController::openMainWindowRequested, m_actions.get(),
            &ApplicationActions::bringToFront);
    connect(m_signals.get(), &UnixSignalWatcher::terminationRequested, this, [this](int signal) {
        qCInfo(lcApp) << "Received signal" << signal << "- restoring the desktop and quitting";
        m_quit->quit();
    });
    connect(m_mainWindow.get(), &MainWindow::closed, this, &VelarionApp::onMainWindowClosed);
}

QVariantMap VelarionApp::settingsViewProperties(QObject* owner) {
    auto* controller =
        new SettingsController(m_localization, *m_launchAtLogin, *m_maskSettings, *m_hotkeyManager,
                               QCoreApplication::instance(), owner);
    return {{QStringLiteral("controller"), QVariant::fromValue<QObject*>(controller)},
            {QStringLiteral("updates"), QVariant::fromValue<QObject*>(m_updateController.get())}};
}

void VelarionApp::registerWindows() {
    // Titles are translation keys; the product name inside one is never translated.
    m_windows->registerWindow(SceneId::kSettings, QStringLiteral("Settings"), [this] {
        auto* owner = new QObject;
        QQuickWidget* view =
            m_ui->createView(QStringLiteral("SettingsView"), settingsViewProperties(owner));
        owner->setParent(view);
        return ViewWindow::fitToContent(view);
    });
    m_windows->registerWindow(SceneId::kHelp, QStringLiteral("Velarion Help"), [this] {
        return ViewWindow::fitToContent(
            m_ui->createView(QStringLiteral("HelpView"),
                             {{QStringLiteral("version"), QString::fromLatin1(AppInfo::kVersion)},
                              {QStringLiteral("websiteTitle"), AppInfo::visitWebsiteTitle()},
                              {QStringLiteral("websiteUrl"), AppInfo::websiteUrl()},
                              {QStringLiteral("supportUrl"), AppInfo::supportMailUrl()}}));
    });
    m_windows->registerWindow(SceneId::kUpdate, QStringLiteral("Software Update"), [this] {
        return ViewWindow::fitToContent(
            m_ui->createView(QStringLiteral("UpdateView"),
                             {{QStringLiteral("updates"),
                               QVariant::fromValue<QObject*>(m_updateController.get())}}));
    });
    m_windows->registerWindow(
        SceneId::kCameraSetup, QStringLiteral("Set Up Virtual Camera"), [this] {
            QQuickWidget* view =
                m_ui->createView(QStringLiteral("CameraSetupView"),
                                 {{QStringLiteral("controller"),
                                   QVariant::fromValue<QObject*>(m_cameraSetup.get())}});
            ViewWindow::fitToContent(view);
            connect(m_cameraSetup.get(), &CameraSetupController::dismissRequested, view,
                    &QWidget::close);
            ShownWatcher::watch(
                *view, [this] { m_cameraSetup->opened(); }, [this] { m_cameraSetup->closed(); });
            return view;
        });
    m_windows->registerWindow(SceneId::kBroadcast, QStringLiteral("Broadcast"), [this] {
        QQuickWidget* view = m_ui->createView(
            QStringLiteral("BroadcastView"),
            {{QStringLiteral("list"), QVariant::fromValue<QObject*>(m_broadcastWindows.get())}});
        ViewWindow::fitToContent(view);
        connect(m_broadcastWindows.get(), &WindowListController::dismissRequested, view,
                &QWidget::close);
        // Closing neither applies nor stops: only Done and Stop act on the broadcast.
        ShownWatcher::watch(
            *view, [this] { m_broadcastWindows->windowOpened(); }, [] {});
        return view;
    });
}

void VelarionApp::createViews() {
    const auto object = [](QObject* o) {
        return QVariant::fromValue(o);
    };
    // The Settings tab records hot keys with a controller of its own, which goes with the main
    // view (after it: a QQuickWidget deletes its items before its children).
    auto* settingsOwner = new QObject;
    const QVariantMap settings = settingsViewProperties(settingsOwner);
    QQuickWidget* main = m_ui->createView(
        QStringLiteral("MainView"),
        {{QStringLiteral("appState"), object(m_appState.get())},
         {QStringLiteral("switches"), object(m_featureSwitches.get())},
         {QStringLiteral("maskStatus"), object(m_maskPanelStatus.get())},
         {QStringLiteral("periodicScan"), object(m_periodicMaskScan.get())},
         {QStringLiteral("updates"), object(m_updateAvailability.get())},
         {QStringLiteral("settingsController"), settings.value(QStringLiteral("controller"))},
         {QStringLiteral("settingsUpdates"), settings.value(QStringLiteral("updates"))},
         {QStringLiteral("cameraWindows"), object(m_cameraModuleWindows.get())}});
    settingsOwner->setParent(main);
    m_mainWindow->setCentralWidget(main);
    connect(m_mainWindowLifecycle.get(), &MainWindowLifecycle::windowShownChanged, main,
            [main](bool shown) {
                if (QQuickItem* root = main->rootObject()) {
                    root->setProperty("windowShown", shown);
                }
            });

    QQuickWidget* popover =
        m_ui->createView(QStringLiteral("PopoverView"),
                         {{QStringLiteral("appState"), object(m_appState.get())},
                          {QStringLiteral("switches"), object(m_featureSwitches.get())},
                          {QStringLiteral("updates"), object(m_updateAvailability.get())}});
    m_popover->setContent(popover);
    if (QQuickItem* root = popover->rootObject()) {
        // The panel closes before the window it opens comes up, so that window gets the focus.
        connect(root, SIGNAL(dismissRequested()), m_popover.get(), SLOT(hide()));
        const auto fit = [this, root] {
            m_popover->fitContentHeight(qCeil(root->implicitHeight()));
        };
        connect(root, &QQuickItem::implicitHeightChanged, m_popover.get(), fit);
        fit();
    }
}

void VelarionApp::followLanguage() {
    const auto translate = [this](const QString& key) {
        return m_localization.localized(key);
    };
    m_mainWindow->setTranslator(translate);
    m_windows->setTranslator(translate);
    m_tray->setTranslator(translate);
    m_languageEnvironment->addRetranslateStep([this] {
        m_mainWindow->retranslate();
        m_windows->retranslate();
        m_tray->retranslate();
    });
}

void VelarionApp::start() {
    m_mainWindow->show();
    m_tray->show();
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        qCWarning(lcApp) << "No system tray found: the application ends when its window closes";
    }
    ShieldTestHook::switchOnAtStartIfAsked(*m_desktopShield, *m_notificationGuard);
    // Screenshots and end-to-end tests reach windows without driving other windows first.
    const QString toOpen =
        TestHooks::value(TestHooks::Hook::openWindowsAtStart).value_or(QString());
    for (const QString& identifier : toOpen.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        m_windows->open(identifier.trimmed());
    }
    if (TestHooks::value(TestHooks::Hook::updateFeedUrl)) {
        m_updateChecker->check();
    }
}

void VelarionApp::onMainWindowClosed() {
    // Without a tray there would be no way back to a hidden application.
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        m_quit->quit();
    }
}

bool VelarionApp::relaunchRequested() const {
    return m_actions->relaunchRequested();
}
