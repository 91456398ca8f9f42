#include "support/XvfbServer.h"

#include <gtest/gtest.h>

#include <csignal>

TEST(XvfbServerTest, StartsPrivateServersWithCompositeOnTheirOwnDisplaysAndEndsThemByPid) {
    pid_t clientPid = -1;
    {
        XvfbServer::Options options;
        options.width = 1024;
        options.height = 768;
        options.windowManager = true;
        XvfbServer server(options);
        ASSERT_TRUE(server.isRunning()) << server.errorString().toStdString();
        EXPECT_TRUE(server.display().startsWith(QLatin1Char(':')));
        const XvfbServer second;
        ASSERT_TRUE(second.isRunning()) << second.errorString().toStdString();
        EXPECT_NE(second.display(), server.display());

        const QString info = server.runClient(QStringLiteral("xdpyinfo"), {});
        EXPECT_TRUE(info.contains(QStringLiteral("1024x768 pixels"))) << info.toStdString();
        EXPECT_TRUE(info.contains(QStringLiteral("Composite")));

        const QString wm =
            server.runClient(QStringLiteral("xprop"),
                             {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")});
        EXPECT_TRUE(wm.contains(QStringLiteral("window id"))) << "openbox manages the screen";

        clientPid = server.startClient(QStringLiteral("sleep"), {QStringLiteral("60")});
        ASSERT_GT(clientPid, 0);
    }
    EXPECT_NE(::kill(clientPid, 0), 0) << "clients end with the fixture";
}
