// A bundle's signature file as an attacker could ship it: read, then the whole verification
// (key and signature checks, then the manifest built from the bundle compared with the signed
// one). A few real files sit in the bundle so the manifest is not empty.

#include "update/signing/SignatureFile.h"
#include "update/signing/SignedBundleVerifier.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

std::unique_ptr<QTemporaryDir> g_folder;
QString g_bundle;

void writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size()) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    g_folder = std::make_unique<QTemporaryDir>();
    g_bundle = g_folder->filePath(QStringLiteral("Velarion"));
    QDir().mkpath(g_bundle + QStringLiteral("/bin"));
    writeFile(g_bundle + QStringLiteral("/bin/velarion"), "#!/bin/sh\n");
    QFile::setPermissions(g_bundle + QStringLiteral("/bin/velarion"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    writeFile(g_bundle + QStringLiteral("/version"), "2.0\n");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    writeFile(SignatureFile::path(g_bundle),
              QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    if (const std::optional<SignatureFile> file = SignatureFile::read(g_bundle)) {
        (void)file->signedMessage();
    }
    const SignedBundleVerifier verifier;
    // No input can be signed by a key it does not hold; a pass means a broken check.
    if (verifier.verify(g_bundle)) {
        std::abort();
    }
    (void)verifier.teamIdentifier(g_bundle);
    return 0;
}
