// The broadcast window and the dashboard's camera module over their list controllers and the real
// services, clicked offscreen.

#include "QmlHost.h"
#include "controllers/BroadcastTestbed.h"

#include "support/QtPrinters.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace broadcast_testbed;

namespace {

QVariantMap props(Testbed& bed) {
    return {{QStringLiteral("list"), QVariant::fromValue<QObject*>(&bed.windows)}};
}

// A list row by its objectName: delegates are items of the list's content, not QObject children.
QQuickItem* row(QmlHost& host, const char* name) {
    QQuickItem* list = host.find(QStringLiteral("windowList"));
    auto* content = list ? list->property("contentItem").value<QQuickItem*>() : nullptr;
    if (!content) {
        return nullptr;
    }
    for (QQuickItem* item : content->childItems()) {
        if (item->objectName() == QLatin1String(name)) {
            return item;
        }
    }
    return nullptr;
}

}  // namespace

TEST(BroadcastViewTest, NotReadyShowsOnlyTheWayToSetUpAndStartsNothing) {
    QmlHost host({480, 620});
    Testbed bed(host.shell());
    ASSERT_TRUE(host.loadView(QStringLiteral("BroadcastView"), props(bed)));
    bed.windows.windowOpened();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !bed.windows.isRefreshing(); }, 20'000));
    ASSERT_TRUE(bed.settles());
    EXPECT_TRUE(host.shown("setupPanel"));
    EXPECT_FALSE(host.shown("readyPanel"));
    EXPECT_FALSE(bed.appState.isVirtualCameraActive());

    QSignalSpy dismissed(&bed.windows, &WindowListController::dismissRequested);
    host.click(host.find(QStringLiteral("openSetupButton")));
    EXPECT_EQ(host.shell().calls, QStringList{QStringLiteral("open camera-setup")});
    EXPECT_EQ(dismissed.count(), 1);
}

TEST(BroadcastViewTest, TickThenApplyOrDoneWhileLiveRestartsAndStopClosesTheWindow) {
    QmlHost host({480, 620});
    Testbed bed(host.shell());
    bed.driveInstaller(Kind::active);
    ASSERT_TRUE(host.loadView(QStringLiteral("BroadcastView"), props(bed)));
    bed.windows.windowOpened();
    ASSERT_TRUE(QTest::qWaitFor([&] { return bed.appState.isVirtualCameraActive(); }, 20'000));
    ASSERT_TRUE(bed.settles());
    ASSERT_TRUE(QTest::qWaitFor([&] { return row(host, "windowRow0"); }, 20'000));
    EXPECT_TRUE(host.shown("liveBadge"));
    EXPECT_EQ(host.text("applyState"), QStringLiteral("Applied"));
    EXPECT_FALSE(host.find(QStringLiteral("applyButton"))->isEnabled());

    host.click(row(host, "windowRow0"));
    EXPECT_EQ(bed.appState.protectedWindowIDs(), WindowIdSet{3});
    EXPECT_EQ(host.text("hiddenCount"), QStringLiteral("1 hidden"));
    EXPECT_EQ(host.text("applyState"), QStringLiteral("Not applied yet"));
    EXPECT_TRUE(host.find(QStringLiteral("guideLine2"))->property("done").toBool());

    QSignalSpy started(&bed.broadcast, &BroadcastController::captureStarted);
    host.click(host.find(QStringLiteral("applyButton")));
    ASSERT_TRUE(bed.settles());
    EXPECT_EQ(started.count(), 1);
    EXPECT_FALSE(bed.windows.dirty());

    // Done applies a pending tick as well, and closes the window; that a restart needs a live
    // broadcast is BroadcastControllerTest's.
    QSignalSpy dismissed(&bed.windows, &WindowListController::dismissRequested);
    host.click(row(host, "windowRow1"));
    host.click(host.find(QStringLiteral("doneButton")));
    ASSERT_TRUE(bed.settles());
    EXPECT_EQ(started.count(), 2);
    EXPECT_EQ(dismissed.count(), 1);

    host.click(host.find(QStringLiteral("stopButton")));
    EXPECT_EQ(dismissed.count(), 2);
    EXPECT_FALSE(bed.appState.isVirtualCameraActive());
    ASSERT_TRUE(bed.settles());
    EXPECT_EQ(bed.runningStreams(), 0);
    EXPECT_FALSE(host.shown("liveBadge"));
}

TEST(CameraModuleTest, SwitchGoesLiveAndOpensThePanelOnlyWhenReadyElseOpensSetUp) {
    for (const bool ready : {false, true}) {
        SCOPED_TRACE(ready ? "ready" : "not ready");
        QmlHost host({480, 520});
        Testbed bed(host.shell());
        if (ready) {
            bed.driveInstaller(Kind::active);
        }
        ASSERT_TRUE(host.load(R"qml(
            import QtQuick
            import Velarion.Ui
            Item { CameraModule { width: 460 } })qml"));
        QQuickItem* module = host.find(QStringLiteral("cameraModule"));
        ASSERT_TRUE(module);
        module->setProperty("windowList", QVariant::fromValue<QObject*>(&bed.windows));
        QQuickItem* toggle = host.find(QStringLiteral("moduleSwitch"));
        host.click(toggle);
        ASSERT_TRUE(bed.settles());
        EXPECT_EQ(bed.appState.isVirtualCameraActive(), ready);
        EXPECT_EQ(toggle->property("on").toBool(), ready);
        EXPECT_EQ(module->property("expanded").toBool(), ready);
        EXPECT_EQ(host.shell().calls.contains(QStringLiteral("open camera-setup")), !ready);
        if (ready) {
            EXPECT_EQ(host.text("moduleSubtitle"), QStringLiteral("Live — 0 window(s) hidden"));
            host.click(toggle);
            ASSERT_TRUE(bed.settles());
            EXPECT_FALSE(bed.appState.isVirtualCameraActive());
        }
    }
}
