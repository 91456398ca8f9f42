#pragma once

#include <QString>

#include <optional>

// What the installer asks of a bundle's signature: is it whole and genuine, and who signed it.
class BundleVerifier {
public:
    virtual ~BundleVerifier() = default;

    // True only when the signature is valid, every listed file matches and nothing is unlisted.
    virtual bool verify(const QString& bundle) const = 0;
    // The signer's key id, or nullopt for an unsigned bundle.
    virtual std::optional<QString> teamIdentifier(const QString& bundle) const = 0;
};
