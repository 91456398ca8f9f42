#pragma once

#include <QString>

#include <optional>

// The release side of bundle signatures: Ed25519 key pairs and signing a bundle folder. Each
// operation returns its error text, or nullopt on success.
namespace BundleSigner {

// Writes a new key pair: the secret key (mode 0600) and the public key, each as one base64 line.
std::optional<QString> generateKeys(const QString& secretKeyFile, const QString& publicKeyFile);

// Lists every entry of `bundle`, signs the list with the secret key and stores the signature
// file inside the bundle, replacing an earlier one.
std::optional<QString> sign(const QString& bundle, const QString& secretKeyFile);

}  // namespace BundleSigner
