#include "update/signing/SignedBundleVerifier.h"

#include "update/signing/BundleManifest.h"
#include "update/signing/SignatureFile.h"

#include <QList>

#include <sodium.h>

#include <algorithm>

namespace {

// The first line where two manifests part, for a readable reason.
QString firstDifference(const QByteArray& expected, const QByteArray& actual) {
    const QList<QByteArray> a = expected.split('\n');
    const QList<QByteArray> b = actual.split('\n');
    for (qsizetype i = 0; i < std::max(a.size(), b.size()); ++i) {
        if (a.value(i) != b.value(i)) {
            return QStringLiteral("signed \"%1\", found \"%2\"")
                .arg(QString::fromUtf8(a.value(i)), QString::fromUtf8(b.value(i)));
        }
    }
    return QString();
}

}  // namespace

std::optional<QString> SignedBundleVerifier::teamIdentifier(const QString& bundle) const {
    const std::optional<SignatureFile> file = SignatureFile::read(bundle);
    if (!file || file->teamIdentifier.isEmpty() ||
        file->teamIdentifier != SignatureFile::teamIdentifierFor(file->publicKey)) {
        return std::nullopt;
    }
    return file->teamIdentifier;
}

Outcome SignedBundleVerifier::check(const QString& bundle) const {
    if (sodium_init() < 0) {
        return Outcome::failure(QStringLiteral("the cryptography library cannot start"));
    }
    const std::optional<SignatureFile> file = SignatureFile::read(bundle);
    if (!file) {
        return Outcome::failure(QStringLiteral("not signed (no readable signature file)"));
    }
    if (file->publicKey.size() != crypto_sign_PUBLICKEYBYTES ||
        file->signature.size() != crypto_sign_BYTES) {
        return Outcome::failure(QStringLiteral("malformed key or signature"));
    }
    if (file->teamIdentifier != SignatureFile::teamIdentifierFor(file->publicKey)) {
        return Outcome::failure(
            QStringLiteral("team identifier does not belong to the signing key"));
    }
    const QByteArray message = file->signedMessage();
    if (crypto_sign_verify_detached(
            reinterpret_cast<const unsigned char*>(file->signature.constData()),
            reinterpret_cast<const unsigned char*>(message.constData()),
            static_cast<unsigned long long>(message.size()),
            reinterpret_cast<const unsigned char*>(file->publicKey.constData())) != 0) {
        return Outcome::failure(QStringLiteral("signature does not match"));
    }
    const OutcomeOf<QByteArray> current = BundleManifest::build(bundle);
    if (current.failed()) {
        return Outcome::failure(current.error());
    }
    if (current.value() != file->manifest) {
        return Outcome::failure(QStringLiteral("contents differ from the signature: ") +
                                firstDifference(file->manifest, current.value()));
    }
    return Outcome::success();
}
