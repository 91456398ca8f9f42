// The broadcast verbs over the real services of BroadcastTestbed.h.

#include "BroadcastTestbed.h"

#include "capture/CaptureError.h"
#include "shared/SharedSurfacePool.h"
#include "support/QtPrinters.h"

#include <QSemaphore>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace broadcast_testbed;

namespace {

using Outcome = BroadcastController::FlipOutcome;

void protect(BroadcastServices& s, WindowId id, const RunningApplication& app) {
    s.shield.protect(WindowInfo{id, app.applicationName, app.applicationName, true});
}

}  // namespace

// Ready needs screen capture and an active extension; a flip on starts only then and otherwise
// asks for the set-up, activating the extension only when nobody asked for it yet.
TEST(BroadcastControllerTest, ReadinessDecidesWhetherAFlipStartsOrAsksForSetUp) {
    const char* kindNames[] = {"idle", "requesting", "needsApproval", "active", "failed"};
    for (const char* platform : {"xcb", "wayland"}) {
        for (Kind kind :
             {Kind::idle, Kind::requesting, Kind::needsApproval, Kind::active, Kind::failed}) {
            SCOPED_TRACE(std::string(platform) + " / " + kindNames[static_cast<int>(kind)]);
            BroadcastServices s(platform);
            QSignalSpy readiness(&s.broadcast, &BroadcastController::isReadyChanged);
            s.driveInstaller(kind);
            const bool ready = std::string(platform) == "xcb" && kind == Kind::active;
            EXPECT_EQ(s.broadcast.isReady(), ready);
            EXPECT_EQ(readiness.count(), ready ? 1 : 0);
            s.broadcast.recheck();
            EXPECT_EQ(s.broadcast.isReady(), ready);

            EXPECT_EQ(s.broadcast.flip(true), ready ? Outcome::started : Outcome::needsSetup);
            EXPECT_EQ(s.appState.isVirtualCameraActive(), ready);
            EXPECT_EQ(s.camera.isPublishing(), ready);
            EXPECT_EQ(s.activator.submissions, 1);
            ASSERT_TRUE(s.settles());
            EXPECT_EQ(s.screenManager.isCapturing(), ready);

            EXPECT_EQ(s.broadcast.flip(false), Outcome::stopped);
            EXPECT_FALSE(s.appState.isVirtualCameraActive());
            ASSERT_TRUE(s.settles());
            EXPECT_FALSE(s.screenManager.isCapturing());
            if (ready) {
                s.installer.activateExtension();  // a new request: requesting again
                EXPECT_FALSE(s.broadcast.isReady());
                EXPECT_EQ(readiness.count(), 2);
            }
        }
    }
}

TEST(BroadcastControllerTest, StartAndRestartWhileLiveCaptureWithoutTheProtectedApplications) {
    BroadcastServices s;
    s.driveInstaller(Kind::active);
    protect(s, 3, kMail);
    QSignalSpy started(&s.broadcast, &BroadcastController::captureStarted);
    EXPECT_FALSE(s.broadcast.restart()) << "not live";
    EXPECT_FALSE(s.broadcast.isCaptureBusy());
    EXPECT_TRUE(s.backend->filters.isEmpty());

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

    protect(s, 5, kChat);
    ASSERT_TRUE(s.broadcast.restart());
    ASSERT_TRUE(s.settles());
    ASSERT_EQ(s.backend->filters.size(), 2);
    EXPECT_EQ(s.backend->filters.last().excludedApplications,
              (QList<RunningApplication>{kMail, kChat}));
    EXPECT_EQ(s.runningStreams(), 1);
    EXPECT_TRUE(s.appState.isVirtualCameraActive());
    EXPECT_TRUE(s.camera.isPublishing());

    s.broadcast.stop();
    ASSERT_TRUE(s.settles());
    EXPECT_EQ(s.runningStreams(), 0);
    EXPECT_FALSE(s.camera.isPublishing());
}

TEST(BroadcastControllerTest, APublisherThatCannotStartLeavesTheBroadcastOff) {
    BroadcastServices s("xcb", [] { return std::unique_ptr<SharedSurfacePool>(); });
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
        BroadcastServices s;
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
        EXPECT_EQ(s.runningStreams(), 0);
        EXPECT_EQ(s.camera.lastError(), QStringLiteral("refused"));
        EXPECT_EQ(
            s.camera.statusMessage(),
            QStringLiteral("Screen capture unavailable — the X11 display could not be captured"));
        ASSERT_EQ(failed.count(), 1);
        EXPECT_EQ(failed.first().first().toString(), QStringLiteral("refused"));
    }
}

TEST(BroadcastControllerTest, StopWhileTheCaptureIsStillStartingLeavesItStopped) {
    BroadcastServices s;
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
    ASSERT_TRUE(s.settles());

    ASSERT_EQ(s.backend->filters.size(), 1) << "the start never reached the server";
    EXPECT_EQ(s.runningStreams(), 0);
    EXPECT_FALSE(s.screenManager.isCapturing());
    EXPECT_FALSE(s.appState.isVirtualCameraActive());
    EXPECT_FALSE(s.camera.isPublishing());
    EXPECT_EQ(started.count(), 0);
    EXPECT_EQ(failed.count(), 0);
    EXPECT_TRUE(s.camera.lastError().isEmpty());
}
