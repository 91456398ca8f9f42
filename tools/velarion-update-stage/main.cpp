// velarion-update-stage ARCHIVE BUNDLE: runs an install's preparation (extract, find the bundle,
// verify it against BUNDLE's own signer, stage it beside BUNDLE, clean up) without relaunching.
// Prints "staged=<path>" and exits 0, or prints the failure's name and exits 1. The archive is
// left in place.

#include "update/DMGInstaller.h"
#include "update/archive/TarZstdArchive.h"
#include "update/signing/SignedBundleVerifier.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments().mid(1);
    if (arguments.size() != 2) {
        QTextStream(stderr) << "usage: velarion-update-stage ARCHIVE BUNDLE\n";
        return 2;
    }

    DMGInstaller::Context context;
    context.runningBundle = QFileInfo(arguments[1]).absoluteFilePath();
    context.temporaryDirectory = QDir::tempPath();
    context.processId = QCoreApplication::applicationPid();
    context.removeImageAfterStaging = false;
    const DMGInstaller installer(context, std::make_shared<SignedBundleVerifier>(),
                                 std::make_shared<TarZstdArchive>());
    try {
        const DMGInstaller::Plan plan =
            installer.prepare(QFileInfo(arguments[0]).absoluteFilePath());
        QTextStream(stdout) << "staged=" << plan.staged << '\n';
        return 0;
    } catch (const DMGInstaller::Error& error) {
        QTextStream(stdout) << error.description() << '\n';
        return 1;
    }
}
