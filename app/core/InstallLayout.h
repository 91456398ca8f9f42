#pragma once

#include <QString>

// Where the parts of this copy of Velarion are, found from the running program's own location so
// that one tree works under /usr, under /opt and unpacked in a home folder:
//   <prefix>/bin/velarion, <prefix>/lib/velarion/<private parts>,
//   <prefix>/lib/systemd/user/<user services>
// and, in a build tree, every part beside the program.
namespace InstallLayout {

// The folder of the running executable, links resolved.
QString programDirectory();

// A private part (the camera daemon, the recognition module): beside the program when it is
// there (a build tree), else in ../lib/velarion. When neither exists, the installed place, so
// that an error names where the part belongs.
QString privatePart(const QString& fileName, const QString& folder = programDirectory());

// The user service `unitName` this copy installs: ../lib/systemd/user/<unitName>.
QString userUnit(const QString& unitName, const QString& folder = programDirectory());

}  // namespace InstallLayout
