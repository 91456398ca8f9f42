#include "core/CommandRunner.h"

#include "support/TempDir.h"

#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>

namespace {

// Writes a small shell script standing in for a system tool.
QString fakeTool(const TempDir& dir, const QString& name, const QByteArray& body) {
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n" + body + "\n");
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

}  // namespace

TEST(CommandRunnerTest, StartsToolsByAbsolutePathWithVerbatimArgumentsOrSaysWhyNot) {
    TempDir dir;
    const CommandRunner runner;

    const CommandResult missing = runner.run(dir.filePath(QStringLiteral("nope")), {});
    EXPECT_EQ(missing.outcome, CommandResult::Outcome::FailedToStart);
    EXPECT_EQ(missing.errorDescription, QStringLiteral("No such file or directory"));

    const CommandResult relative = runner.run(QStringLiteral("true"), {});
    EXPECT_EQ(relative.outcome, CommandResult::Outcome::FailedToStart)
        << "tools are started by absolute path only";

    // No shell between the runner and the tool.
    const QString echo = fakeTool(dir, QStringLiteral("echo-args"),
                                  R"(for a in "$@"; do printf '[%s]\n' "$a"; done)");
    const CommandResult result =
        runner.run(echo, {QStringLiteral("a b"), QStringLiteral("$(id)"), QStringLiteral("`x`;*")});
    ASSERT_TRUE(result.succeeded());
    EXPECT_EQ(result.standardOutputText(), QStringLiteral("[a b]\n[$(id)]\n[`x`;*]\n"));
}

TEST(CommandRunnerTest, NonZeroExitKeepsStatusAndStreamsSeparateSyncOrAsync) {
    TempDir dir;
    const QString tool = fakeTool(dir, QStringLiteral("streams"),
                                  "echo partial; echo 'bad thing' >&2; echo end; exit \"$1\"");
    const CommandRunner runner;
    for (const bool async : {false, true}) {
        SCOPED_TRACE(async ? "runAsync" : "run");
        const CommandResult result = async ? runner.runAsync(tool, {QStringLiteral("3")}).result()
                                           : runner.run(tool, {QStringLiteral("3")});
        EXPECT_EQ(result.outcome, CommandResult::Outcome::Exited);
        EXPECT_EQ(result.exitCode, 3);
        EXPECT_FALSE(result.succeeded());
        EXPECT_EQ(result.standardErrorText(), QStringLiteral("bad thing\n"));
        EXPECT_EQ(result.standardOutputText(), QStringLiteral("partial\nend\n"));
    }
}

TEST(CommandRunnerTest, DrainsMegabytesOnBothPipesWithoutDeadlock) {
    TempDir dir;
    // Both streams are written at the same time, far beyond a pipe's buffer.
    const QString tool = fakeTool(dir, QStringLiteral("chatty"),
                                  "yes out | head -c 4000000 &\n"
                                  "yes err | head -c 3000000 >&2\n"
                                  "wait");
    const CommandResult result = CommandRunner().run(tool, {});
    ASSERT_EQ(result.outcome, CommandResult::Outcome::Exited)
        << result.errorDescription.toStdString();
    EXPECT_EQ(result.standardOutput.size(), 4'000'000);
    EXPECT_EQ(result.standardError.size(), 3'000'000);
}

TEST(CommandRunnerTest, KillsAToolThatHangsAndSaysItTimedOut) {
    TempDir dir;
    const QString tool = fakeTool(dir, QStringLiteral("hangs"), "echo started; exec sleep 60");
    CommandOptions options;
    options.timeoutMs = 1'000;
    QElapsedTimer clock;
    clock.start();
    const CommandResult result = CommandRunner().run(tool, {}, options);
    EXPECT_EQ(result.outcome, CommandResult::Outcome::TimedOut);
    EXPECT_EQ(result.errorDescription, QStringLiteral("timed out after 1 s"));
    EXPECT_LT(clock.elapsed(), 30'000) << "the runner must not wait for the tool to finish";
    EXPECT_EQ(result.standardOutputText(), QStringLiteral("started\n"));
}
