#include "core/AppInfo.h"
#include "shell/CommandLineActions.h"
#include "shell/InstanceChannel.h"
#include "shell/MainWindowLifecycle.h"
#include "shell/RemoteInstance.h"
#include "shell/SingleInstance.h"
#include "shell/VelarionApp.h"
#include "ui/UiEngine.h"

#include <QApplication>
#include <QProcess>
#include <QTextStream>

namespace {

void nameApplication() {
    QCoreApplication::setApplicationName(QString::fromLatin1(AppInfo::kProductName));
    QCoreApplication::setOrganizationName(QString::fromLatin1(AppInfo::kOrganizationName));
    QCoreApplication::setOrganizationDomain(QString::fromLatin1(AppInfo::kOrganizationDomain));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(AppInfo::kVersion));
}

}  // namespace

int main(int argc, char* argv[]) {
    // Actions on the running instance need no display and never start a second one.
    if (CommandLineActions::isAction(argc, argv)) {
        QCoreApplication application(argc, argv);
        nameApplication();
        return CommandLineActions::run(QCoreApplication::arguments());
    }
    QApplication application(argc, argv);
    nameApplication();
    QGuiApplication::setDesktopFileName(QStringLiteral("com.orvandel.Velarion"));
    // The application lives in the tray; closing its windows does not end it.
    QApplication::setQuitOnLastWindowClosed(false);

    UiEngine::preferSoftwareRendering();

    bool relaunch = false;
    int status = 0;
    {
        // Before any service exists: a second instance must not grab the hot key or add a tray
        // icon, not even for a moment.
        SingleInstance instance;
        if (!instance.claim()) {
            const RemoteInstance::Reply reply =
                RemoteInstance::send(QString::fromLatin1(InstanceChannel::kShow));
            if (reply.outcome != RemoteInstance::Reply::Outcome::ok) {
                QTextStream(stderr)
                    << "velarion: another instance runs but did not answer: " << reply.text << '\n';
                return 1;
            }
            return 0;
        }
        VelarionApp velarion;
        instance.serve(velarion.scripting());
        velarion.start();
        status = QApplication::exec();
        relaunch = velarion.relaunchRequested();
    }
    // Only now is the hot key released, every shield restored and the instance's name and socket
    // given up, so the new process can take them over.
    if (relaunch && !QProcess::startDetached(QApplication::applicationFilePath(), {})) {
        return 1;
    }
    return status;
}
