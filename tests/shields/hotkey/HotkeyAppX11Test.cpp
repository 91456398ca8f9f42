// The application itself holds the panic hot key from start-up, and a press with no panic action
// installed yet leaves it running.

#include "support/TempDir.h"
#include "support/WaitFor.h"
#include "support/XvfbServer.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

TEST(HotkeyAppX11Test, ApplicationGrabsDefaultComboAndSurvivesPressWithoutAction) {
    XvfbServer server;
    ASSERT_TRUE(server.isRunning()) << server.errorString().toStdString();
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
                    .isEmpty();
    })) << "main window";

    QProcess helper;
    helper.setProcessEnvironment(env);
    helper.start(QStringLiteral(GRAB_HELPER_BINARY),
                 {QStringLiteral("0x68"), QStringLiteral("0x4c")});
    helper.closeWriteChannel();  // a helper that did get the grab ends at once
    ASSERT_TRUE(helper.waitForFinished(20'000));
    EXPECT_EQ(helper.readAllStandardOutput().trimmed(), QByteArray("refused"))
        << "the application must hold ctrl+alt+super+h";

    for (int i = 0; i < 2; ++i) {
        server.runClient(QStringLiteral("xdotool"),
                         {QStringLiteral("key"), QStringLiteral("ctrl+alt+super+h")});
    }
    EXPECT_FALSE(app.waitForFinished(2'000)) << "a press without a panic action ended the app";

    app.terminate();
    ASSERT_TRUE(app.waitForFinished(20'000));
    EXPECT_EQ(app.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(app.exitCode(), 0);
}
