#pragma once

#include "core/Outcome.h"

#include <QByteArray>
#include <QString>

// The text a signature covers: one line per folder, file and link below a bundle (the signature
// file itself excepted), sorted, each naming the entry's kind, its normalised mode (executable or
// not), the SHA-256 of its content (of the target text for a link) and its percent-encoded
// relative path. Anything added, removed, changed or made executable changes the text.
class BundleManifest {
public:
    // The text, or why the bundle cannot be read.
    static OutcomeOf<QByteArray> build(const QString& bundlePath);
};
