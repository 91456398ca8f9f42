#pragma once

#include "core/Outcome.h"

#include <QString>

// The file a release publishes: one bundle folder packed with everything below it. Each
// operation fails with its error text.
class UpdateArchive {
public:
    virtual ~UpdateArchive() = default;

    // The extension of the archive's file name, with its leading dot.
    virtual QString fileExtension() const = 0;

    // Packs `bundle` so that it appears at the archive's top level under its folder name.
    virtual Outcome pack(const QString& bundle, const QString& archive) const = 0;

    // Extracts into the existing, empty folder `destination`. An entry with an absolute path, a
    // ".." component, a link that leads out of `destination`, or of any other kind than folder,
    // file or link is refused before anything of it is written; so is a corrupt archive.
    virtual Outcome extract(const QString& archive, const QString& destination) const = 0;
};
