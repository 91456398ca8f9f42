// What the main window does as it appears, over the real services: the panic action through the
// hot-key manager's own press path, the camera set-up's first-use and resume rule, and one update
// check.

#include "SettingsBench.h"
#include "ViewTestbed.h"

#include "settings/CameraSetupPreferences.h"
#include "shell/MainWindowLifecycle.h"
#include "support/QtPrinters.h"

#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

struct Lifecycle {
    Lifecycle(bool seen, bool resume) {
        if (seen) {
            bed.defaults.setValue(QStringLiteral("hasSeenCameraSetup"), true);
        }
        if (resume) {
            bed.defaults.setValue(QStringLiteral("resumeCameraSetup"), true);
        }
    }

    ViewTestbed bed;
    RecordingShellActions shell;
    FakeGrabber* grabber = new FakeGrabber;
    HotkeyManager hotkeys{bed.defaults, std::unique_ptr<HotkeyGrabber>(grabber)};
    CameraSetupPreferences cameraSetup{bed.defaults};
    QWidget window;
    MainWindowLifecycle lifecycle{window, hotkeys, bed.switches, cameraSetup, bed.checker, shell};
};

}  // namespace

TEST(MainWindowLifecycleTest, FirstShowOpensCameraSetUpOnlyOnFirstUseOrWhenResumed) {
    struct Case {
        bool seen;
        bool resume;
        bool opens;
    };
    const Case cases[] = {
        {false, false, true},
        {true, true, true},
        {true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "seen " << c.seen << ", resume " << c.resume);
        Lifecycle l(c.seen, c.resume);
        QSignalSpy checks(&l.bed.checker, &UpdateChecker::checkFinished);
        QList<bool> shown;
        QObject::connect(&l.lifecycle, &MainWindowLifecycle::windowShownChanged,
                         [&shown](bool now) { shown.append(now); });
        l.window.show();
        EXPECT_EQ(l.shell.calls.contains(QStringLiteral("open camera-setup")), c.opens);
        EXPECT_TRUE(l.cameraSetup.hasSeenCameraSetup());
        EXPECT_FALSE(l.cameraSetup.resumeCameraSetup());
        ASSERT_TRUE(QTest::qWaitFor([&] { return checks.count() == 1; }, 20'000))
            << "one update check";

        // Later appearances repeat nothing.
        l.shell.calls.clear();
        l.window.hide();
        l.window.show();
        EXPECT_TRUE(l.shell.calls.isEmpty());
        EXPECT_EQ(shown, (QList<bool>{true, false, true}));
        QTest::qWait(0);
        EXPECT_EQ(l.bed.server.requests().size(), 1);
    }
}

TEST(MainWindowLifecycleTest, PanicKeyDoesNothingUntilTheWindowAppearedThenSwitchesShieldsOnAgain) {
    Lifecycle l(true, false);
    l.grabber->press();
    QCoreApplication::processEvents();
    EXPECT_TRUE(l.shell.calls.isEmpty());
    EXPECT_FALSE(l.bed.appState.isDesktopShieldActive());

    l.window.show();
    for (int press = 1; press <= 2; ++press) {
        SCOPED_TRACE(press);
        l.shell.calls.clear();
        l.grabber->press();
        // The action runs from the event loop, never inside the key handler.
        EXPECT_TRUE(l.shell.calls.isEmpty());
        ASSERT_TRUE(QTest::qWaitFor([&] { return !l.shell.calls.isEmpty(); }));
        EXPECT_EQ(l.shell.calls,
                  (QStringList{QStringLiteral("front"), QStringLiteral("open broadcast")}));
        EXPECT_TRUE(l.bed.appState.isDesktopShieldActive());
        EXPECT_TRUE(l.bed.appState.isNotificationGuardActive());
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return !l.bed.desktopShield.isBusy() && !l.bed.notificationGuard.isBusy(); },
            20'000));
        EXPECT_TRUE(l.bed.desktopShield.isActive());
        EXPECT_TRUE(l.bed.notificationGuard.isActive());
    }
    EXPECT_FALSE(l.bed.tools.journal().contains(QStringLiteral("desktop show")))
        << "pressing again never switches off";
}
