#pragma once

#include "core/WindowInfo.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QVariantList>

#include <functional>

class AppState;
class BroadcastController;
class PrivacyShieldService;
class ScreenManager;
class ShellActions;

// One broadcast view's window list and footer: the broadcast window and the dashboard's camera
// module each have their own, because "not applied yet" belongs to the view that was ticked.
//
// `rows` are the shareable windows after the filter (system surfaces and untitled windows left
// out, then the search), in the screen manager's order, each a map with "windowId", "title",
// "appName" and "hidden". A tick goes through the shield service at once; the capture keeps its
// old exclusions until apply() restarts it, which happens only while live.
//
// GUI thread only; every object passed in must outlive this one.
class WindowListController final : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString query READ query WRITE setQuery NOTIFY queryChanged)
    Q_PROPERTY(QVariantList rows READ rows NOTIFY rowsChanged)
    // "No windows open." or "No matches." (translation keys) when no row shows; else empty.
    Q_PROPERTY(QString emptyText READ emptyText NOTIFY rowsChanged)
    Q_PROPERTY(int hiddenCount READ hiddenCount NOTIFY hiddenCountChanged)
    Q_PROPERTY(bool dirty READ dirty NOTIFY dirtyChanged)
    Q_PROPERTY(bool isLive READ isLive NOTIFY isLiveChanged)
    Q_PROPERTY(bool isReady READ isReady NOTIFY isReadyChanged)
    // A refresh of the window list is under way (and, after an opening, the start that follows).
    Q_PROPERTY(bool isRefreshing READ isRefreshing NOTIFY isRefreshingChanged)

public:
    WindowListController(AppState& appState, ScreenManager& screenManager,
                         PrivacyShieldService& privacyShield, BroadcastController& broadcast,
                         ShellActions& shell, QObject* parent = nullptr);

    // The windows a picker offers, in `windows`' order: without the system's own surfaces,
    // Velarion's, untitled ones and wallpapers; with a `query`, only those whose title or
    // application name contains it, ignoring case.
    static QList<WindowInfo> filteredWindows(const QList<WindowInfo>& windows,
                                             const QString& query);

    QString query() const { return m_query; }
    void setQuery(const QString& query);
    QVariantList rows() const;
    QString emptyText() const;
    int hiddenCount() const;
    bool dirty() const { return m_dirty; }
    bool isLive() const;
    bool isReady() const;
    bool isRefreshing() const { return m_pendingRefreshes > 0; }

    // The broadcast window was shown: a fresh search and nothing unapplied; the window list is
    // refreshed, and once that has ended (failed or not) the broadcast starts if it is ready and
    // not yet live.
    Q_INVOKABLE void windowOpened();
    // The module's panel opened: the list is refreshed; a failure keeps the old list.
    Q_INVOKABLE void refresh();
    // A row was ticked or unticked.
    Q_INVOKABLE void toggle(double windowId);
    // "Apply": restarts the capture with the current ticks while live; nothing is unapplied after.
    Q_INVOKABLE void apply();
    // "Done": applies what is unapplied, then the window is to close.
    Q_INVOKABLE void done();
    // "Stop broadcasting" in the window: stops, then the window is to close.
    Q_INVOKABLE void stopBroadcasting();
    // "Open Camera Setup": opens the set-up, then the window is to close.
    Q_INVOKABLE void openSetup();
    // The module's switch moved to `on`. Returns "started", "stopped" or "needsSetup"; when the
    // broadcast started the list is refreshed, when set-up is needed that window opens.
    Q_INVOKABLE QString flip(bool on);

Q_SIGNALS:
    void queryChanged();
    void rowsChanged();
    void hiddenCountChanged();
    void dirtyChanged();
    void isLiveChanged();
    void isReadyChanged();
    void isRefreshingChanged();
    void dismissRequested();

private:
    void setDirty(bool dirty);
    // Refreshes the list, then runs `then` (on this object, and never once it is gone).
    void refreshThen(std::function<void()> then);

    AppState& m_appState;
    ScreenManager& m_screenManager;
    PrivacyShieldService& m_privacyShield;
    BroadcastController& m_broadcast;
    ShellActions& m_shell;

    QString m_query;
    bool m_dirty = false;
    int m_pendingRefreshes = 0;
};
