#pragma once

#include "core/Outcome.h"

#include "update/BundleVerifier.h"

// Checks the Ed25519 signature a release put inside a bundle. Thread-safe: holds no state.
class SignedBundleVerifier final : public BundleVerifier {
public:
    bool verify(const QString& bundle) const override { return check(bundle).succeeded(); }
    std::optional<QString> teamIdentifier(const QString& bundle) const override;

    // Fails with the reason `bundle` does not verify.
    Outcome check(const QString& bundle) const;
};
