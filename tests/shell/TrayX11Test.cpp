// The real application under a private X server with a tray host: it shows its main window and
// its tray icon, and a termination signal ends it cleanly through the quit path.

#include "support/TempDir.h"
#include "support/WaitFor.h"
#include "support/XvfbServer.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

TEST(TrayX11Test, ApplicationShowsWindowAndTrayIconAndQuitsOnSigterm) {
    XvfbServer::Options options;
    options.windowManager = true;
    options.trayHost = true;
    XvfbServer server(options);
    ASSERT_TRUE(server.isRunning()) << server.errorString().toStdString();

    TempDir home;
    QProcess app;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), server.display());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    app.setProcessEnvironment(env);
    app.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    app.start(QStringLiteral(VELARION_BINARY), {});
    ASSERT_TRUE(app.waitForStarted());

    const auto search = [&server](const QStringList& args) {
        return server
            .runClient(QStringLiteral("xdotool"), QStringList{QStringLiteral("search")} + args)
            .trimmed();
    };
    EXPECT_TRUE(waitFor([&] {
        return !search({QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                        QStringLiteral("^Velarion$")})
                    .isEmpty();
    })) << "main window";

    // The tray host reparents the icon into its panel: it shows up as a child of trayer's window.
    EXPECT_TRUE(waitFor([&] {
        const QString trayer = search({QStringLiteral("--class"), QStringLiteral("trayer")});
        if (trayer.isEmpty()) {
            return false;
        }
        const QString tree = server.runClient(QStringLiteral("xwininfo"),
                                              {QStringLiteral("-children"), QStringLiteral("-id"),
                                               trayer.split(QLatin1Char('\n')).first()});
        return tree.contains(QStringLiteral("child")) &&
               !tree.contains(QStringLiteral("0 children"));
    })) << "tray icon docked";

    app.terminate();
    ASSERT_TRUE(app.waitForFinished(20'000));
    EXPECT_EQ(app.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(app.exitCode(), 0);
}
