#include "capture/PrivacyShieldService.h"

#include "capture/ScreenManager.h"
#include "core/AppState.h"

#include <algorithm>

PrivacyShieldService::PrivacyShieldService(ScreenManager& screenManager, AppState& appState,
                                           QObject* parent)
    : QObject(parent)
    , m_screenManager(screenManager)
    , m_appState(appState) {}

void PrivacyShieldService::toggleProtection(const WindowInfo& window) {
    const QList<ProtectedWindow>& windows = m_appState.protectedWindows();
    const bool isProtected =
        std::any_of(windows.cbegin(), windows.cend(),
                    [&](const ProtectedWindow& p) { return p.id == window.id; });
    if (isProtected) {
        unprotect(window.id);
    } else {
        protect(window);
    }
}

void PrivacyShieldService::protect(const WindowInfo& window) {
    QList<ProtectedWindow> windows = m_appState.protectedWindows();
    if (std::any_of(windows.cbegin(), windows.cend(),
                    [&](const ProtectedWindow& p) { return p.id == window.id; })) {
        return;
    }
    windows.append(ProtectedWindow::from(window));
    m_appState.setProtectedWindows(windows);
}

void PrivacyShieldService::unprotect(WindowId windowID) {
    QList<ProtectedWindow> windows = m_appState.protectedWindows();
    const qsizetype removed =
        windows.removeIf([windowID](const ProtectedWindow& p) { return p.id == windowID; });
    m_appState.setProtectedWindows(windows);
    if (removed == 0) {
        // AppState stays silent for an unchanged list; this edit is reported all the same.
        Q_EMIT m_appState.protectedWindowsChanged();
    }
}

QFuture<void> PrivacyShieldService::stopStealthSession() {
    setBusy(true);
    return m_screenManager.stopCapture().then(this, [this] {
        setStatusMessage(QStringLiteral("Idle"));
        setBusy(false);
    });
}

void PrivacyShieldService::setBusy(bool busy) {
    if (m_isBusy == busy) {
        return;
    }
    m_isBusy = busy;
    Q_EMIT isBusyChanged();
}

void PrivacyShieldService::setStatusMessage(const QString& message) {
    if (m_statusMessage == message) {
        return;
    }
    m_statusMessage = message;
    Q_EMIT statusMessageChanged();
}
