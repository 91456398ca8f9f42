// The protected-window list and the end of a stealth session.

#include "CaptureTestSupport.h"
#include "FakeCaptureBackend.h"

#include "capture/PrivacyShieldService.h"
#include "capture/ScreenManager.h"
#include "core/AppState.h"
#include "support/QtPrinters.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

WindowInfo info(WindowId id, const QString& title = QStringLiteral("Window")) {
    return {id, title, QStringLiteral("App"), true};
}

QList<WindowId> ids(const QList<ProtectedWindow>& windows) {
    QList<WindowId> result;
    for (const ProtectedWindow& window : windows) {
        result.append(window.id);
    }
    return result;
}

class PrivacyShieldServiceTest : public ::testing::Test {
protected:
    std::shared_ptr<FakeCaptureBackend> m_backend = std::make_shared<FakeCaptureBackend>();
    ScreenManager m_screenManager{m_backend};
    AppState m_appState;
    PrivacyShieldService m_service{m_screenManager, m_appState};
};

TEST_F(PrivacyShieldServiceTest, ListEditsKeepOrderAndFirstTitleAndAlwaysNotifyOnUnprotect) {
    m_service.protect(info(5));
    m_service.protect(info(3));
    m_service.toggleProtection(info(9));
    m_service.unprotect(3);
    EXPECT_EQ(ids(m_appState.protectedWindows()), (QList<WindowId>{5, 9}));

    // Protecting an id again under a new title keeps the entry chosen first, and tells nobody.
    QSignalSpy changed(&m_appState, &AppState::protectedWindowsChanged);
    m_service.protect(info(9, QStringLiteral("Renamed")));
    EXPECT_EQ(m_appState.protectedWindows().last().title, QStringLiteral("Window"));
    EXPECT_EQ(changed.count(), 0);

    // Unprotecting an id not in the list changes nothing, yet still tells.
    m_service.unprotect(77);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(ids(m_appState.protectedWindows()), (QList<WindowId>{5, 9}));

    // A protected window toggled off and on moves to the end.
    m_service.toggleProtection(info(5));
    EXPECT_EQ(ids(m_appState.protectedWindows()), (QList<WindowId>{9}));
    m_service.toggleProtection(info(5));
    EXPECT_EQ(ids(m_appState.protectedWindows()), (QList<WindowId>{9, 5}));
}

TEST_F(PrivacyShieldServiceTest, StopEndsIdleWithOrWithoutCapture) {
    QSignalSpy busy(&m_service, &PrivacyShieldService::isBusyChanged);
    ASSERT_TRUE(finishes(m_service.stopStealthSession()));
    EXPECT_FALSE(m_service.isBusy());
    EXPECT_EQ(m_service.statusMessage(), QStringLiteral("Idle"));
    EXPECT_EQ(busy.count(), 2);  // true, then false

    m_backend->content.displays = {ShareableDisplay{1, 800, 600, 1, QRect(0, 0, 800, 600)}};
    ASSERT_TRUE(finishes(m_screenManager.startStealthSession({})));
    ASSERT_TRUE(m_screenManager.isCapturing());

    // Two stops at once: neither is refused, and the service is idle once the first ends.
    const QFuture<void> first = m_service.stopStealthSession();
    const QFuture<void> second = m_service.stopStealthSession();
    ASSERT_TRUE(finishes(first));
    EXPECT_FALSE(m_service.isBusy());
    ASSERT_TRUE(finishes(second));
    EXPECT_FALSE(m_service.isBusy());
    EXPECT_FALSE(m_screenManager.isCapturing());
    EXPECT_EQ(m_backend->runningStreams, 0);
}

}  // namespace
