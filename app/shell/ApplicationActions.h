#pragma once

#include "ui/controllers/ShellActions.h"

class QuitSequence;

// The shell's side of ShellActions: the windows, the quit path and the desktop's programs. The
// windows are reached through signals (connected directly, on the GUI thread), because they are
// created after the views' engine that needs these actions, and must be destroyed before it.
// "Relaunch" marks the request and quits; main() starts the new process only after the
// application object is gone, so the new one finds the hot key released and the shields restored.
class ApplicationActions final : public ShellActions {
    Q_OBJECT

public:
    explicit ApplicationActions(QuitSequence& quit, QObject* parent = nullptr);

    void openWindow(const QString& identifier) override;
    void openUrl(const QUrl& url) override;
    void bringToFront() override;
    void quit() override;
    void relaunch() override;
    void openDesktopSettings(const QString& pane) override;

    bool relaunchRequested() const { return m_relaunchRequested; }

Q_SIGNALS:
    void windowRequested(const QString& identifier);
    void frontRequested();

private:
    QuitSequence& m_quit;
    bool m_relaunchRequested = false;
};
