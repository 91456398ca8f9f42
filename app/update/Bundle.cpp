#include "update/Bundle.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace Bundle {

bool isBundle(const QString& path) {
    const QFileInfo folder(path);
    if (folder.isSymLink() || !folder.isDir()) {
        return false;
    }
    const QFileInfo launcher(QDir(path).filePath(QString::fromLatin1(kLauncher)));
    return launcher.isFile();
}

QString runningBundle() {
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/.."));
}

QString stagingPath(const QString& bundle) {
    const QFileInfo target(QDir::cleanPath(bundle));
    return target.dir().filePath(QLatin1Char('.') + target.fileName() + QStringLiteral(".update"));
}

}  // namespace Bundle
