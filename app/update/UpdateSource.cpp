#include "update/UpdateSource.h"

#include "update/Bundle.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace UpdateSource {
namespace {

bool inGroup(gid_t group) {
    if (group == ::getegid()) {
        return true;
    }
    const int count = ::getgroups(0, nullptr);
    std::vector<gid_t> groups(count > 0 ? count : 0);
    if (count > 0 && ::getgroups(count, groups.data()) == count) {
        for (const gid_t g : groups) {
            if (g == group) {
                return true;
            }
        }
    }
    return false;
}

bool grantsWrite(const QString& folder) {
    struct stat info {};
    if (::stat(QFile::encodeName(folder).constData(), &info) != 0) {
        return false;
    }
    if (info.st_uid == ::geteuid()) {
        return (info.st_mode & S_IWUSR) != 0;
    }
    if (inGroup(info.st_gid)) {
        return (info.st_mode & S_IWGRP) != 0;
    }
    return (info.st_mode & S_IWOTH) != 0;
}

// Whether a package's file list names the launcher (dpkg writes one path per line).
bool listedByPackage(const QString& launcher, const QString& packageDatabase) {
    const QDir database(packageDatabase);
    const QStringList lists = database.entryList(
        {QStringLiteral("velarion.list"), QStringLiteral("velarion:*.list")}, QDir::Files);
    for (const QString& name : lists) {
        QFile list(database.filePath(name));
        if (!list.open(QIODevice::ReadOnly)) {
            continue;
        }
        while (!list.atEnd()) {
            const QString path = QFile::decodeName(list.readLine().trimmed());
            if (path == launcher || QFileInfo(path).canonicalFilePath() == launcher) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

Kind forBundle(const QString& bundle, const QString& packageDatabase) {
    const QString folder = QFileInfo(bundle).canonicalFilePath();
    if (folder.isEmpty()) {
        return Kind::packageManager;
    }
    const QString launcher =
        QFileInfo(QDir(folder).filePath(QString::fromLatin1(Bundle::kLauncher)))
            .canonicalFilePath();
    if (listedByPackage(launcher, packageDatabase)) {
        return Kind::packageManager;
    }
    const QString parent = QFileInfo(folder).path();
    return grantsWrite(folder) && grantsWrite(parent) ? Kind::selfUpdate : Kind::packageManager;
}

}  // namespace UpdateSource
