#include "core/InstallLayout.h"

#include <QDir>
#include <QFileInfo>

namespace InstallLayout {

QString programDirectory() {
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
}

QString privatePart(const QString& fileName, const QString& programDirectory) {
    const QDir program(programDirectory);
    const QString beside = program.filePath(fileName);
    if (QFileInfo::exists(beside)) {
        return beside;
    }
    return QDir::cleanPath(program.filePath(QStringLiteral("../lib/velarion/") + fileName));
}

QString userUnit(const QString& unitName, const QString& programDirectory) {
    return QDir::cleanPath(
        QDir(programDirectory).filePath(QStringLiteral("../lib/systemd/user/") + unitName));
}

}  // namespace InstallLayout
