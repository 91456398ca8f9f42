// The application itself holds the panic hot key from start-up, and a press with no panic action
// installed yet leaves it running.

#include "support/TempDir.h"
#include "support/WaitFor.h"
#include "support/XvfbServer.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>

TEST(HotkeyAppX11Test, ApplicationGrabsDefaultComboAndSurvivesPressWithoutAction) {
    XvfbServer server;
    ASSERT_TRUE(server.isRunning()) << server.errorString().toStdString();
    // Keeps the server from resetting between the short-lived clients below.
    const pid_t keeper = server.startClient(QStringLiteral("xdotool"),
                                            {QStringLiteral("sleep"), QStringLiteral("600")});
    ASSERT_GT(keeper, 0);

    TempDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), server.display());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));

    QProcess app;
    app.setProcessEnvironment(env);
    app.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    app.start(QStringLiteral(VELARION_BINARY), {});
    ASSERT_TRUE(app.waitForStarted());

    // The hot key is grabbed while the services are built, before the main window shows.
    ASSERT_TRUE(waitFor([&] {
        return !server
                    .runClient(QStringLiteral("xdotool"),
                               {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                QStringLiteral("--name"), QStringLiteral("^Velarion$")})
                    .trimmed()
                    .isEmpty();
    })) << "main window";

    QProcess helper;
    helper.setProcessEnvironment(env);
    helper.start(QStringLiteral(GRAB_HELPER_BINARY),
                 {QStringLiteral("0x68"), QStringLiteral("0x4c")});
    ASSERT_TRUE(helper.waitForFinished(10'000));
    EXPECT_EQ(helper.readAllStandardOutput().trimmed(), QByteArray("refused"))
        << "the application must hold ctrl+alt+super+h";

    server.runClient(QStringLiteral("xdotool"),
                     {QStringLiteral("key"), QStringLiteral("ctrl+alt+super+h")});
    server.runClient(QStringLiteral("xdotool"),
                     {QStringLiteral("key"), QStringLiteral("ctrl+alt+super+h")});
    EXPECT_FALSE(app.waitForFinished(1'000)) << "a press without a panic action ended the app";

    app.terminate();
    ASSERT_TRUE(app.waitForFinished(10'000));
    EXPECT_EQ(app.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(app.exitCode(), 0);
}
