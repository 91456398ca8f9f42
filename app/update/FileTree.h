#pragma once

#include "core/Outcome.h"

#include <QString>

// Whole-folder operations on bundles. Links are never followed: they are copied as links and
// removed as links.
namespace FileTree {

// Copies `source` to `destination` (which must not exist). Folders become 0755, files 0755 when
// executable and 0644 otherwise, so a copy out of a read-only folder is an ordinary writable
// install.
Outcome copy(const QString& source, const QString& destination);

// Takes the write bits off every folder and file below and including `root`.
void makeReadOnly(const QString& root);

// Removes `root` and everything below it, first giving folders back their write bit so a
// read-only tree can go. Returns false when something is left.
bool remove(const QString& root);

}  // namespace FileTree
