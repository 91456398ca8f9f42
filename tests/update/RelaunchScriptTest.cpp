#include "update/RelaunchScript.h"

#include "BundleFactory.h"
#include "support/TempDir.h"

#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

using namespace BundleFactory;

TEST(RelaunchScriptTest, HostilePathsStayPlainCharacters) {
    TempDir dir;
    const QString hostile = dir.filePath(
        QStringLiteral("a \"quote\" $(touch pwned1) `touch pwned2` 'single' $HOME ; touch pwned3"));
    const QString staged = hostile + QStringLiteral("/.Velarion.update");
    const QString target = hostile + QStringLiteral("/Velarion");
    makeBundle(target, "1.0");
    makeBundle(staged, "2.0");
    const QString script = dir.filePath(QStringLiteral("script.sh"));
    // No process has this id, so the script does not wait.
    writeFile(script, RelaunchScript::text(0x7fffffff, staged, target).toUtf8());

    QProcess shell;
    shell.setWorkingDirectory(dir.path());
    shell.start(QStringLiteral("/bin/sh"), {script});
    ASSERT_TRUE(shell.waitForFinished(20'000));
    EXPECT_EQ(shell.exitCode(), 0) << shell.readAllStandardError().toStdString();

    // The launcher runs detached.
    EXPECT_TRUE(waitForStart(target, "2.0"));
    EXPECT_EQ(readFile(target + QStringLiteral("/share/velarion/version")), "2.0");
    EXPECT_FALSE(QFileInfo::exists(staged));
    for (const char* name : {"pwned1", "pwned2", "pwned3"}) {
        EXPECT_FALSE(QFileInfo::exists(dir.filePath(QString::fromLatin1(name)))) << name;
        EXPECT_FALSE(QFileInfo::exists(hostile + QLatin1Char('/') + QString::fromLatin1(name)));
    }
}

}  // namespace
