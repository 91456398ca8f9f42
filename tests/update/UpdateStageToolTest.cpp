#include "InstallFixture.h"

#include "core/CommandRunner.h"

#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace BundleFactory;

// Each failure's name comes from the installer and is tested there; this checks the tool's own
// interface. The tool works in the fixture's temporary folder, so what it leaves there shows.
class UpdateStageToolTest : public InstallFixture {
protected:
    CommandResult stage(const QString& archive, const QStringList& prefix = {}) const {
        QStringList arguments = prefix;
        arguments << QStringLiteral("/usr/bin/env") << QStringLiteral("TMPDIR=") + m_tmp
                  << QStringLiteral(VELARION_UPDATE_STAGE_BINARY) << archive << m_running;
        const QString program = arguments.takeFirst();
        return CommandRunner().run(program, arguments);
    }
};

TEST_F(UpdateStageToolTest, PrintsTheFailureOrTheStagedPathAndKeepsTheArchive) {
    const QString archive = release(QStringLiteral("good"), m_secret);
    const QString apps = m_dir.filePath(QStringLiteral("apps"));
    QStringList asUser;
    if (::geteuid() == 0) {
        // Root writes anywhere: the tool runs as "nobody", which needs to reach the files and the
        // temporary folder.
        QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                QFile::ReadOther | QFile::ExeOther);
        ASSERT_EQ(::chmod(QFile::encodeName(m_tmp).constData(), 01777), 0);
        asUser = {QStringLiteral("/usr/bin/setpriv"), QStringLiteral("--reuid=65534"),
                  QStringLiteral("--regid=65534"), QStringLiteral("--clear-groups"),
                  QStringLiteral("--")};
    }
    ASSERT_EQ(::chmod(QFile::encodeName(apps).constData(), 0555), 0);
    const CommandResult readOnly = stage(archive, asUser);
    ::chmod(QFile::encodeName(apps).constData(), 0755);

    EXPECT_EQ(readOnly.exitCode, 1) << qPrintable(readOnly.standardErrorText());
    EXPECT_EQ(readOnly.standardOutputText(), QStringLiteral("stagingFailed\n"));
    EXPECT_FALSE(QFile::exists(m_staged));
    EXPECT_EQ(temporaryEntries(), QStringList());

    const CommandResult staged = stage(archive);
    EXPECT_EQ(staged.exitCode, 0) << qPrintable(staged.standardErrorText());
    EXPECT_EQ(staged.standardOutputText(), QStringLiteral("staged=") + m_staged + '\n');
    EXPECT_EQ(readFile(m_staged + QStringLiteral("/share/velarion/version")), "2.0");
    EXPECT_TRUE(QFile::exists(archive));
    EXPECT_EQ(temporaryEntries(), QStringList());
}

}  // namespace
