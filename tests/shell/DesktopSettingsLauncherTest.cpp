#include "shell/DesktopSettingsLauncher.h"

#include "support/TempDir.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

// An executable stand-in for a settings program in `dir`.
void installTool(const TempDir& dir, const QString& name) {
    QFile tool(dir.filePath(name));
    ASSERT_TRUE(tool.open(QIODevice::WriteOnly));
    tool.write("#!/bin/sh\n");
    tool.close();
    tool.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

}  // namespace

TEST(DesktopSettingsLauncherTest, OpensTheRunningDesktopsOwnProgramByAbsolutePathOrNothing) {
    TempDir tools;
    installTool(tools, QStringLiteral("gnome-control-center"));
    installTool(tools, QStringLiteral("systemsettings"));

    struct Case {
        QStringList desktops;
        QString pane;
        QString program;  // empty: nothing opens
        QStringList arguments;
    };
    const Case cases[] = {
        {{"ubuntu", "gnome"}, "privacy", "gnome-control-center", {"privacy"}},
        // A pane the program has no page for opens its start page.
        {{"gnome"}, "login", "gnome-control-center", {}},
        {{"kde"}, "notifications", "systemsettings", {"kcm_notifications"}},
        // Cinnamon's program is not installed here; i3 has none at all.
        {{"x-cinnamon", "cinnamon"}, "privacy", "", {}},
        {{"i3"}, "privacy", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((c.desktops.join(u':') + u' ' + c.pane).toStdString());
        DesktopEnvironment environment;
        environment.desktops = c.desktops;
        environment.toolDirs = {tools.path()};
        const auto command = DesktopSettingsLauncher::commandFor(environment, c.pane);
        if (c.program.isEmpty()) {
            EXPECT_FALSE(command.has_value());
            continue;
        }
        ASSERT_TRUE(command.has_value());
        EXPECT_EQ(command->program, tools.filePath(c.program));
        EXPECT_EQ(command->arguments, c.arguments);
    }
}
