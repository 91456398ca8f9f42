#include "update/signing/BundleSigner.h"

#include "update/signing/BundleManifest.h"
#include "update/signing/SignatureFile.h"

#include <QFile>
#include <QSaveFile>

#include <sodium.h>

#include <array>

namespace {

// Secret key bytes, wiped when they go out of scope.
class SecretKey {
public:
    SecretKey() = default;
    ~SecretKey() { sodium_memzero(m_bytes.data(), m_bytes.size()); }
    SecretKey(const SecretKey&) = delete;
    SecretKey& operator=(const SecretKey&) = delete;

    unsigned char* data() { return m_bytes.data(); }
    const unsigned char* data() const { return m_bytes.data(); }
    static constexpr qsizetype size() { return crypto_sign_SECRETKEYBYTES; }

    // Fills this key from the file `generateKeys` wrote; the key is untouched on failure.
    Outcome read(const QString& path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            return Outcome::failure(path + QStringLiteral(": ") + file.errorString());
        }
        QByteArray text = file.read(4096).trimmed();
        auto decoded =
            QByteArray::fromBase64Encoding(text, QByteArray::AbortOnBase64DecodingErrors);
        sodium_memzero(text.data(), static_cast<size_t>(text.size()));
        const bool valid = decoded && decoded.decoded.size() == size();
        if (valid) {
            std::copy(decoded.decoded.cbegin(), decoded.decoded.cend(), m_bytes.begin());
        }
        if (decoded) {
            sodium_memzero(decoded.decoded.data(), static_cast<size_t>(decoded.decoded.size()));
        }
        if (!valid) {
            return Outcome::failure(path + QStringLiteral(": not a secret key"));
        }
        return Outcome::success();
    }

private:
    std::array<unsigned char, crypto_sign_SECRETKEYBYTES> m_bytes{};
};

Outcome writeLine(const QString& path, const QByteArray& bytes,
                  QFileDevice::Permissions permissions) {
    QSaveFile file(path);
    QByteArray line = bytes.toBase64() + '\n';
    const bool written = file.open(QIODevice::WriteOnly) && file.setPermissions(permissions) &&
                         file.write(line) == line.size() && file.commit();
    sodium_memzero(line.data(), static_cast<size_t>(line.size()));
    if (!written) {
        return Outcome::failure(path + QStringLiteral(": ") + file.errorString());
    }
    return Outcome::success();
}

QByteArray bytes(const unsigned char* data, size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

}  // namespace

namespace BundleSigner {

Outcome generateKeys(const QString& secretKeyFile, const QString& publicKeyFile) {
    if (sodium_init() < 0) {
        return Outcome::failure(QStringLiteral("the cryptography library cannot start"));
    }
    std::array<unsigned char, crypto_sign_PUBLICKEYBYTES> publicKey{};
    SecretKey secretKey;
    crypto_sign_keypair(publicKey.data(), secretKey.data());
    QByteArray secretBytes = bytes(secretKey.data(), SecretKey::size());
    const Outcome secretWritten =
        writeLine(secretKeyFile, secretBytes, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    sodium_memzero(secretBytes.data(), static_cast<size_t>(secretBytes.size()));
    if (secretWritten.failed()) {
        return secretWritten;
    }
    return writeLine(publicKeyFile, bytes(publicKey.data(), publicKey.size()),
                     QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                         QFileDevice::ReadOther);
}

Outcome sign(const QString& bundle, const QString& secretKeyFile) {
    if (sodium_init() < 0) {
        return Outcome::failure(QStringLiteral("the cryptography library cannot start"));
    }
    SecretKey secretKey;
    if (const Outcome keyRead = secretKey.read(secretKeyFile); keyRead.failed()) {
        return keyRead;
    }
    std::array<unsigned char, crypto_sign_PUBLICKEYBYTES> publicKey{};
    crypto_sign_ed25519_sk_to_pk(publicKey.data(), secretKey.data());

    const OutcomeOf<QByteArray> manifest = BundleManifest::build(bundle);
    if (manifest.failed()) {
        return Outcome::failure(manifest.error());
    }
    SignatureFile file;
    file.publicKey = bytes(publicKey.data(), publicKey.size());
    file.teamIdentifier = SignatureFile::teamIdentifierFor(file.publicKey);
    file.manifest = manifest.value();
    const QByteArray message = file.signedMessage();
    std::array<unsigned char, crypto_sign_BYTES> signature{};
    crypto_sign_detached(signature.data(), nullptr,
                         reinterpret_cast<const unsigned char*>(message.constData()),
                         static_cast<unsigned long long>(message.size()), secretKey.data());
    file.signature = bytes(signature.data(), signature.size());
    return file.write(bundle);
}

}  // namespace BundleSigner
