#pragma once

// What the end-to-end tests do to the real application under a private X server: prepare its
// settings, find its windows and click into them as a user would.

#include "support/XvfbServer.h"

#include <QDir>
#include <QFile>
#include <QStringList>

// English, and the camera set-up counts as seen: no set-up window opens over the one under test.
inline bool writeEnglishSettings(const QString& configHome) {
    QDir().mkpath(configHome + QStringLiteral("/orvandel"));
    QFile conf(configHome + QStringLiteral("/orvandel/Velarion.conf"));
    return conf.open(QIODevice::WriteOnly) &&
           conf.write("[General]\nappLanguage=en\nhasSeenCameraSetup=true\n") > 0;
}

// The ids xdotool finds for `args` (one a line; empty when none).
inline QString searchWindows(const XvfbServer& server, const QStringList& args) {
    return server.runClient(QStringLiteral("xdotool"), QStringList{QStringLiteral("search")} + args)
        .trimmed();
}

inline void clickAt(const XvfbServer& server, const QString& window, int x, int y) {
    server.runClient(
        QStringLiteral("xdotool"),
        {QStringLiteral("mousemove"), QStringLiteral("--window"), window, QString::number(x),
         QString::number(y), QStringLiteral("click"), QStringLiteral("1")});
}
