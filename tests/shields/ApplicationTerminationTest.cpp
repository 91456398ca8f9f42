// The real application with both shields switched on against stand-in tools: a termination
// signal must leave the desktop icons shown and Do Not Disturb off, even when it arrives while
// the tools that switched them on are still running.

#include "FakeTools.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>

#include "support/WaitFor.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

QString lastLineFor(const QStringList& journal, const QString& channel) {
    const QStringList lines = journal.filter(channel);
    return lines.isEmpty() ? QString() : lines.last();
}

}  // namespace

TEST(ApplicationTerminationTest, SigtermWhileShieldsAreOnRestoresBoth) {
    FakeTools tools;
    // Switching on is slow, so the signal lands while the tools are still at work.
    tools.add(QStringLiteral("xfconf-query"),
              R"(case "$*" in *"-s 0"|*"-s true") sleep 1 ;; esac)");
    TempDir home;

    QProcess app;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("XFCE"));
    env.insert(QStringLiteral("VELARION_TEST_TOOLS_DIR"), tools.dir());
    env.insert(QStringLiteral("VELARION_TEST_SHIELDS_ON_AT_START"), QStringLiteral("1"));
    app.setProcessEnvironment(env);
    app.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    app.start(QStringLiteral(VELARION_BINARY), {});
    ASSERT_TRUE(app.waitForStarted());

    const QString icons = QStringLiteral("-c xfce4-desktop -p /desktop-icons/style -n -t int");
    const QString dnd = QStringLiteral("-c xfce4-notifyd -p /do-not-disturb -n -t bool");
    ASSERT_TRUE(waitFor([&] {
        const QStringList journal = tools.journal();
        return lastLineFor(journal, icons).endsWith(QStringLiteral("-s 0")) &&
               lastLineFor(journal, dnd).endsWith(QStringLiteral("-s true"));
    })) << tools.journal().join(QLatin1Char('\n')).toStdString();

    app.terminate();
    ASSERT_TRUE(app.waitForFinished(30'000));
    EXPECT_EQ(app.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(app.exitCode(), 0);

    const QStringList journal = tools.journal();
    EXPECT_EQ(lastLineFor(journal, icons),
              QStringLiteral("xfconf-query ") + icons + QStringLiteral(" -s 2"));
    EXPECT_EQ(lastLineFor(journal, dnd),
              QStringLiteral("xfconf-query ") + dnd + QStringLiteral(" -s false"));
    EXPECT_EQ(journal.size(), 4) << journal.join(QLatin1Char('\n')).toStdString();
    const QByteArray printed = app.readAllStandardOutput();
    EXPECT_FALSE(printed.contains("[DesktopShield]")) << printed.constData();
    EXPECT_FALSE(printed.contains("[NotificationGuard]")) << printed.constData();
}
