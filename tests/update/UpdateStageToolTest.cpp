#include "InstallFixture.h"

#include "core/CommandRunner.h"

#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace BundleFactory;

class UpdateStageToolTest : public InstallFixture {
protected:
    CommandResult stage(const QString& archive, const QStringList& prefix = {}) const {
        QStringList arguments = prefix;
        arguments << QStringLiteral(VELARION_UPDATE_STAGE_BINARY) << archive << m_running;
        const QString program = arguments.takeFirst();
        return CommandRunner().run(program, arguments);
    }
};

TEST_F(UpdateStageToolTest, PrintsTheStagedPathAndKeepsTheArchive) {
    const QString archive = release(QStringLiteral("good"), "2.0", m_secret);
    const CommandResult result = stage(archive);
    EXPECT_EQ(result.exitCode, 0) << qPrintable(result.standardErrorText());
    EXPECT_EQ(result.standardOutputText(), QStringLiteral("staged=") + m_staged + '\n');
    EXPECT_EQ(readFile(m_staged + QStringLiteral("/share/velarion/version")), "2.0");
    EXPECT_TRUE(QFile::exists(archive));
}

TEST_F(UpdateStageToolTest, PrintsTheFailureNameAndExitsOne) {
    const QString hostile = m_dir.filePath(QStringLiteral("hostile.tar.zst"));
    writeArchive(hostile, {{Entry::Kind::Link, "Velarion", "/"}});
    const QString empty = m_dir.filePath(QStringLiteral("empty.tar.zst"));
    writeArchive(empty, {{Entry::Kind::File, "README", "nothing"}});
    const struct {
        QString archive;
        const char* printed;
    } cases[] = {
        {hostile, "mountFailed"},
        {empty, "appNotFound"},
        {release(QStringLiteral("bad"), "2.0", m_secret,
                 [](const QString& b) { QFile::remove(b + "/lib/libvelarion.so.1"); }),
         "signatureInvalid"},
        {release(QStringLiteral("other"), "2.0", m_otherSecret), "teamMismatch"},
    };
    for (const auto& c : cases) {
        const CommandResult result = stage(c.archive);
        EXPECT_EQ(result.exitCode, 1) << c.printed;
        EXPECT_EQ(result.standardOutputText(), QString::fromLatin1(c.printed) + '\n');
        EXPECT_FALSE(QFile::exists(m_staged)) << c.printed;
    }
}

TEST_F(UpdateStageToolTest, StagingFailsWhenTheApplicationsFolderIsReadOnly) {
    const QString archive = release(QStringLiteral("good"), "2.0", m_secret);
    const QString apps = m_dir.filePath(QStringLiteral("apps"));
    QStringList asUser;
    if (::geteuid() == 0) {
        // Root writes anywhere: the tool runs as "nobody", which needs to reach the files and a
        // temporary folder of its own.
        QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                QFile::ReadOther | QFile::ExeOther);
        ASSERT_EQ(::chmod(QFile::encodeName(m_tmp).constData(), 01777), 0);
        asUser = {QStringLiteral("/usr/bin/setpriv"),
                  QStringLiteral("--reuid=65534"),
                  QStringLiteral("--regid=65534"),
                  QStringLiteral("--clear-groups"),
                  QStringLiteral("--"),
                  QStringLiteral("/usr/bin/env"),
                  QStringLiteral("TMPDIR=") + m_tmp};
    }
    ASSERT_EQ(::chmod(QFile::encodeName(apps).constData(), 0555), 0);

    const CommandResult result = stage(archive, asUser);

    ::chmod(QFile::encodeName(apps).constData(), 0755);
    EXPECT_EQ(result.exitCode, 1) << qPrintable(result.standardErrorText());
    EXPECT_EQ(result.standardOutputText(), QStringLiteral("stagingFailed\n"));
    EXPECT_FALSE(QFile::exists(m_staged));
    EXPECT_EQ(temporaryEntries(), QStringList());
}

}  // namespace
