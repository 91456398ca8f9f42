#pragma once

#include "core/Outcome.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The signature stored inside a signed bundle: the signer's key id (the "team identifier"), its
// Ed25519 public key, the signature and the manifest it covers. Only the format lives here; the
// cryptography is in BundleSigner and SignedBundleVerifier.
struct SignatureFile {
    QString teamIdentifier;
    QByteArray publicKey;
    QByteArray signature;
    QByteArray manifest;

    static QString path(const QString& bundle);
    // nullopt when the bundle has no signature file or it is malformed.
    static std::optional<SignatureFile> read(const QString& bundle);
    // Writes atomically.
    Outcome write(const QString& bundle) const;

    // The key id derived from a public key: the first 8 bytes of its SHA-256 in upper-case hex.
    static QString teamIdentifierFor(const QByteArray& publicKey);
    // The bytes the signature covers.
    QByteArray signedMessage() const;
};
