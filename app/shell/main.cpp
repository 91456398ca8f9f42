#include "core/AppInfo.h"
#include "shell/VelarionApp.h"
#include "ui/UiEngine.h"

#include <QApplication>
#include <QProcess>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(AppInfo::kProductName));
    QApplication::setOrganizationName(QString::fromLatin1(AppInfo::kOrganizationName));
    QApplication::setOrganizationDomain(QString::fromLatin1(AppInfo::kOrganizationDomain));
    QApplication::setApplicationVersion(QString::fromLatin1(AppInfo::kVersion));
    // The application lives in the tray; closing its windows does not end it.
    QApplication::setQuitOnLastWindowClosed(false);

    UiEngine::preferSoftwareRendering();

    bool relaunch = false;
    int status = 0;
    {
        VelarionApp velarion;
        velarion.start();
        status = QApplication::exec();
        relaunch = velarion.relaunchRequested();
    }
    // Only now is the hot key released and every shield restored, so the new process can take
    // them over.
    if (relaunch && !QProcess::startDetached(QApplication::applicationFilePath(), {})) {
        return 1;
    }
    return status;
}
