#pragma once

#include <QString>

// The installed application is a self-contained folder (bin/, lib/, share/…) whose launcher is
// bin/velarion. A release signs the whole folder; the signature lives inside it.
namespace Bundle {

inline constexpr char kLauncher[] = "bin/velarion";
inline constexpr char kSignatureFile[] = ".velarion-signature";

// A real folder (not a link to one) that holds the launcher.
bool isBundle(const QString& path);

// The bundle of the running program: the folder above the launcher's bin/.
QString runningBundle();

// Where an update of `bundle` is staged: a hidden sibling, "." + name + ".update".
QString stagingPath(const QString& bundle);

}  // namespace Bundle
