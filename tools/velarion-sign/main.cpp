// velarion-sign: makes signing keys, signs an application bundle, packs the update archive and
// checks a signed bundle.
//
//   velarion-sign keygen SECRET_FILE PUBLIC_FILE
//   velarion-sign sign BUNDLE --key SECRET_FILE
//   velarion-sign pack BUNDLE OUT_ARCHIVE
//   velarion-sign verify BUNDLE     exit status 0 only for a whole, genuinely signed bundle
//   velarion-sign info BUNDLE       prints "TeamIdentifier=<key id>" or "TeamIdentifier=not set"

#include "update/archive/TarZstdArchive.h"
#include "update/signing/BundleSigner.h"
#include "update/signing/SignedBundleVerifier.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>

#include <optional>

namespace {

constexpr int kUsageError = 2;

int usage() {
    QTextStream(stderr) << "usage: velarion-sign keygen SECRET_FILE PUBLIC_FILE\n"
                           "       velarion-sign sign BUNDLE --key SECRET_FILE\n"
                           "       velarion-sign pack BUNDLE OUT_ARCHIVE\n"
                           "       velarion-sign verify BUNDLE\n"
                           "       velarion-sign info BUNDLE\n";
    return kUsageError;
}

int report(const Outcome& outcome) {
    if (outcome.failed()) {
        QTextStream(stderr) << "velarion-sign: " << outcome.error() << '\n';
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments().mid(1);
    const QString command = arguments.value(0);

    if (command == QLatin1String("keygen") && arguments.size() == 3) {
        return report(BundleSigner::generateKeys(arguments[1], arguments[2]));
    }
    if (command == QLatin1String("sign") && arguments.size() == 4 &&
        arguments[2] == QLatin1String("--key")) {
        return report(BundleSigner::sign(arguments[1], arguments[3]));
    }
    if (command == QLatin1String("pack") && arguments.size() == 3) {
        return report(TarZstdArchive().pack(arguments[1], arguments[2]));
    }
    if (command == QLatin1String("verify") && arguments.size() == 2) {
        const Outcome verified = SignedBundleVerifier().check(arguments[1]);
        if (verified.succeeded()) {
            QTextStream(stdout) << arguments[1] << ": valid signature\n";
        }
        return report(verified);
    }
    if (command == QLatin1String("info") && arguments.size() == 2) {
        const std::optional<QString> team = SignedBundleVerifier().teamIdentifier(arguments[1]);
        QTextStream(stdout) << "TeamIdentifier=" << team.value_or(QStringLiteral("not set"))
                            << '\n';
        return 0;
    }
    return usage();
}
