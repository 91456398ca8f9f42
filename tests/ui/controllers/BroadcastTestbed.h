#pragma once

// The broadcast views' controllers over the real services: the screen manager on a stand-in
// display server, the publisher on real shared memory in a private namespace, the installer with
// a scripted activator, the set-up's re-check on a hand-driven timer and an injected capture check.

#include "BroadcastServices.h"
#include "ManualTimer.h"

#include "capture/PrivacyShieldService.h"
#include "capture/ScreenCaptureAccess.h"
#include "capture/ScreenManager.h"
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

#include <gtest/gtest.h>

namespace broadcast_testbed {

using Kind = SystemExtensionInstaller::State::Kind;

inline ShareableWindow shareable(WindowId id, const QString& title, const QString& app, int pid) {
    ShareableWindow w;
    w.windowID = id;
    w.title = title;
    w.frame = QRect(0, 0, 400, 300);
    w.isOnScreen = true;
    w.owningApplication = RunningApplication{pid, app};
    return w;
}

struct Testbed : BroadcastServices {
    explicit Testbed(ShellActions& shell, const char* platform = "xcb")
        : BroadcastServices(platform)
        , defaults(dir.filePath(QStringLiteral("defaults.conf")))
        , preferences(defaults)
        , setup(access, installer, preferences, shell, std::unique_ptr<ScanTimer>(timer),
                [this] { return captureAllowed; })
        , windows(appState, screenManager, shield, broadcast, shell) {
        backend->content.windows = {
            shareable(3, QStringLiteral("Inbox"), QStringLiteral("Mail"), 20),
            shareable(5, QStringLiteral("Team chat"), QStringLiteral("Chat"), 30)};
        for (const ShareableWindow& w : backend->content.windows) {
            backend->content.applications.append(*w.owningApplication);
        }
    }

    bool refreshed() {
        bool done = false;
        screenManager.refreshAvailableWindows().then([&done] { done = true; });
        return QTest::qWaitFor([&] { return done; }, 20'000);
    }

    int runningStreams() const { return backend->runningStreams.load(); }

    QTemporaryDir dir;
    UserDefaults defaults;
    CameraSetupPreferences preferences;
    bool captureAllowed = true;
    ManualTimer* timer = new ManualTimer;
    CameraSetupController setup;
    WindowListController windows;
};

}  // namespace broadcast_testbed
