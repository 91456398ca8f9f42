#pragma once

#include "shields/ScopedEnvironment.h"

#include <QFile>
#include <QStandardPaths>

// A copy of sleep in `folder` named like the camera daemon: its path, empty if it failed.
inline QString sleepNamedLikeTheDaemon(const QString& folder) {
    const QString copy = folder + QStringLiteral("/velarion-camera-extension");
    if (!QFile::copy(QStandardPaths::findExecutable(QStringLiteral("sleep")), copy)) {
        return {};
    }
    QFile(copy).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return copy;
}
