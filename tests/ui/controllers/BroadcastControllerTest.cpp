// The broadcast verbs over the real services: the screen manager on a stand-in display server, the
// publisher on real shared memory in a private namespace, the installer with a scripted activator.

#include "BroadcastTestbed.h"

#include "capture/CaptureError.h"
#include "capture/PrivacyShieldService.h"
#include "capture/ScreenCaptureAccess.h"
#include "capture/ScreenManager.h"
#include "capture/publisher/SystemExtensionInstaller.h"
#include "capture/publisher/VirtualCameraService.h"
#include "core/AppState.h"
#include "shared/HandoffNamespace.h"
#include "shared/NotifyCenter.h"
#include "shared/SharedSurfacePool.h"
#include "support/QtPrinters.h"
#include "ui/controllers/BroadcastController.h"

#include <QSemaphore>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using broadcast_testbed::Kind;
using Outcome = BroadcastController::FlipOutcome;

const RunningApplication kMail{20, QStringLiteral("Mail")};
const RunningApplication kChat{30, QStringLiteral("Chat")};

struct Services : BroadcastServices {
    explicit Services(const char* platform = "xcb", VirtualCameraService::PoolFactory pools =
                                                        VirtualCameraService::defaultPoolFactory())
        : BroadcastServices(platform, std::move(pools)) {
        backend->content.windows = {
            broadcast_testbed::shareable(3, kMail.applicationName, kMail.applicationName,
                                         kMail.processID),
            broadcast_testbed::shareable(5, kChat.applicationName, kChat.applicationName,
                                         kChat.processID)};
        backend->content.applications = {kMail, kChat};
    }

    void protect(WindowId id, const QString& app) {
        shield.protect(WindowInfo{id, app, app, true});
    }
};

const char* kindName(Kind kind) {
    static const char* names[] = {"idle", "requesting", "needsApproval", "active", "failed"};
    return names[static_cast<int>(kind)];
}

constexpr Kind kAllKinds[] = {Kind::idle, Kind::requesting, Kind::needsApproval, Kind::active,
                              Kind::failed};

}  // namespace

TEST(BroadcastControllerTest, ReadyOnlyWithScreenCaptureAndAnActiveExtension) {
    for (const char* platform : {"xcb", "wayland"}) {
        for (Kind kind : kAllKinds) {
            SCOPED_TRACE(std::string(platform) + " / " + kindName(kind));
            Services s(platform);
            QSignalSpy readiness(&s.broadcast, &BroadcastController::isReadyChanged);
            s.driveInstaller(kind);
            const bool expected = std::string(platform) == "xcb" && kind == Kind::active;
            EXPECT_EQ(s.broadcast.isReady(), expected);
            EXPECT_EQ(readiness.count(), expected ? 1 : 0);
            s.broadcast.recheck();
            EXPECT_EQ(s.broadcast.isReady(), expected);
        }
    }
}

TEST(BroadcastControllerTest, ReadinessFollowsTheInstallerBackDown) {
    Services s;
    s.driveInstaller(Kind::active);
    ASSERT_TRUE(s.broadcast.isReady());
    QSignalSpy readiness(&s.broadcast, &BroadcastController::isReadyChanged);
    s.installer.activateExtension();  // a new request: requesting again
    EXPECT_FALSE(s.broadcast.isReady());
    EXPECT_EQ(readiness.count(), 1);
}

TEST(BroadcastControllerTest, StartGoesLivePublishesAndCapturesWithoutTheProtectedApplications) {
    Services s;
    s.driveInstaller(Kind::active);
    s.protect(3, kMail.applicationName);
    QSignalSpy started(&s.broadcast, &BroadcastController::captureStarted);

    ASSERT_TRUE(s.broadcast.start());
    EXPECT_TRUE(s.appState.isVirtualCameraActive());
    EXPECT_TRUE(s.camera.isPublishing());
    ASSERT_TRUE(s.settles());
    EXPECT_TRUE(s.screenManager.isCapturing());
    ASSERT_EQ(s.backend->filters.size(), 1);
    EXPECT_EQ(s.backend->filters.first().excludedApplications, QList<RunningApplication>{kMail});
    EXPECT_EQ(started.count(), 1);
    EXPECT_EQ(s.activator.submissions, 1) << "an active extension is not activated again";

    EXPECT_FALSE(s.broadcast.start()) << "already live";
    EXPECT_EQ(s.backend->filters.size(), 1);
}

TEST(BroadcastControllerTest, APublisherThatCannotStartLeavesTheBroadcastOff) {
    Services s("xcb", [] { return std::unique_ptr<SharedSurfacePool>(); });
    s.driveInstaller(Kind::active);
    EXPECT_FALSE(s.broadcast.start());
    EXPECT_FALSE(s.appState.isVirtualCameraActive());
    EXPECT_FALSE(s.broadcast.isCaptureBusy());
    EXPECT_TRUE(s.backend->filters.isEmpty()) << "no capture for a broadcast that is off";
    EXPECT_FALSE(s.camera.lastError().isEmpty());
}

// Regression: a capture that failed to start left the broadcast flagged live; a failed restart
// left it live and publishing with no capture behind it.
TEST(BroadcastControllerTest, FailedCaptureEndsTheBroadcastAndIsReported) {
    for (bool failOnRestart : {false, true}) {
        SCOPED_TRACE(failOnRestart ? "restart fails" : "start fails");
        Services s;
        s.driveInstaller(Kind::active);
        const auto refuse = [] {
            throw CaptureError(QStringLiteral("refused"));
        };
        // Before the call: a server that answers at once may end the start within it.
        QSignalSpy failed(&s.broadcast, &BroadcastController::captureFailed);
        if (failOnRestart) {
            ASSERT_TRUE(s.broadcast.start());
            ASSERT_TRUE(s.settles());
            ASSERT_TRUE(s.screenManager.isCapturing());
            s.backend->failStreamStart = refuse;
            ASSERT_TRUE(s.broadcast.restart());
        } else {
            s.backend->failStreamStart = refuse;
            ASSERT_TRUE(s.broadcast.start());
        }
        ASSERT_TRUE(s.settles());

        EXPECT_FALSE(s.appState.isVirtualCameraActive());
        EXPECT_FALSE(s.camera.isPublishing());
        EXPECT_FALSE(s.screenManager.isCapturing());
        EXPECT_EQ(s.backend->runningStreams, 0);
        EXPECT_EQ(s.camera.lastError(), QStringLiteral("refused"));
        EXPECT_EQ(s.camera.statusMessage(),
                  QStringLiteral("Screen capture unavailable — check Screen Recording permission"));
        ASSERT_EQ(failed.count(), 1);
        EXPECT_EQ(failed.first().first().toString(), QStringLiteral("refused"));
    }
}

TEST(BroadcastControllerTest, StopWhileTheCaptureIsStillStartingLeavesItStopped) {
    Services s;
    s.driveInstaller(Kind::active);
    QSignalSpy started(&s.broadcast, &BroadcastController::captureStarted);
    QSignalSpy failed(&s.broadcast, &BroadcastController::captureFailed);

    // The stream's start waits on the backend thread until the stop has been asked for.
    auto gate = std::make_shared<QSemaphore>();
    s.backend->failStreamStart = [gate] {
        gate->acquire();
    };

    ASSERT_TRUE(s.broadcast.start());
    s.broadcast.stop();
    gate->release();
    EXPECT_FALSE(s.appState.isVirtualCameraActive());
    EXPECT_FALSE(s.camera.isPublishing());
    ASSERT_TRUE(s.settles());

    ASSERT_EQ(s.backend->filters.size(), 1) << "the start never reached the server";
    EXPECT_EQ(s.backend->runningStreams, 0);
    EXPECT_FALSE(s.screenManager.isCapturing());
    EXPECT_FALSE(s.appState.isVirtualCameraActive());
    EXPECT_FALSE(s.camera.isPublishing());
    EXPECT_EQ(started.count(), 0);
    EXPECT_EQ(failed.count(), 0);
    EXPECT_TRUE(s.camera.lastError().isEmpty());
}

TEST(BroadcastControllerTest, RestartAppliesTheProtectedWindowsOnlyWhileLive) {
    Services s;
    s.driveInstaller(Kind::active);
    s.protect(3, kMail.applicationName);
    EXPECT_FALSE(s.broadcast.restart()) << "not live";
    EXPECT_FALSE(s.broadcast.isCaptureBusy());
    EXPECT_TRUE(s.backend->filters.isEmpty());

    ASSERT_TRUE(s.broadcast.start());
    ASSERT_TRUE(s.settles());
    s.protect(5, kChat.applicationName);
    ASSERT_TRUE(s.broadcast.restart());
    ASSERT_TRUE(s.settles());
    ASSERT_EQ(s.backend->filters.size(), 2);
    EXPECT_EQ(s.backend->filters.last().excludedApplications,
              (QList<RunningApplication>{kMail, kChat}));
    EXPECT_EQ(s.backend->runningStreams, 1);
    EXPECT_TRUE(s.appState.isVirtualCameraActive());
    EXPECT_TRUE(s.camera.isPublishing());

    s.broadcast.stop();
    ASSERT_TRUE(s.settles());
    EXPECT_EQ(s.backend->runningStreams, 0);
    EXPECT_FALSE(s.camera.isPublishing());
}

TEST(BroadcastControllerTest, FlipStartsWhenReadyAsksForSetUpWhenNotAndStopsWhenOff) {
    struct Case {
        const char* name;
        const char* platform;
        Kind installer;
        bool on;
        Outcome expected;
        bool live;
        int submissions;  // activation requests in all, the driving of the installer included
    };
    const Case cases[] = {
        {"on, ready", "xcb", Kind::active, true, Outcome::started, true, 1},
        {"on, extension never asked for", "xcb", Kind::idle, true, Outcome::needsSetup, false, 1},
        {"on, no X11 session, idle", "wayland", Kind::idle, true, Outcome::needsSetup, false, 1},
        {"on, approval pending", "xcb", Kind::needsApproval, true, Outcome::needsSetup, false, 1},
        {"on, failed", "xcb", Kind::failed, true, Outcome::needsSetup, false, 1},
        {"on, no X11 session, active", "wayland", Kind::active, true, Outcome::needsSetup, false,
         1},
        {"off", "xcb", Kind::active, false, Outcome::stopped, false, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Services s(c.platform);
        s.driveInstaller(c.installer);
        EXPECT_EQ(s.broadcast.flip(c.on), c.expected);
        EXPECT_EQ(s.appState.isVirtualCameraActive(), c.live);
        EXPECT_EQ(s.camera.isPublishing(), c.live);
        EXPECT_EQ(s.activator.submissions, c.submissions);
        ASSERT_TRUE(s.settles());
        EXPECT_EQ(s.screenManager.isCapturing(), c.live);
    }
}

TEST(BroadcastControllerTest, RequestSetUpActivatesOnlyAnIdleInstaller) {
    for (Kind kind : kAllKinds) {
        SCOPED_TRACE(kindName(kind));
        Services s;
        s.driveInstaller(kind);
        const int before = s.activator.submissions;
        s.broadcast.requestSetup();
        EXPECT_EQ(s.activator.submissions, before + (kind == Kind::idle ? 1 : 0));
    }
}
