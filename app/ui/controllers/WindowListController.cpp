#include "ui/controllers/WindowListController.h"

#include "core/WhenFinished.h"

#include "capture/PrivacyShieldService.h"
#include "capture/ScreenManager.h"
#include "core/AppState.h"
#include "ui/controllers/BroadcastController.h"
#include "ui/controllers/ShellActions.h"

#include <QFuture>
#include <QVariantMap>

#include <algorithm>
#include <array>

namespace {

// The desktop's own surfaces never hide anything of the user's, and Velarion's own windows are
// never captured as content worth hiding.
constexpr std::array kSystemApplications = {
    u"Velarion",  u"Dock",           u"Window Server",       u"WindowManager",
    u"Wallpaper", u"Control Center", u"Notification Center", u"Spotlight",
};

bool isSystemApplication(const QString& name) {
    return std::any_of(kSystemApplications.begin(), kSystemApplications.end(),
                       [&](const char16_t* system) { return name == QStringView(system); });
}

bool isBackdropTitle(const QString& title) {
    const QString lower = title.toLower();
    return lower.isEmpty() || lower.contains(QLatin1String("backstop")) ||
           lower.startsWith(QLatin1String("wallpaper"));
}

}  // namespace

WindowListController::WindowListController(AppState& appState, ScreenManager& screenManager,
                                           PrivacyShieldService& privacyShield,
                                           BroadcastController& broadcast, ShellActions& shell,
                                           QObject* parent)
    : QObject(parent)
    , m_appState(appState)
    , m_screenManager(screenManager)
    , m_privacyShield(privacyShield)
    , m_broadcast(broadcast)
    , m_shell(shell) {
    connect(&m_screenManager, &ScreenManager::availableWindowsChanged, this,
            &WindowListController::rowsChanged);
    connect(&m_appState, &AppState::protectedWindowsChanged, this,
            &WindowListController::rowsChanged);
    connect(&m_appState, &AppState::protectedWindowsChanged, this,
            &WindowListController::hiddenCountChanged);
    connect(&m_appState, &AppState::isVirtualCameraActiveChanged, this,
            &WindowListController::isLiveChanged);
    connect(&m_broadcast, &BroadcastController::isReadyChanged, this,
            &WindowListController::isReadyChanged);
}

QList<WindowInfo> WindowListController::filteredWindows(const QList<WindowInfo>& windows,
                                                        const QString& query) {
    QList<WindowInfo> kept;
    for (const WindowInfo& window : windows) {
        if (isSystemApplication(window.appName) || isBackdropTitle(window.title)) {
            continue;
        }
        if (!query.isEmpty() && !window.title.contains(query, Qt::CaseInsensitive) &&
            !window.appName.contains(query, Qt::CaseInsensitive)) {
            continue;
        }
        kept.append(window);
    }
    return kept;
}

void WindowListController::setQuery(const QString& query) {
    if (query == m_query) {
        return;
    }
    m_query = query;
    Q_EMIT queryChanged();
    Q_EMIT rowsChanged();
}

QVariantList WindowListController::rows() const {
    const WindowIdSet hidden = m_appState.protectedWindowIDs();
    QVariantList rows;
    for (const WindowInfo& window : filteredWindows(m_screenManager.windowInfos(), m_query)) {
        rows.append(QVariantMap{
            {QStringLiteral("windowId"), static_cast<double>(window.id)},
            {QStringLiteral("title"), window.title},
            {QStringLiteral("appName"), window.appName},
            {QStringLiteral("hidden"), hidden.contains(window.id)},
        });
    }
    return rows;
}

QString WindowListController::emptyText() const {
    if (!filteredWindows(m_screenManager.windowInfos(), m_query).isEmpty()) {
        return {};
    }
    return m_query.isEmpty() ? QStringLiteral("No windows open.") : QStringLiteral("No matches.");
}

int WindowListController::hiddenCount() const {
    return static_cast<int>(m_appState.protectedWindows().size());
}

bool WindowListController::isLive() const {
    return m_appState.isVirtualCameraActive();
}

bool WindowListController::isReady() const {
    return m_broadcast.isReady();
}

void WindowListController::windowOpened() {
    setQuery({});
    setDirty(false);
    // Starts only after the refresh, whatever it gave: the capture is then chosen from a current
    // list, and a display server that cannot list windows does not keep the broadcast off.
    refreshThen([this] { m_broadcast.start(); });
}

void WindowListController::refresh() {
    refreshThen({});
}

void WindowListController::refreshThen(std::function<void()> then) {
    if (m_pendingRefreshes++ == 0) {
        Q_EMIT isRefreshingChanged();
    }
    whenFinished(m_screenManager.refreshAvailableWindows(), this,
                 [this, then = std::move(then)](const QFuture<void>&) {
                     if (then) {
                         then();
                     }
                     if (--m_pendingRefreshes == 0) {
                         Q_EMIT isRefreshingChanged();
                     }
                 });
}

void WindowListController::toggle(double windowId) {
    const auto id = static_cast<WindowId>(windowId);
    const QList<WindowInfo> windows = m_screenManager.windowInfos();
    const auto found = std::find_if(windows.cbegin(), windows.cend(),
                                    [id](const WindowInfo& w) { return w.id == id; });
    if (found != windows.cend()) {
        m_privacyShield.toggleProtection(*found);
    } else {
        // The window closed since the list was drawn; a tick can still take it off the list.
        m_privacyShield.unprotect(id);
    }
    setDirty(true);
}

void WindowListController::apply() {
    m_broadcast.restart();
    setDirty(false);
}

void WindowListController::done() {
    if (m_dirty) {
        apply();
    }
    Q_EMIT dismissRequested();
}

void WindowListController::stopBroadcasting() {
    m_broadcast.stop();
    Q_EMIT dismissRequested();
}

void WindowListController::openSetup() {
    m_shell.openWindow(QStringLiteral("camera-setup"));
    Q_EMIT dismissRequested();
}

QString WindowListController::flip(bool on) {
    switch (m_broadcast.flip(on)) {
        case BroadcastController::FlipOutcome::stopped:
            return QStringLiteral("stopped");
        case BroadcastController::FlipOutcome::started:
            refresh();
            return QStringLiteral("started");
        case BroadcastController::FlipOutcome::needsSetup:
            m_shell.openWindow(QStringLiteral("camera-setup"));
            return QStringLiteral("needsSetup");
    }
    return QStringLiteral("stopped");
}

void WindowListController::setDirty(bool dirty) {
    if (dirty != m_dirty) {
        m_dirty = dirty;
        Q_EMIT dirtyChanged();
    }
}
