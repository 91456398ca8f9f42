#pragma once

#include "core/WindowInfo.h"

#include <QFuture>
#include <QObject>
#include <QString>

class AppState;
class ScreenManager;

// Keeps the list of windows the user hides from the broadcast (`protectedWindows` of AppState:
// this is the only code that edits it) and ends a stealth session. An edit takes effect at the
// next start of the capture, not at once. GUI thread only.
class PrivacyShieldService final : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isBusy READ isBusy NOTIFY isBusyChanged)
    Q_PROPERTY(QString statusMessage READ statusMessage NOTIFY statusMessageChanged)

public:
    PrivacyShieldService(ScreenManager& screenManager, AppState& appState,
                         QObject* parent = nullptr);

    ScreenManager& screenManager() const { return m_screenManager; }
    AppState& appState() const { return m_appState; }
    bool isBusy() const { return m_isBusy; }
    const QString& statusMessage() const { return m_statusMessage; }

    void toggleProtection(const WindowInfo& window);
    // A window already in the list keeps its entry and the title it was chosen with.
    void protect(const WindowInfo& window);
    // Observers are told even when no entry had that id.
    void unprotect(WindowId windowID);

    // Never fails. A second stop while one runs is not refused; `isBusy` falls back to false when
    // the first of them ends.
    QFuture<void> stopStealthSession();

Q_SIGNALS:
    void isBusyChanged();
    void statusMessageChanged();

private:
    void setBusy(bool busy);
    void setStatusMessage(const QString& message);

    ScreenManager& m_screenManager;
    AppState& m_appState;
    bool m_isBusy = false;
    QString m_statusMessage = QStringLiteral("Idle");
};
