#include "update/RelaunchScript.h"

#include "InstallFixture.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include "support/WaitFor.h"

#include <gtest/gtest.h>

namespace {

using namespace BundleFactory;

constexpr int kWaitMs = 20'000;

// A process for the script to wait on; the test decides when it ends.
class Sleeper {
public:
    Sleeper() {
        m_process.start(QStringLiteral("/bin/sleep"), {QStringLiteral("600")});
        EXPECT_TRUE(m_process.waitForStarted());
    }
    ~Sleeper() { end(); }
    qint64 pid() const { return m_process.processId(); }
    // Kills and reaps it, so `kill -0` stops finding it.
    void end() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

private:
    QProcess m_process;
};

TEST(RelaunchScriptText, HasFiveLinesInTheShapeOfTheMacScript) {
    const QString text = RelaunchScript::text(4321, QStringLiteral("/opt/.Velarion.update"),
                                              QStringLiteral("/opt/Velarion"));
    const QStringList lines = text.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 5) << qPrintable(text);
    EXPECT_EQ(lines[0], QStringLiteral("#!/bin/sh"));
    EXPECT_EQ(lines[1],
              QStringLiteral("while /bin/kill -0 4321 2>/dev/null; do /bin/sleep 0.3; done"));
    EXPECT_EQ(lines[2], QStringLiteral("/bin/rm -rf '/opt/Velarion'"));
    EXPECT_EQ(lines[3], QStringLiteral("/bin/mv '/opt/.Velarion.update' '/opt/Velarion'"));
    EXPECT_EQ(lines[4], QStringLiteral("/usr/bin/setsid -f '/opt/Velarion/bin/velarion' "
                                       "</dev/null >/dev/null 2>&1"));
    EXPECT_FALSE(text.endsWith(QLatin1Char('\n')));
    EXPECT_EQ(RelaunchScript::shellQuoted(QStringLiteral("it's")), QStringLiteral("'it'\\''s'"));
}

class RelaunchScriptTest : public InstallFixture {
protected:
    // A running bundle and a staged one at `parent`, as the preparation leaves them.
    DMGInstaller::Plan layOut(const QString& parent) {
        const DMGInstaller::Plan plan{parent + QStringLiteral("/.Velarion.update"),
                                      parent + QStringLiteral("/Velarion")};
        makeBundle(plan.target, "1.0");
        makeBundle(plan.staged, "2.0");
        return plan;
    }

    static void expectSwapped(const DMGInstaller::Plan& plan) {
        EXPECT_TRUE(waitFor([&] { return QFileInfo::exists(plan.target + "/started"); }));
        EXPECT_EQ(readFile(plan.target + QStringLiteral("/share/velarion/version")), "2.0");
        EXPECT_EQ(readFile(plan.target + QStringLiteral("/started")), "started 2.0\n");
        EXPECT_FALSE(QFileInfo::exists(plan.staged));
    }
};

TEST_F(RelaunchScriptTest, RelaunchSwapsBundlesOnlyAfterTheProcessExits) {
    const DMGInstaller::Plan plan = layOut(m_dir.filePath(QStringLiteral("opt")));
    Sleeper running;

    const QString script = installer(running.pid()).relaunch(plan);

    EXPECT_EQ(QFileInfo(script).path(), m_tmp);
    EXPECT_TRUE(QFileInfo(script).fileName().startsWith(QStringLiteral("vl-update-")));
    EXPECT_TRUE(script.endsWith(QStringLiteral(".sh")));
    EXPECT_EQ(QString::fromUtf8(readFile(script)),
              RelaunchScript::text(running.pid(), plan.staged, plan.target));
    // While the old process lives, the script only waits.
    QThread::msleep(700);
    EXPECT_EQ(readFile(plan.target + QStringLiteral("/share/velarion/version")), "1.0");
    EXPECT_TRUE(QFileInfo::exists(plan.staged));

    running.end();
    expectSwapped(plan);
}

TEST_F(RelaunchScriptTest, HostilePathsStayPlainCharacters) {
    const QString hostile = m_dir.filePath(
        QStringLiteral("a \"quote\" $(touch pwned1) `touch pwned2` 'single' $HOME ; touch pwned3"));
    const DMGInstaller::Plan plan = layOut(hostile);
    const QString script = m_tmp + QStringLiteral("/script.sh");
    writeFile(script, RelaunchScript::text(0x7fffffff, plan.staged, plan.target).toUtf8());

    QProcess shell;
    shell.setWorkingDirectory(m_dir.path());
    shell.start(QStringLiteral("/bin/sh"), {script});
    ASSERT_TRUE(shell.waitForFinished(kWaitMs));
    EXPECT_EQ(shell.exitCode(), 0) << shell.readAllStandardError().toStdString();

    expectSwapped(plan);
    for (const char* name : {"pwned1", "pwned2", "pwned3"}) {
        EXPECT_FALSE(QFileInfo::exists(m_dir.filePath(QString::fromLatin1(name)))) << name;
        EXPECT_FALSE(QFileInfo::exists(hostile + QLatin1Char('/') + QString::fromLatin1(name)));
    }
}

}  // namespace
