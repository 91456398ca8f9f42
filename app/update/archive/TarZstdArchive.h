#pragma once

#include "core/Outcome.h"

#include "update/UpdateArchive.h"

// Update archives as POSIX tar compressed with zstd. Owners, groups and times are not
// restored; modes are kept.
class TarZstdArchive final : public UpdateArchive {
public:
    QString fileExtension() const override { return QStringLiteral(".tar.zst"); }
    Outcome pack(const QString& bundle, const QString& archive) const override;
    Outcome extract(const QString& archive, const QString& destination) const override;
};
