#pragma once

#include "core/Outcome.h"

#include <QString>

// The release side of bundle signatures: Ed25519 key pairs and signing a bundle folder. Each
// operation fails with its error text.
namespace BundleSigner {

// Writes a new key pair: the secret key (mode 0600) and the public key, each as one base64 line.
Outcome generateKeys(const QString& secretKeyFile, const QString& publicKeyFile);

// Lists every entry of `bundle`, signs the list with the secret key and stores the signature
// file inside the bundle, replacing an earlier one.
Outcome sign(const QString& bundle, const QString& secretKeyFile);

}  // namespace BundleSigner
