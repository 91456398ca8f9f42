#pragma once

#include "update/BundleVerifier.h"

// Checks the Ed25519 signature a release put inside a bundle. Thread-safe: holds no state.
class SignedBundleVerifier final : public BundleVerifier {
public:
    bool verify(const QString& bundle) const override { return !problem(bundle); }
    std::optional<QString> teamIdentifier(const QString& bundle) const override;

    // Why `bundle` fails verification, or nullopt when it passes.
    std::optional<QString> problem(const QString& bundle) const;
};
