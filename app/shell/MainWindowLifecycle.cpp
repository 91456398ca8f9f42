#include "shell/MainWindowLifecycle.h"

#include "settings/CameraSetupPreferences.h"
#include "shell/SceneIds.h"
#include "shields/hotkey/HotkeyManager.h"
#include "ui/controllers/FeatureSwitches.h"
#include "ui/controllers/ShellActions.h"
#include "update/UpdateChecker.h"

#include <QEvent>
#include <QWidget>

MainWindowLifecycle::MainWindowLifecycle(QWidget& window, HotkeyManager& hotkeys,
                                         FeatureSwitches& switches,
                                         CameraSetupPreferences& cameraSetup,
                                         UpdateChecker& updates, ShellActions& shell,
                                         QObject* parent)
    : QObject(parent)
    , m_window(window)
    , m_hotkeys(hotkeys)
    , m_switches(switches)
    , m_cameraSetup(cameraSetup)
    , m_updates(updates)
    , m_shell(shell) {
    m_window.installEventFilter(this);
}

void MainWindowLifecycle::appear() {
    if (m_hasAppeared) {
        return;
    }
    m_hasAppeared = true;
    m_hotkeys.setOnPanic([this] { panic(); });
    if (m_cameraSetup.takeSetupDue()) {
        m_shell.openWindow(QString::fromLatin1(SceneId::kCameraSetup));
    }
    m_updates.check();
}

void MainWindowLifecycle::panic() {
    m_shell.bringToFront();
    m_switches.switchPresentationShieldsOn();
    m_shell.openWindow(QString::fromLatin1(SceneId::kBroadcast));
}

bool MainWindowLifecycle::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &m_window) {
        if (event->type() == QEvent::Show) {
            Q_EMIT windowShownChanged(true);
            appear();
        } else if (event->type() == QEvent::Hide) {
            Q_EMIT windowShownChanged(false);
        }
    }
    return QObject::eventFilter(watched, event);
}
