#include "update/FileTree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemError(const QString& path) {
    return path + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
}

QStringList children(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

bool lstatPath(const QString& path, struct stat* info) {
    return ::lstat(QFile::encodeName(path).constData(), info) == 0;
}

Outcome copyFile(const QString& source, const QString& destination, mode_t sourceMode) {
    QFile in(source);
    QFile out(destination);
    if (!in.open(QIODevice::ReadOnly)) {
        return Outcome::failure(source + QStringLiteral(": ") + in.errorString());
    }
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        return Outcome::failure(destination + QStringLiteral(": ") + out.errorString());
    }
    QByteArray chunk;
    while (!(chunk = in.read(1 << 20)).isEmpty()) {
        if (out.write(chunk) != chunk.size()) {
            return Outcome::failure(destination + QStringLiteral(": ") + out.errorString());
        }
    }
    if (in.error() != QFileDevice::NoError) {
        return Outcome::failure(source + QStringLiteral(": ") + in.errorString());
    }
    if (!out.flush()) {
        return Outcome::failure(destination + QStringLiteral(": ") + out.errorString());
    }
    const mode_t mode = (sourceMode & S_IXUSR) ? 0755 : 0644;
    if (::chmod(QFile::encodeName(destination).constData(), mode) != 0) {
        return Outcome::failure(systemError(destination));
    }
    return Outcome::success();
}

}  // namespace

namespace FileTree {

Outcome copy(const QString& source, const QString& destination) {
    struct stat info {};
    if (!lstatPath(source, &info)) {
        return Outcome::failure(systemError(source));
    }
    const QByteArray destinationName = QFile::encodeName(destination);
    if (S_ISLNK(info.st_mode)) {
        QByteArray raw(PATH_MAX, '\0');
        const ssize_t length = ::readlink(QFile::encodeName(source).constData(), raw.data(),
                                          static_cast<size_t>(raw.size()));
        if (length < 0 || length >= raw.size()) {
            return Outcome::failure(systemError(source));
        }
        raw.truncate(length);
        if (::symlink(raw.constData(), destinationName.constData()) != 0) {
            return Outcome::failure(systemError(destination));
        }
        return Outcome::success();
    }
    if (S_ISREG(info.st_mode)) {
        return copyFile(source, destination, info.st_mode);
    }
    if (!S_ISDIR(info.st_mode)) {
        return Outcome::failure(source + QStringLiteral(": not a file, folder or link"));
    }
    if (::mkdir(destinationName.constData(), 0755) != 0) {
        return Outcome::failure(systemError(destination));
    }
    for (const QString& name : children(source)) {
        if (const Outcome copied =
                copy(source + QLatin1Char('/') + name, destination + QLatin1Char('/') + name);
            copied.failed()) {
            return copied;
        }
    }
    return Outcome::success();
}

void makeReadOnly(const QString& root) {
    struct stat info {};
    if (!lstatPath(root, &info) || S_ISLNK(info.st_mode)) {
        return;
    }
    if (S_ISDIR(info.st_mode)) {
        for (const QString& name : children(root)) {
            makeReadOnly(root + QLatin1Char('/') + name);
        }
    }
    ::chmod(QFile::encodeName(root).constData(), info.st_mode & 07555);
}

bool remove(const QString& root) {
    struct stat info {};
    if (!lstatPath(root, &info)) {
        return errno == ENOENT;
    }
    const QByteArray name = QFile::encodeName(root);
    if (!S_ISDIR(info.st_mode)) {
        return ::unlink(name.constData()) == 0;
    }
    ::chmod(name.constData(), (info.st_mode & 07777) | S_IRWXU);
    bool removedAll = true;
    for (const QString& child : children(root)) {
        removedAll = remove(root + QLatin1Char('/') + child) && removedAll;
    }
    return ::rmdir(name.constData()) == 0 && removedAll;
}

}  // namespace FileTree
