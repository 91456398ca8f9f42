#pragma once

#include <QString>

#include <optional>

// The path rules an extracted entry must keep to stay inside the extraction folder.
namespace ArchivePaths {

// `name` with "./" and "." pieces dropped, or nullopt when it is empty, absolute or has a ".."
// piece.
std::optional<QString> safeRelative(const QString& name);

// Whether a link stored at `linkPath` (already safe) with target `target` resolves inside the
// extraction folder. Only leading ".." pieces are allowed, no more of them than the link's own
// depth, so no chain of such links can climb out either.
bool linkStaysInside(const QString& linkPath, const QString& target);

}  // namespace ArchivePaths
