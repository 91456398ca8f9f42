#include "shell/ApplicationActions.h"

#include "shell/DesktopSettingsLauncher.h"
#include "shell/QuitSequence.h"

#include <QDesktopServices>

ApplicationActions::ApplicationActions(QuitSequence& quit, QObject* parent)
    : ShellActions(parent)
    , m_quit(quit) {}

void ApplicationActions::openWindow(const QString& identifier) {
    Q_EMIT windowRequested(identifier);
}

void ApplicationActions::openUrl(const QUrl& url) {
    QDesktopServices::openUrl(url);
}

void ApplicationActions::bringToFront() {
    Q_EMIT frontRequested();
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
