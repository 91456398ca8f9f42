#pragma once

#include <QString>

// Where updates of an installed copy come from. A copy that a package installed, or one whose
// folders this user may not write, is never replaced by the application itself: the update is
// staged beside the copy and moved onto it, which would fight the package manager (its file list
// and checksums would no longer match) or fail half-way for lack of rights.
namespace UpdateSource {

enum class Kind {
    // The application downloads, verifies and replaces itself.
    selfUpdate,
    // The package manager updates the copy; the application only tells.
    packageManager,
};

// For the copy in `bundle` (the folder above bin/velarion). Write rights are read from the
// folders' permission bits for this user's ids, not from access(): root may write anywhere, and
// a tree installed read-only is meant to stay so. `packageDatabase` holds dpkg's "<package>.list"
// files.
Kind forBundle(const QString& bundle,
               const QString& packageDatabase = QStringLiteral("/var/lib/dpkg/info"));

}  // namespace UpdateSource
