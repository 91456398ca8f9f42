#pragma once

#include "ui/controllers/ShellActions.h"

#include <QStringList>
#include <QUrl>

#include <functional>

// Records what views and controllers ask of the shell.
class RecordingShellActions final : public ShellActions {
public:
    QStringList calls;

    void openWindow(const QString& identifier) override {
        calls << QStringLiteral("open ") + identifier;
    }
    void openUrl(const QUrl& url) override { calls << QStringLiteral("url ") + url.toString(); }
    void bringToFront() override { calls << QStringLiteral("front"); }
    void quit() override { calls << QStringLiteral("quit"); }
    void relaunch() override {
        calls << QStringLiteral("relaunch");
        if (onRelaunch) {
            onRelaunch();
        }
    }
    void openDesktopSettings(const QString& pane) override {
        calls << QStringLiteral("settings ") + pane;
    }
    // Runs at a relaunch, for tests that check what was stored before it.
    std::function<void()> onRelaunch;
};
