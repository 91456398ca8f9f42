#pragma once

// The broadcast controllers over the real services: the screen manager on a stand-in display
// server showing two windows of two applications, the publisher on real shared memory in a
// private namespace, the installer with a scripted activator, the set-up's re-check on a
// hand-driven timer and an injected capture check.

#include "FakeCaptureBackend.h"
#include "ManualTimer.h"

#include "capture/PrivacyShieldService.h"
#include "capture/ScreenCaptureAccess.h"
#include "capture/ScreenManager.h"
#include "capture/publisher/ExtensionActivator.h"
#include "capture/publisher/SystemExtensionInstaller.h"
#include "capture/publisher/VirtualCameraService.h"
#include "core/AppState.h"
#include "core/UserDefaults.h"
#include "settings/CameraSetupPreferences.h"
#include "shared/HandoffNamespace.h"
#include "shared/NotifyCenter.h"
#include "ui/controllers/BroadcastController.h"
#include "ui/controllers/CameraSetupController.h"
#include "ui/controllers/ShellActions.h"
#include "ui/controllers/WindowListController.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <gtest/gtest.h>

// Answers activation requests as the test says.
class ScriptedActivator final : public ExtensionActivator {
public:
    void submitActivationRequest(const QString&, ActivationRequestDelegate& delegate) override {
        ++submissions;
        this->delegate = &delegate;
    }

    // Brings `installer` (which submits to this activator) to `kind` the way real answers do.
    void drive(SystemExtensionInstaller& installer, SystemExtensionInstaller::State::Kind kind) {
        using Kind = SystemExtensionInstaller::State::Kind;
        if (kind == Kind::idle) {
            return;
        }
        installer.activateExtension();
        switch (kind) {
            case Kind::needsApproval:
                delegate->requestNeedsUserApproval(QStringLiteral("Approve it."));
                break;
            case Kind::active:
                delegate->requestDidFinish(ActivationRequestDelegate::Result::completed);
                break;
            case Kind::failed:
                delegate->requestDidFail({QStringLiteral("d"), 1, QStringLiteral("no")});
                break;
            default:
                break;
        }
        ASSERT_EQ(installer.state().kind, kind);
    }

    int submissions = 0;
    ActivationRequestDelegate* delegate = nullptr;
};

namespace broadcast_testbed {

using Kind = SystemExtensionInstaller::State::Kind;

const RunningApplication kMail{20, QStringLiteral("Mail")};
const RunningApplication kChat{30, QStringLiteral("Chat")};

inline ShareableWindow shareable(WindowId id, const QString& title, const RunningApplication& app) {
    ShareableWindow w;
    w.windowID = id;
    w.title = title;
    w.frame = QRect(0, 0, 400, 300);
    w.isOnScreen = true;
    w.owningApplication = app;
    return w;
}

struct BroadcastServices {
    explicit BroadcastServices(
        const char* platform = "xcb",
        VirtualCameraService::PoolFactory pools = VirtualCameraService::defaultPoolFactory())
        : access(QString::fromLatin1(platform), QStringLiteral("x11"))
        , camera(notify, std::move(pools)) {
        backend->content.displays = {ShareableDisplay{1, 800, 600, 1, QRect(0, 0, 800, 600)}};
        backend->content.windows = {shareable(3, QStringLiteral("Inbox"), kMail),
                                    shareable(5, QStringLiteral("Team chat"), kChat)};
        backend->content.applications = {kMail, kChat};
    }

    void driveInstaller(Kind kind) { activator.drive(installer, kind); }

    // Runs the event loop until no capture work of the controller is left.
    bool settles() {
        return QTest::qWaitFor([this] { return !broadcast.isCaptureBusy() && !shield.isBusy(); },
                               20'000);
    }

    int runningStreams() const { return backend->runningStreams.load(); }

    HandoffNamespace handoffNamespace;
    NotifyCenter notify;
    ScreenCaptureAccess access;
    ScriptedActivator activator;
    SystemExtensionInstaller installer{activator};
    std::shared_ptr<FakeCaptureBackend> backend = std::make_shared<FakeCaptureBackend>();
    ScreenManager screenManager{backend};
    AppState appState;
    VirtualCameraService camera;
    PrivacyShieldService shield{screenManager, appState};
    BroadcastController broadcast{appState, access, installer, camera, screenManager, shield};
};

struct Testbed : BroadcastServices {
    explicit Testbed(ShellActions& shell, const char* platform = "xcb")
        : BroadcastServices(platform)
        , defaults(dir.filePath(QStringLiteral("defaults.conf")))
        , preferences(defaults)
        , setup(access, installer, preferences, shell, std::unique_ptr<ScanTimer>(timer),
                [this] { return captureAllowed; })
        , windows(appState, screenManager, shield, broadcast, shell) {}

    QTemporaryDir dir;
    UserDefaults defaults;
    CameraSetupPreferences preferences;
    bool captureAllowed = true;
    ManualTimer* timer = new ManualTimer;
    CameraSetupController setup;
    WindowListController windows;
};

}  // namespace broadcast_testbed
