#pragma once

#include "core/Outcome.h"

#include "update/UpdateArchive.h"

// Update archives as POSIX tar compressed with zstd. Owners, groups and times are not
// restored; modes are kept. Extraction stops with an error, before the entry that would cross
// it, at a cap on the entries' declared sizes and on their number: an archive is untrusted until
// its signature is checked, which needs it extracted, so a small download must not be able to
// fill the disk.
class TarZstdArchive final : public UpdateArchive {
public:
    struct Limits {
        // An application bundle with its Qt libraries is a few hundred MiB at most.
        qint64 maxTotalBytes = qint64{2} << 30;
        qint64 maxEntries = 50'000;
    };

    TarZstdArchive() = default;
    explicit TarZstdArchive(Limits limits)
        : m_limits(limits) {}

    QString fileExtension() const override { return QStringLiteral(".tar.zst"); }
    Outcome pack(const QString& bundle, const QString& archive) const override;
    Outcome extract(const QString& archive, const QString& destination) const override;

private:
    Limits m_limits;
};
