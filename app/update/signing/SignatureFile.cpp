#include "update/signing/SignatureFile.h"

#include "update/Bundle.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace {

constexpr char kFormatLine[] = "Velarion-Bundle-Signature: 1";
constexpr char kTeamKey[] = "TeamIdentifier: ";
constexpr char kPublicKeyKey[] = "PublicKey: ";
constexpr char kSignatureKey[] = "Signature: ";
// A bundle's manifest is one short line per file; this bounds what a hostile bundle can make us
// read.
constexpr qint64 kMaxFileBytes = 64 * 1024 * 1024;

std::optional<QByteArray> field(const QByteArray& line, const char* key) {
    if (!line.startsWith(key)) {
        return std::nullopt;
    }
    return line.mid(static_cast<qsizetype>(qstrlen(key)));
}

std::optional<QByteArray> base64Field(const QByteArray& line, const char* key) {
    const std::optional<QByteArray> text = field(line, key);
    if (!text) {
        return std::nullopt;
    }
    auto decoded = QByteArray::fromBase64Encoding(*text, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded) {
        return std::nullopt;
    }
    return *decoded;
}

}  // namespace

QString SignatureFile::path(const QString& bundle) {
    return QDir(bundle).filePath(QString::fromLatin1(Bundle::kSignatureFile));
}

std::optional<SignatureFile> SignatureFile::read(const QString& bundle) {
    QFile file(path(bundle));
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileBytes) {
        return std::nullopt;
    }
    const QByteArray content = file.readAll();
    const qsizetype headerEnd = content.indexOf("\n\n");
    if (headerEnd < 0) {
        return std::nullopt;
    }
    const QList<QByteArray> lines = content.left(headerEnd).split('\n');
    if (lines.size() != 4 || lines[0] != kFormatLine) {
        return std::nullopt;
    }
    const auto team = field(lines[1], kTeamKey);
    const auto publicKey = base64Field(lines[2], kPublicKeyKey);
    const auto signature = base64Field(lines[3], kSignatureKey);
    if (!team || !publicKey || !signature) {
        return std::nullopt;
    }
    return SignatureFile{QString::fromUtf8(*team), *publicKey, *signature,
                         content.mid(headerEnd + 2)};
}

Outcome SignatureFile::write(const QString& bundle) const {
    QByteArray content = QByteArray(kFormatLine) + '\n';
    content += kTeamKey + teamIdentifier.toUtf8() + '\n';
    content += kPublicKeyKey + publicKey.toBase64() + '\n';
    content += kSignatureKey + signature.toBase64() + "\n\n";
    content += manifest;
    QSaveFile file(path(bundle));
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() ||
        !file.commit()) {
        return Outcome::failure(file.fileName() + QStringLiteral(": ") + file.errorString());
    }
    return Outcome::success();
}

QString SignatureFile::teamIdentifierFor(const QByteArray& publicKey) {
    const QByteArray digest = QCryptographicHash::hash(publicKey, QCryptographicHash::Sha256);
    return QString::fromLatin1(digest.left(8).toHex().toUpper());
}

QByteArray SignatureFile::signedMessage() const {
    return QByteArray("velarion-bundle-signature-v1") + '\0' + teamIdentifier.toUtf8() + '\0' +
           manifest;
}
