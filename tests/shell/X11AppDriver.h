#pragma once

// What the end-to-end tests do to the real application under a private X server: prepare its
// settings, find its windows and click into them as a user would.

#include "support/TempDir.h"
#include "support/XvfbServer.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStringList>

#include <gtest/gtest.h>

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

// A window of the application ("velarion" class) anywhere in the tree, with its size.
struct AppWindow {
    QString id;
    int width = 0;
    int height = 0;
};

// The application's windows in the whole tree (xwininfo), docked tray icons included.
inline QList<AppWindow> applicationWindows(const XvfbServer& server) {
    const QString tree = server.runClient(QStringLiteral("xwininfo"),
                                          {QStringLiteral("-root"), QStringLiteral("-tree")});
    static const QRegularExpression line(
        QStringLiteral(R"((0x[0-9a-f]+) .*\("velarion" "Velarion"\):? +(\d+)x(\d+)\+)"));
    QList<AppWindow> found;
    for (auto it = line.globalMatch(tree); it.hasNext();) {
        const auto match = it.next();
        found.push_back({match.captured(1), match.captured(2).toInt(), match.captured(3).toInt()});
    }
    return found;
}

// The real application on a private X server with a window manager and a tray host, its settings
// in English, and the GNOME plans writing through the real gsettings tool into a keyfile in a
// temporary folder (the desktop icons shown first, so that hiding them is a change).
class X11AppTest : public ::testing::Test {
protected:
    static inline const QString kBackground = QStringLiteral("org.gnome.desktop.background");
    static inline const QString kIconsKey = QStringLiteral("show-desktop-icons");
    // Where, inside the 320-pixel popover, the first switch (Desktop Shield) sits (left-to-right
    // layout, English texts).
    static constexpr int kSwitchX = 289;
    static constexpr int kFirstSwitchY = 77;

    void SetUp() override {
        ASSERT_TRUE(m_server.isRunning()) << m_server.errorString().toStdString();
        ASSERT_TRUE(QFile::exists(QStringLiteral("/usr/bin/gsettings")));
        ASSERT_TRUE(writeEnglishSettings(m_home.filePath(QStringLiteral("config"))));

        m_env = QProcessEnvironment::systemEnvironment();
        m_env.insert(QStringLiteral("DISPLAY"), m_server.display());
        m_env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        m_env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral("config")));
        m_env.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("GNOME"));
        m_env.insert(QStringLiteral("GSETTINGS_BACKEND"), QStringLiteral("keyfile"));
        m_env.remove(QStringLiteral("GSETTINGS_SCHEMA_DIR"));
        // The real gsettings, one call at a time: both shields may write at once, and the keyfile
        // backend (unlike dconf) loses one of two concurrent writes.
        QDir().mkpath(m_home.filePath(QStringLiteral("tools")));
        QFile tool(m_home.filePath(QStringLiteral("tools/gsettings")));
        ASSERT_TRUE(tool.open(QIODevice::WriteOnly));
        tool.write("#!/bin/sh\nexec /usr/bin/flock \"$0.lock\" /usr/bin/gsettings \"$@\"\n");
        tool.close();
        tool.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_env.insert(QStringLiteral("VELARION_TEST_TOOLS_DIR"),
                     m_home.filePath(QStringLiteral("tools")));
        m_env.remove(QStringLiteral("VELARION_TEST_SHIELDS_ON_AT_START"));
        ASSERT_TRUE(gsettingsSet(kBackground, kIconsKey, QStringLiteral("true")));
    }

    void TearDown() override {
        if (m_app.state() != QProcess::NotRunning) {
            m_app.kill();
            m_app.waitForFinished(20'000);
        }
    }

    void startApp() {
        m_app.setProcessEnvironment(m_env);
        m_app.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_app.start(QStringLiteral(VELARION_BINARY), {});
        ASSERT_TRUE(m_app.waitForStarted());
    }

    QString gsettings(const QString& schema, const QString& key) {
        QProcess tool;
        tool.setProcessEnvironment(m_env);
        tool.start(QStringLiteral("/usr/bin/gsettings"), {QStringLiteral("get"), schema, key});
        tool.waitForFinished(20'000);
        return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
    }

    bool gsettingsSet(const QString& schema, const QString& key, const QString& value) {
        QProcess tool;
        tool.setProcessEnvironment(m_env);
        tool.start(QStringLiteral("/usr/bin/gsettings"),
                   {QStringLiteral("set"), schema, key, value});
        return tool.waitForFinished(20'000) && tool.exitCode() == 0;
    }

    // The tray icons: the application's windows inside the tray's panel, as small as an icon.
    QStringList trayIcons() {
        QStringList icons;
        for (const AppWindow& window : applicationWindows(m_server)) {
            if (window.width <= 64 && window.height <= 64 && window.width > 1) {
                icons << window.id;
            }
        }
        return icons;
    }

    QString search(const QStringList& args) { return searchWindows(m_server, args); }
    void click(const QString& window, int x, int y) { clickAt(m_server, window, x, y); }

    XvfbServer m_server{[] {
        XvfbServer::Options options;
        options.windowManager = true;
        options.trayHost = true;
        return options;
    }()};
    TempDir m_home;
    QProcessEnvironment m_env;
    QProcess m_app;
};
