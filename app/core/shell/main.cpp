#include "core/AppInfo.h"
#include "core/shell/VelarionApp.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(AppInfo::kProductName));
    QApplication::setOrganizationName(QString::fromLatin1(AppInfo::kOrganizationName));
    QApplication::setOrganizationDomain(QString::fromLatin1(AppInfo::kOrganizationDomain));
    QApplication::setApplicationVersion(QString::fromLatin1(AppInfo::kVersion));
    // The application lives in the tray; closing its windows does not end it.
    QApplication::setQuitOnLastWindowClosed(false);

    VelarionApp velarion;
    velarion.start();
    return QApplication::exec();
}
