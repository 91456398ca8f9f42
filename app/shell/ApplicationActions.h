#pragma once

#include "ui/controllers/ShellActions.h"

class MainWindow;
class QuitSequence;
class WindowRegistry;

// The shell's side of ShellActions: the windows, the quit path and the desktop's programs.
// "Relaunch" marks the request and quits; main() starts the new process only after the
// application object is gone, so the new one finds the hot key released and the shields restored.
class ApplicationActions final : public ShellActions {
    Q_OBJECT

public:
    ApplicationActions(WindowRegistry& windows, MainWindow& mainWindow, QuitSequence& quit,
                       QObject* parent = nullptr);

    void openWindow(const QString& identifier) override;
    void openUrl(const QUrl& url) override;
    void bringToFront() override;
    void quit() override;
    void relaunch() override;
    void openDesktopSettings(const QString& pane) override;

    bool relaunchRequested() const { return m_relaunchRequested; }

private:
    WindowRegistry& m_windows;
    MainWindow& m_mainWindow;
    QuitSequence& m_quit;
    bool m_relaunchRequested = false;
};
