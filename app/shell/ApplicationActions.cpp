#include "shell/ApplicationActions.h"

#include "shell/DesktopSettingsLauncher.h"
#include "shell/MainWindow.h"
#include "shell/QuitSequence.h"
#include "shell/WindowRegistry.h"

#include <QDesktopServices>

ApplicationActions::ApplicationActions(WindowRegistry& windows, MainWindow& mainWindow,
                                       QuitSequence& quit, QObject* parent)
    : ShellActions(parent)
    , m_windows(windows)
    , m_mainWindow(mainWindow)
    , m_quit(quit) {}

void ApplicationActions::openWindow(const QString& identifier) {
    m_windows.open(identifier);
}

void ApplicationActions::openUrl(const QUrl& url) {
    QDesktopServices::openUrl(url);
}

void ApplicationActions::bringToFront() {
    m_mainWindow.show();
    m_mainWindow.raise();
    m_mainWindow.activateWindow();
}

void ApplicationActions::quit() {
    m_quit.quit();
}

void ApplicationActions::relaunch() {
    m_relaunchRequested = true;
    m_quit.quit();
}

void ApplicationActions::openDesktopSettings(const QString& pane) {
    DesktopSettingsLauncher::open(pane);
}
