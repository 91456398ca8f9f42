#pragma once

// The services behind the broadcast controllers, real over stand-ins: the screen manager on a
// stand-in display server (each test bed fills its content), the publisher on real shared memory
// in a private namespace, the installer with a scripted activator.

#include "FakeCaptureBackend.h"

#include "capture/PrivacyShieldService.h"
#include "capture/ScreenCaptureAccess.h"
#include "capture/ScreenManager.h"
#include "capture/publisher/ExtensionActivator.h"
#include "capture/publisher/SystemExtensionInstaller.h"
#include "capture/publisher/VirtualCameraService.h"
#include "core/AppState.h"
#include "shared/HandoffNamespace.h"
#include "shared/NotifyCenter.h"
#include "ui/controllers/BroadcastController.h"

#include <QString>
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

struct BroadcastServices {
    explicit BroadcastServices(
        const char* platform = "xcb",
        VirtualCameraService::PoolFactory pools = VirtualCameraService::defaultPoolFactory())
        : access(QString::fromLatin1(platform), QStringLiteral("x11"))
        , camera(notify, std::move(pools)) {
        backend->content.displays = {ShareableDisplay{1, 800, 600, 1, QRect(0, 0, 800, 600)}};
    }

    void driveInstaller(SystemExtensionInstaller::State::Kind kind) {
        activator.drive(installer, kind);
    }

    // Runs the event loop until no capture work of the controller is left.
    bool settles() {
        return QTest::qWaitFor([this] { return !broadcast.isCaptureBusy() && !shield.isBusy(); },
                               20'000);
    }

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
