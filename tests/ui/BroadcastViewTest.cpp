// The broadcast window over its list controller and the real services, clicked offscreen.

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
