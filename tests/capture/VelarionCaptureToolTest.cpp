// The velarion-capture command line, as the project's checks call it.

#include "CaptureTestSupport.h"
#include "TestWindows.h"

#include "support/QtPrinters.h"
#include "support/TempDir.h"
#include "support/XvfbServer.h"

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

struct Result {
    int exitCode = -1;
    QString out;
    QString err;
};

Result runTool(const QString& display, const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display);
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(VELARION_CAPTURE), arguments);
    if (!process.waitForFinished(30'000)) {
        process.kill();
        process.waitForFinished();
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

TEST(VelarionCaptureToolTest, ListsWritesFramesMeasuresAndFailsWithAMessage) {
    XvfbServer server;
    ASSERT_TRUE(server.isRunning()) << server.errorString();
    server.runClient("xdotool", {"mousemove", "1279", "799"});
    TestWindows back(server, "Back", {"600x400+0+0#ff0000:back"});
    TestWindows secret(server, "Secret", {"200x200+100+100#00ff00:secret\tname"});
    ASSERT_TRUE(back.isReady() && secret.isReady());

    const Result list = runTool(server.display(), {"--list"});
    EXPECT_EQ(list.exitCode, 0) << list.err;
    const QStringList lines = list.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << list.out;
    EXPECT_EQ(lines.at(0), QStringLiteral("%1\tSecret\tsecret\tname").arg(secret.ids().at(0)));
    EXPECT_EQ(lines.at(1), QStringLiteral("%1\tBack\tback").arg(back.ids().at(0)));

    TempDir dir;
    const QString path = dir.filePath(QStringLiteral("frame.png"));
    const QString hexId = QStringLiteral("0x%1").arg(secret.ids().at(0), 0, 16);
    const Result out = runTool(server.display(), {"--out", path, "--exclude-window", hexId});
    EXPECT_EQ(out.exitCode, 0) << out.err;
    const QImage frame(path);
    ASSERT_FALSE(frame.isNull());
    EXPECT_EQ(frame.size(), QSize(1280, 800));
    EXPECT_EQ(frame.pixel(150, 150) | 0xff000000, 0xffff0000u);

    const Result timed = runTool(server.display(), {"--seconds", "0.5"});
    EXPECT_EQ(timed.exitCode, 0) << timed.err;
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^frames=[1-9][0-9]* fps=[0-9.]+ cpu_s=[0-9.]+\n$"))
            .match(timed.out)
            .hasMatch())
        << timed.out;

    for (const QStringList& arguments :
         {QStringList{}, QStringList{"--list", "--seconds", "1"}, QStringList{"--out"},
          QStringList{"--list", "--exclude-window", "x1"}}) {
        const Result result = runTool(server.display(), arguments);
        EXPECT_EQ(result.exitCode, 1) << arguments.join(QLatin1Char(' '));
        EXPECT_TRUE(result.err.startsWith(QStringLiteral("velarion-capture: "))) << result.err;
    }

    // No X server to reach: the message names the display.
    const Result noServer = runTool(":4999", {"--list"});
    EXPECT_EQ(noServer.exitCode, 1);
    EXPECT_TRUE(noServer.err.contains(":4999")) << noServer.err;
}

}  // namespace
