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

WindowInfo info(WindowId id) {
    return {id, QStringLiteral("Window"), QStringLiteral("App"), true};
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

TEST_F(PrivacyShieldServiceTest, ListEditsKeepOrderAndAlwaysNotifyOnUnprotect) {
    m_service.protect(info(5));
    m_service.protect(info(3));
    m_service.toggleProtection(info(9));
    m_service.unprotect(3);
    EXPECT_EQ(ids(m_appState.protectedWindows()), (QList<WindowId>{5, 9}));

    // Unprotecting an id not in the list changes nothing, yet still tells.
    QSignalSpy changed(&m_appState, &AppState::protectedWindowsChanged);
    m_service.unprotect(77);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(ids(m_appState.protectedWindows()), (QList<WindowId>{5, 9}));

    // A protected window toggled goes.
    m_service.toggleProtection(info(5));
    EXPECT_EQ(ids(m_appState.protectedWindows()), (QList<WindowId>{9}));
}

TEST_F(PrivacyShieldServiceTest, StopEndsIdleWithOrWithoutCapture) {
    ASSERT_TRUE(finishes(m_service.stopStealthSession()));
    EXPECT_FALSE(m_service.isBusy());

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
